// SPDX-License-Identifier: GPL-3.0-or-later
// The exported functions of Geodrel, called through the shared library.
#include "geodrel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iomanip>
#include <limits>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.14159265358979323846;

// |actual - expected| within `ulps` units in the last place of `expected`.
testing::AssertionResult NearUlps(double actual, double expected, int ulps = 8) {
  const double ulp = std::nextafter(std::fabs(expected), kInf) - std::fabs(expected);
  if (std::fabs(actual - expected) <= ulps * ulp) return testing::AssertionSuccess();
  return testing::AssertionFailure() << std::setprecision(17) << actual << " is not within " << ulps << " ulps of "
                                     << expected;
}

// Angle difference in degrees, folded into [-180, 180] so that -180 and 180 agree.
double LonDiff(double a, double b) { return std::remainder(a - b, 360.0); }

// ---------------------------------------------------------------- D.MMSS

struct DmsCase {
  double dms;
  double deg;
};

TEST(DmsToDeg, ReadsDegreesMinutesSeconds) {
  const DmsCase cases[] = {
      {35.30455, 35.0 + 30.0 / 60 + 45.5 / 3600},
      {35.30, 35.5},
      {132.1, 132.0 + 10.0 / 60},
      {134.05, 134.0 + 5.0 / 60},
      {-135.30, -135.5},
      {-0.3, -0.5},
      {0.0001, 1.0 / 3600},
      {-0.0001, -1.0 / 3600},
      {0.0, 0.0},
      {35.7, 36.0 + 10.0 / 60},  // seventy minutes: no range test
      {179.5959, 179.0 + 59.0 / 60 + 59.0 / 3600},
  };
  for (const DmsCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::setprecision(17) << "dms=" << c.dms);
    EXPECT_TRUE(NearUlps(DmsToDeg(c.dms), c.deg));
  }
}

TEST(DmsToDeg, HairBelowAWholeDegreeIsThatDegree) {
  // DegToDms writes 36 as 35.99999999999996; taken as 100 minutes that
  // would read back 40 minutes too far.
  const DmsCase cases[] = {
      {DegToDms(35.9999999999999), 36.0}, {35.999999999999964, 36.0},
      {-35.999999999999964, -36.0},       {0.99999999999999, 1.0},
      {89.99999999999996, 90.0},          {179.99999999999997, 180.0},
      {35.5999999999999, 36.0},  // a hair below 35 deg 60 min
  };
  for (const DmsCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::setprecision(17) << "dms=" << c.dms);
    EXPECT_NEAR(DmsToDeg(c.dms), c.deg, 1e-12);
  }
}

TEST(DegToDms, WritesDegreesMinutesSeconds) {
  const DmsCase cases[] = {
      {35.30455, 35.5126388888889},
      {35.3, 35.5},
      {-0.3, -0.5},
      {-135.3, -135.5},
      {132.1, 132.0 + 10.0 / 60},
      {0.0001, 1.0 / 3600},
      {0.0, 0.0},
      {36.0, 35.9999999999999},
      {90.0, 90.0},
  };
  for (const DmsCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::setprecision(17) << "deg=" << c.deg);
    EXPECT_TRUE(NearUlps(DegToDms(c.deg), c.dms));
  }
}

TEST(DegToDms, SecondsAndMinutesAtTheCarryLimit) {
  // A value 1e-13 degree (3.6e-10 s) below a whole minute carries into it,
  // the 60th minute into the next degree; 1e-11 degree (3.6e-8 s) below
  // is past the tolerance and shows its 59.999999964 seconds.
  for (const double deg : {0.0, 35.0, 134.0, -35.0, -179.0}) {
    const double sign = deg < 0 ? -1.0 : 1.0;
    for (int minute = 1; minute <= 60; ++minute) {
      SCOPED_TRACE(testing::Message() << "deg=" << deg << " minute=" << minute);
      const double whole = std::fabs(deg) + minute / 60.0;
      const double carried = minute == 60 ? std::fabs(deg) + 1.0 : std::fabs(deg) + minute / 100.0;
      EXPECT_NEAR(DegToDms(sign * (whole - 1e-13)), sign * carried, 1e-12);
      const double shown = std::fabs(deg) + (minute - 1) / 100.0 + (60.0 - 3.6e-8) / 10000.0;
      EXPECT_NEAR(DegToDms(sign * (whole - 1e-11)), sign * shown, 1e-13);
    }
  }
}

TEST(DegToDms, RoundTripsThroughDmsToDeg) {
  int checked = 0;
  for (int deg = -180; deg <= 180; deg += 9) {
    for (const int minute : {0, 1, 29, 30, 59}) {
      for (const double second : {0.0, 0.5, 45.5, 59.9, 59.999999}) {
        for (const double nudge : {0.0, -1e-13, 1e-13}) {
          const double mag = std::abs(deg) + minute / 60.0 + second / 3600.0 + nudge;
          const double x = deg < 0 ? -mag : mag;
          SCOPED_TRACE(testing::Message() << std::setprecision(17) << "x=" << x);
          EXPECT_NEAR(DmsToDeg(DegToDms(x)), x, 1e-12);
          ++checked;
        }
      }
    }
  }
  EXPECT_GT(checked, 3000);
}

// ---------------------------------------------------------------- table

struct Row {
  std::int16_t index;
  const char* datum;
  const char* ellipse;
  TDatumParam param;
};

const Row kRows[] = {
    {0, "Tokyo", "Bessel-1841", {6377397.155, 299.152813, -147.54, 507.26, 680.47}},
    {1, "WGS 84", "WGS-84", {6378137.0, 298.257223563, 0.0, 0.0, 0.0}},
    {2, "GRS-83", "GRS-83", {6378136.0, 298.257222101, 0.0, 0.0, 0.0}},
};

void ExpectParam(const TDatumParam& got, const TDatumParam& want) {
  EXPECT_EQ(got.a, want.a);
  EXPECT_EQ(got.invF, want.invF);
  EXPECT_EQ(got.dX, want.dX);
  EXPECT_EQ(got.dY, want.dY);
  EXPECT_EQ(got.dZ, want.dZ);
}

TDatumParam Sentinel() {
  TDatumParam p;
  std::memset(&p, 0xA5, sizeof p);
  return p;
}

TEST(DatumTable, HoldsTheThreeRowsInOrder) {
  ASSERT_EQ(GetDatumCount(), 3);
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.datum);
    TDatumParam byNum = Sentinel();
    const char* name = GetDatumByNum(row.index, &byNum);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, row.datum);
    ExpectParam(byNum, row.param);
    EXPECT_EQ(GetDatumByNum(row.index, nullptr), name) << "the library's own string";

    TDatumParam byName = Sentinel();
    EXPECT_TRUE(GetDatum(row.datum, &byName));
    ExpectParam(byName, row.param);

    ASSERT_NE(GetEllipseByNum(row.index), nullptr);
    EXPECT_STREQ(GetEllipseByNum(row.index), row.ellipse);
    EXPECT_EQ(GetEllipse(row.datum), GetEllipseByNum(row.index));
  }
}

TEST(DatumTable, DatumNamesIgnoreLetterCase) {
  const struct {
    const char* name;
    int row;
  } cases[] = {{"tokyo", 0}, {"TOKYO", 0}, {"wGs 84", 1}, {"grs-83", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDatumParam p = Sentinel();
    EXPECT_TRUE(GetDatum(c.name, &p));
    ExpectParam(p, kRows[c.row].param);
    EXPECT_STREQ(GetEllipse(c.name), kRows[c.row].ellipse);
  }
}

TEST(DatumTable, UnknownNamesFindNothingAndWriteNothing) {
  // Ellipsoid names are not datum names; near misses and the empty name
  // (which a null pointer stands for) are in no row.
  const char* names[] = {"WGS-84", "Bessel-1841", "WGS84", "Tokyo ", " Tokyo", "Tokyo1", "", nullptr};
  for (const char* name : names) {
    SCOPED_TRACE(name ? name : "(null)");
    const TDatumParam before = Sentinel();
    TDatumParam p = before;
    EXPECT_FALSE(GetDatum(name, &p));
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
    EXPECT_EQ(GetEllipse(name), nullptr);
  }
}

TEST(DatumTable, IndicesOutsideTheTableFindNothingAndWriteNothing) {
  for (const std::int16_t index :
       {std::int16_t{-1}, std::int16_t{3}, std::int16_t{INT16_MIN}, std::int16_t{INT16_MAX}}) {
    SCOPED_TRACE(index);
    const TDatumParam before = Sentinel();
    TDatumParam p = before;
    EXPECT_EQ(GetDatumByNum(index, &p), nullptr);
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
    EXPECT_EQ(GetEllipseByNum(index), nullptr);
  }
}

// ---------------------------------------------------------------- DmsConv

TGeoPoint Garbage() {
  TGeoPoint p;
  std::memset(&p, 0x5A, sizeof p);
  return p;
}

bool SameBits(const TGeoPoint& a, const TGeoPoint& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(DmsConv, IdenticalNamesReturnTheCopy) {
  // 35.7 (seventy minutes) would come back as 36.10 from a transformation.
  const TGeoPoint in{35.7, 135.0, 12.5};
  const struct {
    const char* src;
    const char* dst;
  } cases[] = {{"Tokyo", "Tokyo"}, {"WGS 84", "WGS 84"}, {"Nowhere", "Nowhere"},
               {nullptr, nullptr}, {nullptr, ""},        {"", nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.src ? c.src : "(null)") << " -> " << (c.dst ? c.dst : "(null)"));
    TGeoPoint out = Garbage();
    EXPECT_TRUE(DmsConv(c.src, c.dst, &in, &out));
    EXPECT_TRUE(SameBits(out, in));
  }
}

TEST(DmsConv, UnknownDatumFailsWithTheInputCopied) {
  const TGeoPoint in{35.7, 135.0, 12.5};
  const struct {
    const char* src;
    const char* dst;
  } cases[] = {{"Nowhere", "WGS 84"}, {"WGS 84", "Nowhere"}, {"WGS-84", "WGS 84"},
               {nullptr, "Tokyo"},    {"Tokyo", ""},         {"Tokyo", nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.src ? c.src : "(null)") << " -> " << (c.dst ? c.dst : "(null)"));
    TGeoPoint out = Garbage();
    EXPECT_FALSE(DmsConv(c.src, c.dst, &in, &out));
    EXPECT_TRUE(SameBits(out, in));
  }
}

TEST(DmsConv, NamesDifferingInCaseRunTheTransformation) {
  TGeoPoint out = Garbage();
  const TGeoPoint unnormalised{35.7, 135.75, 10.0};
  ASSERT_TRUE(DmsConv("Tokyo", "tokyo", &unnormalised, &out));
  EXPECT_NEAR(out.lat, 36.10, 1e-10);
  EXPECT_NEAR(out.lon, 136.15, 1e-10);
  EXPECT_NEAR(out.height, 10.0, 1e-6);

  const TGeoPoint in{35.30455, 139.4530, 40.0};
  ASSERT_TRUE(DmsConv("Tokyo", "TOKYO", &in, &out));
  EXPECT_NEAR(out.lat, in.lat, 1e-10);
  EXPECT_NEAR(out.lon, in.lon, 1e-10);
  EXPECT_NEAR(out.height, in.height, 1e-6);
}

TEST(DmsConv, ReferencePoints) {
  // Tolerances: 1e-7 of D.MMSS is a thousandth of a second (3 cm); the
  // heights are given to the centimetre.
  const struct {
    const char* src;
    const char* dst;
    TGeoPoint in;
    TGeoPoint want;
  } cases[] = {
      {"Tokyo", "WGS 84", {35.0, 135.0, 0.0}, {35.0011495, 134.5949969, 51.58}},
      {"WGS 84", "Tokyo", {35.0, 135.0, 0.0}, {34.5948503, 135.0010032, -51.55}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.src << " -> " << c.dst);
    TGeoPoint out = Garbage();
    ASSERT_TRUE(DmsConv(c.src, c.dst, &c.in, &out));
    EXPECT_NEAR(out.lat, c.want.lat, 1e-7);
    EXPECT_NEAR(out.lon, c.want.lon, 1e-7);
    EXPECT_NEAR(out.height, c.want.height, 0.01);
  }
}

TEST(DmsConv, OutputMayBeTheInputRecord) {
  const TGeoPoint in{35.30455, 139.4530, 40.0};
  TGeoPoint apart = Garbage();
  ASSERT_TRUE(DmsConv("Tokyo", "WGS 84", &in, &apart));
  TGeoPoint inPlace = in;
  ASSERT_TRUE(DmsConv("Tokyo", "WGS 84", &inPlace, &inPlace));
  EXPECT_TRUE(SameBits(inPlace, apart));
}

TEST(DmsConv, WgsToGrsMovesOnlyByTheEllipsoidDifference) {
  const TGeoPoint cases[] = {{35.30455, 139.4530, 40.0}, {-33.5200, 151.1230, 5.0},
                             {51.2845, -0.0740, 20.0},   {0.0, 0.0, 0.0},
                             {-75.0, -120.0, 2000.0},    {64.0854, -21.5545, -30.0}};
  for (const TGeoPoint& in : cases) {
    SCOPED_TRACE(testing::Message() << in.lat << ", " << in.lon);
    TGeoPoint out = Garbage();
    ASSERT_TRUE(DmsConv("WGS 84", "GRS-83", &in, &out));
    EXPECT_NEAR(DmsToDeg(out.lat), DmsToDeg(in.lat), 0.001 / 3600);
    EXPECT_NEAR(LonDiff(DmsToDeg(out.lon), DmsToDeg(in.lon)), 0.0, 0.001 / 3600);
    EXPECT_NEAR(out.height - in.height, 1.0, 0.005);

    TGeoPoint back = Garbage();
    ASSERT_TRUE(DmsConv("GRS-83", "WGS 84", &out, &back));
    EXPECT_NEAR(back.height, in.height, 1e-6);
  }
}

// Positions in and around Japan, and over the western and southern
// hemispheres, at whole degrees (which come back a hair below in D.MMSS) and
// in between.
std::vector<TGeoPoint> Grid() {
  std::vector<TGeoPoint> grid;
  for (int lat = 20; lat <= 46; lat += 2) {
    for (int lon = 122; lon <= 154; lon += 4) {
      for (const double h : {-50.0, 0.0, 3776.0}) {
        grid.push_back({static_cast<double>(lat), static_cast<double>(lon), h});
        grid.push_back({lat + 0.1523, lon + 0.4459, h});
      }
    }
  }
  const double lats[] = {-89.3, -60.0, -33.5200, -0.3, 0.0001, 33.5200, 60.0, 89.3};
  const double lons[] = {-179.5959, -135.30, -90.0, -45.1530, -0.0001, 0.0, 0.0001, 45.0, 90.0, 135.0, 179.5959, 180.0};
  for (const double lat : lats) {
    for (const double lon : lons) grid.push_back({lat, lon, 100.0});
  }
  return grid;
}

TEST(DmsConv, TokyoToWgs84AndBackReturnsTheStart) {
  // Tolerance: 1e-9 degree is 0.1 mm on the ground.
  for (const TGeoPoint& in : Grid()) {
    SCOPED_TRACE(testing::Message() << std::setprecision(10) << in.lat << ", " << in.lon << ", " << in.height);
    TGeoPoint wgs = Garbage();
    TGeoPoint back = Garbage();
    ASSERT_TRUE(DmsConv("Tokyo", "WGS 84", &in, &wgs));
    ASSERT_TRUE(DmsConv("WGS 84", "Tokyo", &wgs, &back));
    EXPECT_NEAR(DmsToDeg(back.lat), DmsToDeg(in.lat), 1e-9);
    EXPECT_NEAR(LonDiff(DmsToDeg(back.lon), DmsToDeg(in.lon)), 0.0, 1e-9);
    EXPECT_NEAR(back.height, in.height, 1e-4);
    if (std::fabs(in.lat) > 0.01) {
      EXPECT_EQ(std::signbit(back.lat), std::signbit(in.lat));
    }
    if (std::fabs(in.lon) > 0.01 && std::fabs(in.lon) < 179.5) {
      EXPECT_EQ(std::signbit(back.lon), std::signbit(in.lon));
    }
  }
}

// The textbook geodetic-to-geocentric conversion, in plain doubles.
struct Ecef {
  double x, y, z;
};

Ecef Geocentric(const TDatumParam& d, const TGeoPoint& g) {
  const double phi = DmsToDeg(g.lat) * kPi / 180;
  const double lam = DmsToDeg(g.lon) * kPi / 180;
  const double f = 1 / d.invF;
  const double e2 = f * (2 - f);
  const double n = d.a / std::sqrt(1 - e2 * std::sin(phi) * std::sin(phi));
  return {(n + g.height) * std::cos(phi) * std::cos(lam) + d.dX, (n + g.height) * std::cos(phi) * std::sin(lam) + d.dY,
          (n * (1 - e2) + g.height) * std::sin(phi) + d.dZ};
}

TEST(DmsConv, OutputIsTheSameGeocentricPoint) {
  // Whatever the iteration does, the output must name the point that the
  // input names, within 1 mm.
  const struct {
    const char* src;
    const char* dst;
    int srcRow, dstRow;
  } pairs[] = {{"Tokyo", "WGS 84", 0, 1}, {"WGS 84", "Tokyo", 1, 0}, {"GRS-83", "Tokyo", 2, 0}};
  for (const auto& pair : pairs) {
    for (const TGeoPoint& in : Grid()) {
      SCOPED_TRACE(testing::Message() << pair.src << " -> " << pair.dst << " " << std::setprecision(10) << in.lat
                                      << ", " << in.lon);
      TGeoPoint out = Garbage();
      ASSERT_TRUE(DmsConv(pair.src, pair.dst, &in, &out));
      const Ecef a = Geocentric(kRows[pair.srcRow].param, in);
      const Ecef b = Geocentric(kRows[pair.dstRow].param, out);
      EXPECT_LT(std::hypot(a.x - b.x, a.y - b.y, a.z - b.z), 1e-3);
    }
  }
}

TEST(DmsConv, PolesStayPutBetweenUnshiftedDatums) {
  // On the axis the pole keeps the longitude it was given; its height moves
  // by the difference of the semi-minor axes b = a(1 - f).
  const auto b = [](const TDatumParam& d) { return d.a * (1 - 1 / d.invF); };
  const double grsRise = b(kRows[1].param) - b(kRows[2].param);
  const struct {
    const char* dst;
    double lat, rise;
  } cases[] = {{"GRS-83", 90.0, grsRise}, {"GRS-83", -90.0, grsRise}, {"wgs 84", 90.0, 0.0}, {"wgs 84", -90.0, 0.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dst << " " << c.lat);
    const TGeoPoint in{c.lat, 12.0, 100.0};
    TGeoPoint out = Garbage();
    ASSERT_TRUE(DmsConv("WGS 84", c.dst, &in, &out));
    EXPECT_EQ(out.lat, c.lat);
    EXPECT_NEAR(out.lon, 12.0, 1e-12);
    EXPECT_NEAR(out.height, 100.0 + c.rise, 1e-6);
  }
}

TEST(DmsConv, HeightsNearThePoleAreExact) {
  // h = p / cos(phi) - N alone is off by 13 mm a metre from the pole and by
  // hundreds of metres a micrometre from it.
  for (const double colat : {1e-3, 1e-4, 1e-5, 1e-7, 1e-9, 1e-11, 1e-13}) {
    SCOPED_TRACE(testing::Message() << "colatitude " << colat);
    const TGeoPoint in{DegToDms(90.0 - colat), 12.0, 100.0};
    TGeoPoint out = Garbage();
    ASSERT_TRUE(DmsConv("WGS 84", "wgs 84", &in, &out));
    EXPECT_NEAR(DmsToDeg(out.lat), 90.0 - colat, 1e-10);
    EXPECT_NEAR(out.lon, 12.0, 1e-6);
    EXPECT_NEAR(out.height, 100.0, 1e-6);
  }
}

TEST(DmsConv, NonFiniteInputFailsWithItsCoordinatesKept) {
  // NaN never satisfies the convergence test, so the pass limit ends it.
  const TGeoPoint cases[] = {
      {kNaN, 135.0, 0.0}, {35.0, kNaN, 0.0}, {35.0, 135.0, kNaN}, {kInf, 135.0, 0.0}, {35.0, 135.0, kInf}};
  for (const TGeoPoint& in : cases) {
    SCOPED_TRACE(testing::Message() << in.lat << ", " << in.lon << ", " << in.height);
    TGeoPoint out = Garbage();
    EXPECT_FALSE(DmsConv("Tokyo", "WGS 84", &in, &out));
    EXPECT_EQ(std::memcmp(&out.lat, &in.lat, sizeof out.lat), 0);
    EXPECT_EQ(std::memcmp(&out.lon, &in.lon, sizeof out.lon), 0);
  }
}

TEST(DmsConv, PositionsOffTheGlobeAreRefusedAndLeftAsGiven) {
  const TGeoPoint cases[] = {
      {90.0001, 135.0, 0.0},           // a second past the pole
      {-91.0, 135.0, 0.0},             //
      {35.0, 180.0001, 0.0},           // a second past the date line
      {35.0, -200.0, 0.0},             //
      {90.0, 2.38e93, -6381823.0657},  // on the axis, where the longitude used to pass unchecked
      {1e300, 135.0, 0.0},             //
  };
  for (const TGeoPoint& in : cases) {
    SCOPED_TRACE(testing::Message() << in.lat << ", " << in.lon << ", " << in.height);
    TGeoPoint out = Garbage();
    EXPECT_FALSE(DmsConv("GRS-83", "WGS 84", &in, &out));
    EXPECT_EQ(std::memcmp(&out, &in, sizeof out), 0);
  }
  // The edges are on it.
  for (const TGeoPoint& in : {TGeoPoint{90.0, 180.0, 0.0}, TGeoPoint{-90.0, -180.0, 0.0}}) {
    TGeoPoint out = Garbage();
    EXPECT_TRUE(DmsConv("GRS-83", "WGS 84", &in, &out)) << in.lat << ", " << in.lon;
  }
}

}  // namespace
