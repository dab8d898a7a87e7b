#include "nmea/ReplayDrive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/common/TempFiles.h"

namespace orvane {
namespace {

struct Timer : TLogTimer {
  void Start(uint32_t ms) override {
    On = true;
    Period = ms;
  }
  void Stop() override { On = false; }
  bool On = false;
  uint32_t Period = 0;
};

// Ten bursts a second apart from 12:00:00, each an RMC, a GSV without a time and a GGA.
std::string Log(int bursts = 10) {
  std::string log;
  for (int i = 0; i < bursts; ++i) {
    const std::string t = "1200" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".00";
    log += "$GPRMC," + t + ",A,3539.1,N,13944.5,E,0,0,010120,,*00\r\n";
    log += "$GPGSV,1,1,01,05,40,090,45*00\r\n";
    log += "$GPGGA," + t + ",3539.1,N,13944.5,E,1,08,0.9,45.0,M,36.0,M,,*00\r\n";
  }
  return log;
}

class ReplayDriveTest : public TempDir {
protected:
  void SetUp() override {
    TempDir::SetUp();
    file = (dir / "drive.log").string();
    WriteAll(file, Log());
    drive.Deliver = [this](const std::string& line) { got.push_back(line); };
  }
  void StartAt(int pace) {
    drive.SetPace(pace);
    drive.Start(file);
  }
  static int PaceOf(const char* caption) {
    for (int i = 0; i < kPaceCount; ++i)
      if (std::string(kPaceItems[i].Caption) == caption) return i;
    return -1;
  }
  std::string file;
  Timer timer;
  uint64_t now = 1000;
  TReplayDrive drive{&timer, [this] { return now; }};
  std::vector<std::string> got;
};

TEST(ReplayTimeTest, TheTimeOfASentence) {
  struct Case {
    const char* line;
    double seconds;
  } const cases[] = {
      {"$GPGGA,123519.50,4807.038,N", 12 * 3600 + 35 * 60 + 19.5},
      {"$GNRMC,000001,A", 1},
      {"$GPGLL,3539.1,N,13944.5,E,235959.00,A", 86399},
      {"$GPZDA,101010.00,01,01,2020", 36610},
      {"$GPGSV,1,1,01,05,40,090,45", -1},
      {"$GPGGA,,4807.038,N", -1},
      {"$GPGGA,12ab19", -1},
      {"$GPGGA,256000", -1},
      {"GPGGA,123519", -1},
      {"", -1},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(SentenceTime(c.line), c.seconds) << c.line;
  EXPECT_EQ(FormatUtc(12 * 3600 + 35 * 60 + 19.5), "12:35:19");
  EXPECT_EQ(FormatUtc(-1), "--:--:--");
}

TEST_F(ReplayDriveTest, LinesPaceHandsOnTenLinesPerTickToTheEnd) {
  StartAt(PaceOf("Fast"));
  EXPECT_EQ(drive.Size(), Log().size());
  EXPECT_EQ(FormatUtc(drive.EndTime()), "12:00:09");
  ASSERT_TRUE(timer.On);
  drive.Tick();
  EXPECT_EQ(got.size(), 10u);
  EXPECT_EQ(timer.Period, 10u);
  for (int i = 0; i < 2; ++i) drive.Tick();
  EXPECT_EQ(got.size(), 30u);
  EXPECT_FALSE(drive.Finished());
  drive.Tick();  // the end
  EXPECT_TRUE(drive.Finished());
  EXPECT_FALSE(drive.Running());  // closed: the port and the recording go on
  EXPECT_FALSE(timer.On);
  EXPECT_EQ(drive.Position(), drive.Size());
  EXPECT_EQ(got.front(), Log().substr(0, Log().find('\r')));
}

// A NUL byte in the log's last lines once made the end's time be read past an empty line.
TEST_F(ReplayDriveTest, TheEndTimeReadsPastANulByteAndABareLineEnd) {
  WriteAll(file, Log(3) + std::string("\0garbage\n\n$GPGGA,120500.00,3539.1,N\n", 36));
  drive.Start(file);
  EXPECT_EQ(FormatUtc(drive.EndTime()), "12:05:00");
}

TEST_F(ReplayDriveTest, PauseTakesEffectBeforeTheNextSentence) {
  StartAt(PaceOf("Fast"));
  drive.ProcessEvents = [this] {
    if (got.size() == 4) drive.Pause();
  };
  drive.Tick();
  EXPECT_EQ(got.size(), 4u);
  EXPECT_TRUE(drive.Paused());
  EXPECT_FALSE(timer.On);
  drive.Tick();  // a tick already queued does nothing
  EXPECT_EQ(got.size(), 4u);
  drive.ProcessEvents = nullptr;
  drive.Resume();
  EXPECT_TRUE(timer.On);
  drive.Tick();
  EXPECT_EQ(got.size(), 14u);
  EXPECT_EQ(got[4], "$GPGSV,1,1,01,05,40,090,45*00");  // on from where it stood
}

TEST_F(ReplayDriveTest, StepHandsOnOneBurstAndLeavesThePause) {
  StartAt(PaceOf("x2"));
  struct Case {
    size_t lines;
    const char* time;
  } const cases[] = {{3, "12:00:00"}, {6, "12:00:01"}, {9, "12:00:02"}};
  for (const Case& c : cases) {
    drive.Step();
    EXPECT_TRUE(drive.Paused());
    EXPECT_FALSE(timer.On);
    EXPECT_EQ(got.size(), c.lines);
    EXPECT_EQ(FormatUtc(drive.PositionTime()), c.time);
    EXPECT_EQ(got.back().substr(0, 6), "$GPGGA");
  }
  for (int i = 0; i < 10; ++i) drive.Step();
  EXPECT_EQ(got.size(), 30u);
  EXPECT_TRUE(drive.Finished());
}

TEST_F(ReplayDriveTest, SeekGoesToTheStartOfTheBurstAtThePosition) {
  StartAt(PaceOf("x2"));
  drive.Pause();
  const std::string log = Log();
  const size_t burst5 = log.find("$GPRMC,120005");
  struct Case {
    uint64_t position;
    const char* first;
  } const cases[] = {
      {burst5 + 40, "$GPRMC,120005"},                // inside the GSV of the sixth burst
      {burst5, "$GPRMC,120005"},                     // at its start
      {burst5 - 1, "$GPRMC,120004"},                 // the end of the one before
      {0, "$GPRMC,120000"},                          //
      {log.find("$GPRMC,120002"), "$GPRMC,120002"},  // back again: nothing is undone
      {log.size() + 99, "$GPRMC,120009"},            // past the end: the last burst, and the end
  };
  for (const Case& c : cases) {
    got.clear();
    drive.Seek(c.position);
    drive.Step();
    ASSERT_EQ(got.size(), 3u) << c.position;
    EXPECT_EQ(got[0].substr(0, 13), c.first) << c.position;
  }
  EXPECT_TRUE(drive.Finished());
}

TEST_F(ReplayDriveTest, SpeedPacesFollowTheSentenceTimes) {
  struct Case {
    const char* pace;
    uint32_t period;  // between bursts a second apart
    uint32_t late;    // the next, from the start, after a tick 5 ms late
  } const cases[] = {{"x2", 500, 495}, {"x4", 250, 245}, {"x16", 63, 125 - 68}, {"x64", 16, 31 - 21}};
  for (const Case& c : cases) {
    got.clear();
    StartAt(PaceOf(c.pace));
    drive.Tick();
    EXPECT_EQ(got.size(), 3u) << c.pace;  // one burst per tick
    EXPECT_EQ(timer.Period, c.period) << c.pace;
    // Late by a little: the next period is counted from the first burst, so the pace does not drift.
    now += c.period + 5;
    drive.Tick();
    EXPECT_EQ(timer.Period, c.late) << c.pace;
  }
  // A gap in the log plays as one second.
  WriteAll(file, Log(1) + "$GPGGA,130000.00,3539.1,N*00\r\n$GPGGA,130001.00,3539.1,N*00\r\n");
  StartAt(PaceOf("x2"));
  drive.Tick();
  EXPECT_EQ(timer.Period, 500u);
}

TEST_F(ReplayDriveTest, FastestRunsAWhileThenLetsTheWindowsDraw) {
  StartAt(PaceOf("as fast as possible"));
  drive.ProcessEvents = [this] { now += 5; };
  drive.Tick();
  // 40 ms of clock at 5 ms a line: whole bursts until the time is up.
  EXPECT_EQ(got.size(), 9u);
  EXPECT_EQ(timer.Period, 1u);
  drive.ProcessEvents = nullptr;
  drive.Tick();
  EXPECT_TRUE(drive.Finished());
  EXPECT_EQ(got.size(), 30u);
}

TEST_F(ReplayDriveTest, IntervalChoosesTheLinesPaceAndALongLineIsSkippedOnce) {
  struct Case {
    int ms;
    const char* shown;
  } const cases[] = {{10, "Fast"}, {100, "Middle"}, {900, "Slow"}, {1000, "Slow"}, {50, "Middle"}, {5000, "Slow"}};
  for (const Case& c : cases) {
    drive.SetInterval(c.ms);
    EXPECT_EQ(drive.Interval(), c.ms);
    EXPECT_STREQ(kPaceItems[drive.Pace()].Caption, c.shown) << c.ms;
  }
  drive.SetInterval(900);
  WriteAll(file, std::string(5000, 'x') + "\n$GPGGA,1\n" + std::string(5000, 'y') + "\n");
  std::vector<std::string> told;
  drive.OnLongLine = [&told](const std::string& m) { told.push_back(m); };
  drive.Start(file);
  EXPECT_EQ(timer.Period, 900u);  // the first tick a period after the start
  drive.Tick();
  EXPECT_EQ(got, std::vector<std::string>{"$GPGGA,1"});
  ASSERT_EQ(told.size(), 1u);
  EXPECT_NE(told[0].find("byte 0 of"), std::string::npos) << told[0];
  EXPECT_EQ(drive.LinesReplayed(), 1u);
}

TEST_F(ReplayDriveTest, PaceStepsThroughTheListAndStopEnds) {
  drive.SetPace(0);
  EXPECT_STREQ(kPaceItems[drive.Pace()].Caption, "Slow");
  drive.Slower();
  EXPECT_EQ(drive.Pace(), 0);
  for (int i = 0; i < 20; ++i) drive.Faster();
  EXPECT_STREQ(kPaceItems[drive.Pace()].Caption, "as fast as possible");
  std::vector<bool> running;
  drive.OnRunningChanged = [&running](bool on) { running.push_back(on); };
  EXPECT_THROW(drive.Start((dir / "none.log").string()), std::runtime_error);
  EXPECT_FALSE(drive.Running());
  drive.Start(file);
  try {
    drive.Start((dir / "none.log").string());
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("none.log"), std::string::npos);
  }
  EXPECT_TRUE(drive.Running());  // a log that cannot be opened leaves the running one
  drive.Stop();
  EXPECT_FALSE(drive.Running());
  EXPECT_FALSE(timer.On);
  EXPECT_EQ(running, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace orvane
