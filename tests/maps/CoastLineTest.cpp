// SPDX-License-Identifier: GPL-3.0-or-later
// The coastline layer: segments between "#" lines, the bounding box, the colour setting, and the
// load that stops at a line that is no point.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/HostConv.h"
#include "maps/MapFile.h"
#include "maps/UCoastLine.h"
#include "tests/maps/MapFiles.h"
#include "tests/track/RecordingCanvas.h"

namespace orvane {
namespace {

using test::RecordingCanvas;
using test::TCanvasOp;
using Segments = std::vector<std::vector<TCoastPoint>>;

class CoastLineTest : public test::MapFiles {
protected:
  TColor coLineColor = RGBColor(0, 128, 255);
  TCoastLine layer{coLineColor};
};

TEST_F(CoastLineTest, SegmentsBetweenSeparators) {
  struct Case {
    std::string Text;
    Segments Expected;
  };
  const std::vector<Case> cases = {
      {"#1\n135.0,34.0\n135.1,34.1\n#2\n135.2,34.2\n135.3,34.3\n#3\n",
       {{{135.0, 34.0}, {135.1, 34.1}}, {{135.2, 34.2}, {135.3, 34.3}}, {}}},
      // The last point of a file without a closing separator is kept, with or without a line end.
      {"#\r\n135,34\r\n136,35\r\n", {{{135, 34}, {136, 35}}}},
      {"#\n135,34\n136,35", {{{135, 34}, {136, 35}}}},
      // A first line that is no separator is passed over and still opens a segment.
      {"133,33\n135,34\n#\n136 35 12.5\n", {{{135, 34}}, {{136, 35}}}},
      {"#\n#\n", {{}, {}}},
      {"", {}},
  };
  for (const Case& c : cases) {
    const std::string path = Write("coast.txt", c.Text);
    ASSERT_TRUE(layer.Load(path)) << c.Text;
    EXPECT_EQ(layer.Segments(), c.Expected) << c.Text;
    EXPECT_EQ(layer.FileName(), path);
  }
  ASSERT_TRUE(layer.Load(Write("coast.txt", cases[0].Text)));
  EXPECT_EQ(std::vector<double>({layer.MinLon(), layer.MinLat(), layer.MaxLon(), layer.MaxLat()}),
            std::vector<double>({135.0, 34.0, 135.3, 34.3}));
}

TEST_F(CoastLineTest, DrawsEverySegmentWhenTheBoxMeetsTheView) {
  ASSERT_TRUE(layer.Load(Write("coast.txt", "#\n135,34\n135.5,34.5\n#\n136,35\n136,34\n135.9,34.1\n")));
  struct Case {
    double West, South, East, North;
    size_t Polylines;
  };
  for (const Case& c : std::vector<Case>{{135, 34, 136, 35, 2},        // the box itself
                                         {136, 35, 137, 36, 2},        // touching at a corner
                                         {136.01, 34, 137, 35, 0},     // east of it
                                         {134, 33, 134.99, 35, 0}}) {  // west of it
    RecordingCanvas canvas(100, 100);
    layer.Draw(canvas, {c.West, c.South, c.East, c.North});
    EXPECT_EQ(canvas.Of(TCanvasOp::Polyline).size(), c.Polylines) << c.West;
  }
  RecordingCanvas canvas(100, 100);
  layer.Draw(canvas, {135, 34, 136, 35});
  const auto poly = canvas.Of(TCanvasOp::Polyline);
  EXPECT_EQ(poly[0]->Points, (std::vector<TPoint>{{0, 100}, {50, 50}}));
  EXPECT_EQ(poly[1]->Points.size(), 3u);
  EXPECT_EQ(poly[1]->State.PenColor, coLineColor);
  EXPECT_EQ(poly[1]->State.PenWidth, 1);
}

TEST_F(CoastLineTest, MissingFileAndLinesThatAreNoPoints) {
  const std::string first = Write("first.txt", "#\n135,34\n");
  ASSERT_TRUE(layer.Load(first));
  EXPECT_FALSE(layer.Load((dir / "none.txt").string()));
  EXPECT_EQ(layer.FileName(), first);
  EXPECT_EQ(layer.Segments().size(), 1u);

  struct Case {
    std::string Text, Message;
  };
  for (const Case& c :
       std::vector<Case>{{"#\n135,34\n\n136,35\n", "line 3: a longitude and a latitude wanted, found ''"},
                         {"#\n135,34\n#\n136;35\n", "line 4: a longitude and a latitude wanted, found '136;35'"},
                         {"#\n135,34\nE136,35\n", "line 3: 'E136' is not a valid floating point value"}}) {
    const std::string path = Write("bad.txt", c.Text);
    try {
      layer.Load(path);
      ADD_FAILURE() << c.Message;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), path + ", " + c.Message);
    }
    // What was read up to the bad line stays, under the old name.
    EXPECT_EQ(layer.Segments().front(), (std::vector<TCoastPoint>{{135, 34}}));
    EXPECT_EQ(layer.FileName(), first);
  }
}

}  // namespace
}  // namespace orvane
