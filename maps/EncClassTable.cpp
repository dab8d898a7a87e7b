// SPDX-License-Identifier: GPL-3.0-or-later
// The chart layer's object class table and depth bands, and the figures of soundings.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "common/HostConv.h"
#include "common/SplitCommaText.h"
#include "maps/MapFile.h"
#include "maps/UEncMap.h"

namespace orvane {
namespace {

// A line quoted in an error message; a line of megabytes helps nobody.
std::string Quoted(std::string_view text) {
  constexpr size_t kMax = 120;
  if (text.size() <= kMax) return "\"" + std::string(text) + "\"";
  return "\"" + std::string(text.substr(0, kMax)) + "...\"";
}

}  // namespace

void EncLineError(const std::string& fileName, int lineNo, const std::string& cause, std::string_view text) {
  throw EConvertError(fileName + ", line " + std::to_string(lineNo) + ": " + cause + " in " + Quoted(text));
}

void ReadEncClassTable(std::istream& in, const std::string& fileName, TEncClassTable& table,
                       std::vector<TEncDepthBand>* bands) {
  std::string line;
  std::vector<std::string> f;
  int lineNo = 0;
  std::vector<TEncDepthBand> read;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '#') continue;
    if (line.empty()) EncLineError(fileName, lineNo, "empty line (comment lines begin with #)", line);
    SplitCommaText(line, f);
    if (!f.empty() && f[0] == "DEPTH") {
      if (f.size() < 3)
        EncLineError(fileName, lineNo, "3 fields expected, " + std::to_string(f.size()) + " found", line);
      TEncDepthBand band;
      int32_t color = 0;
      if (!TryStrToFloat(f[1], band.From) || !std::isfinite(band.From))
        EncLineError(fileName, lineNo, "'" + f[1] + "' is not a valid depth in metres", line);
      if (!TryStrToInt(f[2], color))
        EncLineError(fileName, lineNo, "'" + f[2] + "' is not a valid integer value", line);
      band.Color = static_cast<TColor>(color);
      read.push_back(band);
      continue;
    }
    if (f.size() < 7) EncLineError(fileName, lineNo, "7 fields expected, " + std::to_string(f.size()) + " found", line);
    int32_t v[7] = {};
    for (int i : {0, 2, 3, 4, 5, 6})
      if (!TryStrToInt(f[static_cast<size_t>(i)], v[i]))
        EncLineError(fileName, lineNo, "'" + f[static_cast<size_t>(i)] + "' is not a valid integer value", line);
    // The table has entries 1 to 504 only; a code outside names no class.
    if (v[0] < 1 || v[0] > kEncClassCount) continue;
    table[static_cast<size_t>(v[0])] = {f[1], v[2], v[3], v[4], v[5], v[6]};
  }
  if (in.bad()) throw std::runtime_error("Cannot read file \"" + fileName + "\"");
  std::stable_sort(read.begin(), read.end(),
                   [](const TEncDepthBand& a, const TEncDepthBand& b) { return a.From < b.From; });
  if (bands) *bands = std::move(read);
}

TEncStyle ReadEncClassTableFile(const std::string& path) {
  std::istringstream in(ReadMapFile(path));
  TEncStyle style;
  ReadEncClassTable(in, path, style.Classes, &style.Bands);
  return style;
}

std::string EncClassTablePath(const std::string& programFolder) {
  const std::string beside = programFolder + "/" + kEncClassTableFile;
  const std::string shared = programFolder + "/../share/orvane/" + kEncClassTableFile;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(beside, ec) && std::filesystem::is_regular_file(shared, ec)) return shared;
  return beside;
}

std::optional<TColor> DepthBandColor(const std::vector<TEncDepthBand>& bands, double drval1, double drval2) {
  if (bands.empty() || std::isnan(drval1)) return std::nullopt;
  TColor color = bands.front().Color;
  for (const TEncDepthBand& b : bands)
    if (drval1 >= b.From && (std::isnan(drval2) || drval2 > b.From)) color = b.Color;
  return color;
}

TSoundingFigure SoundingFigure(double depth) {
  if (!std::isfinite(depth)) return {"?", false};
  // Both ways round toward less water: a depth shown deeper, or a drying height shown lower,
  // would promise water over the spot that is not there (a lower height covers earlier in the
  // tide). So depths go down and heights go up. The small allowance keeps 12.3, stored as
  // 12.2999..., at 12.3, and a height of 1.4, stored as 1.4000...1, at 1.4.
  const bool drying = depth < 0;
  const double metres = std::abs(depth);
  const int decimals = metres < 31 ? 1 : 0;
  const double scale = decimals ? 10 : 1;
  const double shown = (drying ? std::ceil(metres * scale - 1e-6) : std::floor(metres * scale + 1e-6)) / scale;
  return {FormatFixed(shown, decimals), drying};
}
}  // namespace orvane
