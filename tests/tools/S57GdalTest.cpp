// SPDX-License-Identifier: GPL-3.0-or-later
// The chart converter's reading of S-57 cells against GDAL's S-57 driver: the same generated
// cells read by both, compared class by class (counts, geometry, soundings, attributes), and
// the cell's primitives, extent and data set parameters. Skipped where ogrinfo is missing.
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/SplitCommaText.h"
#include "maps/UEncMap.h"
#include "s57/S57Cell.h"
#include "tests/common/TempFiles.h"
#include "tests/tools/S57Writer.h"

namespace orvane {
namespace {

using namespace s57w;
namespace fs = std::filesystem;

constexpr double kTolerance = 1e-7;  // degrees and metres

// ---- GDAL's reading -------------------------------------------------------------------------

struct TOgrFeature {
  std::map<std::string, std::string> Fields;  // name -> value as ogrinfo prints it
  std::map<std::string, std::string> Types;   // name -> "Integer", "Real", "String", "StringList", ...
  std::string Geometry;                       // the WKT keyword: "POINT Z", "LINESTRING", "POLYGON", ...
  std::vector<std::vector<TEncCoord>> Parts;  // points, the line, or the rings (exterior first)
};

struct TOgrLayer {
  std::vector<TOgrFeature> Features;
  std::optional<TViewBox> Extent;
};

using TOgr = std::map<std::string, TOgrLayer>;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return lines;
}

// The innermost parenthesised groups of a WKT text, each a list of coordinates.
std::vector<std::vector<TEncCoord>> WktParts(const std::string& wkt) {
  std::vector<std::vector<TEncCoord>> parts;
  size_t open = std::string::npos;
  for (size_t i = 0; i < wkt.size(); ++i) {
    if (wkt[i] == '(') open = i;
    if (wkt[i] != ')' || open == std::string::npos) continue;
    std::vector<TEncCoord> part;
    const std::string body = wkt.substr(open + 1, i - open - 1);
    size_t from = 0;
    while (from <= body.size()) {
      size_t comma = body.find(',', from);
      if (comma == std::string::npos) comma = body.size();
      double v[3] = {0, 0, 0};
      int n = std::sscanf(body.c_str() + from, "%lf %lf %lf", &v[0], &v[1], &v[2]);
      if (n >= 2) part.push_back({v[0], v[1], n == 3 ? v[2] : 0});
      from = comma + 1;
    }
    parts.push_back(std::move(part));
    open = std::string::npos;
  }
  return parts;
}

bool IsGeometryLine(const std::string& body) {
  for (const char* kw :
       {"POINT", "LINESTRING", "POLYGON", "MULTIPOINT", "MULTILINESTRING", "MULTIPOLYGON", "GEOMETRYCOLLECTION"})
    if (body.rfind(kw, 0) == 0) return true;
  return false;
}

// ogrinfo's listing of every layer with its features.
TOgr ParseOgrinfo(const std::string& text) {
  TOgr ogr;
  TOgrLayer* layer = nullptr;
  TOgrFeature* feature = nullptr;
  for (const std::string& line : SplitLines(text)) {
    if (line.rfind("Layer name: ", 0) == 0) {
      layer = &ogr[line.substr(12)];
      feature = nullptr;
    } else if (layer && line.rfind("Extent: ", 0) == 0) {
      TViewBox b;
      if (std::sscanf(line.c_str(), "Extent: (%lf, %lf) - (%lf, %lf)", &b.West, &b.South, &b.East, &b.North) == 4)
        layer->Extent = b;
    } else if (layer && line.rfind("OGRFeature(", 0) == 0) {
      layer->Features.emplace_back();
      feature = &layer->Features.back();
    } else if (feature && line.rfind("  ", 0) == 0) {
      const std::string body = line.substr(2);
      if (IsGeometryLine(body)) {
        const size_t paren = body.find('(');
        std::string kw = body.substr(0, paren == std::string::npos ? body.size() : paren);
        while (!kw.empty() && kw.back() == ' ') kw.pop_back();
        feature->Geometry = kw;
        feature->Parts = WktParts(body);
        continue;
      }
      const size_t type = body.find(" ("), eq = body.find(") = ");
      if (type == std::string::npos || eq == std::string::npos || type > eq) continue;
      const std::string name = body.substr(0, type);
      feature->Types[name] = body.substr(type + 2, eq - type - 2);
      feature->Fields[name] = body.substr(eq + 4);
    }
  }
  return ogr;
}

// Runs ogrinfo on the cell; the open options make GDAL report what the chart layer reports.
TOgr RunOgrinfo(const fs::path& cell, std::string& errors) {
  const std::string options =
      // The vector records as layers of their own: the node and edge counts and the extent the
      // chart layer describes.
      " -oo RETURN_PRIMITIVES=ON"
      // One feature per sounding with its depth, as the chart layer keeps every sounding of a
      // cluster.
      " -oo SPLIT_MULTIPOINT=ON -oo ADD_SOUNDG_DEPTH=ON"
      // The update files beside the cell applied, as the converter applies them.
      " -oo UPDATES=APPLY"
      // Attribute texts recoded from the lexical level the data set structure gives (ISO 8859-1
      // here) to UTF-8, as the converter writes them.
      " -oo RECODE_BY_DSSI=ON"
      // No link fields: the chart layer does not follow feature-to-feature pointers.
      " -oo LNAM_REFS=OFF";
  const fs::path err = cell.parent_path() / "ogrinfo.err";
  const std::string cmd =
      std::string(OGRINFO_PATH) + " -ro -al" + options + " '" + cell.string() + "' 2>'" + err.string() + "'";
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) {
    errors = "cannot start ogrinfo";
    return {};
  }
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int status = pclose(p);
  errors = ReadAll(err);
  if (status != 0) errors = "ogrinfo exit status " + std::to_string(status) + ": " + errors;
  return ParseOgrinfo(out);
}

// ---- our reading ----------------------------------------------------------------------------

// The converter's record text read by the chart layer with every class shown, points included,
// so that nothing is left out that GDAL reports.
struct TOurs {
  TS57Cell Cell;
  std::string Text;
  std::unique_ptr<TEncMap> Map;
  std::map<int, std::string> ClassNames;  // OBJL -> acronym, from the class table
};

struct TNoConverter : TEncConverter {
  void Convert(const std::string&, const std::string&) override {}
};

std::unique_ptr<TOurs> ReadOurs(const fs::path& cell) {
  static TNoConverter converter;
  auto ours = std::make_unique<TOurs>(TOurs{TS57Cell::Read(cell.string()), {}, nullptr, {}});
  ours->Cell.WriteText(ours->Text);
  TEncStyle style = ReadEncClassTableFile(ORVANE_CLASS_TABLE);
  for (int code = 1; code <= kEncClassCount; ++code) {
    TEncObjClass& c = style.Classes[static_cast<size_t>(code)];
    if (!c.Name.empty()) ours->ClassNames[code] = c.Name;
    c.Show = 1;
    c.Symbol = 1;
  }
  ours->Map = std::make_unique<TEncMap>(converter, style.Classes);
  ours->Map->ReadConverted(ours->Text, cell.filename().string() + " converted");
  return ours;
}

// The attributes of each feature record in the record text, by RCID: ATTL code -> ATVL text.
std::map<uint32_t, std::map<int, std::string>> TextAttributes(const std::string& text) {
  std::map<uint32_t, std::map<int, std::string>> out;
  std::map<int, std::string>* current = nullptr;
  for (const std::string& line : SplitLines(text)) {
    if (line.rfind("****", 0) == 0) current = nullptr;
    if (line.size() < 7) continue;
    const std::string tag = line.substr(1, 4);
    const std::vector<std::string> f = SplitCommaText(line.substr(6));
    if (tag == "FRID") current = &out[static_cast<uint32_t>(std::stoul(FindSubfield(f, "RCID", 0)))];
    if (tag != "ATTF" || !current) continue;
    for (int k = 0;; ++k) {
      const std::string code = FindSubfield(f, "ATTL", k);
      if (code.empty()) break;
      (*current)[std::stoi(code)] = FindSubfield(f, "ATVL", k);
    }
  }
  return out;
}

// ---- the cells --------------------------------------------------------------------------------

using YX = std::pair<int32_t, int32_t>;

// Attribute codes of the object catalogue beyond those S57Writer.h names.
constexpr int kBoyshp = 4, kCatcov = 18, kCatlam = 36, kCatwrk = 71, kColour = 75, kValdco = 174;

// A harbour south and west of Greenwich at a coarser compilation scale (COMF 1 000 000, SOMF
// 100): land in the north-west corner and the sea around it both cut by the cell's edge, their
// data-limit edges masked; a shoal inside the sea; a coastline; a depth contour over two edges,
// one stored the other way round and one masked; a lateral buoy with a list, an enumeration and
// a Latin-1 name; two sounding clusters; a wreck; a beacon on the contour's end node; the
// coverage and an aggregation. Area boundaries run clockwise, holes the other way, as a
// producer encodes them.
std::string HarbourCell() {
  TWriter w;
  w.Record({Dsid("1", "0", "ORVHARB1.000")});
  w.Record({Dspm(1000000, 100)});
  auto at = [](double lat, double lon) {
    return YX{static_cast<int32_t>(std::lround(lat * 1e6)), static_cast<int32_t>(std::lround(lon * 1e6))};
  };
  // Connected nodes: 1 SW, 2 NW, 3 NE, 4 SE corner; 5 the coast on the west edge, 6 on the north
  // edge; 7 the shoal's corner; 8, 9, 10 the contour's ends and bend.
  const YX nodes[] = {at(-41.30, -73.20), at(-41.20, -73.20), at(-41.20, -73.10), at(-41.30, -73.10),
                      at(-41.25, -73.20), at(-41.20, -73.15), at(-41.27, -73.13), at(-41.29, -73.19),
                      at(-41.28, -73.14), at(-41.22, -73.11)};
  for (uint32_t i = 0; i < 10; ++i) w.Record({Vrid(120, i + 1), Sg2d({nodes[i]})});
  auto edge = [&](uint32_t id, uint32_t from, uint32_t to, std::vector<YX> vertices) {
    w.Record({Vrid(130, id), Vrpt({{120, from, 255, 255, 1, 255}, {120, to, 255, 255, 2, 255}}), Sg2d(vertices)});
  };
  edge(1, 6, 5, {at(-41.215, -73.16), at(-41.235, -73.185)});                   // the coast, north edge to west edge
  edge(2, 5, 2, {});                                                            // west edge, coast to NW
  edge(3, 2, 6, {});                                                            // north edge, NW to coast
  edge(4, 6, 3, {at(-41.20, -73.125)});                                         // north edge, coast to NE
  edge(5, 3, 4, {});                                                            // east edge
  edge(6, 4, 1, {at(-41.30, -73.15)});                                          // south edge
  edge(7, 1, 5, {});                                                            // west edge, SW to coast
  edge(8, 7, 7, {at(-41.27, -73.12), at(-41.26, -73.12), at(-41.26, -73.13)});  // the shoal, anticlockwise
  edge(9, 8, 9, {at(-41.285, -73.165)});                                        // the contour's first leg
  edge(10, 10, 9, {at(-41.25, -73.125), at(-41.265, -73.13)});                  // its second, stored from its end
  // Isolated nodes: 1 the buoy, 2 and 3 sounding clusters (centimetres), 4 the wreck.
  w.Record({Vrid(110, 1), Sg2d({at(-41.245, -73.175)})});
  w.Record({Vrid(110, 2), Sg3d({{at(-41.29, -73.18).first, at(-41.29, -73.18).second, 1234},
                                {at(-41.28, -73.17).first, at(-41.28, -73.17).second, 807},
                                {at(-41.275, -73.125).first, at(-41.275, -73.125).second, -45}})});
  w.Record({Vrid(110, 3), Sg3d({{at(-41.21, -73.12).first, at(-41.21, -73.12).second, 2550}})});
  w.Record({Vrid(110, 4), Sg2d({at(-41.225, -73.135)})});

  auto feature = [&](uint32_t id, int prim, int grup, int objl, std::vector<std::pair<int, std::string>> attrs,
                     std::vector<TPointer> ps) {
    std::vector<TField> r{Frid(id, prim, grup, objl), Foid(540, 100 + id, 1)};
    if (!attrs.empty()) r.push_back(Attf(attrs));
    r.push_back(Fspt(ps));
    w.Record(r);
  };
  feature(1, 3, 1, 71, {{kObjnam, "Punta Orvane"}}, {{130, 2, 1, 3, 1}, {130, 3, 1, 3, 1}, {130, 1, 1, 1, 2}});
  feature(2, 3, 1, 42, {{kDrval1, "10"}, {kDrval2, "20.5"}},
          {{130, 1, 2, 1, 255},
           {130, 4, 1, 3, 1},
           {130, 5, 1, 3, 1},
           {130, 6, 1, 3, 1},
           {130, 7, 1, 3, 1},
           {130, 8, 1, 2, 255}});
  feature(3, 3, 1, 42, {{kDrval1, "0"}, {kDrval2, "5"}}, {{130, 8, 2, 1, 255}});
  feature(4, 2, 1, 30, {}, {{130, 1, 1, 255, 255}});
  feature(5, 2, 2, 43, {{kValdco, "10"}}, {{130, 9, 1, 255, 255}, {130, 10, 2, 255, 1}});
  feature(6, 1, 2, 17, {{kBoyshp, "2"}, {kCatlam, "1"}, {kColour, "3,4"}, {kObjnam, "Boya Pe\xf1\xf3n"}},
          {{110, 1, 255, 255, 255}});
  feature(7, 1, 2, 129, {}, {{110, 2, 255, 255, 255}});
  feature(8, 1, 2, 129, {}, {{110, 3, 255, 255, 255}});
  feature(9, 1, 2, 159, {{kCatwrk, "2"}, {kValsou, "7.25"}}, {{110, 4, 255, 255, 255}});
  feature(11, 1, 2, 7, {{kColour, "1,3,1"}, {kObjnam, "Baliza Sur"}}, {{120, 8, 255, 255, 255}});
  // The cell's coverage, along its whole edge, and an aggregation without geometry of its own.
  feature(12, 3, 255, 302, {{kCatcov, "1"}},
          {{130, 2, 1, 1, 255},
           {130, 3, 1, 1, 255},
           {130, 4, 1, 1, 255},
           {130, 5, 1, 1, 255},
           {130, 6, 1, 1, 255},
           {130, 7, 1, 1, 255}});
  w.Record({Frid(13, 255, 2, 400), Foid(540, 113, 1), Attf({{kObjnam, "Puerto Orvane"}})});
  return w.Bytes();
}

// The harbour's first update: the buoy renamed and its category removed, the wreck moved, a
// vertex inserted into the contour's first leg and its second leg dropped, the second sounding
// cluster deleted, and a new buoy on a new isolated node.
std::string HarbourUpdate() {
  TWriter w;
  w.Record({Dsid("1", "1", "ORVHARB1.001")});
  w.Record({Vrid(110, 4, 2, 3), Control("SGCC", 3, 1, 1), Sg2d({{-41226000, -73136000}})});
  w.Record({Vrid(130, 9, 2, 3), Control("SGCC", 1, 2, 1), Sg2d({{-41282000, -73150000}})});
  w.Record({Vrid(110, 5, 1, 1), Sg2d({{-41240000, -73140000}})});
  w.Record({Frid(6, 1, 2, 17, 2, 3), Attf({{kObjnam, "Boya Norte"}, {kCatlam, "\x7f"}})});
  w.Record({Frid(8, 1, 2, 129, 2, 2)});
  w.Record({Frid(5, 2, 2, 43, 2, 3), Control("FSPC", 2, 2, 1)});
  w.Record({Frid(10, 1, 2, 17, 1, 1), Foid(540, 110, 1), Attf({{kColour, "4"}}), Fspt({{110, 5, 255, 255, 255}})});
  return w.Bytes();
}

// Pieces the other cells leave out: a coastline over two edges that do not meet, values left
// empty (unknown), and a buoy with no name.
std::string PiecesCell() {
  TWriter w;
  w.Record({Dsid("1", "0", "ORVPIEC1.000")});
  w.Record({Dspm(10000000, 10)});
  const YX n[] = {{354000000, 1397000000}, {354100000, 1397100000}, {354200000, 1397000000}, {354300000, 1397100000}};
  for (uint32_t i = 0; i < 4; ++i) w.Record({Vrid(120, i + 1), Sg2d({n[i]})});
  w.Record({Vrid(130, 1), Vrpt({{120, 1, 255, 255, 1, 255}, {120, 2, 255, 255, 2, 255}}),
            Sg2d({{354050000, 1397020000}, {354060000, 1397040000}, {354070000, 1397060000}})});
  w.Record(
      {Vrid(130, 2), Vrpt({{120, 3, 255, 255, 1, 255}, {120, 4, 255, 255, 2, 255}}), Sg2d({{354250000, 1397050000}})});
  w.Record({Vrid(110, 1), Sg2d({{354150000, 1397050000}})});
  w.Record({Frid(1, 2, 1, 30), Foid(540, 1, 1), Fspt({{130, 1, 1, 255, 255}, {130, 2, 1, 255, 255}})});
  w.Record({Frid(2, 2, 2, 43), Foid(540, 2, 1), Attf({{kValdco, ""}}), Fspt({{130, 2, 255, 255, 255}})});
  w.Record(
      {Frid(3, 1, 2, 17), Foid(540, 3, 1), Attf({{kColour, "1"}, {kObjnam, ""}}), Fspt({{110, 1, 255, 255, 255}})});
  return w.Bytes();
}
// Its update: a vertex deleted from the first edge, the second edge's end moved to another
// node, the buoy's attributes changed and one added.
std::string PiecesUpdate() {
  TWriter w;
  w.Record({Dsid("1", "1", "ORVPIEC1.001")});
  w.Record({Vrid(130, 1, 2, 3), Control("SGCC", 2, 2, 1)});
  w.Record({Vrid(130, 2, 2, 3), Control("VRPC", 3, 2, 1), Vrpt({{120, 2, 255, 255, 2, 255}})});
  w.Record({Frid(3, 1, 2, 17, 2, 3), Attf({{kBoyshp, "4"}, {kColour, "2,6"}})});
  return w.Bytes();
}

struct TCase {
  const char* Name;
  std::string (*Base)();
  std::string (*Update)();  // null: no update file
  // What GDAL is expected to warn of: it builds each class's fields from its object catalogue
  // and drops attributes the catalogue does not give the class (the edge cell names a depth
  // area, which the catalogue does not provide for). The chart layer keeps them.
  const char* GdalWarning;
  // Exterior boundaries encoded clockwise, as S-57 wants them; the sample cell's squares run
  // the other way, which the chart layer draws alike.
  bool Clockwise;
};

std::string Sample() { return SampleCell(16, 40); }

const TCase kCases[] = {
    {"edge", EdgeCell, nullptr, "Attributes OBJNAM ignored, not in expected schema.", true},
    {"harbour", HarbourCell, nullptr, nullptr, true},
    {"harbour-updated", HarbourCell, HarbourUpdate, nullptr, true},
    {"sample-updated", Sample, SampleUpdate, nullptr, false},
    {"pieces", PiecesCell, nullptr, nullptr, false},
    {"pieces-updated", PiecesCell, PiecesUpdate, nullptr, false},
};

// Both readings of one cell, made once for all tests.
struct TReadings {
  std::string Name;
  const char* GdalWarning;
  bool Clockwise;
  std::unique_ptr<TOurs> Ours;
  TOgr Ogr;
  std::string OgrErrors;
};

class S57Gdal : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    if (std::string(OGRINFO_PATH).empty()) return;
    std::string tmpl = (fs::temp_directory_path() / "orvane-gdal-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    for (const TCase& c : kCases) {
      const fs::path folder = dir_ / c.Name;
      fs::create_directory(folder);
      const fs::path base = folder / "CELL.000";
      WriteAll(base, c.Base());
      if (c.Update) WriteAll(folder / "CELL.001", c.Update());
      TReadings r{c.Name, c.GdalWarning, c.Clockwise, ReadOurs(base), {}, {}};
      r.Ogr = RunOgrinfo(base, r.OgrErrors);
      readings_.push_back(std::move(r));
    }
  }
  static void TearDownTestSuite() {
    readings_.clear();
    // ORVANE_KEEP_GDAL_CELLS keeps the cells, to run ogrinfo on them by hand.
    if (!dir_.empty() && !getenv("ORVANE_KEEP_GDAL_CELLS")) fs::remove_all(dir_);
  }
  void SetUp() override {
    if (std::string(OGRINFO_PATH).empty())
      GTEST_SKIP() << "ogrinfo (Debian's gdal-bin) is not installed; the chart reader is not checked against GDAL";
  }

  static fs::path dir_;
  static std::vector<TReadings> readings_;
};

fs::path S57Gdal::dir_;
std::vector<TReadings> S57Gdal::readings_;

// ---- comparing ------------------------------------------------------------------------------

bool Same(const TEncCoord& a, const TEncCoord& b) {
  return std::abs(a.Lon - b.Lon) < kTolerance && std::abs(a.Lat - b.Lat) < kTolerance;
}

// Consecutive repeats dropped: the chart layer repeats each node where two edges meet.
std::vector<TEncCoord> Deduplicated(const std::vector<TEncCoord>& points) {
  std::vector<TEncCoord> out;
  for (const TEncCoord& p : points)
    if (out.empty() || !Same(out.back(), p)) out.push_back(p);
  return out;
}

// A closed ring from its smallest vertex on, without the closing repeat, its direction kept.
std::vector<TEncCoord> Ring(const std::vector<TEncCoord>& points) {
  std::vector<TEncCoord> r = Deduplicated(points);
  if (r.size() > 1 && Same(r.front(), r.back())) r.pop_back();
  if (r.empty()) return r;
  const auto less = [](const TEncCoord& a, const TEncCoord& b) {
    return std::lround(a.Lon * 1e8) != std::lround(b.Lon * 1e8) ? a.Lon < b.Lon : a.Lat < b.Lat;
  };
  std::rotate(r.begin(), std::min_element(r.begin(), r.end(), less), r.end());
  // GDAL assembles a polygon's rings from its edges as they join, whatever the orientation the
  // feature gives each edge, so its rings run either way; ours follow the orientation (checked
  // apart). Compared here regardless of direction.
  if (r.size() > 2 && less(r.back(), r[1])) std::reverse(r.begin() + 1, r.end());
  return r;
}

// Twice the signed area in square degrees: negative for a ring that runs clockwise.
double SignedArea(const std::vector<TEncCoord>& ring) {
  double sum = 0;
  for (size_t i = 0; i < ring.size(); ++i) {
    const TEncCoord& a = ring[i];
    const TEncCoord& b = ring[(i + 1) % ring.size()];
    sum += a.Lon * b.Lat - b.Lon * a.Lat;
  }
  return sum;
}

std::string Text(const std::vector<TEncCoord>& points) {
  std::string s;
  char buf[64];
  for (const TEncCoord& p : points) {
    std::snprintf(buf, sizeof buf, "(%.8f %.8f %.3f)", p.Lon, p.Lat, p.Depth);
    s += buf;
  }
  return s;
}

bool SamePoints(const std::vector<TEncCoord>& a, const std::vector<TEncCoord>& b, bool depth = false) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!Same(a[i], b[i]) || (depth && std::abs(a[i].Depth - b[i].Depth) > kTolerance)) return false;
  return true;
}

// Each of `ours` matched with one of `theirs` that is the same; what is left over on either side
// is reported.
void ExpectSameSets(const std::string& what, std::vector<std::vector<TEncCoord>> ours,
                    std::vector<std::vector<TEncCoord>> theirs, bool depth = false) {
  for (auto it = ours.begin(); it != ours.end();) {
    const auto match = std::find_if(theirs.begin(), theirs.end(),
                                    [&](const std::vector<TEncCoord>& t) { return SamePoints(*it, t, depth); });
    if (match == theirs.end()) {
      ++it;
      continue;
    }
    theirs.erase(match);
    it = ours.erase(it);
  }
  for (const auto& o : ours) ADD_FAILURE() << what << ": ours only: " << Text(o);
  for (const auto& t : theirs) ADD_FAILURE() << what << ": GDAL's only: " << Text(t);
}

// The class layers of GDAL's reading: every layer but the primitives and the data set's.
bool IsClassLayer(const std::string& name) {
  return name != "DSID" && name != "IsolatedNode" && name != "ConnectedNode" && name != "Edge" && name != "Face";
}

struct TClassGeometry {
  std::vector<std::vector<TEncCoord>> Points, Soundings, Lines, Areas;  // Lines: every stretch
  size_t LineFeatures = 0;
};

std::map<std::string, TClassGeometry> OurClasses(const TOurs& o) {
  std::map<std::string, TClassGeometry> out;
  auto name = [&](int32_t code) { return o.ClassNames.at(code); };
  for (const TEncSpot& p : o.Map->Spots())
    if (!p.Sounding) out[name(p.ObjClass)].Points.push_back({{p.Lon, p.Lat, p.Depth}});
  for (const TEncSpot& p : o.Map->Soundings()) out[name(p.ObjClass)].Soundings.push_back({{p.Lon, p.Lat, p.Depth}});
  for (const TEncShape& l : o.Map->LineShapes()) {
    TClassGeometry& g = out[name(l.ObjClass)];
    ++g.LineFeatures;
    size_t from = 0;
    std::vector<size_t> ends = l.Breaks;
    ends.push_back(l.Points.size());
    for (const size_t end : ends) {
      g.Lines.push_back(
          Deduplicated({l.Points.begin() + static_cast<long>(from), l.Points.begin() + static_cast<long>(end)}));
      from = end;
    }
  }
  for (const TEncKeyedShape& a : o.Map->Areas()) out[name(a.Shape.ObjClass)].Areas.push_back(Ring(a.Shape.Points));
  return out;
}

// GDAL's features sorted the same way: soundings (3-D points), points, lines and the exterior
// rings of areas. The chart layer fills the exterior boundary only and paints the areas inside
// over it, so GDAL's interior rings have no counterpart there.
std::map<std::string, TClassGeometry> GdalClasses(const TOgr& ogr) {
  std::map<std::string, TClassGeometry> out;
  for (const auto& [layer, l] : ogr) {
    if (!IsClassLayer(layer)) continue;
    TClassGeometry& g = out[layer];
    for (const TOgrFeature& f : l.Features) {
      if (f.Geometry == "POINT Z")
        g.Soundings.push_back(f.Parts.at(0));
      else if (f.Geometry == "POINT")
        g.Points.push_back(f.Parts.at(0));
      else if (f.Geometry == "LINESTRING" || f.Geometry == "MULTILINESTRING") {
        // A line whose edges do not all meet comes as several stretches.
        ++g.LineFeatures;
        for (const auto& part : f.Parts) g.Lines.push_back(Deduplicated(part));
      } else if (f.Geometry == "POLYGON")
        g.Areas.push_back(Ring(f.Parts.at(0)));
      else if (f.Geometry.empty() && f.Fields.at("PRIM") == "255")
        continue;  // no geometry: counted with the primitives
      else
        ADD_FAILURE() << layer << ": a feature of geometry " << f.Geometry;
    }
  }
  return out;
}

TEST_F(S57Gdal, GdalReadsEveryCellWithNoComplaintButTheExpectedOne) {
  for (const TReadings& r : readings_) {
    std::string unexpected;
    for (const std::string& line : SplitLines(r.OgrErrors))
      if (!line.empty() && (!r.GdalWarning || line.find(r.GdalWarning) == std::string::npos) &&
          line != "No more warnings will be issued for this dataset.")
        unexpected += line + "\n";
    EXPECT_EQ(unexpected, "") << r.Name;
    EXPECT_TRUE(r.Ogr.count("DSID")) << r.Name;
  }
}

// Features per class and primitive: points, soundings, lines and areas.
TEST_F(S57Gdal, FeatureCountsAgreeClassByClass) {
  for (const TReadings& r : readings_) {
    const auto ours = OurClasses(*r.Ours), theirs = GdalClasses(r.Ogr);
    std::map<std::string, std::string> a, b;
    auto counts = [](const TClassGeometry& g) {
      return std::to_string(g.Points.size()) + " points, " + std::to_string(g.Soundings.size()) + " soundings, " +
             std::to_string(g.LineFeatures) + " lines, " + std::to_string(g.Areas.size()) + " areas";
    };
    for (const auto& [cls, g] : ours) a[cls] = counts(g);
    for (const auto& [cls, g] : theirs)
      if (g.LineFeatures + g.Points.size() + g.Soundings.size() + g.Areas.size() > 0) b[cls] = counts(g);
    EXPECT_EQ(a, b) << r.Name;
  }
}

TEST_F(S57Gdal, PointsAndSoundingsAgreeWithTheirDepths) {
  for (const TReadings& r : readings_) {
    auto ours = OurClasses(*r.Ours), theirs = GdalClasses(r.Ogr);
    for (auto& [cls, g] : theirs) {
      ExpectSameSets(r.Name + " " + cls + " points", ours[cls].Points, g.Points);
      ExpectSameSets(r.Name + " " + cls + " soundings", ours[cls].Soundings, g.Soundings, true);
    }
  }
}

TEST_F(S57Gdal, LinesAgreeVertexByVertex) {
  for (const TReadings& r : readings_) {
    auto ours = OurClasses(*r.Ours), theirs = GdalClasses(r.Ogr);
    for (auto& [cls, g] : theirs) ExpectSameSets(r.Name + " " + cls + " lines", ours[cls].Lines, g.Lines);
  }
}

// Exterior boundaries: along the coast (usage 1) and along the cell's edge (usage 3), masked or
// not, in the boundary's own direction.
TEST_F(S57Gdal, AreaBoundariesAgreeVertexByVertex) {
  for (const TReadings& r : readings_) {
    auto ours = OurClasses(*r.Ours), theirs = GdalClasses(r.Ogr);
    for (auto& [cls, g] : theirs) ExpectSameSets(r.Name + " " + cls + " areas", ours[cls].Areas, g.Areas);
  }
}

// S-57 encodes an area's exterior boundary clockwise through the orientation of each edge
// pointer; the chart layer follows the orientations, so every fill it makes runs clockwise.
TEST_F(S57Gdal, AreaBoundariesFollowTheEdgeOrientations) {
  for (const TReadings& r : readings_) {
    if (!r.Clockwise) continue;
    for (const TEncKeyedShape& a : r.Ours->Map->Areas())
      EXPECT_LT(SignedArea(Deduplicated(a.Shape.Points)), 0)
          << r.Name << " class " << a.Shape.ObjClass << ": " << Text(a.Shape.Points);
  }
}

// What GDAL prints as a value, as the record text gives it: lists "(n:a,b)" as "a,b".
std::string GdalValue(const TOgrFeature& f, const std::string& name) {
  const auto it = f.Fields.find(name);
  if (it == f.Fields.end() || it->second == "(null)") return "(absent)";
  const std::string& v = it->second;
  if (f.Types.at(name).find("List") != std::string::npos && v.size() > 2 && v.front() == '(') {
    const size_t colon = v.find(':');
    return v.substr(colon + 1, v.size() - colon - 2);
  }
  return v;
}

// Attribute values of every feature, matched by record identifier: numbers by value, texts and
// lists as written.
TEST_F(S57Gdal, AttributeValuesAgree) {
  struct TAttr {
    int Code;
    const char* Name;
    bool Number;
  };
  const TAttr attrs[] = {{kBoyshp, "BOYSHP", true}, {kCatcov, "CATCOV", true},  {kCatlam, "CATLAM", true},
                         {kCatwrk, "CATWRK", true}, {kColour, "COLOUR", false}, {kDrval1, "DRVAL1", true},
                         {kDrval2, "DRVAL2", true}, {kObjnam, "OBJNAM", false}, {kValdco, "VALDCO", true},
                         {kValsou, "VALSOU", true}};
  int compared = 0;
  for (const TReadings& r : readings_) {
    const auto text = TextAttributes(r.Ours->Text);
    for (const auto& [layer, l] : r.Ogr) {
      if (!IsClassLayer(layer)) continue;
      for (const TOgrFeature& f : l.Features) {
        const uint32_t rcid = static_cast<uint32_t>(std::stoul(f.Fields.at("RCID")));
        const auto ours = text.find(rcid);
        ASSERT_NE(ours, text.end()) << r.Name << " " << layer << " RCID " << rcid;
        for (const TAttr& a : attrs) {
          if (!f.Types.count(a.Name)) continue;  // not an attribute of the class
          const auto o = ours->second.find(a.Code);
          std::string mine = o == ours->second.end() ? "(absent)" : o->second;
          const std::string theirs = GdalValue(f, a.Name);
          const std::string where = r.Name + " " + layer + " RCID " + std::to_string(rcid) + " " + a.Name;
          // An empty value is an unknown one; GDAL has no number for it.
          if (a.Number && mine.empty()) mine = "(absent)";
          if (a.Number && mine != "(absent)" && theirs != "(absent)")
            EXPECT_DOUBLE_EQ(std::stod(mine), std::stod(theirs)) << where;
          else
            EXPECT_EQ(mine, theirs) << where;
          ++compared;
        }
      }
    }
  }
  EXPECT_GT(compared, 20);
}

// What the chart layer shows of the four attributes it reads against GDAL's values.
TEST_F(S57Gdal, TheDrawnAttributesAgree) {
  for (const TReadings& r : readings_) {
    std::multiset<std::string> ours, theirs;
    auto row = [](double d1, double d2, double valsou, const std::string& name) {
      char buf[128];
      std::snprintf(buf, sizeof buf, "%g|%g|%g|", d1, d2, valsou);
      return buf + name;
    };
    // GDAL leaves out a name where the object catalogue gives the class none (see the case table).
    auto add = [&](int32_t code, const TEncAttributes& a) {
      const auto layer = r.Ogr.find(r.Ours->ClassNames.at(code));
      const bool named =
          layer != r.Ogr.end() && !layer->second.Features.empty() && layer->second.Features[0].Types.count("OBJNAM");
      ours.insert(row(a.Drval1, a.Drval2, a.Valsou, named ? a.Objnam : ""));
    };
    for (const TEncSpot& p : r.Ours->Map->Spots())
      if (!p.Sounding) add(p.ObjClass, p.Attributes);
    for (const TEncShape& l : r.Ours->Map->LineShapes()) add(l.ObjClass, l.Attributes);
    for (const TEncKeyedShape& a : r.Ours->Map->Areas()) add(a.Shape.ObjClass, a.Shape.Attributes);
    auto number = [](const TOgrFeature& f, const char* name) {
      const std::string v = GdalValue(f, name);
      return v == "(absent)" ? kEncNoValue : std::stod(v);
    };
    for (const auto& [layer, l] : r.Ogr) {
      if (!IsClassLayer(layer)) continue;
      for (const TOgrFeature& f : l.Features) {
        if (f.Geometry == "POINT Z" || f.Geometry.empty()) continue;  // soundings, and nothing to draw
        const std::string name = GdalValue(f, "OBJNAM");
        theirs.insert(
            row(number(f, "DRVAL1"), number(f, "DRVAL2"), number(f, "VALSOU"), name == "(absent)" ? "" : name));
      }
    }
    EXPECT_EQ(ours, theirs) << r.Name;
  }
}

// The vector records by kind, the features by primitive and the extent over the vector records, as
// `orvane-map info` prints them.
TEST_F(S57Gdal, CountsByPrimitiveAndExtentAgree) {
  for (const TReadings& r : readings_) {
    const TLayerDescription d = r.Ours->Map->Describe();
    std::map<std::string, std::string> counts;
    for (const TLayerFact& f : d.Counts) counts[f.Name] = f.Value;
    const std::pair<const char*, const char*> kinds[] = {
        {"isolated nodes", "IsolatedNode"}, {"connected nodes", "ConnectedNode"}, {"edges", "Edge"}};
    for (const auto& [ours, theirs] : kinds) {
      ASSERT_TRUE(r.Ogr.count(theirs)) << r.Name << " " << theirs;
      EXPECT_EQ(counts[ours], std::to_string(r.Ogr.at(theirs).Features.size())) << r.Name << " " << ours;
    }
    // Features by primitive; GDAL's soundings come one feature each, so records are counted.
    std::map<std::string, std::string> prims;
    for (const auto& [layer, l] : r.Ogr)
      if (IsClassLayer(layer))
        for (const TOgrFeature& f : l.Features) prims[f.Fields.at("RCID")] = f.Fields.at("PRIM");
    int byPrim[4] = {};
    for (const auto& [rcid, prim] : prims) ++byPrim[prim == "1" || prim == "2" || prim == "3" ? std::stoi(prim) : 0];
    EXPECT_EQ(counts["features"], std::to_string(prims.size()) + " (" + std::to_string(byPrim[1]) + " points, " +
                                      std::to_string(byPrim[2]) + " lines, " + std::to_string(byPrim[3]) + " areas, " +
                                      std::to_string(byPrim[0]) + " without geometry)")
        << r.Name;
    ASSERT_TRUE(d.Extent) << r.Name;
    ASSERT_TRUE(r.Ogr.at("Edge").Extent) << r.Name;
    const TViewBox& a = *d.Extent;
    const TViewBox& b = *r.Ogr.at("Edge").Extent;
    // ogrinfo prints the extent with six decimals.
    EXPECT_NEAR(a.West, b.West, 5e-7) << r.Name;
    EXPECT_NEAR(a.South, b.South, 5e-7) << r.Name;
    EXPECT_NEAR(a.East, b.East, 5e-7) << r.Name;
    EXPECT_NEAR(a.North, b.North, 5e-7) << r.Name;
  }
}

// Edition, update number, horizontal datum and the scale factors, as `orvane-map info` prints
// them, against GDAL's data set record.
TEST_F(S57Gdal, DataSetParametersAgree) {
  for (const TReadings& r : readings_) {
    ASSERT_EQ(r.Ogr.at("DSID").Features.size(), 1u) << r.Name;
    const TOgrFeature& ds = r.Ogr.at("DSID").Features[0];
    const TLayerDescription d = r.Ours->Map->Describe();
    std::map<std::string, std::string> details;
    for (const TLayerFact& f : d.Details) details[f.Name] = f.Value;
    EXPECT_EQ(details["scale factors"], "COMF " + ds.Fields.at("DSPM_COMF") + ", SOMF " + ds.Fields.at("DSPM_SOMF"))
        << r.Name;
    EXPECT_EQ(details["updates"].substr(0, details["updates"].find(", issued")),
              "edition " + ds.Fields.at("DSID_EDTN") + ", up to update " + ds.Fields.at("DSID_UPDN"))
        << r.Name;
    EXPECT_EQ(d.Datum.substr(0, d.Datum.find(',')),
              ds.Fields.at("DSPM_HDAT") == "2" ? std::string("WGS 84 (HDAT 2)") : "HDAT " + ds.Fields.at("DSPM_HDAT"))
        << r.Name;
  }
}

}  // namespace
}  // namespace orvane
