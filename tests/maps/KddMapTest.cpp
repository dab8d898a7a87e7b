// SPDX-License-Identifier: GPL-3.0-or-later
// The Digital Map 2500 layer: area folders written here by one writer, loaded under both map
// datums, broken in the ways real files break, and drawn onto the recording canvas.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/HostConv.h"
#include "geodrel.h"
#include "maps/PlaneRect.h"
#include "maps/UKddMap.h"
#include "tests/common/TempFiles.h"
#include "tests/track/RecordingCanvas.h"

namespace orvane {
namespace {

using test::RecordingCanvas;
using test::TCanvasOp;

// The drawing view: 0.1 degree on 1000 pixels both ways near the origin of zone 9.
constexpr double kWest = 139.8, kEast = 139.9, kSouth = 36.0, kNorth = 36.07;
constexpr int kWidth = 1000, kHeight = 700;

// The centre of a pixel of that view, so that truncation has half a pixel to spare.
TKddPos Px(int x, int y) { return {kWest + (x + 0.5) / 10000, kNorth - (y + 0.5) / 10000}; }

struct TArcDef {
  int Id;
  std::vector<TKddPos> Points;
  std::string Class = "1";
};
struct TPgnDef {
  std::string Id;
  std::vector<int> Arcs;
  TKddPos Label;
};
struct TPntDef {
  std::string Id;
  TKddPos Pos;
};

// An area: metadata, arcs and their attributes, one polygon type, point files, the styles that
// go into the sections; any file may be replaced by a text of its own.
struct TArea {
  int Zone = 9;
  int DatumFlag = 0;
  std::vector<TArcDef> Arcs;
  std::vector<std::string> ArcAttrs;
  std::vector<TPgnDef> Pgns;
  std::vector<std::string> PgnAttrs;
  std::vector<std::vector<TPntDef>> PntFiles;
  std::vector<std::vector<std::string>> PntAttrs;
  // Section fields from 2 on: outline zoom, switch, colour; fill zoom, switch, colour, field 5,
  // fields 6 to 10, label field, label zoom.
  std::string ArcStyle = "0.1,1,$00FF00";
  std::string PgnStyle = "0.1,1,$C0C0C0,0,-,-,-,-,-,2,0";
  int PntLabelField = 3;
  std::map<std::string, std::string> Replace;
};

constexpr double kDx = 1000.5, kDy = -2000.25;  // every file's offsets

std::string XY(const TKddPos& p) {
  double X = 0, Y = 0;
  GeodeticToPlane(9, p.Lat, p.Lon, X, Y);
  char buf[80];
  std::snprintf(buf, sizeof buf, "%.6f,%.6f", X - kDx, Y - kDy);
  return buf;
}

std::string Header(size_t count) {
  return "H,-,-,-," + std::to_string(count) + ",-,-,-," + FormatShortest(kDx) + "," + FormatShortest(kDy) + "\r\n";
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string s = "header\r\n";
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

// Shortest text that reads back to the same double, for thresholds that must equal Z exactly.
std::string Exact(double v) {
  char buf[64];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

class KddMapTest : public TempDir {
protected:
  // Writes the area as the folder <dir>/13101 and the sections that name its files.
  std::string Write(const TArea& a) {
    const std::filesystem::path folder = dir / "13101";
    std::filesystem::create_directories(folder);
    std::map<std::string, std::string> files;
    files["13101.txt"] =
        "1\n2\n3\n4\n5\n6\n" + std::to_string(a.Zone) + ",-,-,-,-,-,-,-,-," + std::to_string(a.DatumFlag) + "\n8\n9\n";
    std::string arcs = Header(0);
    for (const TArcDef& arc : a.Arcs) {
      arcs +=
          "L1101,\"" + arc.Class + "\"," + std::to_string(arc.Id) + "," + std::to_string(arc.Points.size()) + "\r\n";
      for (const TKddPos& p : arc.Points) arcs += XY(p) + "\r\n";
      arcs += "N,between arcs\r\n";
    }
    files["arc.txt"] = arcs;
    files["arcatr.txt"] = Lines(a.ArcAttrs);
    std::string pgns = Header(a.Pgns.size());
    for (const TPgnDef& p : a.Pgns) {
      pgns += "A1101," + p.Id + "," + std::to_string(p.Arcs.size()) + "," + XY(p.Label) + "\r\n";
      for (const int id : p.Arcs) pgns += std::to_string(id) + "\r\n";
    }
    files["pgn.txt"] = pgns;
    files["pgnatr.txt"] = Lines(a.PgnAttrs);
    arcList = {"ARC00=Edge,\\arc.txt," + a.ArcStyle};
    atrList = {"ATR00=EdgeAttr,\\arcatr.txt,0,-,9,-,-,0,1"};
    pgnList = {"PGN00=Town,\\pgn.txt," + a.PgnStyle + ",\\pgnatr.txt"};
    pntList.clear();
    for (size_t k = 0; k < a.PntFiles.size(); ++k) {
      const std::string n = std::to_string(k);
      std::string pnts = Header(a.PntFiles[k].size());
      for (const TPntDef& p : a.PntFiles[k]) pnts += "P1101," + p.Id + "," + XY(p.Pos) + "\r\n";
      files["pnt" + n + ".txt"] = pnts;
      if (k < a.PntAttrs.size()) files["pntatr" + n + ".txt"] = Lines(a.PntAttrs[k]);
      pntList.push_back("PNT0" + n + "=Place,\\pnt" + n + ".txt,0,-,9,-,-,0," + std::to_string(a.PntLabelField) +
                        ",\\pntatr" + n + ".txt");
    }
    for (const auto& [name, text] : a.Replace) files[name] = text;
    for (const auto& [name, text] : files) WriteAll(folder / name, text);
    return folder.string();
  }

  std::vector<std::string> arcList, atrList, pgnList, pntList;
  std::string mapDatum = "Tokyo";
  TColor bgColor = 0x123456;
  TKddMap map{{arcList, atrList, pgnList, pntList, mapDatum, bgColor}};
};

void ExpectNear(const TKddPos& got, const TKddPos& want) {
  EXPECT_NEAR(got.Lon, want.Lon, 1e-9);
  EXPECT_NEAR(got.Lat, want.Lat, 1e-9);
}

// Three arcs, the last of class 5; polygon 1 runs arc 12 forwards, 13 backwards and names an
// arc the area lacks; polygon 2 is arc 14 alone. Two point files with their own attributes.
TArea StandardArea() {
  TArea a;
  a.Arcs = {{13, {Px(300, 100), Px(300, 300), Px(100, 300)}},
            {12, {Px(100, 100), Px(200, 100), Px(300, 100)}},
            {14, {Px(600, 400), Px(700, 400), Px(700, 500), Px(600, 400)}, "5"}};
  a.ArcAttrs = {"E1101,12,edge twelve", "E1101,13,edge thirteen"};
  a.Pgns = {{"1", {12, -13, 99}, Px(200, 200)}, {"2", {14}, Px(650, 450)}};
  a.PgnAttrs = {"A1101,2,\x93\x8c\x8b\x9e", "A1101,1,town"};
  a.PntFiles = {{{"1", Px(50, 50)}, {"2", Px(60, 60)}, {"3", Px(70, 70)}}, {{"1", Px(80, 80)}, {"9", Px(90, 90)}}};
  a.PntAttrs = {{"P1101,1,a,one", "P1101,9,z,nine"}, {"P1101,1,b,uno"}};
  return a;
}

TEST_F(KddMapTest, FolderAndFileNames) {
  EXPECT_EQ(TKddMap::MetadataFileName("/data/13101"), "/data/13101/13101.txt");
  EXPECT_EQ(TKddMap::MetadataFileName("/data/13101/"), std::nullopt);
  EXPECT_EQ(TKddMap::AreaFileName("/data/13101", "\\arc.txt"), "/data/13101/arc.txt");
  EXPECT_EQ(TKddMap::AreaFileName("/data/13101", "arc.txt"), "/data/13101arc.txt");

  const std::string folder = Write(StandardArea());
  ASSERT_TRUE(map.Load(folder));
  // A trailing slash, or a folder without its metadata, is no area; what was held stays.
  EXPECT_FALSE(map.Load(folder + "/"));
  EXPECT_FALSE(map.Load((dir / "missing").string()));
  EXPECT_EQ(map.Arcs().size(), 3u);
}

TEST_F(KddMapTest, LoadsEveryFileKind) {
  ASSERT_TRUE(map.Load(Write(StandardArea())));
  EXPECT_EQ(map.Zone(), 9);

  ASSERT_EQ(map.Arcs().size(), 3u);
  EXPECT_EQ(map.Arcs()[0].Id, "0000012");  // sorted by id
  EXPECT_EQ(map.Arcs()[0].KindCode + "/" + map.Arcs()[0].SubCode, "L11/01");
  ASSERT_EQ(map.ArcAttributes().size(), 2u);
  EXPECT_EQ(map.ArcAttributes()[1], std::make_pair(std::string("0000013"), std::string("E1101,13,edge thirteen")));

  const std::vector<TKddPgn>& pgns = map.Polygons()[0];
  ASSERT_EQ(pgns.size(), 2u);
  const TKddPgn& p = pgns[0];
  EXPECT_EQ(p.ArcCount, 3);
  EXPECT_EQ(p.Reversed, (std::vector<bool>{false, true, false}));
  EXPECT_EQ(p.Arcs[2], -1);  // arc 99 is not in the area
  ASSERT_EQ(p.PointCount, 6);
  const TKddPos order[] = {Px(100, 100), Px(200, 100), Px(300, 100), Px(100, 300), Px(300, 300), Px(300, 100)};
  for (size_t k = 0; k < 6; ++k) ExpectNear(p.Points[k], order[k]);
  EXPECT_NEAR(p.Box.MinLon, Px(100, 0).Lon, 1e-9);
  EXPECT_NEAR(p.Box.MaxLat, Px(0, 100).Lat, 1e-9);
  ExpectNear(p.Label, Px(200, 200));
  EXPECT_EQ(p.Attribute, "A1101,1,town");
  EXPECT_EQ(p.LabelText, "town");
  EXPECT_EQ(pgns[1].LabelText, "\xE6\x9D\xB1\xE4\xBA\xAC");  // decoded from Shift_JIS

  // Both files' points, each file with its own attribute lines.
  ASSERT_EQ(map.PointCount(), 5);
  EXPECT_EQ(map.Points()[0].Attribute, "P1101,1,a,one");
  EXPECT_EQ(map.Points()[3].Attribute, "P1101,1,b,uno");
  EXPECT_EQ(map.Points()[4].Attribute, "");
  EXPECT_EQ(map.Points()[3].TypeIndex, 1);
  ASSERT_TRUE(map.Extent());
  EXPECT_NEAR(map.Extent()->West, Px(50, 0).Lon, 1e-9);
  EXPECT_NEAR(map.Extent()->South, Px(0, 500).Lat, 1e-9);

  // A second area replaces the first whole.
  TArea small;
  small.PntFiles = {{{"1", Px(1, 1)}}};
  ASSERT_TRUE(map.Load(Write(small)));
  EXPECT_TRUE(map.Arcs().empty());
  EXPECT_EQ(map.PointCount(), 1);
}

TEST_F(KddMapTest, DatumStepFollowsTheFlagAndTheMapDatum) {
  const TKddPos at = Px(500, 350);
  struct Case {
    const char* mapDatum;
    int flag;
    bool shifted;
  } cases[] = {{"Tokyo", 0, false}, {"Tokyo", 1, true}, {"WGS 84", 0, false}, {"WGS 84", 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mapDatum) + " " + std::to_string(c.flag));
    TArea a;
    a.DatumFlag = c.flag;
    a.PntFiles = {{{"1", at}}};
    mapDatum = c.mapDatum;
    ASSERT_TRUE(map.Load(Write(a)));
    EXPECT_EQ(map.DataDatum(), c.flag ? "WGS 84" : "");
    const TKddPos got = map.Points()[0].Pos;
    if (!c.shifted) {
      ExpectNear(got, at);
      continue;
    }
    TGeoPoint in{DegToDms(at.Lat), DegToDms(at.Lon), 0}, out{};
    DmsConv("WGS 84", "Tokyo", &in, &out);
    ExpectNear(got, {DmsToDeg(out.lon), DmsToDeg(out.lat)});
    // Some ten arc-seconds in the Kanto plain.
    EXPECT_GT(std::hypot(got.Lon - at.Lon, got.Lat - at.Lat) * 3600, 5);
  }
}

TEST_F(KddMapTest, SectionLines) {
  struct Case {
    std::vector<std::string> pgn, filled;
    const char* error;
  } cases[] = {
      {{"# a comment", "PGN02=T,\\b.txt,0,0,0,0,-,-,-,-,-,0,0,-", "PGN00=T,\\a.txt,0,0,0,0,-,-,-,-,-,0,0,-"},
       {"\\a.txt", "", "\\b.txt"},
       nullptr},
      // Numbers past the table, or below it, describe no entry.
      {{"PGN07=T,x,0,0,0,0,-,-,-,-,-,0,0,-", "PGN-1=T,y,0,0,0,0,-,-,-,-,-,0,0,-"}, {"", ""}, nullptr},
      {{"PGNab=T,x"}, {}, "[KDDPGN], line 1: 'ab' is not a valid integer"},
      {{"", "P="}, {}, "[KDDPGN], line 2: '' is not a valid integer"},
      {{"PGN00=T,x,0,0,0"}, {}, "[KDDPGN], line 1: 5 fields where 14 are needed"},
      {{"PGN00=T,x,zero,0,0,0,-,-,-,-,-,0,0,-"}, {}, "[KDDPGN], line 1: 'zero' is not a valid floating point"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pgn.front());
    try {
      const TKddTypeTables t = ReadKddTypeTables({}, {}, c.pgn, {});
      ASSERT_EQ(c.error, nullptr);
      ASSERT_EQ(t.Pgn.size(), c.filled.size());
      for (size_t i = 0; i < c.filled.size(); ++i) EXPECT_EQ(t.Pgn[i].FileName, c.filled[i]);
    } catch (const std::runtime_error& e) {
      ASSERT_NE(c.error, nullptr) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
    }
  }
  const TKddTypeTables t =
      ReadKddTypeTables({"ARC00=E,\\e.txt,0.5,1,$FF00"}, {}, {}, {"PNT00=P,\\p.txt,1.5,-,9,-,-,$FF,3,\\pa.txt"});
  EXPECT_EQ(t.Arc[0].OutlineZoom, 0.5);
  EXPECT_EQ(t.Arc[0].OutlineColor, 0xFF00);
  EXPECT_EQ(t.Pnt[0].LabelField, 3);
  EXPECT_EQ(t.Pnt[0].AtrFileName, "\\pa.txt");
}

TEST_F(KddMapTest, BrokenFiles) {
  const std::string ok = "L1101,1,12,2\r\n1,2\r\n3,4\r\n";
  // The error is part of the message, or null when the load succeeds.
  struct Case {
    const char* name;
    std::string file, text;
    const char* error;
    std::function<void(const TKddMap&)> check;
  };
  const Case cases[] = {
      {"points past the header's count", "pnt0.txt", Header(2) + "P,1,1,2\nP,2,1,2\nP,3,1,2\nP,4,x,y\n", nullptr,
       [](const TKddMap& m) { EXPECT_EQ(m.PointCount(), 2); }},
      {"fewer points than counted", "pnt0.txt", Header(9) + "P,1,1,2\n", nullptr,
       [](const TKddMap& m) { EXPECT_EQ(m.PointCount(), 1); }},
      {"polygon count past the file", "pgn.txt", Header(0).replace(8, 1, "2000000000") + "A1,1,1,0,0\n12\n", nullptr,
       [](const TKddMap& m) { EXPECT_EQ(m.Polygons()[0].size(), 1u); }},
      {"other record lines fill nothing", "pgn.txt", Header(3) + "X,no polygon\nA1,7,1,0,0\n-12\n", nullptr,
       [](const TKddMap& m) {
         ASSERT_EQ(m.Polygons()[0].size(), 2u);  // the file holds two of the three records
         EXPECT_EQ(m.Polygons()[0][0].TypeCode, "");
         EXPECT_EQ(m.Polygons()[0][1].Id, "7");
         EXPECT_EQ(m.Polygons()[0][1].Reversed, std::vector<bool>{true});
       }},
      {"arc point count past the file", "arc.txt", Header(0) + "L1101,1,12,1000000\n1,2\n3,4\n", nullptr,
       [](const TKddMap& m) { EXPECT_EQ(m.Arcs()[0].PointCount, 2); }},
      {"a coordinate that is no number", "arc.txt", Header(0) + "L1101,1,12,2\n1,2\n3,4x\n",
       "arc.txt, line 4: '4x' is not a valid floating point value", nullptr},
      {"a coordinate too far from the zone", "arc.txt", Header(0) + "L1101,1,12,2\n1,2\n3,1e300\n",
       "arc.txt, line 4: X 1003.5, Y 1e+300 of zone 9 are too far", nullptr},
      {"a point too far from the zone", "pnt0.txt", Header(1) + "P,1,1e200,2\n", "pnt0.txt, line 2: X 1e+200", nullptr},
      {"an arc line that is no number", "pgn.txt", Header(1) + "A1,1,1,0,0\n12 13\n",
       "pgn.txt, line 3: '12 13' is not a valid integer value", nullptr},
      {"a short header", "arc.txt", "H,1,2\n" + ok, "arc.txt, line 1: 3 fields where 10 are needed", nullptr},
      {"an empty file", "pnt0.txt", "", "pnt0.txt, line 1: 0 fields where 10 are needed", nullptr},
      {"a short point line", "pnt0.txt", Header(2) + "P,1,5\n", "pnt0.txt, line 2: 3 fields where 4 are needed",
       nullptr},
      {"an attribute key that is no number", "arcatr.txt", "h\nE,twelve\n",
       "arcatr.txt, line 2: 'twelve' is not a valid integer", nullptr},
      {"a zone that does not exist", "13101.txt", "1\n2\n3\n4\n5\n6\n20,-,-,-,-,-,-,-,-,0\n",
       "13101.txt, line 7: plane rectangular zone 20", nullptr},
      {"a metadata file without line 7", "13101.txt", "1\n2\n3\n", "13101.txt, line 7: 0 fields where 10 are needed",
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TArea a;
    a.Replace["arc.txt"] = Header(0) + ok;
    a.Replace["pgn.txt"] = Header(0);
    a.Replace["pnt0.txt"] = Header(0);
    a.PntFiles = {{}};
    a.Replace[c.file] = c.text;
    const std::string folder = Write(a);
    try {
      ASSERT_TRUE(map.Load(folder));
      ASSERT_EQ(c.error, nullptr);
      c.check(map);
    } catch (const std::runtime_error& e) {
      ASSERT_NE(c.error, nullptr) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
    }
  }
  // A broken metadata file leaves the area that was loaded before.
  ASSERT_TRUE(map.Load(Write(StandardArea())));
  TArea bad = StandardArea();
  bad.Zone = 0;
  EXPECT_THROW(map.Load(Write(bad)), EKddFormatError);
  EXPECT_EQ(map.Arcs().size(), 3u);
}

// Loads an area and draws it on the standard view.
class KddDrawTest : public KddMapTest {
protected:
  void LoadAndDraw(const TArea& a, double east = kEast) {
    ASSERT_TRUE(map.Load(Write(a)));
    canvas.Reset();
    map.Draw(canvas, {kWest, kSouth, east, kNorth});
  }
  RecordingCanvas canvas{kWidth, kHeight};
};

TEST_F(KddDrawTest, EmptyLayerDrawsTheScaleFigure) {
  RecordingCanvas c(700, 500);
  map.Draw(c, {139, 35, 140, 36});
  ASSERT_EQ(c.Calls.size(), 1u);
  EXPECT_EQ(c.Calls[0].Op, TCanvasOp::TextOut);
  EXPECT_EQ(c.Calls[0].Text, "700.00 ");
  EXPECT_EQ(c.Calls[0].At, (TPoint{630, 0}));
  EXPECT_EQ(c.Calls[0].State.BrushColor, 0x123456);
}

TEST_F(KddDrawTest, EachPolygonIsFilledThenOutlinedWithoutClassFive) {
  LoadAndDraw(StandardArea());
  std::vector<TCanvasOp> ops;
  for (const auto& c : canvas.Calls)
    if (c.Op == TCanvasOp::Polygon || c.Op == TCanvasOp::Polyline) ops.push_back(c.Op);
  // Polygon 1: its fill, arcs 12 and 13; polygon 2: its fill, and its class 5 arc not at all.
  EXPECT_EQ(ops, (std::vector{TCanvasOp::Polygon, TCanvasOp::Polyline, TCanvasOp::Polyline, TCanvasOp::Polygon}));
  const auto fills = canvas.Of(TCanvasOp::Polygon);
  EXPECT_EQ(fills[0]->Points,
            (std::vector<TPoint>{{100, 100}, {200, 100}, {300, 100}, {100, 300}, {300, 300}, {300, 100}}));
  EXPECT_EQ(fills[0]->State.BrushColor, 0xC0C0C0);
  EXPECT_EQ(fills[0]->State.PenStyle, TPenStyle::Clear);
  const auto outlines = canvas.Of(TCanvasOp::Polyline);
  // Arcs are outlined in their own direction, whatever the polygon's.
  EXPECT_EQ(outlines[1]->Points, (std::vector<TPoint>{{300, 100}, {300, 300}, {100, 300}}));
  EXPECT_EQ(outlines[1]->State.PenColor, 0x00FF00);
  EXPECT_EQ(outlines[1]->State.PenStyle, TPenStyle::Solid);

  // Labels, then points in red with their labels, then the scale on the background colour.
  const auto texts = canvas.Texts();
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[0], std::make_pair(TPoint{200, 200}, std::string("town")));
  EXPECT_EQ(texts[1].second, "\xE6\x9D\xB1\xE4\xBA\xAC");
  EXPECT_EQ(texts[2], std::make_pair(TPoint{50, 50}, std::string("one")));
  EXPECT_EQ(texts[3], std::make_pair(TPoint{80, 80}, std::string("uno")));
  EXPECT_EQ(texts[4], std::make_pair(TPoint{930, 0}, std::string("10000.00 ")));
  const auto marks = canvas.Of(TCanvasOp::Ellipse);
  ASSERT_EQ(marks.size(), 5u);
  EXPECT_EQ(marks[0]->Rect, (TRect{47, 47, 53, 53}));
  EXPECT_EQ(marks[0]->State.PenColor, clRed);
  EXPECT_EQ(marks[0]->State.PenWidth, 2);
  EXPECT_EQ(canvas.State.BrushColor, 0x123456);
}

TEST_F(KddDrawTest, ZoomThresholds) {
  // A view twice as wide: 5000 pixels a degree.
  const double east = kWest + 0.2;
  const double sx = kWidth / (east - kWest);
  const double Z = sx / 3600 + 0.00001;
  const std::string z = Exact(Z), above = Exact(std::nextafter(Z, 10.0));
  struct Case {
    std::string arcStyle, pgnStyle;
    size_t fills, outlines, labels;
  } cases[] = {
      {"0,1,0", "" + z + ",1,255,0,-,-,-,-,-,2," + z, 2, 2, 2},      // fills and labels at Z itself
      {"" + z + ",1,0", "0,1,255,0,-,-,-,-,-,2," + above, 2, 0, 0},  // outlines need more than Z
      {"0,1,0", "" + above + ",1,255,0,-,-,-,-,-,2,0", 0, 0, 2},     // no fill, no outline either
      {"0,1,0", "0,0,255,0,-,-,-,-,-,2,0", 0, 2, 2},                 // outlines alone
      {"0,0,0", "0,1,255,0,-,-,-,-,-,3,0", 2, 0, 0},                 // label field past the line
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arcStyle + " / " + c.pgnStyle);
    TArea a = StandardArea();
    a.ArcStyle = c.arcStyle;
    a.PgnStyle = c.pgnStyle;
    a.PntFiles.clear();
    LoadAndDraw(a, east);
    EXPECT_EQ(canvas.Of(TCanvasOp::Polygon).size(), c.fills);
    EXPECT_EQ(canvas.Of(TCanvasOp::Polyline).size(), c.outlines);
    EXPECT_EQ(canvas.Texts().size(), c.labels + 1);
  }
}

TEST_F(KddDrawTest, ViewCullsPolygonsButNotPointsOrLabels) {
  TArea a = StandardArea();
  a.Arcs.push_back({20, {Px(-200, 100), Px(-100, 100), Px(-100, 200)}});  // west of the view
  a.Arcs.push_back({21, {Px(-50, 20), Px(0, 0)}});                        // reaching into it
  a.Pgns = {{"1", {20}, Px(-150, 150)}, {"2", {21}, Px(10, 10)}};
  a.PntFiles = {{{"1", {kWest, kNorth}}}};
  a.PntLabelField = 0;
  LoadAndDraw(a);
  ASSERT_EQ(canvas.Of(TCanvasOp::Polygon).size(), 1u);
  EXPECT_EQ(canvas.Of(TCanvasOp::Polygon)[0]->Points.back(), (TPoint{0, 0}));
  // Truncation toward zero: -149.5 is pixel -149.
  EXPECT_EQ(canvas.Texts()[0], std::make_pair(TPoint{-149, 150}, std::string("town")));
  EXPECT_EQ(canvas.Of(TCanvasOp::Ellipse)[0]->Rect, (TRect{-3, -3, 3, 3}));
}

}  // namespace
}  // namespace orvane
