// SPDX-License-Identifier: GPL-3.0-or-later
// The heading arrow's geometry and the course label text.
#include <gtest/gtest.h>

#include "tests/track/RecordingCanvas.h"
#include "track/HeadingMark.h"

namespace orvane {
namespace {

// The mark rectangle of radius 25 around the centre pixel of a 485 x 305 surface.
constexpr int kX = 242 - 25, kY = 153 - 25;

TEST(HeadingMarkTest, CircleAroundThePointAndLabelUnderIt) {
  const THeadingMark m = HeadingMarkGeometry(kX, kY, 25, 0);
  EXPECT_EQ(m.Circle, (TRect{217, 128, 267, 178}));
  EXPECT_EQ(m.Label, (TPoint{217, 180}));
}

// Tip = centre + R (sin θ, cos θ) with θ = 180° − course; barbs of length R at θ ∓ 30°, back
// from the tip; every coordinate truncated toward zero.
TEST(HeadingMarkTest, ArrowForTheCardinalCourses) {
  struct Row {
    double course;
    TPoint tip, tail, barb1, barb2;
  };
  const Row rows[] = {
      // North: straight up; the barbs end 12.5 px aside and 21.65 px below the tip.
      {0, {242, 128}, {242, 178}, {229, 149}, {254, 149}},
      // East.
      {90, {267, 153}, {217, 153}, {245, 140}, {245, 165}},
      // South: straight down.
      {180, {242, 178}, {242, 128}, {254, 156}, {229, 156}},
      // West.
      {270, {217, 153}, {267, 153}, {238, 165}, {238, 140}},
  };
  for (const Row& r : rows) {
    const THeadingMark m = HeadingMarkGeometry(kX, kY, 25, r.course);
    EXPECT_EQ(m.Tip, r.tip) << r.course;
    EXPECT_EQ(m.Tail, r.tail) << r.course;
    EXPECT_EQ(m.Barb1, r.barb1) << r.course;
    EXPECT_EQ(m.Barb2, r.barb2) << r.course;
  }
  // 45.3 is taken as 45.3 degrees: tip at 242 + 25 sin 45.3°, 153 − 25 cos 45.3°.
  const THeadingMark m = HeadingMarkGeometry(kX, kY, 25, 45.3);
  EXPECT_EQ(m.Tip, (TPoint{259, 135}));
  EXPECT_EQ(m.Tail, (TPoint{224, 170}));
}

TEST(HeadingMarkTest, DrawnInRedWidthTwoUnfilled) {
  test::RecordingCanvas c(485, 305);
  c.SetBrushStyle(TBrushStyle::Solid);
  DrawHeadingMark(c, HeadingMarkGeometry(kX, kY, 25, 180));
  const auto ellipses = c.Of(test::TCanvasOp::Ellipse);
  ASSERT_EQ(ellipses.size(), 1u);
  EXPECT_EQ(ellipses[0]->Rect, (TRect{217, 128, 267, 178}));
  EXPECT_EQ(ellipses[0]->State.BrushStyle, TBrushStyle::Clear);
  const auto lines = c.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], (test::TLine{{242, 178}, {242, 128}, {}}));
  EXPECT_EQ(lines[1], (test::TLine{{242, 178}, {254, 156}, {}}));
  EXPECT_EQ(lines[2], (test::TLine{{242, 178}, {229, 156}, {}}));
  for (const auto* call : c.Of(test::TCanvasOp::LineTo)) {
    EXPECT_EQ(call->State.PenColor, RGBColor(255, 0, 0));
    EXPECT_EQ(call->State.PenWidth, 2);
    EXPECT_EQ(call->State.PenStyle, TPenStyle::Solid);
  }
}

TEST(HeadingMarkTest, CaptionIsSevenCharactersWithThreeDecimalsThenASpace) {
  EXPECT_EQ(HeadingCaption(45.3), " 45.300 ");
  EXPECT_EQ(HeadingCaption(0), "  0.000 ");
  EXPECT_EQ(HeadingCaption(359.5959), "359.596 ");
  EXPECT_EQ(HeadingCaption(1234.5), "1234.500 ");
}

}  // namespace
}  // namespace orvane
