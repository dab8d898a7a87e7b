// SPDX-License-Identifier: GPL-3.0-or-later
// The view: box, grid lines and labels, projection, read-out, zoom and panning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/track/RecordingCanvas.h"
#include "track/TrackState.h"
#include "track/TrackView.h"

namespace orvane {
namespace {

using test::RecordingCanvas;
using test::TCanvasCall;
using test::TCanvasOp;

struct GridLine {
  int at;  // x of a meridian, y of a parallel
  std::string label;
  TPoint labelAt;
};

class TrackViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    state.CenterB = 34.0;
    state.CenterL = 134.0;
    state.Zoom = 6;
    view.ApplyZoom();
  }
  void TearDown() override {
    state.CenterB = 34.0;
    state.CenterL = 134.0;
    state.Zoom = 6;
  }
  void Centre(double b, double l, int zoom) {
    state.CenterB = b;
    state.CenterL = l;
    state.Zoom = zoom;
    view.ApplyZoom();
  }

  // The grid as drawn: each line, with the label that follows it when one is written.
  static void Grid(const RecordingCanvas& c, std::vector<GridLine>& meridians, std::vector<GridLine>& parallels) {
    GridLine* line = nullptr;
    for (const TCanvasCall& call : c.Calls) {
      if (call.Op == TCanvasOp::LineTo) {
        auto& side = call.State.PenPos.x == call.At.x ? meridians : parallels;
        side.push_back({call.State.PenPos.x == call.At.x ? call.At.x : call.At.y, "", {}});
        line = &side.back();
      }
      if (call.Op != TCanvasOp::TextOut || !line) continue;
      line->label = call.Text;
      line->labelAt = call.At;
      line = nullptr;
    }
  }
  std::vector<int> MeridianXs(int w, int h) {
    RecordingCanvas c(w, h);
    view.DrawBase(c, clWhite, clBlack, nullptr);
    std::vector<GridLine> m, p;
    Grid(c, m, p);
    std::vector<int> xs;
    for (const GridLine& g : m) xs.push_back(g.at);
    return xs;
  }

  TTrackState state;
  TTrackView view{state};
};

TEST_F(TrackViewTest, DefaultViewOn485x305) {
  RecordingCanvas c(485, 305);
  view.DrawBase(c, RGBColor(1, 2, 3), RGBColor(9, 8, 7), nullptr);

  EXPECT_DOUBLE_EQ(view.Scale, 0.05);
  EXPECT_EQ(view.GridStep, 600);
  // 9700" and 6100" across: 134 - 1.3472 and 34 - 0.8472.
  EXPECT_NEAR(view.West, 134.0 - 9700.0 / 7200, 1e-12);
  EXPECT_NEAR(view.West, 132.6528, 1e-4);
  EXPECT_NEAR(view.East, 134.0 + 9700.0 / 7200, 1e-12);
  EXPECT_NEAR(view.South, 34.0 - 6100.0 / 7200, 1e-12);
  EXPECT_NEAR(view.North, 34.0 + 6100.0 / 7200, 1e-12);

  // Background first, over the whole surface.
  ASSERT_FALSE(c.Calls.empty());
  EXPECT_EQ(c.Calls[0].Op, TCanvasOp::FillRect);
  EXPECT_EQ(c.Calls[0].Rect, (TRect{0, 0, 485, 305}));
  EXPECT_EQ(c.Calls[0].State.BrushColor, RGBColor(1, 2, 3));

  std::vector<GridLine> m, p;
  Grid(c, m, p);
  // 16 whole intervals plus one: the first meridian 50" (2.5 px) inside the edge, at 132°40'.
  // A label goes only where it clears the one before it: the first is kept inside the surface,
  // the next two would run into it.
  ASSERT_EQ(m.size(), 17u);
  EXPECT_EQ(m[0].at, 2);
  EXPECT_EQ(m[0].label, "132.4000");
  EXPECT_EQ(m[0].labelAt, (TPoint{0, 305 - 12}));
  EXPECT_EQ(m[1].at, 32);
  EXPECT_EQ(m[1].label, "");
  EXPECT_EQ(m[2].at, 62);
  EXPECT_EQ(m[2].label, "");
  EXPECT_EQ(m[3].label, "133.1000");
  EXPECT_EQ(m[3].labelAt, (TPoint{92 - 24, 305 - 12}));
  EXPECT_EQ(m[8].at, 242);
  EXPECT_EQ(m[9].label, "134.1000");
  EXPECT_EQ(m[16].at, 482);
  EXPECT_EQ(m[16].label, "");

  // The lowest parallel's label would sit on the longitude row; the top one is moved inside.
  ASSERT_EQ(p.size(), 11u);
  EXPECT_EQ(p[0].at, 303);
  EXPECT_EQ(p[0].label, "");
  EXPECT_EQ(p[1].label, "33.2000");
  EXPECT_EQ(p[1].labelAt, (TPoint{0, 273 - 6}));
  EXPECT_EQ(p[5].at, 153);
  EXPECT_EQ(p[5].label, "34.0000");
  EXPECT_EQ(p[10].at, 3);
  EXPECT_EQ(p[10].label, "34.5000");
  EXPECT_EQ(p[10].labelAt, (TPoint{0, 0}));

  for (const test::TLine& l : c.Lines()) {
    EXPECT_EQ(l.State.PenStyle, TPenStyle::Dot);
    EXPECT_EQ(l.State.PenColor, RGBColor(9, 8, 7));
    EXPECT_EQ(l.State.PenWidth, 1);
    // Meridians run the full height, parallels the full width.
    if (l.From.x == l.To.x) {
      EXPECT_EQ(l.From.y, 0);
      EXPECT_EQ(l.To.y, 305);
    } else {
      EXPECT_EQ(l.From.x, 0);
      EXPECT_EQ(l.To.x, 485);
    }
  }
}

TEST_F(TrackViewTest, LayersDrawBetweenBackgroundAndGrid) {
  RecordingCanvas c(485, 305);
  size_t callsBefore = 0;
  view.DrawBase(c, clWhite, clBlack, [&](TCanvas& canvas) {
    callsBefore = c.Calls.size();
    canvas.Ellipse(1, 2, 3, 4);
  });
  ASSERT_EQ(callsBefore, 1u);  // the background only
  EXPECT_EQ(c.Calls[1].Op, TCanvasOp::Ellipse);
  EXPECT_EQ(c.Calls[2].Op, TCanvasOp::MoveTo);
}

// Zoom 5 (1° grid) on 144 x 144 puts the edges on 133° and 33°; zoom 1 (10°) on 360 x 360 around
// 130°, 30° puts them on 80° and -20°.
TEST_F(TrackViewTest, EdgeOnAGridLineGetsItsFirstLineOneIntervalInside) {
  Centre(34.0, 134.0, 5);
  RecordingCanvas c(144, 144);
  view.DrawBase(c, clWhite, clBlack, nullptr);
  EXPECT_DOUBLE_EQ(view.West, 133.0);
  EXPECT_DOUBLE_EQ(view.South, 33.0);
  std::vector<GridLine> m, p;
  Grid(c, m, p);
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].at, 72);
  EXPECT_EQ(m[0].label, "134.0000");
  EXPECT_EQ(m[1].at, 144);
  EXPECT_EQ(m[2].at, 216);  // beyond the surface: drawn, clipped
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0].at, 72);
  EXPECT_EQ(p[0].label, "34.0000");
  EXPECT_EQ(p[1].at, 0);
  EXPECT_EQ(p[2].at, -72);

  Centre(30.0, 130.0, 1);
  RecordingCanvas c10(360, 360);
  view.DrawBase(c10, clWhite, clBlack, nullptr);
  EXPECT_DOUBLE_EQ(view.West, 80.0);
  EXPECT_DOUBLE_EQ(view.South, -20.0);
  m.clear();
  p.clear();
  Grid(c10, m, p);
  ASSERT_EQ(m.size(), 11u);
  EXPECT_EQ(m[0].at, 36);
  EXPECT_EQ(m[0].label, "90.0000");
  ASSERT_EQ(p.size(), 11u);
  EXPECT_EQ(p[0].at, 324);
  EXPECT_EQ(p[0].label, "-10.0000");
}

// West and South at -1.25 on a 1° grid: the first lines are -1°, not the equator and the prime
// meridian, which are still drawn at the centre.
TEST_F(TrackViewTest, NegativeEdgesStartAtTheNearestLineInside) {
  Centre(0.0, 0.0, 5);
  RecordingCanvas c(180, 180);
  view.DrawBase(c, clWhite, clBlack, nullptr);
  EXPECT_DOUBLE_EQ(view.West, -1.25);
  EXPECT_DOUBLE_EQ(view.South, -1.25);
  std::vector<GridLine> m, p;
  Grid(c, m, p);
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].at, 18);
  EXPECT_EQ(m[0].label, "-1.0000");
  EXPECT_EQ(m[1].at, 90);
  EXPECT_EQ(m[1].label, "0.0000");
  EXPECT_EQ(m[2].at, 162);
  EXPECT_EQ(m[2].label, "1.0000");
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0].at, 162);
  EXPECT_EQ(p[0].label, "-1.0000");
  EXPECT_EQ(p[1].at, 90);
  EXPECT_EQ(p[2].at, 18);

  // An edge at -2°, itself a grid line: the first line is -1°.
  Centre(-1.0, -1.0, 5);
  EXPECT_EQ(MeridianXs(144, 144), (std::vector<int>{72, 144, 216}));
}

TEST_F(TrackViewTest, TheCentreProjectsOntoTheMiddlePixel) {
  view.ComputeViewBox(485, 305);
  EXPECT_EQ(view.Project(34.0, 134.0), (TPoint{242, 305 - 152}));
  view.ComputeViewBox(480, 300);
  EXPECT_EQ(view.Project(34.0, 134.0), (TPoint{240, 150}));
}

TEST_F(TrackViewTest, ProjectionIsOneArcSecondPerScalePixelsNorthUp) {
  Centre(34.0, 134.0, 10);  // one pixel per arc-second
  view.ComputeViewBox(485, 305);
  // 30.5" east, west, north and south of the centre: 30 pixels, truncated toward the centre.
  EXPECT_EQ(view.Project(34.0, 134.00305), (TPoint{272, 153}));
  EXPECT_EQ(view.Project(34.0, 133.59295), (TPoint{212, 153}));
  EXPECT_EQ(view.Project(34.00305, 134.0), (TPoint{242, 123}));
  EXPECT_EQ(view.Project(33.59295, 134.0), (TPoint{242, 183}));
  // Half a pixel either way stays on the centre.
  EXPECT_EQ(view.Project(34.0, 134.00005), (TPoint{242, 153}));
  EXPECT_EQ(view.Project(34.0, 133.59595), (TPoint{242, 153}));

  // At zoom 6 one pixel is 20"; 10'30" is 31.5 pixels.
  Centre(34.0, 134.0, 6);
  view.ComputeViewBox(485, 305);
  EXPECT_EQ(view.Project(34.103, 134.103), (TPoint{242 + 31, 153 - 31}));
  // South and west of zero.
  Centre(-35.0, -58.0, 10);
  view.ComputeViewBox(485, 305);
  EXPECT_EQ(view.Project(-35.0, -57.59295), (TPoint{272, 153}));
  EXPECT_EQ(view.Project(-35.00305, -58.0), (TPoint{242, 183}));
}

TEST_F(TrackViewTest, ReadOutCaption) {
  RecordingCanvas c(480, 300);
  view.DrawBase(c, clWhite, clBlack, nullptr);
  EXPECT_EQ(view.MouseMove(240, 150), "N 34.00000 E 134.00000 [0.050]");
  // One pixel is 20": the top-left corner lies 80' west and 50' north of the centre.
  EXPECT_EQ(view.MouseMove(0, 0), "N 34.50000 E 132.40000 [0.050]");
  EXPECT_EQ(view.MouseMove(3, 0), "N 34.50000 E 132.41000 [0.050]");
  EXPECT_NEAR(view.MouseLon, 132.41, 1e-9);
  EXPECT_NEAR(view.MouseLat, 34.5, 1e-9);

  // On the odd default surface the middle pixel reads 10" south-west of the centre.
  RecordingCanvas odd(485, 305);
  view.DrawBase(odd, clWhite, clBlack, nullptr);
  EXPECT_EQ(view.MouseMove(242, 153), "N 33.59500 E 133.59500 [0.050]");

  state.Zoom = 17;
  view.ApplyZoom();
  EXPECT_EQ(view.Caption(), "N 33.59500 E 133.59500 [100.000]");
}

TEST_F(TrackViewTest, ZoomIsClampedAtLoadAndAtTheMenuLimits) {
  for (auto [stored, zoom] : {std::pair{0, 1}, {-7, 1}, {18, 17}, {1000, 17}, {1, 1}, {17, 17}, {9, 9}}) {
    state.Zoom = stored;
    view.ApplyZoom();
    EXPECT_EQ(state.Zoom, zoom) << stored;
    EXPECT_DOUBLE_EQ(view.Scale, ScaleTable[zoom]);
  }
  state.Zoom = 17;
  view.ApplyZoom();
  view.ZoomIn();
  EXPECT_EQ(state.Zoom, 17);
  EXPECT_DOUBLE_EQ(view.Scale, 100);
  view.ZoomOut();
  EXPECT_EQ(state.Zoom, 16);
  EXPECT_DOUBLE_EQ(view.Scale, 64);
  state.Zoom = 1;
  view.ZoomOut();
  EXPECT_EQ(state.Zoom, 1);
  EXPECT_DOUBLE_EQ(view.Scale, 0.001);
  // A zoom stored out of range moves from its nearest limit.
  state.Zoom = 40;
  view.ZoomOut();
  EXPECT_EQ(state.Zoom, 16);

  // Page Up zooms out, Page Down in.
  state.Zoom = 6;
  EXPECT_TRUE(view.KeyDown(vkPageUp));
  EXPECT_EQ(state.Zoom, 5);
  EXPECT_DOUBLE_EQ(view.Scale, 0.02);
  EXPECT_TRUE(view.KeyDown(vkPageDown));
  EXPECT_TRUE(view.KeyDown(vkPageDown));
  EXPECT_EQ(state.Zoom, 7);
  EXPECT_DOUBLE_EQ(view.Scale, 0.1);
}

TEST_F(TrackViewTest, ScaleAndGridTables) {
  const double scales[] = {0.001, 0.002, 0.004, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 4, 8, 16, 32, 64, 100};
  const int grids[] = {36000, 36000, 36000, 3600, 3600, 600, 600, 600, 60, 60, 60, 10, 10, 10, 1, 1, 1};
  for (int z = 1; z <= 17; ++z) {
    EXPECT_DOUBLE_EQ(ScaleTable[z], scales[z - 1]) << z;
    EXPECT_EQ(GridTable[z], grids[z - 1]) << z;
  }
}

TEST_F(TrackViewTest, ArrowsPanByOneGridIntervalReadAsDecimalDegrees) {
  view.ComputeViewBox(485, 305);  // 10' grid: 0.1° = 6'
  EXPECT_TRUE(view.KeyDown(vkLeft));
  EXPECT_NEAR(state.CenterL, 133.54, 1e-9);
  EXPECT_TRUE(view.KeyDown(vkRight));
  EXPECT_TRUE(view.KeyDown(vkRight));
  EXPECT_NEAR(state.CenterL, 134.06, 1e-9);
  EXPECT_TRUE(view.KeyDown(vkUp));
  EXPECT_NEAR(state.CenterB, 34.06, 1e-9);
  EXPECT_TRUE(view.KeyDown(vkDown));
  EXPECT_TRUE(view.KeyDown(vkDown));
  EXPECT_NEAR(state.CenterB, 33.54, 1e-9);

  Centre(34.0, 134.0, 9);  // 1' grid: 0.01° = 36"
  view.ComputeViewBox(485, 305);
  EXPECT_TRUE(view.KeyDown(vkRight));
  EXPECT_NEAR(state.CenterL, 134.0036, 1e-9);
  EXPECT_TRUE(view.KeyDown(vkDown));
  EXPECT_NEAR(state.CenterB, 33.5924, 1e-9);

  Centre(34.0, 134.0, 15);  // 1" grid: 0.0001°
  view.ComputeViewBox(485, 305);
  EXPECT_TRUE(view.KeyDown(vkLeft));
  EXPECT_NEAR(state.CenterL, 133.595964, 1e-9);  // 0.0001° is 0.36"

  // The step is that of the last drawing, not of a zoom since.
  Centre(34.0, 134.0, 4);  // 1° grid
  view.ComputeViewBox(485, 305);
  state.Zoom = 12;
  view.ApplyZoom();
  EXPECT_TRUE(view.KeyDown(vkUp));
  EXPECT_NEAR(state.CenterB, 35.0, 1e-9);

  const double b = state.CenterB, l = state.CenterL;
  const int z = state.Zoom;
  for (int key : {0, 13, 32, 35, 36, 41, 45, 107}) EXPECT_FALSE(view.KeyDown(key)) << key;
  EXPECT_EQ(state.CenterB, b);
  EXPECT_EQ(state.CenterL, l);
  EXPECT_EQ(state.Zoom, z);
}

}  // namespace
}  // namespace orvane
