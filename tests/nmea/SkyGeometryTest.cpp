#include "nmea/SkyGeometry.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(SkyGeometryTest, LayoutOfA240By230Panel) {
  const TSkyLayout s = SkyLayout(240, 230);
  EXPECT_EQ(s.D, 207);
  EXPECT_EQ(s.Left, 16);
  EXPECT_EQ(s.Top, 11);
  EXPECT_EQ(s.CenterX, 120);
  EXPECT_EQ(s.CenterY, 115);
  EXPECT_EQ(s.Radius, 103);
  EXPECT_EQ(s.cirElv1, (TSkyRect{16, 11, 207, 207}));
  EXPECT_EQ(s.cirElv2, (TSkyRect{68, 63, 103, 103}));
  EXPECT_EQ(s.linElvV, (TSkyRect{16 + 103, 11, 2, 207}));
  EXPECT_EQ(s.linElvH, (TSkyRect{16, 11 + 103, 207, 2}));
}

TEST(SkyGeometryTest, NarrowPanelUsesItsWidthAndMultipliesBeforeDividing) {
  const TSkyLayout s = SkyLayout(101, 300);
  EXPECT_EQ(s.D, 90);                  // 101 * 9 / 10 = 90.9; dividing first would give 90 too, so check 11:
  EXPECT_EQ(SkyLayout(11, 50).D, 9);   // 11 / 10 * 9 would be 9 as well; 19 tells them apart
  EXPECT_EQ(SkyLayout(19, 50).D, 17);  // 19 * 9 / 10 = 17, 19 / 10 * 9 = 9
  EXPECT_EQ(s.Left, 5);
  EXPECT_EQ(s.Top, 105);
  EXPECT_EQ(s.CenterX, 50);
  EXPECT_EQ(s.Radius, 45);
}

TEST(SkyGeometryTest, SatellitePositionsOnTheCompass) {
  const TSkyLayout s = SkyLayout(240, 230);
  // Zenith: the symbol is centred on the centre.
  TSatPlace p = PlaceSat(s, 90, 0, 20, 13, 14, 11);
  EXPECT_EQ(p.X, 120);
  EXPECT_EQ(p.Y, 115);
  EXPECT_EQ(p.Symbol, (TSkyRect{113, 108, 15, 15}));
  EXPECT_EQ(p.Prn, (TSkyRect{110, 115 - 13 - 7, 20, 13}));
  EXPECT_EQ(p.Snr, (TSkyRect{110, 122, 14, 11}));  // left edge of the PRN label, not its own centre
  // East on the horizon: the radius to the right.
  p = PlaceSat(s, 0, 90, 20, 13, 14, 11);
  EXPECT_EQ(p.X, 223);
  EXPECT_EQ(p.Y, 115);
  // South on the horizon: the radius below.
  p = PlaceSat(s, 0, 180, 20, 13, 14, 11);
  EXPECT_EQ(p.X, 120);
  EXPECT_EQ(p.Y, 218);
  // North is up; west is left; values truncate toward zero.
  p = PlaceSat(s, 0, 0, 20, 13, 14, 11);
  EXPECT_EQ(p.X, 120);
  EXPECT_EQ(p.Y, 12);
  p = PlaceSat(s, 0, 270, 20, 13, 14, 11);
  EXPECT_EQ(p.X, 17);
  EXPECT_EQ(p.Y, 115);
  // 45 degrees up at 45 degrees azimuth: r = 51.5, offsets 36.41...
  p = PlaceSat(s, 45, 45, 20, 13, 14, 11);
  EXPECT_EQ(p.X, 156);
  EXPECT_EQ(p.Y, 78);
  // Below the horizon lands outside the circle.
  p = PlaceSat(s, -9, 90, 20, 13, 14, 11);
  EXPECT_EQ(p.X, 120 + 113);
}

TEST(SkyGeometryTest, SnrCaptionIsZeroPaddedToTwoDigits) {
  EXPECT_EQ(FormatSnr(5), "05");
  EXPECT_EQ(FormatSnr(0), "00");
  EXPECT_EQ(FormatSnr(45), "45");
  EXPECT_EQ(FormatSnr(123), "123");
}

}  // namespace
}  // namespace orvane
