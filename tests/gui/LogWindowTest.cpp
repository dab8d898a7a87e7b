// SPDX-License-Identifier: GPL-3.0-or-later
// Recording and replay as the user drives them: the main window's items, the real timers, the
// port on a pseudo-terminal, and the error shown when the log cannot be created.
#include <gtest/gtest.h>

#include "gui/UConsoleForm.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "gui/ErrorHandler.h"
#include "gui/UMoniForm.h"
#include "gui/UTrackForm.h"
#include "nmea/NmeaRec.h"
#include "nmea/ReplayDrive.h"
#include "tests/gui/WindowTest.h"
#include "track/TrackList.h"

namespace orvane {
namespace {

const std::string kGga = Sentence("GPGGA,090000,3400.0000,N,13400.0000,E,1,08,1.0,12.0,M,36.0,M,,");
const std::string kRmc = Sentence("GPRMC,090000,A,3400.0000,N,13400.0000,E,10.0,90.0,010624,7.3,W");
const std::string kVtg = Sentence("GPVTG,90.0,T,,M,10.0,N,18.5,K");
// A burst as a receiver sends it, with a line of noise that is not a sentence.
const std::string kBurst = kGga + "noise\r\n" + kVtg + kRmc;

class LogWindowTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    log = dir / "rec.log";
    SetErrorReporter([this](const std::string& m) { errors.push_back(m); });
  }
  void TearDown() override {
    SetErrorReporter(nullptr);
    WindowTest::TearDown();
  }
  // A settings file with COM3 on the pseudo-terminal and the given extra lines.
  void StartOnPty(const std::string& settings) {
    OpenPty();
    WriteAll(ini, "[Settings]\nComPort=3\nSaveLogName=" + log.string() + "\n" + settings +
                      "\n[Ports]\nCOM3=" + slaveName + "\n");
    CreateForms();
    ASSERT_TRUE(Session->Receiver.SourceOpen());
  }
  std::string Recv() const { return MoniForm->lblRecv->text().toStdString(); }
  std::filesystem::path log;
  std::vector<std::string> errors;
};

TEST_F(LogWindowTest, AllRecordsEverySentenceFramedWithCrLfUntilSwitchedOff) {
  StartOnPty("SaveInterval=10\n");
  Item("All1")->trigger();
  EXPECT_EQ(NmeaRec.SaveInterval, 0);
  Item("menSaveLog")->trigger();
  EXPECT_TRUE(Item("menSaveLog")->isChecked());
  Send(kBurst);
  // Split mid-sentence: the log still gets whole lines.
  Send(kGga.substr(0, 25));
  RunEvents(50);
  Send(kGga.substr(25));
  const std::string expected = kGga + kVtg + kRmc + kGga;
  ASSERT_TRUE(WaitFor([&] { return ReadAll(log) == expected; })) << ReadAll(log);
  EXPECT_EQ(Recv(), ">" + kGga.substr(0, kGga.size() - 2));

  Item("menSaveLog")->trigger();
  EXPECT_FALSE(Item("menSaveLog")->isChecked());
  EXPECT_FALSE(Session->Receiver.Recorder().LogOpened());
  Send(kRmc);
  ASSERT_TRUE(WaitFor([&] { return Recv() == kRmc.substr(0, kRmc.size() - 2); }));
  EXPECT_EQ(ReadAll(log), expected);
  EXPECT_TRUE(errors.empty());
  DestroyForms();
  EXPECT_NE(ReadAll(ini).find("SaveInterval=0\n"), std::string::npos);
  EXPECT_NE(ReadAll(ini).find("SaveLog=0\n"), std::string::npos);
}

TEST_F(LogWindowTest, IntervalRecordsTheBurstAtTheSaveMomentAndNotTheNext) {
  // Five seconds between save moments; switching on opens the first save window.
  StartOnPty("SaveInterval=5\n");
  Item("menSaveLog")->trigger();
  EXPECT_EQ(Session->SLTimer.Interval(), 1000);
  Send(kBurst);
  ASSERT_TRUE(WaitFor([&] { return ReadAll(log) == kGga + kVtg + kRmc; })) << ReadAll(log);
  RunEvents(1300);  // past the next tick: the window has closed, the next opens after 5 s
  Send(kRmc);
  ASSERT_TRUE(WaitFor([&] { return Recv() == kRmc.substr(0, kRmc.size() - 2); }));
  RunEvents(50);
  EXPECT_EQ(ReadAll(log), kGga + kVtg + kRmc);
  // "1sec" sets its one second like its sisters.
  Item("N1sec2")->trigger();
  EXPECT_EQ(NmeaRec.SaveInterval, 1);
  Item("N5min1")->trigger();
  EXPECT_EQ(NmeaRec.SaveInterval, 300);
}

TEST_F(LogWindowTest, LogThatCannotBeCreatedIsShownOnceAndDecodingGoesOn) {
  log = dir / "no-such-folder" / "rec.log";
  StartOnPty("SaveInterval=0\n");
  Item("menSaveLog")->trigger();
  for (int i = 0; i < 5; ++i) Send(kBurst);
  ASSERT_TRUE(WaitFor([&] { return MoniForm->lblRMC->text().startsWith("GPS RMC Data"); }));
  ASSERT_TRUE(WaitFor([&] { return !errors.empty(); }));
  RunEvents(100);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(log.string()), std::string::npos) << errors[0];
  EXPECT_NE(errors[0].find("No such file or directory"), std::string::npos) << errors[0];
  EXPECT_FALSE(Item("menSaveLog")->isChecked());
  EXPECT_FALSE(NmeaRec.SaveLog);
  EXPECT_TRUE(MoniForm->lblGGA->text().startsWith("GPS Fix Data"));
  EXPECT_FALSE(std::filesystem::exists(log.parent_path()));
}

// One second of a receiver at 34°00.(minute)' N: fix, position and date.
std::string Second(const std::string& time, int minute) {
  char lat[16];
  std::snprintf(lat, sizeof lat, "3400.%02d00", minute);
  return Sentence("GPGSA,A,3,05,,,,,,,,,,,,2.0,1.0,1.7") +
         Sentence("GPGGA," + time + "," + lat + ",N,13400.0000,E,1,08,1.0,12.0,M,36.0,M,,") +
         Sentence("GPRMC," + time + ",A," + lat + ",N,13400.0000,E,10.0,90.0,010624,7.3,W");
}

// A replay started over a live track, as fast as possible: every second of the log reaches the
// track, in a track of its own, and the saved GPX never runs back in time.
TEST_F(LogWindowTest, AReplayOverALiveSourceFeedsItsOwnTrackByTheLogsTime) {
  StartOnPty("\n[Track]\nEnable=1\nInterval=1000\n");
  int asked = 0;
  TrackForm->OnReplayTrackQuestion = [&](size_t points) {
    ++asked;
    EXPECT_EQ(points, 2u);
    return true;
  };
  for (const auto& [time, minute] : {std::pair{"090430", 1}, {"090431", 2}}) {
    Send(Second(time, minute));
    // A named copy: clang 14 cannot capture a structured binding in a lambda.
    const std::string shown = std::string(time).insert(2, ":").insert(5, ":");
    ASSERT_TRUE(WaitFor([&] { return NmeaRec.FixTime == shown; }));
    TrackForm->TrkTimerTimer();
  }
  ASSERT_EQ(TrackForm->Plot().Track.Count(), 2u);

  const std::filesystem::path replayed = dir / "drive.log";
  std::string content;
  for (int s = 0; s < 30; ++s) content += Second("0900" + std::string(s < 10 ? "0" : "") + std::to_string(s), 10 + s);
  WriteAll(replayed, content);
  Session->Receiver.Replayer().SetPace(kPaceCount - 1);
  SatVForm->StartReplay(replayed.string());
  Send(Second("090432", 3));  // waits while the replay runs
  ASSERT_TRUE(WaitFor([] { return !Session->Receiver.Replayer().Running(); }, 10));
  EXPECT_EQ(asked, 1);
  // The live points went with the new track; the waiting live second may follow at once.
  ASSERT_TRUE(WaitFor([] { return NmeaRec.FixTime == "09:04:32"; }));
  TrackForm->TrkTimerTimer();

  const TTrackList& track = TrackForm->Plot().Track;
  ASSERT_EQ(track.Count(), 31u) << TrackGpx(track);
  EXPECT_EQ(track[0].FixTime, "09:00:00");
  EXPECT_EQ(track[29].FixTime, "09:00:29");
  EXPECT_TRUE(track[30].NewSegment);
  const std::string gpx = TrackGpx(track);
  std::vector<std::string> times;
  for (size_t at = 0; (at = gpx.find("<time>", at)) != std::string::npos; at += 6)
    times.push_back(gpx.substr(at + 6, 20));
  ASSERT_EQ(times.size(), 31u) << gpx;
  EXPECT_TRUE(std::is_sorted(times.begin(), times.end())) << gpx;

  // Asked once: the next replay goes on as answered.
  SatVForm->StartReplay(replayed.string());
  ASSERT_TRUE(WaitFor([] { return !Session->Receiver.Replayer().Running(); }, 10));
  EXPECT_EQ(asked, 1);
  ASSERT_GE(track.Count(), 30u);
  EXPECT_EQ(track[0].FixTime, "09:00:00");  // a new track again: the live point is gone
}

class ReplayWindowTest : public LogWindowTest {
protected:
  void StartReplay(const std::string& content) {
    WriteAll(log, content);
    WriteAll(ini, "[Settings]\nComPort=16\n\n[Ports]\nCOM16=" + (dir / "none").string() + "\n");
    CreateForms();
    TQtTimer& timer = Session->Timer;
    auto step = timer.OnTick;
    timer.OnTick = [this, step] {
      ++ticks;
      step();
    };
    Item("Fast1")->trigger();
    SatVForm->StartReplay(log.string());
    EXPECT_EQ(timer.Interval(), 10);
  }
  int ticks = 0;
};

TEST_F(ReplayWindowTest, TwentyFiveLinesWithFastEndInThreeTicks) {
  std::string content;
  for (int i = 0; i < 12; ++i) content += kGga + kRmc;
  content += kVtg;  // line 25
  StartReplay(content);
  EXPECT_FALSE(Item("menOpenLog")->isEnabled());
  EXPECT_TRUE(Item("mnStopLog")->isEnabled());
  ASSERT_TRUE(WaitFor([] { return SatVForm->mnStopLog && !SatVForm->mnStopLog->isEnabled(); }));
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(Session->Receiver.Replayer().LinesReplayed(), 25u);
  EXPECT_TRUE(Item("menOpenLog")->isEnabled());
  // A replayed line is framed as a received one, without its line end.
  const TSentenceRing& shown = ConsoleForm->Ring();
  EXPECT_EQ(shown.At(shown.Size() - 1), kVtg.substr(0, kVtg.size() - 2));
  EXPECT_EQ(Recv(), "Replay finished");
  EXPECT_TRUE(MoniForm->lblRMC->text().startsWith("GPS RMC Data"));
  RunEvents(50);
  EXPECT_EQ(ticks, 3);  // the timer is off once the file has ended
  DestroyForms();
  EXPECT_NE(ReadAll(ini).find("RepInterval=10\n"), std::string::npos);
}

TEST_F(ReplayWindowTest, LastLineWithoutLineEndIsReplayedAndStopEndsAtOnce) {
  StartReplay(kGga + kRmc.substr(0, kRmc.size() - 2));
  ASSERT_TRUE(WaitFor([] { return !SatVForm->mnStopLog->isEnabled(); }));
  const TSentenceRing& shown = ConsoleForm->Ring();
  EXPECT_EQ(shown.At(shown.Size() - 1), kRmc.substr(0, kRmc.size() - 2));
  DestroyForms();

  // "Stop Play" in the middle of a long file.
  std::string content;
  for (int i = 0; i < 1000; ++i) content += kGga;
  ticks = 0;
  StartReplay(content);
  ASSERT_TRUE(WaitFor([this] { return ticks >= 2; }));
  Item("mnStopLog")->trigger();
  EXPECT_TRUE(Item("menOpenLog")->isEnabled());
  const int stoppedAt = ticks;
  RunEvents(60);
  EXPECT_EQ(ticks, stoppedAt);
  EXPECT_LT(Session->Receiver.Replayer().LinesReplayed(), 1000u);
  EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace orvane
