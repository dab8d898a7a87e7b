// SPDX-License-Identifier: GPL-3.0-or-later
// The track list: samples from the receiver record, datum and hemisphere, duplicates, thinning;
// the track file; the sampling intervals of the menu.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "geodrel.h"
#include "tests/common/CommaLocale.h"
#include "tests/common/TempFiles.h"
#include "track/TrackList.h"

namespace orvane {
namespace {

TNmeaRec Fix(double lat, double lon, const std::string& time = "03:15:42") {
  TNmeaRec r;
  r.FixValid = true;
  r.FixTime = time;
  r.Lat = lat;
  r.Lon = lon;
  r.LatNS = "N";
  r.LonEW = "E";
  r.Altitude = 40;
  r.GpsDatum = "WGS 84";
  return r;
}

// Samples at distinct positions, each carrying its number as the time.
void Fill(TTrackList& t, int count, int32_t dataMax) {
  for (int i = 0; i < count; ++i)
    ASSERT_TRUE(t.Sample(Fix(35.0 + i * 0.0001, 139.0, std::to_string(i)), "WGS 84", dataMax));
}

TEST(TrackListTest, SampleConvertsFromTheReceiversDatumToTheMaps) {
  TTrackList t;
  const TNmeaRec r = Fix(35.3931, 139.4443);  // 35°39'31" N, 139°44'43" E on WGS 84
  ASSERT_TRUE(t.Sample(r, "Tokyo", 1000));
  ASSERT_EQ(t.Count(), 1u);
  EXPECT_EQ(t[0].FixTime, "03:15:42");

  // Around Tokyo, Tokyo-datum latitudes are about 11.6" smaller and longitudes about 11.5" larger
  // than those of WGS 84 (the usual linear approximation for Japan, good to a few metres).
  const double latDeg = DmsToDeg(35.3931), lonDeg = DmsToDeg(139.4443);
  const double dLat = 0.00010696 * latDeg - 0.000017467 * lonDeg - 0.0046020;
  const double dLon = 0.000046047 * latDeg + 0.000083049 * lonDeg - 0.010041;
  EXPECT_NEAR(DmsToDeg(t[0].Point.Lat), latDeg + dLat, 0.5 / 3600);
  EXPECT_NEAR(DmsToDeg(t[0].Point.Lon), lonDeg + dLon, 0.5 / 3600);
  EXPECT_LT(t[0].Point.Lat, 35.3931);
  EXPECT_GT(t[0].Point.Lon, 139.4443);

  TGeoPoint p{35.3931, 139.4443, 40}, q{};
  DmsConv("WGS 84", "Tokyo", &p, &q);
  EXPECT_EQ(t[0].Point.Lat, q.lat);
  EXPECT_EQ(t[0].Point.Lon, q.lon);
}

// Samples `r` on the map datum and expects it kept as entry `index`, at `lat`, `lon`.
void ExpectKept(TTrackList& t, const TNmeaRec& r, const std::string& datum, size_t index, double lat, double lon) {
  ASSERT_TRUE(t.Sample(r, datum, 1000));
  ASSERT_GT(t.Count(), index);
  EXPECT_EQ(t[index].Point.Lat, lat);
  EXPECT_EQ(t[index].Point.Lon, lon);
}

TEST(TrackListTest, HemisphereSignsComeAfterTheConversion) {
  TTrackList t;
  TNmeaRec r = Fix(35.233012, 139.452201);
  r.LatNS = "S";
  r.LonEW = "W";
  ASSERT_NO_FATAL_FAILURE(ExpectKept(t, r, "WGS 84", 0, -35.233012, -139.452201));

  // The datum shift is that of the unsigned position, then negated.
  r.Lat = 35.24;  // a move, so that the sample is kept
  TGeoPoint p{35.24, 139.452201, 40}, q{};
  DmsConv("WGS 84", "Tokyo", &p, &q);
  ASSERT_NO_FATAL_FAILURE(ExpectKept(t, r, "Tokyo", 1, -q.lat, -q.lon));

  // Only "S" and "W" sign; anything else is north and east.
  r.LatNS = "s";
  r.LonEW = "";
  ExpectKept(t, r, "WGS 84", 2, 35.24, 139.452201);
}

TEST(TrackListTest, UnknownDatumRecordsThePositionUnconverted) {
  TTrackList t;
  TNmeaRec r = Fix(35.3931, 139.4443);
  ASSERT_NO_FATAL_FAILURE(ExpectKept(t, r, "Nowhere 1900", 0, 35.3931, 139.4443));
  r.GpsDatum = "";
  r.Lat = 35.4;
  ExpectKept(t, r, "Tokyo", 1, 35.4, 139.4443);
}

TEST(TrackListTest, NoFixAndUnmovedReceiverAddNothing) {
  TTrackList t;
  TNmeaRec r = Fix(35.1, 139.1);
  r.FixValid = false;
  EXPECT_FALSE(t.Sample(r, "Tokyo", 1000));
  EXPECT_EQ(t.Count(), 0u);

  r.FixValid = true;
  EXPECT_TRUE(t.Sample(r, "Tokyo", 1000));
  for (int i = 0; i < 50; ++i) EXPECT_FALSE(t.Sample(r, "Tokyo", 1000));
  EXPECT_EQ(t.Count(), 1u);
  // Back to an earlier position after a move is a new entry; only the newest is compared.
  r.Lon = 139.2;
  EXPECT_TRUE(t.Sample(r, "Tokyo", 1000));
  r.Lon = 139.1;
  EXPECT_TRUE(t.Sample(r, "Tokyo", 1000));
  EXPECT_EQ(t.Count(), 3u);
  // A move in latitude alone counts too.
  r.Lat = 35.2;
  EXPECT_TRUE(t.Sample(r, "Tokyo", 1000));
}

TEST(TrackListTest, ThinningAtDataMaxKeepsEverySecondEntry) {
  TTrackList t;
  Fill(t, 1000, 1000);
  ASSERT_EQ(t.Count(), 1000u);
  ASSERT_TRUE(t.Sample(Fix(36.0, 139.0, "new"), "WGS 84", 1000));
  ASSERT_EQ(t.Count(), 501u);
  for (size_t i = 0; i < 500; ++i) ASSERT_EQ(t[i].FixTime, std::to_string(2 * i)) << i;
  EXPECT_EQ(t[500].FixTime, "new");
  EXPECT_EQ(t[500].Point.Lat, 36.0);
  EXPECT_EQ(t[499].Point.Lat, 35.0 + 998 * 0.0001);
  EXPECT_EQ(TrackCaption(t.Count(), 1000), "Route Track  (501/1000)");

  // A DataMax lowered below the count thins once per sample.
  TTrackList u;
  Fill(u, 10, 1000);
  ASSERT_TRUE(u.Sample(Fix(36.0, 139.0, "x"), "WGS 84", 4));
  EXPECT_EQ(u.Count(), 6u);
}

TEST(TrackListTest, SmallDataMax) {
  // Two or less: the first entry and the newest.
  for (int32_t max : {2, 1, 0, -5}) {
    TTrackList t;
    Fill(t, 7, max);
    ASSERT_EQ(t.Count(), 2u) << max;
    EXPECT_EQ(t[0].FixTime, "0");
    EXPECT_EQ(t[1].FixTime, "6");
  }
  // Three: each sample removes index 1 and appends.
  TTrackList t;
  Fill(t, 3, 3);
  ASSERT_EQ(t.Count(), 3u);
  ASSERT_TRUE(t.Sample(Fix(36.0, 139.0, "3"), "WGS 84", 3));
  ASSERT_EQ(t.Count(), 3u);
  EXPECT_EQ(t[0].FixTime, "0");
  EXPECT_EQ(t[1].FixTime, "2");
  EXPECT_EQ(t[2].FixTime, "3");
  ASSERT_TRUE(t.Sample(Fix(36.1, 139.0, "4"), "WGS 84", 3));
  EXPECT_EQ(t[1].FixTime, "3");
  EXPECT_EQ(t[2].FixTime, "4");
}

TEST(TrackListTest, Caption) {
  EXPECT_EQ(TrackCaption(0, 1000), "Route Track  (0/1000)");
  EXPECT_EQ(TrackCaption(3, 2), "Route Track  (3/2)");
}

class TrackFileTest : public TempDir {};

TEST_F(TrackFileTest, OneLinePerEntryWithSixDecimalsAndCrLf) {
  TTrackList t;
  // 35°23'30.12" S, 139°45'22.01" E.
  TNmeaRec r = Fix(35.233012, 139.452201);
  r.LatNS = "S";
  ASSERT_TRUE(t.Sample(r, "WGS 84", 1000));
  t.Append({"03:15:43", {35.1, -0.0000004}});
  t.Append({"23:59:59", {0, 179.99999999}});
  const std::string expected =
      "03:15:42,-35.233012,139.452201\r\n"
      "03:15:43,35.100000,-0.000000\r\n"
      "23:59:59,0.000000,180.000000\r\n";

  const auto path = dir / "track.txt";
  WriteTrackFile(path.string(), t);
  EXPECT_EQ(ReadAll(path), expected);

  // The same bytes under a locale that writes decimal commas; the file is replaced.
  test::CommaLocale comma;
  if (!comma.active()) GTEST_SKIP() << "no comma locale";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  ASSERT_STREQ(probe, "1,5");
  WriteAll(path, std::string(500, 'x'));
  WriteTrackFile(path.string(), t);
  EXPECT_EQ(ReadAll(path), expected);
}

TEST_F(TrackFileTest, EmptyTrackGivesAnEmptyFile) {
  const auto path = dir / "empty.txt";
  WriteAll(path, "old content\r\n");
  WriteTrackFile(path.string(), TTrackList{});
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST_F(TrackFileTest, UnwritableTargetIsAnErrorNamingTheFile) {
  TTrackList t;
  t.Append({"03:15:42", {35.0, 139.0}});
  const std::string missing = (dir / "no such folder" / "track.txt").string();
  try {
    WriteTrackFile(missing, t);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
  }
  EXPECT_THROW(WriteTrackFile(dir.string(), t), std::runtime_error);

  // A device that takes nothing: the failure shows up when the file is closed at the latest.
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP();
  try {
    WriteTrackFile("/dev/full", t);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("/dev/full"), std::string::npos) << e.what();
  }
}

TEST(TrackIntervalTest, MenuPeriodsAndOtherAnswers) {
  EXPECT_EQ(TimerPeriod(1000), 1010);
  EXPECT_EQ(TimerPeriod(300000), 300010);
  EXPECT_EQ(TimerPeriod(2147483647), 2147483647);

  EXPECT_EQ(OtherInterval("7"), 7000);
  EXPECT_EQ(OtherInterval(" 12 "), 12000);
  for (const char* one : {"0", "", "abc", "-5", "-2147483648", "1"}) EXPECT_EQ(OtherInterval(one), 1000) << one;
  // No answer overflows the millisecond count or the timer period.
  const int32_t most = OtherInterval("2147483647");
  EXPECT_GT(most, 2000000000);
  EXPECT_EQ(most % 1000, 0);
  EXPECT_GE(TimerPeriod(most), most);

  EXPECT_EQ(OtherIntervalPrompt(1000), "1");
  EXPECT_EQ(OtherIntervalPrompt(5500), "5");
  EXPECT_EQ(OtherIntervalPrompt(300000), "300");
  // Cancelling returns the prompt: the interval stays in whole seconds.
  EXPECT_EQ(OtherInterval(OtherIntervalPrompt(5500)), 5000);
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

TEST_F(TrackFileTest, AFailedSaveLeavesTheEarlierFileWhole) {
  TTrackList t;
  for (int i = 0; i < 100; ++i) t.Append({"03:15:42", {35.0 + i, 139.0}});
  const std::filesystem::path path = dir / "track.txt";
  WriteAll(path, "earlier track\r\n");
  // A file size limit stands in for a full disk.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 100;
  ::setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_THROW(WriteTrackFile(path.string(), t), std::runtime_error);
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(ReadAll(path), "earlier track\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace orvane
