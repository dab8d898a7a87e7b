// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/ReplayDrive.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <sys/stat.h>
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
    log += "$GPGSV,1,1,01,05,40,090,45*41\r\n";
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
  int events = 0;
  drive.ProcessEvents = [&events] { ++events; };
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
  EXPECT_EQ(events, 30);  // the windows run between every two lines
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
  EXPECT_EQ(got[4], "$GPGSV,1,1,01,05,40,090,45*41");  // on from where it stood
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
  WriteAll(file, Log(1) + "$GPGGA,130000.00,3539.1,N*0B\r\n$GPGGA,130001.00,3539.1,N*0A\r\n");
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
    int period;  // a timer of period 0 would fire without pause
    const char* shown;
  } const cases[] = {{10, 10, "Fast"},   {100, 100, "Middle"}, {900, 900, "Slow"}, {1000, 1000, "Slow"},
                     {50, 50, "Middle"}, {5000, 5000, "Slow"}, {0, 1, "Fast"},     {-5, 1, "Fast"}};
  for (const Case& c : cases) {
    drive.SetInterval(c.ms);
    EXPECT_EQ(drive.Interval(), c.period) << c.ms;
    EXPECT_STREQ(kPaceItems[drive.Pace()].Caption, c.shown) << c.ms;
    drive.Start(file);
    EXPECT_EQ(timer.Period, static_cast<uint32_t>(c.period)) << c.ms;
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
  const std::string none = (dir / "none.log").string();
  EXPECT_THROW(drive.Start(none), std::runtime_error);
  EXPECT_FALSE(drive.Running());
  EXPECT_FALSE(timer.On);
  drive.Start(file);
  try {
    drive.Start(none);
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + none + "\": No such file or directory");
  }
  EXPECT_TRUE(drive.Running());  // a log that cannot be opened leaves the running one
  EXPECT_EQ(drive.FileName(), file);
  // A stop is shown like the end: the window must not go on showing a running replay.
  bool shownStopped = false;
  drive.OnChanged = [&] { shownStopped = !drive.Running(); };
  drive.Stop();
  EXPECT_FALSE(drive.Running());
  EXPECT_FALSE(drive.Finished());
  EXPECT_TRUE(shownStopped);
  EXPECT_FALSE(timer.On);
  EXPECT_EQ(running, (std::vector<bool>{true, false}));
}

TEST_F(ReplayDriveTest, LinesAreReadWithEitherLineEndAndWhateverBytesTheyHold) {
  const size_t max = TNmeaProc::kMaxPendingText;
  struct Case {
    const char* what;
    std::string log;
    std::vector<std::string> lines;
  } const cases[] = {
      {"CR LF, LF and none at the end", "$A\r\n$B\n$C", {"$A", "$B", "$C"}},
      {"empty lines", "\r\n\n$A\r\n", {"", "", "$A"}},
      {"a NUL inside a line", std::string("$A\0B\r\n", 6), {std::string("$A\0B", 4)}},
      {"a line as long as the live path keeps", std::string(max, 'x') + "\r\n$A", {std::string(max, 'x'), "$A"}},
      {"a byte longer: skipped", std::string(max + 1, 'x') + "\r\n$A", {"$A"}},
  };
  for (const Case& c : cases) {
    got.clear();
    WriteAll(file, c.log);
    StartAt(PaceOf("Fast"));
    while (drive.Running()) drive.Tick();
    EXPECT_EQ(got, c.lines) << c.what;
    EXPECT_EQ(drive.Position(), c.log.size()) << c.what;
  }
}

TEST_F(ReplayDriveTest, AStopOrANewStartBetweenLinesEndsTheTickAtOnce) {
  for (const bool restart : {false, true}) {
    got.clear();
    StartAt(PaceOf("Fast"));
    drive.ProcessEvents = [this, restart] {
      if (got.size() != 3) return;
      if (restart)
        drive.Start(file);
      else
        drive.Stop();
    };
    drive.Tick();
    drive.ProcessEvents = nullptr;
    EXPECT_EQ(got.size(), 3u) << restart;
    EXPECT_EQ(drive.Running(), restart);
    EXPECT_EQ(timer.On, restart);  // the new replay's first tick is due
    EXPECT_EQ(drive.LinesReplayed(), restart ? 0u : 3u);
    drive.Tick();
    EXPECT_EQ(got.size(), restart ? 13u : 3u);
    if (restart) {
      EXPECT_EQ(got[3], got[0]);  // from the log's start again
    }
    drive.Stop();
  }
}

// The port and the recording pause for the replay, in pairs, and go on as before it.
TEST_F(ReplayDriveTest, TheReplayIsNotRecordedAndRecordingGoesOnAfterIt) {
  struct Port : TPortPolling {
    void SuspendPolling() override { ++Suspended; }
    void ResumePolling() override { --Suspended; }
    int Suspended = 0;
  } port;
  const std::string kRmc = "$GPRMC,090000,A,3400.0000,N,13400.0000,E,10.0,90.0,010624,7.3,W*61";
  for (const int interval : {0, 1}) {  // "All", "1sec"
    TNmeaRec rec;
    rec.SaveLogName = (dir / ("NMEA" + std::to_string(interval) + ".log")).string();
    TNullDisplay display;
    Timer saveTimer;
    TNmeaLogRecorder recorder{rec, &saveTimer, [] { return 0u; }};
    TNmeaProc proc{rec, display, &recorder};
    TReplayDrive replay{&timer, [this] { return now; }, &port, &recorder};
    replay.Deliver = [&proc](const std::string& line) { proc.ProcessNmea(line + "\n\r"); };
    recorder.Start();
    recorder.SetSaveInterval(interval);
    recorder.SetSaveLog(true);
    replay.SetPace(PaceOf("Fast"));
    replay.Start(file);
    replay.Start(file);  // again while it runs
    EXPECT_EQ(port.Suspended, 1) << interval;
    EXPECT_FALSE(recorder.SaveNow()) << interval;
    EXPECT_FALSE(saveTimer.On) << interval;
    while (replay.Running()) replay.Tick();
    EXPECT_EQ(port.Suspended, 0) << interval;
    EXPECT_EQ(saveTimer.On, interval > 0) << interval;  // "All" needs no save moments
    EXPECT_TRUE(recorder.SaveNow()) << interval;
    proc.ProcessNmea(kRmc + "\r\n");
    recorder.CloseLogFile();
    EXPECT_EQ(ReadAll(rec.SaveLogName), kRmc + "\r\n") << interval;  // the live sentence alone
  }
}

// A FIFO without a writer once held the window in its open for ever; /dev/zero kept it reading
// one byte at a time for a line end that never came.
TEST_F(ReplayDriveTest, OnlyARegularFileIsReplayedAndTheRefusalNamesIt) {
  const std::string fifo = (dir / "pipe.log").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string Path, Cause;
  } refused[] = {{fifo, "not a regular file"},
                 {"/dev/zero", "not a regular file"},
                 {dir.string(), "Is a directory"},
                 {(dir / "none").string(), "No such file or directory"}};
  for (const auto& r : refused) {
    try {
      drive.Start(r.Path);
      ADD_FAILURE() << r.Path;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + r.Path + "\": " + r.Cause);
    }
    EXPECT_FALSE(drive.Running());
  }
}

// A log of zeros without a line end: each tick reads a bounded part of the line, at every pace,
// and the sentence after the line is still replayed.
TEST_F(ReplayDriveTest, ALongLineIsReadPastABoundedPartPerTick) {
  constexpr uint64_t kLong = 40 << 20;
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    const std::string zeros(1 << 20, '\0');
    for (uint64_t i = 0; i < kLong; i += zeros.size()) out << zeros;
    out << "\n$GPGGA,1\r\n";
  }
  for (const char* pace : {"Slow", "x2", "as fast as possible"}) {
    got.clear();
    StartAt(PaceOf(pace));
    int ticks = 0;
    uint64_t before = 0;
    while (drive.Running() && ticks < 1000) {
      drive.Tick();
      ++ticks;
      if (drive.Running()) {
        EXPECT_LE(drive.Position() - before, 16u << 20) << pace;
      }
      before = drive.Position();
      now += 50;
    }
    EXPECT_EQ(got, std::vector<std::string>{"$GPGGA,1"}) << pace;
    EXPECT_GE(ticks, 3) << pace;
  }
}

}  // namespace
}  // namespace orvane
