// SPDX-License-Identifier: GPL-3.0-or-later
// The national-land line layer: reading the byte columns, the attribute join, the styles of the
// file's prefix, errors that name the place, and what Draw culls.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/HostConv.h"
#include "maps/MapFile.h"
#include "maps/UVectLine.h"
#include "tests/maps/MapFiles.h"
#include "tests/track/RecordingCanvas.h"

namespace orvane {
namespace {

using test::RecordingCanvas;
using test::TCanvasOp;
using test::TFileLine;

class VectLineTest : public test::MapFiles {
protected:
  std::vector<std::string> metaDef{"N01-0=road,0,1,$0000FF,0,0,0", "N01-1=main,0,2,$00FF00,0,0,0",
                                   "N01-2=motorway,0,3,$FF0000,0,0,0", "N03-0=border,0,1,$FFFFFF,0,0,0"};
  std::vector<std::string> messages;
  TVectLine layer{metaDef, [this](const std::string& m) { messages.push_back(m); }};
};

TEST_F(VectLineTest, ReadsRecordsAndTheirCoordinateLines) {
  std::vector<std::pair<int, int>> twelve;
  for (int i = 0; i < 12; ++i) twelve.push_back({4860000 + i * 10, 1260000 - i * 7});
  const std::string path = Write("N01-test.txt", LineFile({{twelve}, {{{1, 2}, {3, -4}}}, {{}}}));
  ASSERT_TRUE(layer.Load(path));
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(layer.FileName(), path);
  ASSERT_EQ(layer.Lines().size(), 3u);
  EXPECT_EQ(layer.LineCount(), 3);
  // Twelve points on three coordinate lines (5, 5, 2), and the next record right after.
  const auto pts = layer.Points(layer.Lines()[0]);
  ASSERT_EQ(pts.size(), 12u);
  EXPECT_EQ(pts[11], (TVectXY{4860110, 1259923}));
  const TLineRec& l = layer.Lines()[0];
  EXPECT_EQ(std::vector<int>({l.MinX, l.MinY, l.MaxX, l.MaxY}), std::vector<int>({4860000, 1259923, 4860110, 1260000}));
  EXPECT_EQ(layer.Points(layer.Lines()[1])[1], (TVectXY{3, -4}));
  // A line without points is kept, and never drawn.
  EXPECT_EQ(layer.Lines()[2].Count, 0);
  EXPECT_FALSE(layer.AttributesLoaded());
}

TEST_F(VectLineTest, HeaderOtherThanNlaOrGsiIsReportedAndReadOn) {
  for (const std::string kind : {"NLA", "GSI", "XYZ", ""}) {
    messages.clear();
    const std::string path = Write("N01-" + kind + ".txt", LineFile({{{{0, 0}, {1, 1}}}}, kind));
    ASSERT_TRUE(layer.Load(path));
    EXPECT_EQ(layer.Lines().size(), 1u);
    if (kind == "NLA" || kind == "GSI")
      EXPECT_TRUE(messages.empty()) << kind;
    else
      EXPECT_EQ(messages, std::vector<std::string>{"File format illegal:" + path}) << kind;
  }
}

TEST_F(VectLineTest, AttributeFileNameCutsSixShiftJisBytes) {
  const std::optional<std::string> none;
  const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
      {"/maps/N0113線.TXT", "/maps/N0113台.TXT"},
      {"N0113線.TXT", "N0113台.TXT"},
      {"/maps/N01-13.txt", "/maps/N01-台.TXT"},
      {"/maps.d/あいう.TXT", "/maps.d/あい台.TXT"},  // the cut falls between characters
      {"/maps/あ1.TXT", none},                       // the cut would split あ
      {"/maps/N0113😀.TXT", none},                    // no Shift_JIS form
      {"/maps/a.TXT", none},                         // the cut would reach into the folder
  };
  for (const auto& [data, attr] : cases) EXPECT_EQ(TVectLine::AttributeFileName(data), attr) << data;
}

TEST_F(VectLineTest, AttributeJoinSetsTheStyleOfFlaggedLines) {
  const std::vector<std::pair<int, int>> p{{0, 0}, {36000, 36000}};
  // Key 123 joins the record written 00123; a flag other than 1, or a key without a record,
  // keeps style 0.
  const std::string path = Write("N0113線.TXT", LineFile({{p, 1, 123}, {p, 0, 123}, {p, 1, 77}, {p, 1, 5}}));
  Write("N0113台.TXT", AttributeFile({{"00005", 1}, {"00123", 2}, {"00001", 1}}));
  ASSERT_TRUE(layer.Load(path));
  EXPECT_TRUE(layer.AttributesLoaded());
  EXPECT_EQ(layer.Attributes().front().first, "00001");
  std::vector<int> styles;
  for (const TLineRec& l : layer.Lines()) styles.push_back(l.Style);
  EXPECT_EQ(styles, std::vector<int>({2, 0, 0, 1}));

  RecordingCanvas canvas(1000, 700);
  layer.Draw(canvas, {-0.5, -0.5, 1.5, 1.5});
  const auto lines = canvas.Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].State.PenColor, RGBColor(0, 0, 255));
  EXPECT_EQ(lines[0].State.PenWidth, 3);
  EXPECT_EQ(lines[1].State.PenColor, RGBColor(255, 0, 0));
  EXPECT_EQ(lines[3].State.PenWidth, 2);
  // One polyline per line, mapped over the clip rectangle.
  EXPECT_EQ(lines[0].From, (TPoint{250, 525}));
  EXPECT_EQ(lines[0].To, (TPoint{750, 175}));
  EXPECT_EQ(canvas.Of(TCanvasOp::Polyline).size(), 4u);
}

TEST_F(VectLineTest, CullingMinimumScaleAndMissingStyles) {
  metaDef = {"N01-0=road,0.001,1,255,0,0,0", "N01-5=ignored,0,1,1,0,0,0", "N01-1=no,0,1,1,0,0,0"};
  const std::vector<std::pair<int, int>> inside{{-360000, 0}, {360000, 36000}};  // 10 degrees wide
  const std::vector<std::pair<int, int>> east{{3600000, 0}, {3636000, 36000}};   // at 100 degrees
  const std::string path = Write("N01.txt", LineFile({{inside}, {east}}));
  ASSERT_TRUE(layer.Load(path));
  struct Case {
    double West, East;
    size_t Lines;
  };
  // 1000 pixels at 0.001 pixels per tenth of an arc-second: at most 1,000,000 tenths wide.
  for (const Case& c : std::vector<Case>{{-1, 1, 1},          // partly in view: drawn whole
                                         {-13.85, 13.85, 1},  // 27.7 degrees wide
                                         {-13.9, 13.9, 0},    // 27.8 degrees: too far out
                                         {20, 40, 0},         // nothing in view
                                         {10, 30, 1},         // touches the first line's east end
                                         {99, 100.5, 1}}) {
    RecordingCanvas canvas(1000, 700);
    layer.Draw(canvas, {c.West, -1, c.East, 2});
    EXPECT_EQ(canvas.Of(TCanvasOp::Polyline).size(), c.Lines) << c.West << " " << c.East;
  }
  // Without entries of the file's prefix nothing is drawn.
  metaDef = {"N03-0=border,0,1,255,0,0,0"};
  ASSERT_TRUE(layer.Load(path));
  RecordingCanvas canvas(1000, 700);
  layer.Draw(canvas, {-1, -1, 1, 2});
  EXPECT_TRUE(canvas.Calls.empty());
}

TEST_F(VectLineTest, ErrorsNameTheFileTheLineAndTheText) {
  const std::string good = LineFile({{{{1, 2}, {3, 4}}}});
  const std::string record = "L" + std::string(26, ' '), blankKey(10, ' ');
  struct Case {
    std::string Text, Found;
  };
  const std::vector<Case> cases = {
      {"   NLA\r\n", "line 2: '' is not a valid integer"},
      {"   NLA\r\n        12a     2\r\n", "line 2: '12a     ' is not"},
      {good.substr(0, good.size() - 10), "line 5: '' is not a valid integer"},  // a short column
      {good.substr(0, good.rfind("N     node")) + good.substr(good.rfind("L")).substr(0, 52),
       "line 3: the file ends after 0 of the line's 2 points"},
      {good + record + "     1 0" + blankKey + "999999\r\n", "line 6: the file ends after 0 of the line's 999999"},
      {good + record + "     x", "line 6: '     x' is not a valid integer"},
      {good + record + "     1 0" + blankKey + "    -1\r\n", "line 6: '    -1' is not a valid point count"},
      {good + record + "     1 x" + blankKey + "     1\r\n", "line 6: 'x' is not a valid integer"},
  };
  for (const Case& c : cases) {
    const std::string path = Write("N01.txt", c.Text);
    try {
      layer.Load(path);
      ADD_FAILURE() << "no error for " << c.Found;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(path + ", " + c.Found), std::string::npos) << e.what();
    }
  }
  // The lines read before the error stay; a missing file is an error too.
  EXPECT_EQ(layer.Lines().size(), 1u);
  EXPECT_THROW(layer.Load((dir / "none.txt").string()), EMapFileError);
  metaDef = {"N01-0=road,0,1"};
  EXPECT_THROW(layer.Load(Write("N01.txt", good)), EConvertError);
}

}  // namespace
}  // namespace orvane
