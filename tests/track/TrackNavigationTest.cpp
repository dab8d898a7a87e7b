// SPDX-License-Identifier: GPL-3.0-or-later
// Moving around the view as with a map: the wheel about the pointer, dragging, fitting a box,
// and the scale bar.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "geodrel.h"
#include "tests/track/RecordingCanvas.h"
#include "track/TrackState.h"
#include "track/TrackView.h"

namespace orvane {
namespace {

class TrackNavigationTest : public ::testing::Test {
protected:
  void SetUp() override {
    state.CenterB = 34.0;
    state.CenterL = 134.0;
    state.Zoom = 10;
    view.ApplyZoom();
    view.ComputeViewBox(485, 305);
  }
  // Decimal degrees under pixel (x, y), by the projection's own rule.
  void At(int x, int y, double& lon, double& lat) const {
    lon = DmsToDeg(state.CenterL) + (x - view.W / 2) / (view.Scale * 3600);
    lat = DmsToDeg(state.CenterB) + ((view.H - view.H / 2) - y) / (view.Scale * 3600);
  }
  TTrackState state;
  TTrackView view{state};
};

TEST_F(TrackNavigationTest, TheWheelKeepsThePositionUnderThePointer) {
  struct Row {
    int zoom, steps, x, y, zoomAfter;
  } rows[] = {
      {10, 1, 0, 0, 11},     {10, -1, 484, 304, 9}, {10, 3, 100, 250, 13},
      {6, -5, 400, 10, 1},   {16, 4, 242, 153, 17},  // clamped, still about the pointer
      {10, 1, 242, 153, 11},                         // at the centre the centre stays
  };
  for (const Row& r : rows) {
    SetUp();
    state.Zoom = r.zoom;
    view.ApplyZoom();
    double lon0, lat0, lon1, lat1;
    At(r.x, r.y, lon0, lat0);
    EXPECT_TRUE(view.ZoomAt(r.steps, r.x, r.y));
    EXPECT_EQ(state.Zoom, r.zoomAfter);
    EXPECT_EQ(view.Scale, ScaleTable[r.zoomAfter]);
    At(r.x, r.y, lon1, lat1);
    EXPECT_NEAR(lon1, lon0, 1e-9) << r.x << "," << r.y << " zoom " << r.zoom;
    EXPECT_NEAR(lat1, lat0, 1e-9) << r.x << "," << r.y << " zoom " << r.zoom;
  }
  state.Zoom = 17;
  view.ApplyZoom();
  const double b = state.CenterB;
  EXPECT_FALSE(view.ZoomAt(1, 0, 0));  // at the limit nothing moves
  EXPECT_EQ(state.CenterB, b);
}

TEST_F(TrackNavigationTest, DraggingMovesTheMapWithThePointer) {
  // One pixel per arc-second: dragging 36 pixels right shows what lay 36" further west.
  view.DragFrom(34.0, 134.0, 36, -72);
  EXPECT_NEAR(DmsToDeg(state.CenterL), 134.0 - 36 / 3600.0, 1e-12);
  EXPECT_NEAR(DmsToDeg(state.CenterB), 34.0 - 72 / 3600.0, 1e-12);
  view.DragFrom(34.0, 134.0, 0, 0);
  EXPECT_NEAR(state.CenterL, 134.0, 1e-12);
}

TEST_F(TrackNavigationTest, FitBoxTakesTheHighestZoomThatHoldsTheBox) {
  struct Row {
    double w, s, e, n;
    int zoom;
  } rows[] = {
      {134.0, 34.0, 134.0, 34.0, 17},    // a point
      {134.0, 34.0, 134.05, 34.02, 11},  // 180" x 72": 242 x 152 at 2 px/" holds it, 4 px/" not
      {134.0, 34.0, 134.3, 34.0, 8},     // 1080" wide
      {120.0, 20.0, 150.0, 46.0, 2},     // 26 degrees high: 42 at zoom 2, 21 at zoom 3
      {-179.0, -80.0, 179.0, 80.0, 1},   // more than the coarsest holds: zoom 1 anyway
  };
  for (const Row& r : rows) {
    view.FitBox(r.w, r.s, r.e, r.n);
    EXPECT_EQ(state.Zoom, r.zoom) << r.e - r.w;
    EXPECT_NEAR(DmsToDeg(state.CenterL), (r.w + r.e) / 2, 1e-9);
    EXPECT_NEAR(DmsToDeg(state.CenterB), (r.s + r.n) / 2, 1e-9);
  }
}

TEST_F(TrackNavigationTest, ScaleBarIsARoundDistanceAtTheCentreLatitude) {
  struct Row {
    double lat, scale;
    int maxPixels;
    const char* label;
  } rows[] = {
      // About 25.7 m per arc-second of longitude at 34 N, 30.9 m at the equator, 15.5 m at 60.
      {34, 1, 150, "2 km"},  {34, 0.05, 150, "50 km"},    {0, 1, 150, "2 km"},
      {60, 1, 150, "2 km"},  {60, 1, 120, "1 km"},        {34, 100, 150, "20 m"},
      {34, 100, 20, "10 m"}, {34, 0.001, 150, "1000 km"}, {-34, 0.05, 150, "50 km"},
  };
  for (const Row& r : rows) {
    const TScaleBar bar = ScaleBarFor(r.lat, r.scale, r.maxPixels);
    EXPECT_EQ(bar.Label, r.label) << r.lat << " " << r.scale;
    // The bar's length agrees with an independent spherical figure to half a percent and the
    // rounding to a whole pixel.
    const double sphere = 6371008.8 * std::cos(r.lat * M_PI / 180) * M_PI / 180 / 3600 / r.scale;
    EXPECT_NEAR(bar.Pixels, bar.Metres / sphere, 0.5 + bar.Pixels * 0.005) << r.label;
    if (std::string(r.label) != "10 m") {
      EXPECT_LE(bar.Pixels, r.maxPixels);
    }
  }
  EXPECT_EQ(ScaleBarFor(90, 1, 150).Pixels, 0);  // no east-west distance at the pole
}

TEST_F(TrackNavigationTest, ScaleBarSitsInTheLowerRightOnALightBackground) {
  test::RecordingCanvas c(485, 305);
  view.DrawBase(c, clWhite, clBlue, nullptr);
  const auto polys = c.Of(test::TCanvasOp::Polygon);
  ASSERT_EQ(polys.size(), 2u);
  EXPECT_EQ(polys[0]->State.BrushColor, kLabelBackground);
  EXPECT_GT(polys[0]->Points[1].x, 485 - 20);
  EXPECT_GT(polys[0]->Points[2].y, 305 - 40);
  const auto texts = c.Texts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back().second, "2 km");
  for (const auto* t : c.Of(test::TCanvasOp::TextOut)) EXPECT_EQ(t->State.BrushColor, kLabelBackground);
}

}  // namespace
}  // namespace orvane
