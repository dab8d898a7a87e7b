// SPDX-License-Identifier: GPL-3.0-or-later
// Plane coordinates of positions against PROJ's figures: cs2cs from EPSG:4301 (Tokyo) to
// EPSG:30161..30179 and from EPSG:6668 (JGD2011) to EPSG:6669..6687, kept here as numbers.
#include "maps/PlaneCoord.h"

#include <gtest/gtest.h>

#include "geodrel.h"

namespace orvane {
namespace {

TEST(PlaneCoord, MatchesProjInEveryDatumAndZoneToAMillimetre) {
  struct {
    int zone;
    double lat, lon;                    // decimal degrees on the datum of the figures
    double tokyoX, tokyoY, jgdX, jgdY;  // metres, cs2cs -f %.4f
  } const cases[] = {
      {9, 35.658581, 139.745433, -37871.0641, -7957.6932, -37875.0849, -7958.6435},
      {12, 43.0621, 141.3544, -103792.4466, -72938.6108, -103803.8752, -72947.4137},
      {15, 26.2124, 127.6792, 23539.3379, 17904.8234, 23541.7317, 17906.9355},
      {2, 33.5902, 130.4017, 65605.9018, -55526.0576, 65612.7880, -55532.6696},
      {14, 27.0942, 142.1919, 121223.5250, 19026.9877, 121235.8743, 19029.2346},
      {19, 24.2867, 153.9806, -189752.6053, -1969.1579, -189771.8257, -1969.3897},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.zone);
    double X = 0, Y = 0;
    // A position already on the datum of the figures needs no transformation.
    ASSERT_TRUE(PlaneOf(DegToDms(c.lat), DegToDms(c.lon), "Tokyo", {c.zone, TPlaneDatum::Tokyo}, X, Y));
    EXPECT_NEAR(X, c.tokyoX, 1e-3);
    EXPECT_NEAR(Y, c.tokyoY, 1e-3);
    ASSERT_TRUE(PlaneOf(DegToDms(c.lat), DegToDms(c.lon), "WGS 84", {c.zone, TPlaneDatum::Jgd2011}, X, Y));
    EXPECT_NEAR(X, c.jgdX, 1e-3);
    EXPECT_NEAR(Y, c.jgdY, 1e-3);
  }
}

// From the receiver's WGS 84 to the Tokyo datum by Geodrel's translation: PROJ with the same
// three parameters (+towgs84=-147.54,507.26,680.47) gives these.
TEST(PlaneCoord, WgsPositionsReachTheTokyoDatumByGeodrelsShift) {
  double X = 0, Y = 0;
  ASSERT_TRUE(PlaneOf(DegToDms(35.658581), DegToDms(139.745433), "WGS 84", {9, TPlaneDatum::Tokyo}, X, Y));
  EXPECT_NEAR(X, -38230.3765, 1e-3);
  EXPECT_NEAR(Y, -7666.2486, 1e-3);
}

TEST(PlaneCoord, ReadoutNamesTheZoneAndDatumOrSaysThereIsNone) {
  EXPECT_EQ(PlaneReadout(DegToDms(35.658581), DegToDms(139.745433), "WGS 84", {9, TPlaneDatum::Jgd2011}),
            "X -37875.085 m Y -7958.644 m (IX JGD2011)");
  EXPECT_EQ(PlaneReadout(-DegToDms(35.658581), DegToDms(139.745433), "WGS 84", {19, TPlaneDatum::Tokyo}).substr(0, 2),
            "X ");
  EXPECT_EQ(PlaneReadout(35, 139, "No such datum", {9, TPlaneDatum::Tokyo}), "X, Y: outside zone IX Tokyo");
  EXPECT_EQ(PlaneReadout(35, 139, "WGS 84", {20, TPlaneDatum::Tokyo}), "X, Y: outside zone 20 Tokyo");
}

}  // namespace
}  // namespace orvane
