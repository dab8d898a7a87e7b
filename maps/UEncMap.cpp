// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/UEncMap.h"

#include <stdlib.h>
#include <string.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "maps/MapFile.h"

namespace orvane {
namespace {

// A private folder for the converter's output: unique to this load, so neither two programs
// nor a reload started while the converter runs share a file, and the program's own folder
// need not be writable.
class TScratchDir {
public:
  TScratchDir() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / "orvane-enc-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
      throw std::runtime_error("Cannot create a temporary folder in \"" + base.string() +
                               "\": " + std::strerror(errno));
    dir_ = pattern;
  }
  ~TScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  std::string File(const char* name) const { return (dir_ / name).string(); }

private:
  std::filesystem::path dir_;
};
}  // namespace

TEncMap::TEncMap(TEncConverter& converter, const std::string& classTablePath) : converter_(converter) {
  ReadClassTable(classTablePath);
}

void TEncMap::ReadClassTable(const std::string& path) {
  TEncStyle style = ReadEncClassTableFile(path);
  classes_ = style.Classes;
  bands_ = std::move(style.Bands);
}

TLayerDescription TEncMap::Describe() const {
  TLayerDescription d;
  const auto& f = cell_.Features;
  d.Counts = {{"isolated nodes", std::to_string(nodes110_.size())},
              {"connected nodes", std::to_string(nodes120_.size())},
              {"edges", std::to_string(edges_.size())},
              {"features", std::to_string(f[0] + f[1] + f[2] + f[3]) + " (" + std::to_string(f[1]) + " points, " +
                               std::to_string(f[2]) + " lines, " + std::to_string(f[3]) + " areas, " +
                               std::to_string(f[0]) + " without geometry)"},
              {"point features", std::to_string(spots_.size())},
              {"line features", std::to_string(lines_.size())},
              {"area features", std::to_string(areas_.size())},
              {"soundings", std::to_string(soundings_.size())}};
  for (const auto* list : {&nodes110_, &nodes120_, &edges_})
    for (const TEncKeyedVector& v : *list)
      for (const TEncCoord& c : v.Vector.Coords) WidenExtent(d.Extent, c.Lon, c.Lat);
  const std::string hdat = cell_.Hdat.empty()  ? "not given"
                           : cell_.Hdat == "2" ? "WGS 84 (HDAT 2)"
                                               : "HDAT " + cell_.Hdat;
  d.Datum = hdat + ", " + kDrawnAsRead;
  if (!cell_.Name.empty()) d.Details.push_back({"cell", cell_.Name});
  if (!cell_.Edition.empty())
    d.Details.push_back({"updates", "edition " + cell_.Edition + ", up to update " +
                                        (cell_.Update.empty() ? std::string("0") : cell_.Update) +
                                        (cell_.Issued.empty() ? "" : ", issued " + cell_.Issued)});
  d.Details.push_back({"scale factors", "COMF " + std::to_string(comf_) + ", SOMF " + std::to_string(somf_)});
  d.Details.push_back(
      {"depth presentation", bands_.empty() ? "class colours (no DEPTH bands in the class table)"
                                            : std::to_string(bands_.size()) + " depth bands, soundings as figures"});
  for (const TEncSpot& p : spots_) ++d.StyleUse[static_cast<unsigned>(p.ObjClass)];
  for (const TEncShape& l : lines_) ++d.StyleUse[static_cast<unsigned>(l.ObjClass)];
  for (const TEncKeyedShape& a : areas_) ++d.StyleUse[static_cast<unsigned>(a.Shape.ObjClass)];
  return d;
}

void TEncMap::Clear() {
  cell_ = {};
  nodes110_.clear();
  nodes120_.clear();
  edges_.clear();
  spots_.clear();
  soundings_.clear();
  lines_.clear();
  areas_.clear();
}

bool TEncMap::Load(const std::string& chartPath) {
  Clear();
  const TScratchDir scratch;
  const std::string output = scratch.File("Marlisk.tmp");
  converter_.Convert(chartPath, output);
  // Events ran while the converter worked; a reload started then has filled the layer already.
  Clear();
  std::string text;
  try {
    text = ReadMapFile(output);
  } catch (const EMapFileError& e) {
    throw EMapFileError(std::string(e.what()) + " (the converter wrote nothing for \"" + chartPath + "\")");
  }
  ReadConverted(text, "\"" + chartPath + "\" converted");
  return true;
}
}  // namespace orvane
