// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/NmeaBlocks.h"

#include <gtest/gtest.h>

#include "nmea/UNmeaProc.h"
#include "tests/nmea/RecordingDisplay.h"

namespace orvane {
namespace {

std::string Join(std::initializer_list<const char*> lines) {
  std::string out;
  for (const char* l : lines) out += (out.empty() ? "" : "\n\r") + std::string(l);
  return out;
}

struct Blocks : ::testing::Test {
  TNmeaRec rec;
  test::RecordingDisplay display;
  TNmeaProc proc{rec, display};
  void Feed(const std::string& s) { proc.ProcessNmea(s + "\r\n"); }
};

TEST_F(Blocks, GgaBlockShowsTheFixWithSatellitesInView) {
  Feed("$GPGSV,1,1,09,01,45,180,40,,,,,,,,,,,,");
  Feed("$GPGGA,123456.00,3539.1234,N,13945.5000,E,1,07,1.0,45.3,M,36.7,M,,*5A");
  ASSERT_EQ(display.gga.size(), 1u);
  EXPECT_EQ(display.gga[0],
            Join({"GPS Fix Data", "FixTime   (UTM)12:34:56 (UTM)", "Latitude  N 35.39074", "Longitude E 139.45300",
                  "Fix Qual. GPS Fix (Trk 7/9)", "Altitude  45.30 m (Geoid 36.70 m)"}));
}

TEST_F(Blocks, GllBlockCarriesTheLastDilutions) {
  Feed("$GPGSA,A,3,01,,,,,,,,,,,,1.25,0.95,2.05");
  Feed("$GPGLL,3539.1234,N,13945.5000,E,123456.00,A,A");
  ASSERT_EQ(display.gll.size(), 1u);
  // Ties round away from zero: 1.25 shows as 1.3.
  EXPECT_EQ(display.gll[0], Join({"Geographic Position", "FixTime   12:34:56 (UTM)", "Latitude  N 35.39074",
                                  "Longitude E 139.45300", "PDOP=1.3 HDOP=0.9 VDOP=2.0"}));
}

TEST_F(Blocks, RmcBlockShowsDateTimeSpeedAndTrailingBlanks) {
  Feed("$GPRMC,010203,A,3539.1234,N,13945.5000,E,10,45.5,061226,,,A");
  ASSERT_EQ(display.rmc.size(), 1u);
  EXPECT_EQ(display.rmc[0], Join({"GPS RMC Data", "FixTime   (UTM)061226 01:02:03 (UTM)", "Latitude  N 35.39074",
                                  "Longitude E 139.45300", "Speed     18.520 km/h", "Course    45.300 ",
                                  "Magnetic   0.00000", "Mode      Autonomous"}));
}

TEST_F(Blocks, MissingUnitsShowAsNothing) {
  rec.Altitude = -12.3456;
  EXPECT_EQ(GgaBlock(rec).substr(GgaBlock(rec).rfind('\r') + 1), "Altitude  -12.35  (Geoid 0.00 )");
}

TEST_F(Blocks, PositionLinesFollowTheCoordinateFormat) {
  struct Row {
    TCoordFormat format;
    const char* lat;
    const char* lon;
  } rows[] = {
      {TCoordFormat::DMmss, "Latitude  S 35.39074", "Longitude W 139.45300"},
      {TCoordFormat::Degrees, "Latitude  S 35.652057", "Longitude W 139.758333"},
      {TCoordFormat::Dms, "Latitude  35\u00B039'07.4\"S", "Longitude 139\u00B045'30.0\"W"},
  };
  for (const Row& r : rows) {
    rec.CoordFormat = r.format;
    Feed("$GPGLL,3539.1234,S,13945.5000,W,123456.00,A,A");
    rec.Lat = rec.GllLat, rec.Lon = rec.GllLon, rec.LatNS = rec.GllLatNS, rec.LonEW = rec.GllLonEW;
    for (const std::string& block : {display.gll.back(), GgaBlock(rec), RmcBlock(rec)}) {
      EXPECT_NE(block.find(std::string("\n\r") + r.lat + "\n\r"), std::string::npos) << block;
      EXPECT_NE(block.find(std::string("\n\r") + r.lon + "\n\r"), std::string::npos) << block;
    }
  }
}

}  // namespace
}  // namespace orvane
