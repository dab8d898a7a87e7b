// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "geodrel.h"
#include "nmea/UNmeaProc.h"
#include "tests/nmea/RecordingDisplay.h"

namespace orvane {
namespace {

using test::RecordingDisplay;

std::string ReadLog(const std::string& name) {
  std::ifstream in(std::string(ORVANE_GNSS_LOGS) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// In view and used, by system letter, of the satellites stored.
std::map<char, std::pair<int, int>> BySystem(const TNmeaRec& rec) {
  std::map<char, std::pair<int, int>> by;
  for (const TSatInfo& s : rec.Sats) {
    if (s.Prn.empty()) continue;
    auto& [seen, used] = by[SystemLetter(s.System) ? SystemLetter(s.System) : '?'];
    ++seen;
    used += s.Used;
  }
  return by;
}

// Receivers' logs as they came, and what their last second says, read off the log by hand.
struct TLogCase {
  const char* file;
  const char* fixTime;
  double lat, lon;  // signed decimal degrees
  std::map<char, std::pair<int, int>> sats;
};

const TLogCase kLogs[] = {
    {"hab-gpspi.log", "09:28:37", 48.0690717, 16.3589915, {{'G', {12, 5}}, {'S', {2, 0}}, {'R', {9, 5}}}},
    {"gr8013-w.log", "18:11:43", 52.5148097, 13.4642637, {{'G', {14, 11}}, {'R', {10, 8}}}},
    {"ublox-neo-m9n-nmea.log",
     "22:37:52",
     38.1104950,
     -122.6268982,
     {{'G', {13, 6}}, {'S', {3, 2}}, {'R', {10, 7}}, {'E', {10, 5}}, {'C', {7, 5}}}},
};

TEST(GnssLogs, DecodeWithTheSwitchOnAndStayUndecodedWithItOff) {
  for (const TLogCase& c : kLogs) {
    SCOPED_TRACE(c.file);
    const std::string log = ReadLog(c.file);
    TNmeaRec rec;
    rec.Gnss = true;
    RecordingDisplay display;
    TNmeaProc proc(rec, display);
    proc.ProcessNmea(log);
    EXPECT_EQ(rec.FixTime, c.fixTime);
    EXPECT_NEAR((rec.LatNS == "S" ? -1 : 1) * DmsToDeg(rec.Lat), c.lat, 1e-6);
    EXPECT_NEAR((rec.LonEW == "W" ? -1 : 1) * DmsToDeg(rec.Lon), c.lon, 1e-6);
    EXPECT_NEAR((rec.GllLonEW == "W" ? -1 : 1) * DmsToDeg(rec.GllLon), c.lon, 1e-6);
    EXPECT_TRUE(rec.FixValid);
    EXPECT_EQ(rec.FixMode, '3');
    EXPECT_EQ(BySystem(rec), c.sats);
    int stored = 0;
    for (const auto& [letter, counts] : c.sats) stored += counts.first;
    EXPECT_EQ(proc.GsvSatCount(), stored);
    // The sky view was handed every stored satellite under its lettered label, and shows it.
    ASSERT_FALSE(display.placed.empty());
    EXPECT_NE(std::string("GRECJS").find(display.placed.back().prn[0]), std::string::npos);
    std::map<int, bool> shown;
    for (const auto& [index, visible] : display.visibility) shown[index] = visible;
    for (int n = 1; n <= kMaxGnssSats; ++n) EXPECT_EQ(shown[n], !rec.Sats[n - 1].Prn.empty()) << n;

    TNmeaRec off;
    TNullDisplay none;
    TNmeaProc old(off, none);
    old.ProcessNmea(log);
    for (const auto& [letter, counts] : BySystem(off)) EXPECT_EQ(letter, '?');
    EXPECT_EQ(off.Lat, 0);  // only GN positions in these
  }
}

struct GnssDecoders : ::testing::Test {
  TNmeaRec rec;
  RecordingDisplay display;
  TNmeaProc proc{rec, display};
  GnssDecoders() { rec.Gnss = true; }
  void Feed(const std::string& s) { proc.ProcessNmea(s + "\r\n"); }
};

// Each step is a sentence, then what the satellites' used flags are after it.
struct TUsedStep {
  const char* sentence;
  std::vector<std::pair<std::string, bool>> used;  // "G07": GPS 07
};

TEST_F(GnssDecoders, EachGsaMarksItsOwnSystemOnly) {
  const TUsedStep steps[] = {
      {"$GPGSV,1,1,03,07,40,100,40,33,30,200,35,12,20,300,30", {}},
      {"$GLGSV,1,1,02,65,40,100,40,70,30,200,35", {}},
      {"$GAGSV,1,1,01,12,40,100,40", {}},
      // NMEA 4.10 system IDs
      {"$GNGSA,A,3,07,33,,,,,,,,,,,1.0,1.0,1.0,1", {{"G07", true}, {"S33", true}, {"G12", false}, {"R65", false}}},
      {"$GNGSA,A,3,65,,,,,,,,,,,,1.0,1.0,1.0,2", {{"G07", true}, {"R65", true}, {"R70", false}}},
      {"$GNGSA,A,3,12,,,,,,,,,,,,1.0,1.0,1.0,3", {{"G12", false}, {"E12", true}, {"R65", true}}},
      // Without the ID, each PRN's range names its system.
      {"$GNGSA,A,3,12,70,,,,,,,,,,,1.0,1.0,1.0",
       {{"G07", false}, {"G12", true}, {"R70", true}, {"R65", false}, {"E12", true}}},
      // A talker of its own names it.
      {"$GAGSA,A,3,,,,,,,,,,,,,1.0,1.0,1.0", {{"E12", false}, {"G12", true}}},
      // A new GLONASS cycle keeps the GPS satellites and takes the flags of the last GLONASS GSA.
      {"$GLGSV,1,1,02,70,40,100,40,71,30,200,35", {{"G12", true}, {"R70", true}, {"R71", false}}},
  };
  for (const TUsedStep& step : steps) {
    SCOPED_TRACE(step.sentence);
    Feed(step.sentence);
    for (const auto& entry : step.used) {
      const std::string& label = entry.first;
      const bool used = entry.second;
      const auto it = std::find_if(rec.Sats.begin(), rec.Sats.end(), [&](const TSatInfo& s) {
        return !s.Prn.empty() && SystemLetter(s.System) + s.Prn == label;
      });
      ASSERT_NE(it, rec.Sats.end()) << label;
      EXPECT_EQ(it->Used, used) << label;
    }
  }
  EXPECT_EQ(proc.GsvSatCount(), 6);
  EXPECT_EQ(rec.SatInView, 6);
  EXPECT_EQ(rec.SatUsedList, "12,70");
}

TEST_F(GnssDecoders, StoresUpTo64AndSwitchingForgetsTheOtherMode) {
  for (int m = 1; m <= 9; ++m) {
    std::string s = "$GPGSV,9,";
    s += std::to_string(m) + ",36";
    for (int k = 0; k < 4; ++k) s += "," + std::to_string(4 * m + k) + ",10,20,30";
    Feed(s);
  }
  for (int m = 1; m <= 9; ++m) {
    std::string s = "$GLGSV,9,";
    s += std::to_string(m) + ",36";
    for (int k = 0; k < 4; ++k) s += "," + std::to_string(60 + 4 * m + k) + ",10,20,30";
    Feed(s);
  }
  EXPECT_EQ(proc.GsvSatCount(), kMaxGnssSats);
  EXPECT_EQ(rec.SatInView, 72);
  EXPECT_EQ(display.placed.back().index, kMaxGnssSats);
  EXPECT_EQ(display.placed.back().prn, "R91");

  rec.Gnss = false;
  display.visibility.clear();
  Feed("$GNGGA,101010.00,5130.0000,N,00007.0000,W,1,12,0.8,20.0,M,47.0,M,,");
  EXPECT_EQ(proc.GsvSatCount(), 0);
  EXPECT_EQ(display.visibility.size(), static_cast<size_t>(kMaxGnssSats));
  EXPECT_EQ(rec.Lat, 0);  // a GN sentence is ignored again
  for (const TSatInfo& s : rec.Sats) EXPECT_TRUE(s.Prn.empty());
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

// Each stored satellite as "G02 1=44 6=38 >44": its signals by ID (an empty ID as "-") and the
// SNR it shows, the strongest.
std::vector<std::string> SignalsOf(const TNmeaRec& rec) {
  std::vector<std::string> out;
  for (const TSatInfo& s : rec.Sats) {
    if (s.Prn.empty()) continue;
    std::string line = SystemLetter(s.System) + s.Prn;
    for (const TSatSignal& g : s.Signals) line += " " + (g.Id.empty() ? "-" : g.Id) + "=" + std::to_string(g.Snr);
    out.push_back(line + " >" + std::to_string(s.Snr));
  }
  return out;
}

struct TSignalStep {
  const char* what;
  const char* sentence;
  std::vector<std::string> sats;
  int32_t inView, signalsInView;
};

TEST_F(GnssDecoders, EachSignalsCycleReplacesOnlyThatSignal) {
  const TSignalStep steps[] = {
      {"L1 C/A", "$GPGSV,1,1,02,02,45,120,44,05,30,060,40,1", {"G02 1=44 >44", "G05 1=40 >40"}, 2, 2},
      {"L2C-L: the same satellites gain a band, a new one comes",
       "$GPGSV,1,1,02,02,45,121,38,07,20,200,30,6",
       {"G02 1=44 6=38 >44", "G05 1=40 >40", "G07 6=30 >30"},
       2,
       4},
      {"a new L1 cycle without 02 leaves its L2C",
       "$GPGSV,1,1,01,05,30,060,41,1",
       {"G02 6=38 >38", "G05 1=41 >41", "G07 6=30 >30"},
       2,
       3},
      {"an empty signal ID is a band of its own, not L1",
       "$GPGSV,1,1,01,05,30,060,45,",
       {"G02 6=38 >38", "G05 1=41 -=45 >45", "G07 6=30 >30"},
       2,
       4},
      {"another system's bands stay apart",
       "$GAGSV,1,1,01,05,50,010,39,7",
       {"G02 6=38 >38", "G05 1=41 -=45 >45", "G07 6=30 >30", "E05 7=39 >39"},
       3,
       5},
      {"a cycle of no satellites ends its band", "$GPGSV,1,1,00,6", {"G05 1=41 -=45 >45", "E05 7=39 >39"}, 2, 3},
      {"a cycle without signal ID replaces its talker's satellites whole",
       "$GPGSV,1,1,01,09,10,020,30",
       {"G09 >30", "E05 7=39 >39"},
       2,
       2},
      {"no satellite in view ends its talker's", "$GPGSV,1,1,00", {"E05 7=39 >39"}, 1, 1},
  };
  for (const TSignalStep& step : steps) {
    SCOPED_TRACE(step.what);
    Feed(step.sentence);
    EXPECT_EQ(SignalsOf(rec), step.sats);
    EXPECT_EQ(rec.SatInView, step.inView);
    EXPECT_EQ(rec.SignalsInView, step.signalsInView);
    // The sky view shows each satellite last placed with the SNR the record has for it.
    for (int n = 1; n <= kMaxGnssSats; ++n) {
      const TSatInfo& s = rec.Sats[n - 1];
      if (s.Prn.empty()) continue;
      const auto last = std::find_if(display.placed.rbegin(), display.placed.rend(),
                                     [n](const RecordingDisplay::Placement& p) { return p.index == n; });
      ASSERT_NE(last, display.placed.rend()) << n;
      EXPECT_EQ(last->snr, s.Snr) << n;
    }
  }
}

}  // namespace
}  // namespace orvane
