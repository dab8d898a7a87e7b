#include "settings/Placement.h"

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
