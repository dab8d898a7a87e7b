// SPDX-License-Identifier: GPL-3.0-or-later
// The track in runs: a loss of the receiver longer than a minute starts a new segment, which the
// drawing does not bridge and the GPX file keeps; the GPX file read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "geodrel.h"
#include "maps/GpxFile.h"
#include "tests/common/TempFiles.h"
#include "track/TrackList.h"

namespace orvane {
namespace {

TNmeaRec At(const std::string& time, double lat, const std::string& date = "081226") {
  TNmeaRec r;
  r.FixValid = true;
  r.FixTime = time;
  r.FixDate = date;
  r.Lat = lat;
  r.Lon = 134.0;
  r.LatNS = "N";
  r.LonEW = "E";
  r.GpsDatum = "WGS 84";
  return r;
}

// Which entries start a new segment, for a run of samples (time, latitude) at `interval` ms.
std::vector<bool> Breaks(const std::vector<std::pair<const char*, double>>& samples, int32_t interval = 1000,
                         int32_t dataMax = 1000) {
  TTrackList t;
  for (const auto& [time, lat] : samples) t.Sample(At(time, lat), "WGS 84", dataMax, interval);
  std::vector<bool> out;
  for (const TTrackEntry& e : t.Entries()) out.push_back(e.NewSegment);
  return out;
}

TEST(TrackSegmentsTest, ALossOfMoreThanAMinuteStartsANewSegment) {
  // Entries: the first never starts a segment.
  EXPECT_EQ(Breaks({{"09:00:00", 34.0}, {"09:00:01", 34.1}, {"09:02:00", 34.2}, {"09:02:01", 34.3}}),
            (std::vector<bool>{false, false, true, false}));
  // A minute and a second later (the interval of 1 s allowed for) is still the same run.
  EXPECT_EQ(Breaks({{"09:00:00", 34.0}, {"09:01:01", 34.1}}), (std::vector<bool>{false, false}));
  // Standing still for two minutes is no loss: each sample saw the fix.
  EXPECT_EQ(Breaks({{"09:00:00", 34.0}, {"09:01:00", 34.0}, {"09:02:00", 34.0}, {"09:02:01", 34.1}}),
            (std::vector<bool>{false, false}));
  // Sampling every five minutes is no loss either.
  EXPECT_EQ(Breaks({{"09:00:00", 34.0}, {"09:05:00", 34.1}, {"09:10:00", 34.2}}, 300000),
            (std::vector<bool>{false, false, false}));
  // A receiver that went quiet (the record keeps its last time) and came back two minutes later.
  EXPECT_EQ(Breaks({{"09:00:00", 34.0}, {"09:00:00", 34.0}, {"09:00:00", 34.0}, {"09:02:00", 34.1}}),
            (std::vector<bool>{false, true}));
  // Coming back where it was lost: the break waits for the first point that is added.
  EXPECT_EQ(Breaks({{"09:00:00", 34.0}, {"09:05:00", 34.0}, {"09:05:01", 34.1}}), (std::vector<bool>{false, true}));
  // Across midnight the date carries the day on.
  TTrackList t;
  t.Sample(At("23:59:59", 34.0, "081226"), "WGS 84", 1000);
  t.Sample(At("00:00:00", 34.1, "091226"), "WGS 84", 1000);
  t.Sample(At("00:00:01", 34.2, "081226"), "WGS 84", 1000);  // a day back: another recording
  EXPECT_FALSE(t[1].NewSegment);
  EXPECT_TRUE(t[2].NewSegment);
  t.Clear();
  t.Sample(At("09:00:00", 34.0), "WGS 84", 1000);
  EXPECT_FALSE(t[0].NewSegment);
}

TEST(TrackSegmentsTest, ThinningKeepsEveryBreak) {
  // The break at index 3 goes with its entry and passes to index 4.
  const auto b = Breaks({{"09:00:00", 34.0},
                         {"09:00:01", 34.1},
                         {"09:00:02", 34.2},
                         {"09:05:00", 34.3},
                         {"09:05:01", 34.4},
                         {"09:05:02", 34.5}},
                        1000, 5);
  EXPECT_EQ(b, (std::vector<bool>{false, false, true, false}));
  // A break on the last entry, which thinning drops, passes to the entry appended next.
  EXPECT_EQ(Breaks({{"09:00:00", 34.0}, {"09:05:00", 34.1}, {"09:05:01", 34.2}}, 1000, 2),
            (std::vector<bool>{false, true}));
}

class TrackGpxTest : public TempDir {};

TEST_F(TrackGpxTest, WrittenThenReadBackInWgs84WithTimesAndSegments) {
  TTrackList t;
  TNmeaRec r = At("23:59:58", 35.3931);
  r.Altitude = 45.5;
  r.AltUnit = 'm';
  ASSERT_TRUE(t.Sample(r, "Tokyo", 1000));
  r = At("23:59:59", 35.3932);
  r.LonEW = "W";
  ASSERT_TRUE(t.Sample(r, "WGS 84", 1000));  // the map datum changed between samples
  r = At("00:03:00", 35.3933, "091226");
  r.FixDate.clear();  // no RMC date
  ASSERT_TRUE(t.Sample(r, "WGS 84", 1000));

  const std::string path = (dir / "t.gpx").string();
  WriteGpxFile(path, t);
  const std::string text = ReadAll(path);
  const TGpxData d = ReadGpx(text, path);
  ASSERT_EQ(d.Lines.size(), 2u);
  ASSERT_EQ(d.Lines[0].Points.size(), 2u);
  ASSERT_EQ(d.Lines[1].Points.size(), 1u);
  EXPECT_EQ(d.Lines[1].Kind, TGpxLineKind::Track);
  // Back from the Tokyo datum to the receiver's WGS 84 position, within a millimetre or so.
  EXPECT_NEAR(d.Lines[0].Points[0].Lat, DmsToDeg(35.3931), 2e-8);
  EXPECT_NEAR(d.Lines[0].Points[0].Lon, 134.0, 2e-8);
  EXPECT_NEAR(d.Lines[0].Points[1].Lat, DmsToDeg(35.3932), 1e-9);
  EXPECT_NEAR(d.Lines[0].Points[1].Lon, -134.0, 1e-9);
  EXPECT_NE(text.find("<ele>45.5</ele><time>2026-12-08T23:59:58Z</time>"), std::string::npos) << text;
  EXPECT_NE(text.find("<time>2026-12-08T23:59:59Z</time>"), std::string::npos);
  EXPECT_EQ(text.find("<ele>", text.find("<ele>") + 1), std::string::npos);  // only the GGA height
  EXPECT_EQ(text.find("00:03:00"), std::string::npos);                       // no date, no time
}

TEST_F(TrackGpxTest, TheFileKindFollowsTheFilterOrTheExtension) {
  struct Row {
    const char* name;
    bool filter, gpx;
  } rows[] = {{"a.gpx", false, true}, {"a.GPX", false, true}, {"a.txt", false, false},
              {"a.txt", true, true},  {"gpx", false, false},  {"a.gpx.txt", false, false}};
  for (const Row& r : rows) EXPECT_EQ(TrackFileIsGpx(r.name, r.filter), r.gpx) << r.name;
  // An empty track is still a valid document.
  const TGpxData d = ReadGpx(TrackGpx(TTrackList{}), "empty");
  EXPECT_TRUE(d.Lines.empty());
}

}  // namespace
}  // namespace orvane
