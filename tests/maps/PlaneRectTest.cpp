// SPDX-License-Identifier: GPL-3.0-or-later
// The plane rectangular conversion: zone origins, the meridian arc against an independent value,
// both series against each other over every zone, and zones that do not exist.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "maps/PlaneRect.h"

namespace orvane {
namespace {

struct TOrigin {
  int zone;
  double lat, lon;  // decimal degrees
};

// The regulations' table, written out in degrees here rather than in D.MMSS.
constexpr TOrigin kOrigins[] = {
    {1, 33, 129.5},   {2, 33, 131},           {3, 36, 132 + 1 / 6.0}, {4, 33, 133.5},         {5, 36, 134 + 1 / 3.0},
    {6, 36, 136},     {7, 36, 137 + 1 / 6.0}, {8, 36, 138.5},         {9, 36, 139 + 5 / 6.0}, {10, 40, 140 + 5 / 6.0},
    {11, 44, 140.25}, {12, 44, 142.25},       {13, 44, 144.25},       {14, 26, 142},          {15, 26, 127.5},
    {16, 26, 124},    {17, 26, 131},          {18, 20, 136},          {19, 26, 154},
};

TEST(PlaneRectTest, EveryZoneOriginIsWhereXAndYAreZero) {
  for (const TOrigin& o : kOrigins) {
    SCOPED_TRACE(o.zone);
    double lat = 0, lon = 0;
    PlaneToGeodetic(o.zone, lat, lon, 0, 0);
    EXPECT_DOUBLE_EQ(lat, o.lat);
    EXPECT_DOUBLE_EQ(lon, o.lon);
    double X = 1, Y = 1;
    GeodeticToPlane(o.zone, o.lat, o.lon, X, Y);
    EXPECT_NEAR(X, 0, 1e-6);
    EXPECT_NEAR(Y, 0, 1e-6);
  }
}

TEST(PlaneRectTest, MeridianArcAndTheCentralMeridian) {
  constexpr long double kDeg = 3.141592653589793238462643383279502884L / 180;
  // Numerical integration of the Bessel meridian radius from the equator to 36 degrees.
  EXPECT_NEAR(static_cast<double>(MeridianArc(36 * kDeg)), 3985146.05331836, 1e-6);
  EXPECT_EQ(MeridianArc(0), 0);

  // On the central meridian X is the arc from the origin, scaled by 0.9999.
  const double X = static_cast<double>((MeridianArc(37 * kDeg) - MeridianArc(36 * kDeg)) * 0.9999L);
  double lat = 0, lon = 0;
  PlaneToGeodetic(9, lat, lon, X, 0);
  EXPECT_NEAR(lat, 37, 1e-11);
  EXPECT_DOUBLE_EQ(lon, 139 + 5 / 6.0);
  EXPECT_NEAR(X, 110945.3907062901, 1e-6);  // the integral from 36 to 37 degrees, times 0.9999
}

// Each zone's area and a margin: three degrees of latitude and two of longitude either side,
// both ways.
TEST(PlaneRectTest, RoundTripOverEveryZone) {
  for (const TOrigin& o : kOrigins) {
    SCOPED_TRACE(o.zone);
    for (double dLat = -3; dLat <= 3; dLat += 0.5) {
      for (double dLon = -2; dLon <= 2; dLon += 0.5) {
        const double lat0 = o.lat + dLat, lon0 = o.lon + dLon;
        double X = 0, Y = 0, lat = 0, lon = 0;
        GeodeticToPlane(o.zone, lat0, lon0, X, Y);
        PlaneToGeodetic(o.zone, lat, lon, X, Y);
        ASSERT_NEAR(lat, lat0, 1e-9) << dLat << " " << dLon;
        ASSERT_NEAR(lon, lon0, 1e-9) << dLat << " " << dLon;
        double X2 = 0, Y2 = 0;
        GeodeticToPlane(o.zone, lat, lon, X2, Y2);
        ASSERT_NEAR(X2, X, 1e-4);
        ASSERT_NEAR(Y2, Y, 1e-4);
        // West of the central meridian mirrors east.
        GeodeticToPlane(o.zone, lat0, o.lon - dLon, X2, Y2);
        ASSERT_NEAR(X2, X, 1e-6);
        ASSERT_NEAR(Y2, -Y, 1e-6);
      }
    }
  }
}

TEST(PlaneRectTest, ZonesOutsideTheTableAreRefused) {
  for (const int zone : {0, 20, -1, 65535}) {
    double lat = 7, lon = 8, X = 9, Y = 10;
    try {
      PlaneToGeodetic(zone, lat, lon, 0, 0);
      ADD_FAILURE() << zone;
    } catch (const EPlaneZoneError& e) {
      EXPECT_EQ(e.Zone(), zone);
      EXPECT_NE(std::string(e.what()).find("zone " + std::to_string(zone) + " "), std::string::npos) << e.what();
    }
    EXPECT_THROW(GeodeticToPlane(zone, 36, 140, X, Y), EPlaneZoneError);
    EXPECT_EQ(lat + lon + X + Y, 34);  // nothing written
  }
}

TEST(PlaneRectTest, UnusableValuesAreRefusedAndNothingIsWritten) {
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN(), kInf = std::numeric_limits<double>::infinity();
  struct TCase {
    bool Inverse;
    double A, B;  // X and Y, or latitude and longitude
    const char* Message;
  } cases[] = {
      {false, kNan, 0, "X nan is not a finite number"},
      {false, 0, -kInf, "Y -inf is not a finite number"},
      {false, 1e308, 1e308, "too far from the zone"},
      {false, 0, 1e30, "too far from the zone"},
      {false, 1e9, 0, "too far from the zone"},   // past the pole
      {false, -1e9, 0, "too far from the zone"},  // past the other
      {true, 91, 140, "latitude 91 is outside -90 to 90"},
      {true, 36, 181, "longitude 181 is outside -180 to 180"},
      {true, -90.5, -200, "latitude -90.5 is outside -90 to 90"},
      {true, kNan, 140, "latitude nan is not a finite number"},
      {true, 36, kInf, "longitude inf is not a finite number"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.A) + " " + std::to_string(c.B));
    double out1 = 7, out2 = 8;
    try {
      if (c.Inverse)
        GeodeticToPlane(9, c.A, c.B, out1, out2);
      else
        PlaneToGeodetic(9, out1, out2, c.A, c.B);
      ADD_FAILURE() << "accepted: " << out1 << " " << out2;
    } catch (const EPlaneValueError& e) {
      EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
    }
    EXPECT_EQ(out1 + out2, 15);
  }
  // The edges themselves are usable.
  double X = 0, Y = 0;
  EXPECT_NO_THROW(GeodeticToPlane(9, 90, 180, X, Y));
  EXPECT_NO_THROW(GeodeticToPlane(9, -90, -180, X, Y));
}

}  // namespace
}  // namespace orvane
