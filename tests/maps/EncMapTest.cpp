// SPDX-License-Identifier: GPL-3.0-or-later
// The chart layer: the object class table, the converter's text read in two passes, the
// drawing, and the converter run around a private temporary file.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/HostConv.h"
#include "maps/UEncMap.h"
#include "tests/common/CommaLocale.h"
#include "tests/common/TempFiles.h"
#include "tests/track/RecordingCanvas.h"

namespace orvane {
namespace {

using test::RecordingCanvas;
using test::TCanvasOp;

std::string S(long long v) { return std::to_string(v); }

std::string Name(int rcnm, uint32_t id) {
  char b[16];
  std::snprintf(b, sizeof b, "00%02X%02X%02X%02X%02X", rcnm, id & 255, (id >> 8) & 255, (id >> 16) & 255, id >> 24);
  return b;
}

struct Ptr {
  int rcnm;
  uint32_t id;
  int ornt = 1;
  int usag = 1;
};

// The converter's text: records from RECN to ****, field lines "0TAG count,TAG,values".
class Chart {
public:
  Chart& Dspm(int comf, int somf) { return Record({"DSPM 1,DSPM,COMF=" + S(comf) + ",SOMF=" + S(somf)}); }
  // A node (110, 120) or an edge (130, naming its connected nodes); values y, x (and depth).
  Chart& Vector(int rcnm, uint32_t id, std::vector<long long> values, std::vector<uint32_t> nodes = {}, int dims = 2) {
    std::string sg = (dims == 3 ? "SG3D " : "SG2D ") + S(static_cast<long long>(values.size()) / dims) + ",SG";
    for (long long v : values) sg += "," + S(v);
    std::vector<std::string> lines = {"VRID 1,VRID,RCNM=" + S(rcnm) + ",RCID=" + S(id) + ",RVER=1", sg};
    if (!nodes.empty()) {
      std::string p = "VRPT " + S(static_cast<long long>(nodes.size())) + ",VRPT";
      for (uint32_t n : nodes) p += ",NAME=" + Name(120, n) + ",ORNT=255,USAG=255,TOPI=1,MASK=255";
      lines.push_back(p);
    }
    return Record(lines);
  }
  // With attributes (code, value), written as the converter writes ATTF.
  Chart& Feature(int objl, int prim, std::vector<Ptr> ptrs, std::vector<std::pair<int, std::string>> attrs = {}) {
    std::string f = "FSPT " + S(static_cast<long long>(ptrs.size())) + ",FSPT";
    for (const Ptr& p : ptrs)
      f += ",NAME=" + Name(p.rcnm, p.id) + ",ORNT=" + S(p.ornt) + ",USAG=" + S(p.usag) + ",MASK=255";
    std::vector<std::string> lines = {"FRID 1,FRID,RCID=" + S(++frid_) + ",PRIM=" + S(prim) +
                                      ",GRUP=2,OBJL=" + S(objl)};
    if (!attrs.empty()) {
      std::string a = "ATTF " + S(static_cast<long long>(attrs.size())) + ",2";
      for (const auto& [code, value] : attrs) a += ",ATTL=" + S(code) + ",\"ATVL=" + value + "\"";
      lines.push_back(a);
    }
    lines.push_back(f);
    return Record(lines);
  }
  Chart& Record(const std::vector<std::string>& fields) {
    text_ += "RECN 1\n";
    for (const std::string& f : fields) text_ += "0" + f + "\n";
    text_ += "****\n";
    return *this;
  }
  const std::string& Text() const { return text_; }

private:
  std::string text_;
  int frid_ = 0;
};

// A square edge ring around (lat, lon) of side `side`, as edge `id` from node id to node id.
Chart& Square(Chart& c, uint32_t id, long long lat, long long lon, long long side) {
  return c.Vector(120, id, {lat, lon})
      .Vector(130, id, {lat + side, lon, lat + side, lon + side, lat, lon + side}, {id, id});
}

class FakeConverter : public TEncConverter {
public:
  std::function<void(const std::string& chart, const std::string& output)> Run;
  std::vector<std::string> Outputs;
  void Convert(const std::string& chart, const std::string& output) override {
    Outputs.push_back(output);
    if (Run) Run(chart, output);
  }
  void Writes(const std::string& text) {
    Run = [text](const std::string&, const std::string& out) { WriteAll(out, text); };
  }
};

constexpr const char* kClasses =
    "# code name show second colour symbol width\n"
    "#,,, anything after the mark is a comment\n"
    "30 COALNE 1 0 $0000FF 0 2\n"
    "42,DEPARE,1,0,0xFF0000,0,1\n"
    "71,LNDARE,0,0,$00FF00,0,1\n"
    "75,LIGHTS,1,7,0,4,1\n"
    "17,BOYLAT,1,0,0,0,1\n"
    "129,SOUNDG,1,0,0,2,1\n"
    "505,BEYOND,1,0,0,1,1\n";

class EncMapTest : public TempDir {
protected:
  void SetUp() override {
    TempDir::SetUp();
    WriteAll(dir / "Marlisk.ini", kClasses);
    map = std::make_unique<TEncMap>(converter, (dir / "Marlisk.ini").string());
  }
  void Read(const Chart& c) { map->ReadConverted(c.Text(), "chart.txt"); }
  std::string ErrorOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const std::exception& e) {
      return e.what();
    }
    return "(no error)";
  }
  FakeConverter converter;
  std::unique_ptr<TEncMap> map;
};

TEST_F(EncMapTest, ClassTableIsReadStrictly) {
  const TEncClassTable& t = map->Classes();
  EXPECT_EQ(t[30], (TEncObjClass{"COALNE", 1, 0, 0x0000FF, 0, 2}));
  EXPECT_TRUE(t[42].Color == 0xFF0000 && t[75].Second == 7 && t[1] == TEncObjClass{});
  struct Case {
    const char* text;
    const char* found;  // the line number and the text named in the message
  };
  const Case cases[] = {
      {"30 COALNE 1 0 0 0 2\n\n", "line 2: empty line"},
      {"30 COALNE 1 0 0 0 2\r\n\r\n", "line 2: empty line"},
      {"# ok\n  \n", "line 2: 7 fields expected, 0 found"},
      {"30 COALNE 1 0 0 0\n", "line 1: 7 fields expected, 6 found in \"30 COALNE 1 0 0 0\""},
      {"#\n30 COALNE 1 0 red 0 2\n", "line 2: 'red' is not a valid integer value in \"30 COALNE 1 0 red 0 2\""},
      {" # 1 2 3 4 5 6\n", "line 1: '#' is not"},  // a mark after a blank does not comment
  };
  for (const Case& c : cases) {
    WriteAll(dir / "bad.ini", c.text);
    const std::string path = (dir / "bad.ini").string();
    const std::string e = ErrorOf([&] { map->ReadClassTable(path); });
    EXPECT_NE(e.find(path + ", " + c.found), std::string::npos) << c.text << " gave: " << e;
    EXPECT_EQ(map->Classes()[30].PenWidth, 2) << "the table in use is kept";
  }
  EXPECT_NE(ErrorOf([&] { TEncMap m(converter, (dir / "none.ini").string()); }).find("none.ini\": No such file"),
            std::string::npos);
}

TEST(EncTextTest, SubfieldsAndPointerNames) {
  const std::vector<std::string> f = {"NAME=x", "1", "NAMEX=0", "NAME=a", "ORNT=1", "NAME=", "NAME=c"};
  EXPECT_EQ(FindSubfield(f, "NAME", 0), "a");  // fields 0 and 1 are not searched
  EXPECT_EQ(FindSubfield(f, "NAME", 1), "");
  EXPECT_EQ(FindSubfield(f, "NAME", 2), "c");
  EXPECT_EQ(FindSubfield(f, "NAME", 3), "");
  EXPECT_EQ(FindSubfield(f, "USAG", 0), "");

  const TEncRecordName edge = DecodePointerName("zz8234120000");
  EXPECT_EQ(edge.Code, 130);
  EXPECT_EQ(edge.Id, 4660u);
  EXPECT_EQ(DecodePointerName("006e010203ff").Id, 0xFF030201u);
  for (const char* bad : {"", "0082341200", "00823412000G", "00 234120000"})
    EXPECT_THROW(DecodePointerName(bad), EConvertError) << bad;

  const test::CommaLocale comma;  // keys and numbers keep the period whatever the locale
  EXPECT_EQ(EncAreaKey({0, 0, 1.0 / 3600, 1.0 / 3600}), "      1.00000000");
  EXPECT_EQ(EncAreaKey({0, 0, 0.5 / 3600, 1.0 / 3600}), "      0.50000000");
}

TEST_F(EncMapTest, CoordinatesAreScaledAndFactorsSurviveChartsWithoutDspm) {
  const test::CommaLocale comma;
  Read(Chart().Dspm(10000000, 10).Vector(110, 7, {354123456, 1397654321, 125}, {}, 3));
  map->ReadConverted("RECN\n0VRID 1,V,RCNM=110,RCID=8\n0SG2D 1,S,1.5e7,0x10\n", "chart.txt");
  EXPECT_DOUBLE_EQ(map->IsolatedNodes().at(1).Vector.Coords.at(0).Lat, 1.5);
  const TEncCoord c = map->IsolatedNodes().at(0).Vector.Coords.at(0);
  EXPECT_DOUBLE_EQ(c.Lat, 35.4123456);
  EXPECT_DOUBLE_EQ(c.Lon, 139.7654321);
  EXPECT_DOUBLE_EQ(c.Depth, 12.5);
  // The next chart has no DSPM: the previous factors hold.
  converter.Writes(Chart().Vector(120, 1, {354123456, 1397654321}).Text());
  ASSERT_TRUE(map->Load("next.000"));
  EXPECT_EQ(map->Comf(), 10000000);
  EXPECT_DOUBLE_EQ(map->ConnectedNodes().at(0).Vector.Coords.at(0).Lat, 35.4123456);
  EXPECT_TRUE(map->IsolatedNodes().empty());
  TEncMap fresh(converter, (dir / "Marlisk.ini").string());
  ASSERT_TRUE(fresh.Load("first.000"));
  EXPECT_DOUBLE_EQ(fresh.ConnectedNodes().at(0).Vector.Coords.at(0).Lat, 354123456.0);
}

TEST_F(EncMapTest, EdgesFollowTheirOrientationBetweenTheirNodes) {
  struct Case {
    int ornt;
    std::vector<uint32_t> nodes;
    std::vector<TEncCoord> points;
  };
  const Case cases[] = {
      {1, {1, 2}, {{1, 1, 0}, {2, 3, 0}, {4, 3, 0}, {5, 5, 0}}},
      {255, {1, 2}, {{1, 1, 0}, {2, 3, 0}, {4, 3, 0}, {5, 5, 0}}},
      {2, {1, 2}, {{5, 5, 0}, {4, 3, 0}, {2, 3, 0}, {1, 1, 0}}},
      {1, {1, 9}, {{1, 1, 0}, {2, 3, 0}, {4, 3, 0}}},  // a node that is missing adds nothing
      {2, {1, 2, 1}, {{4, 3, 0}, {2, 3, 0}}},          // not two nodes: the vertices only
  };
  for (const Case& c : cases) {
    map->Clear();
    Read(Chart()
             .Vector(120, 1, {1, 1})
             .Vector(120, 2, {5, 5})
             .Vector(130, 4660, {3, 2, 3, 4}, c.nodes)
             .Feature(30, 2, {{130, 4660, c.ornt}}));
    ASSERT_EQ(map->LineShapes().size(), 1u) << c.ornt;
    const TEncShape& s = map->LineShapes()[0];
    EXPECT_EQ(s.Points, c.points) << c.ornt << " " << c.nodes.size();
  }
}

// A line whose next edge begins elsewhere than where the line has got to is drawn in stretches,
// never across the gap; edges that meet, in either orientation, stay one stretch.
TEST_F(EncMapTest, ALineIsDrawnInStretchesWhereItsEdgesDoNotMeet) {
  struct Case {
    const char* What;
    std::vector<Ptr> Edges;
    std::vector<size_t> Breaks;
  };
  const Case cases[] = {
      {"edges that meet", {{130, 10, 1}, {130, 11, 1}}, {}},
      {"the second reversed to meet", {{130, 10, 1}, {130, 12, 2}}, {}},
      {"a gap", {{130, 10, 1}, {130, 13, 1}}, {4}},
      {"a gap, then back", {{130, 10, 1}, {130, 13, 1}, {130, 11, 1}}, {4, 8}},
  };
  for (const Case& c : cases) {
    map->Clear();
    Chart chart;
    chart.Vector(120, 1, {0, 0}).Vector(120, 2, {2, 2}).Vector(120, 3, {4, 4}).Vector(120, 4, {6, 0});
    chart
        .Vector(130, 10, {1, 1, 1, 2}, {1, 2})   // 1 to 2
        .Vector(130, 11, {3, 3}, {2, 3})         // 2 to 3
        .Vector(130, 12, {3, 3}, {3, 2})         // 3 to 2
        .Vector(130, 13, {5, 1, 5, 2}, {4, 3});  // 4 to 3, away from 2
    Read(chart.Feature(30, 2, c.Edges));
    ASSERT_EQ(map->LineShapes().size(), 1u) << c.What;
    EXPECT_EQ(map->LineShapes()[0].Breaks, c.Breaks) << c.What;
    RecordingCanvas canvas(100, 100);
    map->Draw(canvas, {-1, -1, 10, 10});
    const auto lines = canvas.Of(TCanvasOp::Polyline);
    ASSERT_EQ(lines.size(), c.Breaks.size() + 1) << c.What;
    size_t points = 0;
    for (const auto* l : lines) points += l->Points.size();
    EXPECT_EQ(points, map->LineShapes()[0].Points.size()) << c.What;
  }
}

TEST_F(EncMapTest, FeaturesStoredOnlyForShownClassesAndKnownRecords) {
  Chart c;
  c.Dspm(1, 10).Vector(110, 5, {30, 40, 123, 31, 41, 99}, {}, 3);
  Square(c, 1, 0, 0, 2);
  Square(c, 2, 10, 10, 2);
  Square(c, 3, 20, 20, 2);
  c.Feature(129, 1, {{110, 5}})    // a sounding cluster: one point, its first sounding
      .Feature(17, 1, {{110, 5}})  // symbol 0: no point
      .Feature(71, 3, {{130, 1}})  // hidden class
      .Feature(0, 2, {{130, 1}})   // outside 1 to 504
      .Feature(505, 2, {{130, 1}})
      .Feature(30, 4, {{130, 1}})                        // no such primitive
      .Feature(30, 2, {{130, 77}})                       // missing edge
      .Feature(30, 2, {{140, 1}})                        // no list for the code
      .Feature(42, 3, {{130, 1, 1, 2}, {130, 1, 2, 1}})  // interior boundary left out
      // A land area that runs off the cell: the edge along the data limit (usage 3) closes it.
      .Feature(42, 3, {{130, 1, 1, 1}, {130, 2, 1, 3}, {130, 3, 1, 2}});
  Read(c);
  ASSERT_EQ(map->Spots().size(), 1u);
  EXPECT_EQ(map->Spots()[0].ObjClass, 129);
  EXPECT_DOUBLE_EQ(map->Spots()[0].Lat, 30);
  EXPECT_DOUBLE_EQ(map->Spots()[0].Depth, 12.3);
  EXPECT_TRUE(map->LineShapes().empty());
  ASSERT_EQ(map->Areas().size(), 2u);
  EXPECT_EQ(map->Areas()[0].Shape.Points.front(), (TEncCoord{0, 0, 0}));  // the reversed exterior
  EXPECT_EQ(map->Areas()[0].Shape.Points.size(), 5u);
  EXPECT_EQ(map->Areas()[1].Shape.Points.size(), 10u);  // edges 1 and 2, not the interior 3
}

TEST_F(EncMapTest, DrawsAreasLargestFirstThenLinesThenSymbols) {
  // Arc-second units: squares of 1, 25 and 100 000 000 square arc-seconds.
  Chart c;
  c.Dspm(3600, 1);
  Square(c, 1, 3600, 3600, 1);
  Square(c, 2, 3600, 3600, 5);
  Square(c, 3, 0, 0, 10000);
  c.Vector(120, 10, {0, 0}).Vector(120, 11, {7200, 7200}).Vector(130, 12, {3600, 7200}, {10, 11});
  c.Vector(110, 20, {0, 36000}).Vector(110, 21, {0, 36001});
  c.Feature(42, 3, {{130, 1}}).Feature(30, 3, {{130, 3}}).Feature(75, 3, {{130, 2}});
  c.Feature(30, 2, {{130, 12}}).Feature(75, 1, {{110, 20}}).Feature(75, 1, {{110, 21}});
  Read(c);
  ASSERT_EQ(map->Areas().size(), 3u);
  EXPECT_EQ(map->Areas()[2].Key, "100000000.00000000");  // sorted by size, not as text

  RecordingCanvas canvas(100, 100);
  canvas.State.PenWidth = 9;
  map->Draw(canvas, {0, 0, 10, 10});
  const auto polygons = canvas.Of(TCanvasOp::Polygon);
  ASSERT_EQ(polygons.size(), 3u);
  // The largest (COALNE's colour), then 25 square arc-seconds, then 1.
  EXPECT_EQ(polygons[0]->State.BrushColor, 0x0000FF);
  EXPECT_EQ(polygons[1]->State.BrushColor, 0);
  EXPECT_EQ(polygons[2]->State.BrushColor, 0xFF0000);
  EXPECT_EQ(polygons[0]->Points, (std::vector<TPoint>{{0, 100}, {0, 72}, {27, 72}, {27, 100}, {0, 100}}));
  EXPECT_TRUE(polygons[2]->State.PenStyle == TPenStyle::Clear && polygons[2]->State.BrushStyle == TBrushStyle::Solid);
  const auto lines = canvas.Of(TCanvasOp::Polyline);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]->Points, (std::vector<TPoint>{{0, 100}, {20, 90}, {20, 80}}));
  EXPECT_TRUE(lines[0]->State.PenColor == 0x0000FF && lines[0]->State.PenWidth == 2 &&
              lines[0]->State.PenStyle == TPenStyle::Solid);
  // The light on the east edge is drawn, centred; the one past it is not.
  const auto symbols = canvas.Of(TCanvasOp::DrawSymbol);
  ASSERT_EQ(symbols.size(), 1u);
  EXPECT_EQ(symbols[0]->At, (TPoint{100 - 8, 100 - 8}));
  EXPECT_EQ(symbols[0]->Index, 4);
  EXPECT_EQ(canvas.State.PenColor, clBlack);
  EXPECT_EQ(canvas.State.BrushStyle, TBrushStyle::Clear);
  EXPECT_EQ(canvas.State.PenWidth, 2);

  canvas.Reset();
  map->Draw(canvas, {20, 20, 30, 30});  // nothing meets this view
  EXPECT_TRUE(canvas.Of(TCanvasOp::Polygon).empty() && canvas.Of(TCanvasOp::Polyline).empty());
}

TEST(EncDepthTest, BandsAndSoundingFigures) {
  const std::vector<TEncDepthBand> bands = {{-1000, 1}, {0, 2}, {2, 3}, {30, 4}};
  const double none = kEncNoValue;
  struct Band {
    double drval1, drval2;
    std::optional<TColor> color;
  };
  const Band cases[] = {
      {-2, 0, 1},  {-1000.5, -2, 1}, {0, 2, 2},   {0, none, 2},  {2, 5, 3},
      {1.9, 5, 2}, {30, 50, 4},      {30, 30, 3}, {100, 200, 4}, {none, 5, std::nullopt},
  };
  for (const Band& c : cases)
    EXPECT_EQ(DepthBandColor(bands, c.drval1, c.drval2), c.color) << c.drval1 << " " << c.drval2;
  EXPECT_EQ(DepthBandColor({}, 5, 10), std::nullopt);

  // Depths are cut toward the surface, drying heights raised: never more water than measured.
  // 0.1 * 14 is 1.4000000000000001 and 0.1 * 3 is 0.30000000000000004.
  const std::pair<double, TSoundingFigure> figures[] = {
      {12.3, {"12.3", false}},       {12.37, {"12.3", false}}, {0, {"0.0", false}},         {-0.0, {"0.0", false}},
      {30.99, {"30.9", false}},      {31, {"31", false}},      {31.9, {"31", false}},       {125.5, {"125", false}},
      {123.0 / 10, {"12.3", false}}, {-1.27, {"1.3", true}},   {-1.4, {"1.4", true}},       {-0.1 * 14, {"1.4", true}},
      {-0.1 * 3, {"0.3", true}},     {-1.41, {"1.5", true}},   {-0.04, {"0.1", true}},      {-2, {"2.0", true}},
      {-30.95, {"31.0", true}},      {-31.2, {"32", true}},    {kEncNoValue, {"?", false}}, {-INFINITY, {"?", false}},
  };
  const test::CommaLocale comma;
  for (const auto& [depth, figure] : figures) {
    const TSoundingFigure got = SoundingFigure(depth);
    EXPECT_EQ(got.Text, figure.Text) << depth;
    EXPECT_EQ(got.Drying, figure.Drying) << depth;
  }
}

TEST_F(EncMapTest, WithDepthBandsAreasFillByDepthAndSoundingsPrintAsFigures) {
  WriteAll(dir / "bands.ini", std::string(kClasses) + "DEPTH, 30, $FFFFFF\nDEPTH -1000 $00FF00\nDEPTH 0 0x800000\n");
  Chart c;
  c.Dspm(3600, 10).Vector(110, 5, {1800, 1800, 123, 1800, 3600, 455, 3600, 1800, -14, 99999, 1, 7}, {}, 3);
  Square(c, 1, 0, 0, 7200);
  Square(c, 2, 0, 0, 3600);
  Square(c, 3, 0, 0, 1800);
  c.Feature(42, 3, {{130, 1}}, {{87, "30"}, {88, "50"}, {116, "Outer, Deep"}})
      .Feature(42, 3, {{130, 2}}, {{87, "0"}, {88, "2"}})
      .Feature(42, 3, {{130, 3}}, {{87, ""}, {88, "x"}})  // unknown depths: the class colour
      .Feature(129, 1, {{110, 5}});
  for (const bool withBands : {true, false}) {
    map->ReadClassTable((dir / (withBands ? "bands.ini" : "Marlisk.ini")).string());
    map->Clear();
    Read(c);
    ASSERT_EQ(map->Areas().size(), 3u);
    EXPECT_EQ(map->Areas()[2].Shape.Attributes.Objnam, "Outer, Deep");
    EXPECT_DOUBLE_EQ(map->Areas()[1].Shape.Attributes.Drval2, 2);
    EXPECT_TRUE(std::isnan(map->Areas()[0].Shape.Attributes.Drval1));
    ASSERT_EQ(map->Soundings().size(), 4u);
    EXPECT_DOUBLE_EQ(map->Soundings()[1].Depth, 45.5);
    EXPECT_DOUBLE_EQ(map->Soundings()[2].Depth, -1.4);
    RecordingCanvas canvas(100, 100);
    map->Draw(canvas, {0, 0, 2, 2});
    const auto polygons = canvas.Of(TCanvasOp::Polygon);
    ASSERT_EQ(polygons.size(), 3u);
    std::vector<TColor> fills;
    for (const auto* p : polygons) fills.push_back(p->State.BrushColor);
    const auto symbols = canvas.Of(TCanvasOp::DrawSymbol);
    const auto texts = canvas.Of(TCanvasOp::TextOut);
    if (withBands) {
      EXPECT_EQ(fills, (std::vector<TColor>{0xFFFFFF, 0x800000, 0xFF0000}));
      EXPECT_TRUE(symbols.empty());
      ASSERT_EQ(texts.size(), 3u);  // the fourth sounding lies outside the view
      EXPECT_EQ(texts[0]->Text, "12.3");
      EXPECT_EQ(texts[1]->Text, "45");
      EXPECT_EQ(texts[2]->Text, "1.4");  // dries 1.4 m
      EXPECT_EQ(texts[0]->State.FontColor, 0x808080u);
      EXPECT_EQ(texts[0]->State.BrushStyle, TBrushStyle::Clear);
      EXPECT_EQ(texts[0]->At, (TPoint{25 - 12, 75 - 6}));  // centred on the sounding
      EXPECT_EQ(texts[2]->At, (TPoint{25 - 9, 50 - 6}));
      // Only the drying height is underlined: its text's last row, edge to edge, in the figures' grey.
      const auto underlines = canvas.Of(TCanvasOp::LineTo);
      ASSERT_EQ(underlines.size(), 1u);
      EXPECT_EQ(underlines[0]->State.PenPos, (TPoint{16, 44 + 11}));
      EXPECT_EQ(underlines[0]->At, (TPoint{16 + 17, 44 + 11}));
      EXPECT_EQ(underlines[0]->State.PenColor, 0x808080u);
      EXPECT_EQ(underlines[0]->State.PenWidth, 1);
      EXPECT_EQ(underlines[0]->State.PenStyle, TPenStyle::Solid);
      EXPECT_EQ(canvas.State.FontColor, clBlack);
      EXPECT_EQ(canvas.State.PenColor, clBlack);
    } else {
      EXPECT_EQ(fills, (std::vector<TColor>{0xFF0000, 0xFF0000, 0xFF0000}));
      ASSERT_EQ(symbols.size(), 1u);
      EXPECT_EQ(symbols[0]->Index, 2);
      EXPECT_TRUE(texts.empty());
      EXPECT_TRUE(canvas.Of(TCanvasOp::LineTo).empty());
    }
  }
  // A band line that does not convert is refused like any other line.
  WriteAll(dir / "bad.ini", "DEPTH, deep, $FFFFFF\n");
  EXPECT_NE(
      ErrorOf([&] { map->ReadClassTable((dir / "bad.ini").string()); }).find("line 1: 'deep' is not a valid depth"),
      std::string::npos);
}

TEST_F(EncMapTest, ClassTableBesideTheProgramElseUnderShare) {
  const std::filesystem::path bin = dir / "bin", share = dir / "share" / "orvane";
  std::filesystem::create_directories(bin);
  EXPECT_EQ(EncClassTablePath(bin.string()), (bin / "Marlisk.ini").string());
  std::filesystem::create_directories(share);
  WriteAll(share / "Marlisk.ini", kClasses);
  EXPECT_EQ(EncClassTablePath(bin.string()), bin.string() + "/../share/orvane/Marlisk.ini");
  WriteAll(bin / "Marlisk.ini", kClasses);
  EXPECT_EQ(EncClassTablePath(bin.string()), (bin / "Marlisk.ini").string());
}

TEST_F(EncMapTest, BadTextEndsTheReadNamingTheLineAndKeepsWhatWasRead) {
  struct Case {
    std::string text;
    const char* error;
  };
  Chart good;
  Square(good, 1, 0, 0, 1).Feature(42, 3, {{130, 1}});
  const Case cases[] = {
      {"RECN\n0SG2D x\n0VRID 1,V,RCNM=130,RCID=1\n0SG2D 2,S,1,2,3\n", "line 4: 2 coordinates announced, 1 given"},
      {"RECN\n0DSPM 1,D,COMF=10\n", "line 2: SOMF: '' is not a valid integer value in \"0DSPM 1,D,COMF=10\""},
      {"RECN\n0DSPM 1,D,COMF=0,SOMF=1\n", "line 2: COMF 0 cannot scale"},
      {"RECN\n0VRID 1,V,RCNM=130,RCID=1\n0VRPT 99999999,P,NAME=00\n", "99999999 pointers announced, 1 NAME"},
      {"0FRID 1,F,RCID=1,GRUP=1,OBJL=30,PRIM=2\n0FSPT 2147483647,F,NAME=0082010000000,ORNT=1\n",
       "line 2: ORNT: '' is not"},
      {"0FRID 1,F,RCID=1,GRUP=1,OBJL=3O,PRIM=2\n", "OBJL: '3O' is not a valid integer value"},
      {"0FRID 1,F,RCID=1,GRUP=1,OBJL=30,PRIM=2\n0FSPT 1,F,NAME=00820,ORNT=1\n", "'00820' is not a valid record"},
  };
  for (const Case& c : cases) {
    map->Clear();
    const std::string e = ErrorOf([&] { map->ReadConverted(good.Text() + c.text, "chart.txt"); });
    const int goodLines = static_cast<int>(std::count(good.Text().begin(), good.Text().end(), '\n'));
    std::string expected = c.error;
    if (expected.rfind("line ", 0) == 0)
      expected = "line " + S(std::stoi(expected.substr(5)) + goodLines) + expected.substr(expected.find(':'));
    EXPECT_NE(e.find("chart.txt, "), std::string::npos) << e;
    EXPECT_NE(e.find(expected), std::string::npos) << c.text << " gave: " << e;
    EXPECT_EQ(map->Edges().size(), 1u) << c.text;
  }
}

TEST_F(EncMapTest, EdgesNamedOverAndOverCannotExhaustMemory) {
  Chart c;
  c.Vector(130, 1, std::vector<long long>(20000, 1));
  std::string fspt = "0FSPT 1000,F";
  for (int i = 0; i < 1000; ++i) fspt += ",NAME=008201000000,ORNT=1";
  const std::string text = c.Text() + "0FRID 1,F,RCID=1,GRUP=1,OBJL=30,PRIM=2\n" + fspt + "\n";
  EXPECT_NE(ErrorOf([&] { map->ReadConverted(text, "chart.txt"); }).find("more shape points"), std::string::npos);
}

TEST_F(EncMapTest, LoadConvertsIntoAPrivateFileAndRemovesIt) {
  const std::string tmp = (dir / "tmp").string();
  std::filesystem::create_directory(tmp);
  struct Restore {
    std::string old;
    ~Restore() { old.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", old.c_str(), 1); }
  } restore{getenv("TMPDIR") ? getenv("TMPDIR") : ""};
  setenv("TMPDIR", tmp.c_str(), 1);
  Chart c;
  Square(c, 1, 0, 0, 1).Feature(42, 3, {{130, 1}});
  converter.Writes(c.Text());
  EXPECT_TRUE(map->Load("a.000"));
  EXPECT_TRUE(map->Load("a.000"));
  EXPECT_EQ(map->Areas().size(), 1u);
  ASSERT_EQ(converter.Outputs.size(), 2u);
  EXPECT_NE(converter.Outputs[0], converter.Outputs[1]);
  EXPECT_EQ(converter.Outputs[0].rfind(tmp + "/", 0), 0u);
  EXPECT_TRUE(std::filesystem::is_empty(tmp));

  // A reload started while the converter runs does not leave its records behind twice.
  const auto write = converter.Run;
  bool nested = false;
  converter.Run = [&](const std::string& chart, const std::string& out) {
    if (!nested) {
      nested = true;
      map->Load(chart);
    }
    write(chart, out);
  };
  EXPECT_TRUE(map->Load("a.000"));
  EXPECT_EQ(map->Areas().size(), 1u);
  EXPECT_EQ(map->Edges().size(), 1u);

  converter.Run = [](const std::string&, const std::string&) {};
  EXPECT_NE(ErrorOf([&] { map->Load("/charts/b.000"); }).find("the converter wrote nothing for \"/charts/b.000\""),
            std::string::npos);
  EXPECT_TRUE(map->Areas().empty());
  converter.Run = [](const std::string&, const std::string&) {
    throw std::runtime_error(CannotRunMessage("No such file or directory"));
  };
  EXPECT_EQ(ErrorOf([&] { map->Load("a.000"); }), "実行できません (No such file or directory)");
  EXPECT_TRUE(map->Areas().empty());
  EXPECT_TRUE(std::filesystem::is_empty(tmp));
}

}  // namespace
}  // namespace orvane
