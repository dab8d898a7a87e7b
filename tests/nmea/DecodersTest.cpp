// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "nmea/UNmeaProc.h"
#include "tests/nmea/RecordingDisplay.h"

namespace orvane {
namespace {

using test::RecordingDisplay;

struct Decoders : ::testing::Test {
  TNmeaRec rec;
  RecordingDisplay display;
  TNmeaProc proc{rec, display};
  void Feed(const std::string& sentence) { proc.ProcessNmea(sentence + "\r\n"); }

  // One GSV message with satellites "PRN,elev,az,snr" given as groups.
  void Gsv(int total, int number, int inView, std::vector<std::string> groups) {
    std::string s = "$GPGSV," + std::to_string(total) + "," + std::to_string(number) + "," + std::to_string(inView);
    for (const std::string& g : groups) s += "," + g;
    unsigned sum = 0;
    for (size_t i = 1; i < s.size(); ++i) sum ^= static_cast<unsigned char>(s[i]);
    char star[4];
    std::snprintf(star, sizeof star, "*%02X", sum);
    Feed(s + star);
  }
};

std::string Sat(int prn) { return (prn < 10 ? "0" : "") + std::to_string(prn) + ",45,180,40"; }

TEST_F(Decoders, GsvCycleFillsTheTableInOrderAndRefreshesVisibilityAtItsEnd) {
  Gsv(3, 1, 12, {Sat(1), Sat(2), Sat(3), Sat(4)});
  Gsv(3, 2, 12, {Sat(5), Sat(6), Sat(7), Sat(8)});
  EXPECT_TRUE(display.visibility.empty());
  Gsv(3, 3, 12, {Sat(9), Sat(10), Sat(11), Sat(12)});
  EXPECT_EQ(rec.SatInView, 12);
  EXPECT_EQ(proc.GsvSatCount(), 12);
  EXPECT_EQ(rec.SatInViewList, "01,02,03,04,05,06,07,08,09,10,11,12");
  ASSERT_EQ(display.placed.size(), 12u);
  EXPECT_EQ(display.placed[11], (RecordingDisplay::Placement{"12", 12, 45, 180, 40}));
  ASSERT_EQ(display.visibility.size(), 24u);
  for (int n = 1; n <= 24; ++n) EXPECT_EQ(display.visibility[n - 1], std::make_pair(n, n <= 12));
}

TEST_F(Decoders, NewGsvCycleClearsOldPrnsButSkipsEmptyGroups) {
  Gsv(1, 1, 4, {Sat(1), Sat(2), Sat(3), Sat(4)});
  Gsv(1, 1, 2, {Sat(7), ",,,", Sat(9), ",,,"});
  EXPECT_EQ(rec.SatInViewList, "07,09");
  EXPECT_EQ(rec.Sats[1].Prn, "09");
  EXPECT_EQ(rec.Sats[2].Prn, "");
  EXPECT_EQ(rec.Sats[2].Elevation, 45);  // only the number is forgotten
}

// A last message that ends after its satellites, as most receivers send it: stored, and the
// cycle ends; a signal ID after it is no satellite, and a part group is read as far as it goes.
TEST_F(Decoders, ShortFinalGsvMessageEndsTheCycle) {
  Gsv(3, 1, 9, {Sat(1), Sat(2), Sat(3), Sat(4)});
  Gsv(3, 2, 9, {Sat(5), Sat(6), Sat(7), Sat(8)});
  Gsv(3, 3, 9, {Sat(9)});
  EXPECT_EQ(proc.GsvSatCount(), 9);
  EXPECT_EQ(rec.SatInViewList, "01,02,03,04,05,06,07,08,09");
  ASSERT_EQ(display.visibility.size(), 24u);
  EXPECT_EQ(display.visibility[8], std::make_pair(9, true));
  EXPECT_EQ(display.visibility[9], std::make_pair(10, false));

  Gsv(2, 1, 6, {Sat(1), Sat(2), Sat(3), Sat(4), "1"});
  Gsv(2, 2, 6, {Sat(5), "1"});
  Gsv(2, 2, 6, {"06,45,180,20", "6"});  // another band: passed over
  EXPECT_EQ(rec.SatInViewList, "01,02,03,04,05");

  Gsv(1, 1, 2, {Sat(1), "11,30,200"});
  EXPECT_EQ(rec.SatInViewList, "01,11");
  EXPECT_EQ(rec.Sats[1].Azimuth, 200);
  EXPECT_EQ(rec.Sats[1].Snr, 0);

  // No satellite in view (a receiver starting cold): the sky is emptied, not left as it was.
  display.visibility.clear();
  Gsv(1, 1, 0, {});
  EXPECT_EQ(rec.SatInView, 0);
  EXPECT_EQ(rec.SatInViewList, "");
  ASSERT_EQ(display.visibility.size(), 24u);
  EXPECT_EQ(display.visibility[0], std::make_pair(1, false));
}

TEST_F(Decoders, GsvStoresNoMoreThan24Satellites) {
  for (int m = 1; m <= 7; ++m) Gsv(7, m, 28, {Sat(4 * m - 3), Sat(4 * m - 2), Sat(4 * m - 1), Sat(4 * m)});
  EXPECT_EQ(proc.GsvSatCount(), 24);
  EXPECT_EQ(display.placed.size(), 24u);
  EXPECT_EQ(rec.Sats[23].Prn, "24");
}

TEST_F(Decoders, GsvWithoutItsFirstMessageContinuesTheCount) {
  Gsv(2, 1, 6, {Sat(1), Sat(2), Sat(3), Sat(4)});
  Gsv(2, 2, 6, {Sat(5), Sat(6), ",,,", ",,,"});
  Gsv(2, 2, 6, {Sat(7), Sat(8), ",,,", ",,,"});
  EXPECT_EQ(proc.GsvSatCount(), 8);
  EXPECT_EQ(rec.SatInViewList, "01,02,03,04,05,06,07,08");
}

TEST_F(Decoders, GsvCyclesOfOtherSignalsLeaveTheL1Levels) {
  Gsv(1, 1, 4, {Sat(1), Sat(2), Sat(3), Sat(4), "1"});
  Gsv(1, 1, 3, {"01,45,180,31", "02,45,180,30", "04,45,180,29", ",,,", "6"});
  EXPECT_EQ(rec.SatInViewList, "01,02,03,04");
  for (int n = 0; n < 4; ++n) EXPECT_EQ(rec.Sats[n].Snr, 40) << n;
  EXPECT_EQ(display.placed.size(), 4u);
}

TEST_F(Decoders, GsaMarksUsedSatellitesByTextAndSetsTheFix) {
  Gsv(1, 1, 4, {Sat(1), Sat(2), Sat(3), "7,10,20,30"});
  display.colours.clear();
  Feed("$GPGSA,A,3,01,03,7,,,,,,,,,,2.5,1.3,2.1*01");
  EXPECT_TRUE(rec.FixValid);
  EXPECT_EQ(rec.FixMode, '3');
  EXPECT_FLOAT_EQ(rec.Pdop, 2.5f);
  EXPECT_FLOAT_EQ(rec.Hdop, 1.3f);
  EXPECT_FLOAT_EQ(rec.Vdop, 2.1f);
  EXPECT_EQ(display.fixCaptions.back(), "3D Fix");
  EXPECT_EQ(rec.SatUsedList, "01,03,7");
  EXPECT_TRUE(rec.Sats[0].Used);
  EXPECT_FALSE(rec.Sats[1].Used);
  EXPECT_TRUE(rec.Sats[3].Used);  // "7" matches "7"
  // Every symbol first turns red, then the used ones blue.
  ASSERT_EQ(display.colours.size(), 27u);
  EXPECT_EQ(display.colours[0], std::make_pair(1, clRed));
  EXPECT_EQ(display.colours[24], std::make_pair(1, clBlue));
  EXPECT_EQ(display.colours[26], std::make_pair(4, clBlue));
}

TEST_F(Decoders, GsaMatchIsTextualAndListStartsAtTheFirstPrnField) {
  Gsv(1, 1, 1, {Sat(7), ",,,", ",,,", ",,,"});
  Feed("$GPGSA,A,2,,7,,,,,,,,,,,1.0,1.0,1.0");
  EXPECT_FALSE(rec.Sats[0].Used);  // "07" is not "7"
  EXPECT_EQ(rec.SatUsedList, ",7");
  EXPECT_EQ(display.fixCaptions.back(), "2D Fix");
}

// A receiver sends one GSA per system, or per twelve satellites, each second: those used are
// the union of that second's GSAs, for the sky view's colours and the count alike.
TEST(GsaUnion, UsedSatellitesAreTheUnionOfOneSecondsGsas) {
  struct Row {
    bool gnss;
    std::vector<std::string> sentences;
    size_t used;
    size_t blue;  // of the four in view: 01, 02, 03 and (GLONASS with Gnss on) 66
  } rows[] = {
      {false, {"$GPGSA,A,3,01,02,,,,,,,,,,,1.0,1.0,1.0", "$GPGSA,A,3,03,,,,,,,,,,,,1.0,1.0,1.0"}, 3, 3},
      // A sentence of another kind ends the second: the next GSA begins afresh.
      {false, {"$GPGSA,A,3,01,02,,,,,,,,,,,1.0,1.0,1.0", "$GPGLL,,,,,,", "$GPGSA,A,3,03,,,,,,,,,,,,1.0,1.0,1.0"}, 1, 1},
      {false, {"$GPGSA,A,3,01,02,,,,,,,,,,,1.0,1.0,1.0", "$GPGSA,A,3,02,,,,,,,,,,,,1.0,1.0,1.0"}, 2, 2},
      // Multi-GNSS: by system ID, and by PRN range for a GN GSA without one.
      {true,
       {"$GNGSA,A,3,01,02,,,,,,,,,,,1.0,1.0,1.0,1", "$GNGSA,A,3,66,67,68,,,,,,,,,,1.0,1.0,1.0,2",
        "$GNGSA,A,3,01,,,,,,,,,,,,1.0,1.0,1.0,3"},
       6,
       3},
      {true, {"$GNGSA,A,3,01,02,,,,,,,,,,,1.0,1.0,1.0", "$GNGSA,A,3,66,67,,,,,,,,,,,1.0,1.0,1.0"}, 4, 3},
  };
  for (const Row& r : rows) {
    TNmeaRec rec;
    rec.Gnss = r.gnss;
    RecordingDisplay display;
    TNmeaProc proc{rec, display};
    const std::string talker = r.gnss ? "GN" : "GP";
    proc.ProcessNmea("$" + talker + "GSV,1,1,04,01,45,180,40,02,45,180,40,03,45,180,40,66,45,180,40\r\n");
    for (const std::string& s : r.sentences) proc.ProcessNmea(s + "\r\n");
    SCOPED_TRACE(r.sentences.back());
    EXPECT_EQ(proc.UsedSatCount(), r.used);
    size_t blue = 0;
    for (const TSatInfo& sat : rec.Sats) blue += sat.Used;
    EXPECT_EQ(blue, r.blue) << rec.SatUsedList;
  }
}

TEST_F(Decoders, GsaMatchesWholePrnTextsOfAnyLength) {
  // Texts that agree in their first seven characters, in their length, or in every character
  // but the case.
  Gsv(2, 1, 6, {"1234567,1,1,1", "12345678,1,1,1", "12345679,1,1,1", "x,1,1,1"});
  Gsv(2, 2, 6, {"X,1,1,1", "7 ,1,1,1", ",,,", ",,,"});
  Feed("$GPGSA,A,3,12345678,x,x,1234567,,,,,,,,,1.0,1.0,1.0");
  const bool used[] = {true, true, false, true, false, false};
  for (int n = 0; n < 6; ++n) EXPECT_EQ(rec.Sats[n].Used, used[n]) << rec.Sats[n].Prn;
}

TEST_F(Decoders, GsaWithoutAFixKeepsColoursAndDilutions) {
  Feed("$GPGSA,A,3,01,,,,,,,,,,,,2.5,1.3,2.1");
  display.colours.clear();
  Feed("$GPGSA,A,1,,,,,,,,,,,,,9.9,9.9,9.9");
  EXPECT_FALSE(rec.FixValid);
  EXPECT_EQ(display.fixCaptions.back(), "FIX N/A");
  EXPECT_TRUE(display.colours.empty());
  EXPECT_FLOAT_EQ(rec.Pdop, 2.5f);
  EXPECT_EQ(rec.FixMode, '3');
  Feed("$GPGSA,A,,,,,,,,,,,,,,1,1,1");
  EXPECT_FALSE(rec.FixValid);
  // A letter for the fix type counts as a fix: its code is above "1".
  Feed("$GPGSA,A,M,,,,,,,,,,,,,1,1,1");
  EXPECT_TRUE(rec.FixValid);
  EXPECT_EQ(display.fixCaptions.back(), "MD Fix");
}

TEST_F(Decoders, GgaStoresPositionQualityAndHeights) {
  Feed("$GPGGA,123456.00,3539.1234,N,13945.5000,E,1,07,1.0,45.3,M,36.7,M,,*5A");
  EXPECT_EQ(rec.FixTime, "12:34:56");
  EXPECT_NEAR(rec.Lat, 35.3907404, 1e-12);
  EXPECT_EQ(rec.LatNS, "N");
  EXPECT_NEAR(rec.Lon, 139.453, 1e-12);
  EXPECT_EQ(rec.LonEW, "E");
  EXPECT_EQ(rec.FixQuality, "GPS Fix");
  EXPECT_EQ(rec.SatUsed, 7);
  EXPECT_FLOAT_EQ(rec.GgaHdop, 1.0f);
  EXPECT_DOUBLE_EQ(rec.Altitude, 45.3);
  EXPECT_EQ(rec.AltUnit, 'm');
  EXPECT_DOUBLE_EQ(rec.Geoid, 36.7);
  EXPECT_EQ(rec.GeoidUnit, 'm');
  EXPECT_EQ(display.gga.size(), 1u);
}

// Today's receivers say RTK, DGPS and dead reckoning in the GGA; the caption says it in words.
TEST_F(Decoders, TheGgaQualityNamesTheFixAndItsCaption) {
  const struct {
    char quality;
    const char* name;
    const char* caption;  // after a 3D GSA
  } cases[] = {
      {'1', "GPS Fix", "3D Fix"},         {'2', "DGPS Fix", "3D DGPS"},       {'3', "PPS Fix", "PPS"},
      {'4', "RTK Fixed", "3D RTK Fixed"}, {'5', "RTK Float", "3D RTK Float"}, {'6', "Dead Reckoning", "Dead Reckoning"},
      {'8', "Simulation", "Simulation"},  {'0', "Invalid", "3D Fix"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.quality);
    Feed(std::string("$GPGGA,123456.00,3539.1234,N,13945.5000,E,") + c.quality + ",07,1.0,45.3,M,36.7,M,,");
    Feed("$GPGSA,A,3,01,,,,,,,,,,,,2.5,1.3,2.1");
    EXPECT_EQ(rec.FixQuality, c.name);
    EXPECT_EQ(display.fixCaptions.back(), c.caption);
  }
  // A receiver that sends no GGA keeps the fix type alone.
  TNmeaRec fresh;
  RecordingDisplay shown;
  TNmeaProc gsaOnly{fresh, shown};
  gsaOnly.ProcessNmea("$GPGSA,A,2,01,,,,,,,,,,,,2.5,1.3,2.1\r\n");
  EXPECT_EQ(shown.fixCaptions.back(), "2D Fix");
}

TEST_F(Decoders, GgaWithEmptyFieldsClearsPositionButKeepsQuality) {
  Feed("$GPGGA,123456.00,3539.1234,N,13945.5000,E,2,07,1.0,45.3,M,36.7,M,,");
  Feed("$GPGGA,123457.00,,,,,,00,,,,,,,");
  EXPECT_EQ(rec.Lat, 0);
  EXPECT_EQ(rec.LatNS, "");
  EXPECT_EQ(rec.Lon, 0);
  EXPECT_EQ(rec.LonEW, "");
  EXPECT_EQ(rec.FixQuality, "DGPS Fix");
  EXPECT_EQ(rec.Altitude, 0);
  EXPECT_EQ(rec.AltUnit, 0);
  EXPECT_EQ(rec.GeoidUnit, 0);
  Feed("$GPGGA,123458.00,,,,,9,00,,,,,,,");  // no such quality: the last one stays
  EXPECT_EQ(rec.FixQuality, "DGPS Fix");
  Feed("$GPGGA,123459.00,,,,,0,00,,1.5,,,,,");
  EXPECT_EQ(rec.FixQuality, "Invalid");
  EXPECT_EQ(rec.Altitude, 1.5);
  EXPECT_EQ(rec.AltUnit, 0);
}

TEST_F(Decoders, GllStoresItsOwnPositionAndKeepsAnEmptyStatus) {
  Feed("$GPGLL,3539.1234,S,13945.5000,W,123456.00,A,A*66");
  EXPECT_NEAR(rec.GllLat, 35.3907404, 1e-12);
  EXPECT_EQ(rec.GllLatNS, "S");
  EXPECT_NEAR(rec.GllLon, 139.453, 1e-12);
  EXPECT_EQ(rec.GllLonEW, "W");
  EXPECT_EQ(rec.GllTime, "12:34:56");
  EXPECT_EQ(rec.GllStatus, 'A');
  EXPECT_EQ(rec.Lat, 0);  // the GGA/RMC position is not touched
  Feed("$GPGLL,,,,,,");
  EXPECT_EQ(rec.GllLat, 0);
  EXPECT_EQ(rec.GllLonEW, "");
  EXPECT_EQ(rec.GllTime, "::");
  EXPECT_EQ(rec.GllStatus, 'A');
}

TEST_F(Decoders, RmcStoresSpeedCourseDateAndVariation) {
  rec.GpsFix = "$GPGSA";
  Feed("$GPRMC,010203.00,A,3539.1234,N,13945.5000,E,10.0,45.5,061226,7.0,W,A*23");
  EXPECT_EQ(rec.FixTime, "01:02:03");
  EXPECT_NEAR(rec.Lat, 35.3907404, 1e-12);
  EXPECT_NEAR(rec.Speed, 18.52, 1e-12);
  EXPECT_NEAR(rec.Course, 45.3, 1e-12);
  EXPECT_EQ(rec.FixDate, "061226");
  EXPECT_DOUBLE_EQ(rec.MagVar, 7.0);
  EXPECT_EQ(rec.MagVarEW, "W");
  EXPECT_FALSE(rec.FixValid);
  Feed("$GPRMC,010204.00,A,3539.1234,N,13945.5000,E,,90,,,");
  EXPECT_NEAR(rec.Speed, 18.52, 1e-12);  // an empty speed keeps the last
  EXPECT_NEAR(rec.Course, 90, 1e-12);
  EXPECT_EQ(rec.FixDate, "061226");
  EXPECT_EQ(rec.MagVar, 0);
  EXPECT_EQ(rec.MagVarEW, "");
}

TEST_F(Decoders, RmcSetsTheFixOnlyWhenItIsTheFixSource) {
  rec.GpsFix = "$GPRMC";
  Feed("$GPRMC,010203.00,V,,,,,,,,,");
  EXPECT_FALSE(rec.FixValid);
  Feed("$GPRMC,010203.00,V,3539.1234,N,13945.5000,E,,,,,");
  EXPECT_FALSE(rec.FixValid);  // "V": the receiver says the position is not valid
  Feed("$GPRMC,010204.00,A,3539.1234,N,13945.5000,E,,,,,");
  EXPECT_TRUE(rec.FixValid);
  Feed("$GPRMC,010205.00,V,3539.1234,N,13945.5000,E,,,,,");
  EXPECT_FALSE(rec.FixValid);
}

TEST_F(Decoders, PgrmmAnnouncesTheReceiversDatum) {
  rec.GpsDatum = "WGS 84";
  Feed("$PGRMM,Tokyo*2F");
  EXPECT_EQ(rec.GpsDatum, "Tokyo");
  Feed("$PGRMM,*69");
  EXPECT_EQ(rec.GpsDatum, "Tokyo");
}

// Each row is fed after the one before it: an empty field clears what the last sentence left, and
// a sentence too short for its decoder, or from a talker not taken, leaves the record alone.
TEST_F(Decoders, GstStoresTheErrorEstimate) {
  const struct {
    bool gnss;
    const char* sentence;
    std::array<double, 7> want;  // rms, major, minor, orientation, sigma of lat, lon, height
  } rows[] = {
      {false, "$GPGST,101010.00,1.2,2.5,1.5,45.0,1.8,2.1,3.4*6A", {1.2, 2.5, 1.5, 45, 1.8, 2.1, 3.4}},
      {false, "$GPGST,101011.00,0.5,,,,,,9", {0.5, 0, 0, 0, 0, 0, 9}},
      {false, "$GPGST,101012.00,7,7,7,7,7,7", {0.5, 0, 0, 0, 0, 0, 9}},
      {false, "$GNGST,101013.00,7,7,7,7,7,7,7", {0.5, 0, 0, 0, 0, 0, 9}},
      {true, "$GNGST,101014.00,0.8,1.0,0.7,10.0,0.9,0.8,1.5", {0.8, 1.0, 0.7, 10, 0.9, 0.8, 1.5}},
      {true, "$GPGST,101015.00,1.2,2.5,1.5,45.0,1.8,2.1,3.4*00", {0.8, 1.0, 0.7, 10, 0.9, 0.8, 1.5}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.sentence);
    rec.Gnss = r.gnss;
    Feed(r.sentence);
    const std::array<double, 7> got{rec.GstRms,      rec.GstMajor,    rec.GstMinor,   rec.GstOrient,
                                    rec.GstLatSigma, rec.GstLonSigma, rec.GstAltSigma};
    for (size_t i = 0; i < got.size(); ++i) EXPECT_DOUBLE_EQ(got[i], r.want[i]) << "field " << i + 2;
  }
}

TEST_F(Decoders, VtgStoresCoursesSpeedsAndMode) {
  const struct {
    bool gnss;
    const char* sentence;
    double courseTrue, courseMag, knots, kmh;
    char mode;
  } rows[] = {
      {false, "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A*25", 54.7, 34.4, 5.5, 10.2, 'A'},
      {false, "$GPVTG,90.0,T,,M,1.0,N,1.9", 54.7, 34.4, 5.5, 10.2, 'A'},
      {false, "$GLVTG,90.0,T,,M,1.0,N,1.9,K,D", 54.7, 34.4, 5.5, 10.2, 'A'},
      // Before NMEA 2.3 the sentence ends after the km/h unit.
      {false, "$GPVTG,270.0,T,,M,1.0,N,1.9,K", 270, 0, 1, 1.9, 0},
      {false, "$GPVTG,,T,,M,,N,,K,N", 0, 0, 0, 0, 'N'},
      {true, "$GNVTG,123.4,T,120.1,M,0.02,N,0.04,K,D", 123.4, 120.1, 0.02, 0.04, 'D'},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.sentence);
    rec.Gnss = r.gnss;
    Feed(r.sentence);
    EXPECT_DOUBLE_EQ(rec.VtgCourseTrue, r.courseTrue);
    EXPECT_DOUBLE_EQ(rec.VtgCourseMag, r.courseMag);
    EXPECT_DOUBLE_EQ(rec.VtgSpeedKn, r.knots);
    EXPECT_DOUBLE_EQ(rec.VtgSpeedKmh, r.kmh);
    EXPECT_EQ(rec.VtgMode, r.mode);
  }
  EXPECT_EQ(rec.Speed, 0);  // the RMC's speed and course are its own
  EXPECT_EQ(rec.Course, 0);
}

TEST_F(Decoders, ZdaStoresDateTimeAndLocalZone) {
  const struct {
    bool gnss;
    const char* sentence;
    const char *date, *time, *zone;
  } rows[] = {
      {false, "$GPZDA,101010.00,09,12,2026,00,00*6B", "2026-12-09", "10:10:10", "+00:00"},
      // The sign of the hours applies to the minutes: Newfoundland is 3 h 30 min west.
      {false, "$GPZDA,101011.00,09,12,2026,-03,30", "2026-12-09", "10:10:11", "-03:30"},
      {false, "$GPZDA,101012.00,09,12,2026,5,45", "2026-12-09", "10:10:12", "+05:45"},
      {false, "$GPZDA,101013.00,09,12,2026,-00,30", "2026-12-09", "10:10:13", "-00:30"},
      {false, "$GPZDA,101015.00,10,12,2026,01", "2026-12-09", "10:10:13", "-00:30"},
      {false, "$GPZDA,101014.00,,12,2026,,", "", "10:10:14", ""},
      {false, "$GPZDA,,,,,,", "", "", ""},
      {true, "$GNZDA,101016.00,10,12,2026,01,00", "2026-12-10", "10:10:16", "+01:00"},
      {true, "$GPZDA,101017.00,11,12,2026,01,00*FF", "2026-12-10", "10:10:16", "+01:00"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.sentence);
    rec.Gnss = r.gnss;
    Feed(r.sentence);
    EXPECT_EQ(rec.ZdaDate, r.date);
    EXPECT_EQ(rec.ZdaTime, r.time);
    EXPECT_EQ(rec.ZdaZone, r.zone);
  }
  EXPECT_EQ(rec.FixTime, "");  // the fix time is the GGA's and RMC's
}

TEST_F(Decoders, NonNumericFieldsReadAsZero) {
  Feed("$GPGGA,12x456,35x9.1,N,abc,E,1,seven,h,alt,M,?,M,,");
  EXPECT_EQ(rec.Lat, 0);
  EXPECT_EQ(rec.Lon, 0);
  EXPECT_EQ(rec.SatUsed, 0);
  EXPECT_EQ(rec.Altitude, 0);
  EXPECT_EQ(rec.FixTime, "12:x4:56");
}

TEST_F(Decoders, GnsQualityIsItsBestSystemsMode) {
  const struct {
    const char* modes;
    const char* quality;
    const char* caption;
  } rows[] = {{"AR", "RTK Fixed", "3D RTK Fixed"},
              {"FD", "RTK Float", "3D RTK Float"},
              {"NE", "Dead Reckoning", "Dead Reckoning"},
              {"DAAN", "DGPS Fix", "3D DGPS"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.modes);
    Feed(std::string("$GPGNS,120000.00,3539.1234,N,13945.5000,E,") + r.modes + ",12,0.7,45.3,36.7,,,S");
    Feed("$GPGSA,A,3,02,05,12,25,,,,,,,,,1.8,1.0,1.5");
    EXPECT_EQ(rec.FixQuality, r.quality);
    EXPECT_EQ(display.fixCaptions.back(), r.caption);
  }
  // Letters no receiver should send leave the last quality.
  Feed("$GPGNS,120001.00,3539.1234,N,13945.5000,E,XY,12,0.7,45.3,36.7,,,S");
  EXPECT_EQ(rec.FixQuality, "DGPS Fix");
  EXPECT_EQ(rec.SatUsed, 12);
  EXPECT_EQ(rec.AltUnit, 'm');
}

TEST_F(Decoders, TxtKeepsTheNewestTenAndShowsWarningsAndErrors) {
  Feed("$GPGGA,101010.00,5130.0000,N,00007.0000,W,1,09,0.9,20.0,M,47.0,M,,");
  for (int n = 0; n < 12; ++n) Feed("$GPTXT,01,01," + std::string(n % 3 == 0 ? "01" : "02") + ",M" + std::to_string(n));
  Feed("$GPTXT,01,01,00,JAMMING,INTERFERENCE");
  ASSERT_EQ(rec.Texts.size(), kMaxReceiverTexts);
  EXPECT_EQ(rec.Texts.front().Text, "M3");
  EXPECT_EQ(rec.Texts.back().Text, "JAMMING,INTERFERENCE");
  EXPECT_EQ(rec.Texts.back().Time, "10:10:10");
  EXPECT_EQ(display.texts,
            (std::vector<std::string>{"Receiver warning: M0", "Receiver warning: M3", "Receiver warning: M6",
                                      "Receiver warning: M9", "Receiver error: JAMMING,INTERFERENCE"}));
}

TEST_F(Decoders, AccuracyBlockIsTheGstsOnceOneCame) {
  Feed("$GPGBS,015509.00,-0.031,-0.186,0.219,19,0.000,-0.354,6.972");
  ASSERT_EQ(display.accuracy.size(), 1u);
  EXPECT_NE(display.accuracy[0].find("Accuracy (GBS)"), std::string::npos);
  EXPECT_NE(display.accuracy[0].find("Failed    19 (bias -0.354 m)"), std::string::npos);
  Feed("$GPGST,015510.00,1.2,2.5,1.5,45.0,1.8,2.1,3.4");
  Feed("$GPGBS,015510.00,-0.031,-0.186,0.219,,,,");
  ASSERT_EQ(display.accuracy.size(), 3u);
  EXPECT_NE(display.accuracy[2].find("Sigma     N 1.800 E 2.100 U 3.400 m"), std::string::npos);
  EXPECT_EQ(rec.GbsFailedSat, "");
}

}  // namespace
}  // namespace orvane
