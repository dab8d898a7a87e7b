// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Placement.h"

#include <algorithm>
#include <cstdio>

#include "common/HostConv.h"
#include "common/ProgramFolder.h"
#include "common/SplitCommaText.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

namespace orvane {
namespace {

constexpr const char* kBounds = "Bounds";

// The file name with its extension replaced by ".ini"; a name without one gets it appended. A
// leading dot starts a hidden name, not an extension.
std::string IniNameOf(const std::string& programPath) {
  const size_t slash = programPath.rfind('/');
  std::string name = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name + ".ini";
}

}  // namespace

std::string FormatPlacement(const TPlacement& p) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%d,%d,%d,%d,%d,%d,%d,%d,%d", p.State, p.MinX, p.MinY, p.MaxX, p.MaxY, p.Left, p.Top,
                p.Right, p.Bottom);
  return buf;
}

bool ParsePlacement(std::string_view text, TPlacement& p) {
  const std::vector<std::string> items = SplitCommaText(text);
  if (items.size() != 9) return false;
  int* const fields[9] = {&p.State, &p.MinX, &p.MinY, &p.MaxX, &p.MaxY, &p.Left, &p.Top, &p.Right, &p.Bottom};
  for (size_t i = 0; i < 9; ++i) {
    int32_t v;
    if (TryStrToInt(items[i], v)) *fields[i] = v;
  }
  return true;
}

namespace {

// Edges as 64-bit values: right minus left of two stored integers does not fit an int.
struct TEdges {
  int64_t Left, Top, Right, Bottom;
};

TEdges EdgesOf(const TPixelRect& r) { return {r.Left, r.Top, int64_t{r.Left} + r.Width, int64_t{r.Top} + r.Height}; }

int64_t Overlap(const TEdges& a, const TEdges& b) {
  const int64_t w = std::min(a.Right, b.Right) - std::max(a.Left, b.Left);
  const int64_t h = std::min(a.Bottom, b.Bottom) - std::max(a.Top, b.Top);
  if (w <= 0 || h <= 0) return 0;
  // Each side can reach 2^33 and their product would overflow; no screen is 2^30 wide.
  return std::min<int64_t>(w, 1 << 30) * std::min<int64_t>(h, 1 << 30);
}

}  // namespace

bool RestoreRect(const TPlacement& p, const std::vector<TScreenArea>& screens, TRestoredRect& out) {
  const TEdges r{p.Left, p.Top, p.Right, p.Bottom};
  int64_t width = r.Right - r.Left, height = r.Bottom - r.Top;
  if (width <= 0 || height <= 0) return false;
  if (screens.empty()) {
    out = {{p.Left, p.Top, static_cast<int>(std::min<int64_t>(width, kMaxWindowSide)),
            static_cast<int>(std::min<int64_t>(height, kMaxWindowSide))},
           false};
    return true;
  }
  const TScreenArea* best = nullptr;
  int64_t bestOverlap = 0;
  for (const TScreenArea& s : screens) {
    const int64_t o = Overlap(r, EdgesOf(s.Whole));
    if (o > bestOverlap) best = &s, bestOverlap = o;
  }
  TRestoredRect result;
  int64_t left = r.Left, top = r.Top;
  if (!best) {
    best = &screens.front();
    left = INT64_MIN;  // moved to the corner below
    top = INT64_MIN;
  }
  TPixelRect area = best->Available;
  if (area.Width <= 0 || area.Height <= 0) area = best->Whole;
  const TEdges a = EdgesOf(area);
  width = std::clamp<int64_t>(width, 1, std::max(area.Width, 1));
  height = std::clamp<int64_t>(height, 1, std::max(area.Height, 1));
  if (left < a.Left || left >= a.Right) left = std::clamp(left, a.Left, std::max(a.Left, a.Right - width));
  if (top <= a.Top) {
    result.ByFrame = true;
    top = a.Top;
  } else if (top >= a.Bottom) {
    top = std::max(a.Top, a.Bottom - height);
  }
  result.Rect = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(width), static_cast<int>(height)};
  out = result;
  return true;
}

std::string PlacementFileFor(const std::string& programPath, const std::string& settingsFile, bool settingsGiven) {
  if (settingsGiven) return settingsFile;
  return FolderOf(settingsFile) + "/" + IniNameOf(programPath);
}

std::string PlacementFileName() { return PlacementFileFor(ProgramPath(), SettingsFileName(), SettingsFileGiven()); }

std::string ReadPlacement(const std::string& key) {
  const TIniFile ini(PlacementFileName());
  return ini.ReadString(kBounds, key, "");
}

void StorePlacements(const std::vector<std::pair<std::string, std::string>>& lines) {
  if (lines.empty()) return;
  TIniFile ini(PlacementFileName());
  ini.BeginUpdate();
  for (const auto& [key, line] : lines) ini.WriteString(kBounds, key, line);
  ini.EndUpdate();
}

}  // namespace orvane
