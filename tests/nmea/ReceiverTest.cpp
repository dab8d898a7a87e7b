// SPDX-License-Identifier: GPL-3.0-or-later
// The receiver with a scripted source, hand-ticked timers and recording displays.
#include "nmea/Receiver.h"

#include <unistd.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/RawPty.h"
#include "tests/common/TempFiles.h"
#include "tests/nmea/RecordingDisplay.h"

namespace orvane {
namespace {

using test::RecordingDisplay;

struct HandTimer : TPollTimer {
  bool running = false;
  uint32_t period = 0;
  void Start(uint32_t ms) override {
    running = true;
    period = ms;
  }
  void Stop() override { running = false; }
};

// A source that plays a script: whether each open succeeds, and what each read delivers; a read
// past the script's end hangs up when `hangUp` is set, else delivers nothing.
class ScriptedSource {
public:
  struct Script {
    std::deque<bool> opens;
    std::deque<std::string> reads;
    bool hangUp = false;
    int openCalls = 0;
  };
  explicit ScriptedSource(Script& script) : S(script) {}
  bool Open() {
    ++S.openCalls;
    Opened = S.opens.empty() || S.opens.front();
    if (!S.opens.empty()) S.opens.pop_front();
    Error = Opened ? "" : "Connection refused";
    return Opened;
  }
  void Close() { Opened = false; }
  bool IsOpen() const { return Opened; }
  bool ReadQueued(std::string& out) {
    if (!S.reads.empty()) {
      out += S.reads.front();
      S.reads.pop_front();
      return true;
    }
    if (!S.hangUp) return true;
    S.hangUp = false;
    Opened = false;
    Error = "the connection was closed";
    return false;
  }
  std::string Name() const { return "tcp://127.0.0.1:10110"; }
  const std::string& LastError() const { return Error; }

private:
  Script& S;
  bool Opened = false;
  std::string Error;
};

const std::string kGga = "$GPGGA,090000,3400.0000,N,13400.0000,E,1,08,1.0,12.0,M,36.0,M,,*75";
const std::string kGsa = "$GPGSA,A,3,05,,,,,,,,,,,,2.0,1.0,1.7*32";
const std::string kRmc = "$GPRMC,090000,A,3400.0000,N,13400.0000,E,10.0,90.0,010624,7.3,W*61";

struct ReceiverTest : TempDir {
  TNmeaRec rec;
  HandTimer poll, reopen, replay, save;
  TReceiver receiver{rec, {&poll, &reopen, &replay, &save}};
  RecordingDisplay sky, monitor;
  ScriptedSource::Script script;
  std::vector<std::string> log;

  void SetUp() override {
    TempDir::SetUp();
    receiver.AddDisplay(sky);
    receiver.AddDisplay(monitor);
    receiver.OnLog = [this](const std::string& line) { log.push_back(line); };
    receiver.SetSource(std::make_unique<TByteSourceOf<ScriptedSource>>(script));
  }
  void Poll(int ticks = 1) {
    for (int i = 0; i < ticks; ++i) receiver.PollTick();
  }
};

TEST_F(ReceiverTest, BytesFromTheSourceReachEveryDisplay) {
  script.reads = {kGga.substr(0, 20), kGga.substr(20) + "\r\n" + kGsa + "\r\n"};
  ASSERT_TRUE(receiver.OpenSource());
  EXPECT_TRUE(poll.running);
  EXPECT_EQ(poll.period, TReceiver::kPollMs);
  Poll(2);
  for (const RecordingDisplay* d : {&sky, &monitor}) {
    // One tick's sentences: its newest is shown, each is decoded.
    EXPECT_EQ(d->recv, (std::vector<std::string>{kGsa}));
    EXPECT_EQ(d->gga.size(), 1u);
    EXPECT_EQ(d->fixCaptions, std::vector<std::string>{"3D Fix"});
  }
  EXPECT_EQ(rec.LatNS, "N");
  EXPECT_EQ(receiver.Status(), "");
  receiver.CloseSource();
  EXPECT_FALSE(poll.running);
  EXPECT_FALSE(receiver.SourceOpen());
}

TEST_F(ReceiverTest, ASourceThatDoesNotOpenIsSaidOnceAndTriedAgainUntilItOpens) {
  script.opens = {false, false, true};
  const std::string said = "tcp://127.0.0.1:10110: Connection refused";
  EXPECT_FALSE(receiver.OpenSource());
  EXPECT_EQ(receiver.Status(), said);
  EXPECT_FALSE(poll.running);
  EXPECT_TRUE(reopen.running);
  EXPECT_EQ(reopen.period, TReceiver::kReopenMs);
  receiver.ReopenTick();
  EXPECT_TRUE(reopen.running);
  receiver.ReopenTick();
  EXPECT_EQ(script.openCalls, 3);
  EXPECT_FALSE(reopen.running);
  EXPECT_TRUE(poll.running);
  // A connection may still fail after it opened: the source is back when it delivers.
  EXPECT_EQ(log, std::vector<std::string>{said});
  EXPECT_EQ(receiver.Status(), said);
  script.reads = {kGga + "\r\n"};
  Poll();
  EXPECT_EQ(log, (std::vector<std::string>{said, "tcp://127.0.0.1:10110 is back"}));
  for (const RecordingDisplay* d : {&sky, &monitor}) EXPECT_EQ(d->status, (std::vector<std::string>{said, ""}));
  // A display added later is told a status that still holds.
  receiver.CloseSource();
  script.opens = {false};
  receiver.OpenSource();
  RecordingDisplay late;
  receiver.AddDisplay(late);
  EXPECT_EQ(late.status, std::vector<std::string>{said});
  receiver.RemoveDisplay(late);
}

// A half sentence before a hang-up must not be completed by what the source sends after it.
TEST_F(ReceiverTest, AHangUpForgetsTheHalfSentenceAndSaysTheFixIsGone) {
  const std::string logName = (dir / "hang.log").string();
  rec.SaveLogName = logName;
  receiver.Recorder().SetSaveLog(true);
  script.reads = {kGsa + "\r\n" + kRmc.substr(0, 30)};
  script.hangUp = true;
  ASSERT_TRUE(receiver.OpenSource());
  Poll(2);
  EXPECT_FALSE(rec.FixValid);
  EXPECT_EQ(sky.fixCaptions.back(), "FIX N/A");
  const std::string said = "tcp://127.0.0.1:10110: the connection was closed; trying to reopen it every 2 seconds";
  EXPECT_EQ(receiver.Status(), said);
  EXPECT_EQ(monitor.status.back(), said);
  EXPECT_FALSE(poll.running);
  EXPECT_TRUE(reopen.running);
  EXPECT_EQ(receiver.Proc().PendingText(), "");
  script.reads = {kGga + "\r\n"};
  receiver.ReopenTick();
  Poll();
  receiver.Recorder().CloseLogFile();
  EXPECT_EQ(ReadAll(logName), kGsa + "\r\n" + kGga + "\r\n");
  EXPECT_EQ(receiver.Status(), "");
}

// A reader of one run (the command-line tool) ends where the window would try again.
TEST_F(ReceiverTest, ToldToEndOnLossItLeavesTheSourceClosedWithItsHalfSentenceAndFix) {
  receiver.SetEndOnLoss(true);
  int64_t now = 0;
  receiver.SetClock([&now] { return now; });
  std::string received;
  receiver.OnReceived = [&received](std::string_view bytes) { received += bytes; };
  script.opens = {false, true};
  EXPECT_FALSE(receiver.OpenSource());
  EXPECT_EQ(receiver.Status(), "tcp://127.0.0.1:10110: Connection refused");
  EXPECT_FALSE(reopen.running);

  ASSERT_TRUE(receiver.OpenSource());
  // A quiet source is waited for, as long as the reader likes.
  now = 10 * TReceiver::kQuietMs;
  Poll();
  EXPECT_TRUE(receiver.SourceOpen());
  script.reads = {kGsa + "\r\n" + kRmc.substr(0, 30)};
  script.hangUp = true;
  Poll(2);
  EXPECT_EQ(received, kGsa + "\r\n" + kRmc.substr(0, 30));
  EXPECT_FALSE(receiver.SourceOpen());
  EXPECT_FALSE(poll.running);
  EXPECT_FALSE(reopen.running);
  EXPECT_EQ(receiver.Status(), "tcp://127.0.0.1:10110: the connection was closed");
  EXPECT_EQ(receiver.Proc().PendingText(), kRmc.substr(0, 30));
  // The last fix is not taken back: the reader reports what the stream said.
  EXPECT_EQ(sky.fixCaptions, std::vector<std::string>{"3D Fix"});
}

TEST_F(ReceiverTest, ClosingOrStartingAReplayForgetsTheHalfSentence) {
  const std::filesystem::path replayed = dir / "one.log";
  WriteAll(replayed, kGga + "\r\n");
  const auto cases = {+[](TReceiver& r, const std::string&) { r.CloseSource(); },
                      +[](TReceiver& r, const std::string& file) { r.StartReplay(file); }};
  for (auto interrupt : cases) {
    script.reads = {kRmc.substr(0, 30)};
    ASSERT_TRUE(receiver.OpenSource());
    Poll();
    ASSERT_FALSE(receiver.Proc().PendingText().empty());
    interrupt(receiver, replayed.string());
    EXPECT_EQ(receiver.Proc().PendingText(), "");
    receiver.StopReplay();
    receiver.CloseSource();
  }
}

TEST_F(ReceiverTest, AReplayStopsTheReadingOfTheSourceUntilItEnds) {
  const std::filesystem::path replayed = dir / "one.log";
  WriteAll(replayed, kRmc + "\r\n");
  script.reads = {kGga + "\r\n"};
  ASSERT_TRUE(receiver.OpenSource());
  receiver.StartReplay(replayed.string());
  Poll();
  EXPECT_EQ(script.reads.size(), 1u);  // still queued
  receiver.ReplayTick();
  EXPECT_FALSE(receiver.Replayer().Running());
  // A replayed line is framed as the live one is, without its line end.
  EXPECT_EQ(sky.recv, std::vector<std::string>{kRmc});
  Poll();
  EXPECT_EQ(sky.recv, (std::vector<std::string>{kRmc, kGga}));
}

// What is passed on to other programs: each read as it came, and during a replay each line of the
// log ended as a receiver ends it, whatever line end the log had.
TEST_F(ReceiverTest, ReceivedBytesAreTheSourcesReadsAndTheReplayedLines) {
  const std::filesystem::path replayed = dir / "two.log";
  WriteAll(replayed, kRmc + "\r\n" + kGsa + "\n");
  std::vector<std::string> received;
  receiver.OnReceived = [&received](std::string_view bytes) { received.emplace_back(bytes); };
  script.reads = {kGga.substr(0, 9), kGga.substr(9) + "\r\n"};
  ASSERT_TRUE(receiver.OpenSource());
  Poll();
  receiver.StartReplay(replayed.string());
  receiver.ReplayTick();
  receiver.ReplayTick();
  EXPECT_FALSE(receiver.Replayer().Running());
  Poll();
  EXPECT_EQ(received,
            (std::vector<std::string>{kGga.substr(0, 9), kRmc + "\r\n", kGsa + "\r\n", kGga.substr(9) + "\r\n"}));
}

// Ten megabytes without a line end: said once, and the sentence right after it still decoded.
TEST_F(ReceiverTest, AnOverlongLineIsDroppedSaidOnceAndTheNextSentenceKept) {
  const std::string chunk(9600, 'x');
  for (int i = 0; i < 1100; ++i) script.reads.push_back(chunk);
  script.reads.push_back("xxxx" + kGga + "\r\n" + std::string(5000, 'y') + kRmc + "\r\n");
  ASSERT_TRUE(receiver.OpenSource());
  Poll(static_cast<int>(script.reads.size()));
  const std::string said = "A line longer than 4096 bytes without a line end was dropped";
  EXPECT_EQ(log, std::vector<std::string>{said});
  // The notice came in the tick of the two sentences; the newest of them is shown.
  EXPECT_EQ(monitor.recv, (std::vector<std::string>{kRmc}));
  EXPECT_EQ(monitor.gga.size(), 1u);
  EXPECT_EQ(monitor.rmc.size(), 1u);
}

// A source faster than the windows once held the event loop for seconds: a tick read 4 MB and
// showed every sentence. Now a tick handles a bounded part, shows its newest sentence once, and
// leaves the rest (read, or in the source) for the next, with nothing lost or recorded twice.
TEST_F(ReceiverTest, AFloodIsHandledABoundedPartPerTickAndNothingIsLost) {
  struct Lines : RecordingDisplay {
    bool WantsEveryLine() const override { return true; }
  } console;
  receiver.AddDisplay(console);
  std::string flood;
  int sentences = 0;
  while (flood.size() < 3 * TReceiver::kPollBytes) {
    flood += (sentences % 2 ? kRmc : kGga) + "\r\n";
    ++sentences;
  }
  script.reads = {flood, kGsa + "\r\n"};
  script.hangUp = true;
  rec.SaveLogName = (dir / "flood.log").string();
  receiver.Recorder().SetSaveLog(true);
  receiver.SetClock([] { return int64_t{0}; });  // the byte bound alone, whatever this machine's speed
  int decoded = 0;
  receiver.OnSentence = [&decoded](const TSentenceInfo& i) { decoded += i.outcome == TSentenceOutcome::Decoded; };
  ASSERT_TRUE(receiver.OpenSource());
  const int floodTicks = static_cast<int>((flood.size() + TReceiver::kPollBytes - 1) / TReceiver::kPollBytes);
  int ticks = 0;
  while (receiver.SourceOpen() && ticks < 20) {
    const size_t shown = monitor.recv.size();
    Poll();
    ++ticks;
    EXPECT_LE(monitor.recv.size(), shown + 1);
    EXPECT_LE(monitor.gga.size(), static_cast<size_t>(ticks));
    // The source is read again only once what it gave is handled.
    EXPECT_EQ(script.reads.size(), ticks <= floodTicks ? 1u : 0u) << ticks;
  }
  EXPECT_EQ(ticks, floodTicks + 2);  // the GSA, then the hang-up
  EXPECT_EQ(decoded, sentences + 1);
  EXPECT_EQ(monitor.recv.size(), static_cast<size_t>(floodTicks + 1));
  EXPECT_EQ(console.recv.size(), static_cast<size_t>(sentences + 1));       // each once, marked as logged
  EXPECT_EQ(console.gga.size(), static_cast<size_t>((sentences + 1) / 2));  // and every block
  EXPECT_EQ(monitor.recv.back(), ">" + kGsa);
  receiver.Recorder().CloseLogFile();
  EXPECT_EQ(ReadAll(rec.SaveLogName), flood + kGsa + "\r\n");
  EXPECT_NE(receiver.Status().find("the connection was closed"), std::string::npos);
}

// A tick of several GSV cycles tells each satellite entry once, in its newest state, however
// many cycles placed it: the sky view is drawn once a tick, and nothing of the last cycle is lost.
TEST_F(ReceiverTest, ATickTellsEachSatelliteOnceInItsNewestState) {
  const std::string first = "$GPGSV,1,1,02,05,40,090,41,12,10,200,30,,,,,,,,*75\r\n";
  const std::string second = "$GPGSV,1,1,01,05,45,095,44,,,,,,,,,,,,*40\r\n";
  script.reads = {first + kGsa + "\r\n" + second};
  ASSERT_TRUE(receiver.OpenSource());
  Poll();
  for (const RecordingDisplay* d : {&sky, &monitor}) {
    EXPECT_EQ(d->placed, (std::vector<RecordingDisplay::Placement>{{"05", 1, 45, 95, 44}, {"12", 2, 10, 200, 30}}));
    EXPECT_EQ(d->colours.size(), 24u);  // the GSA's word on each entry, once
    EXPECT_EQ(d->colours[0], (std::pair<int, TColor>{1, clBlue}));
    EXPECT_EQ(d->colours[1], (std::pair<int, TColor>{2, clRed}));
    ASSERT_EQ(d->visibility.size(), 24u);
    EXPECT_EQ(d->visibility[0], (std::pair<int, bool>{1, true}));
    EXPECT_EQ(d->visibility[1], (std::pair<int, bool>{2, false}));  // gone with the second cycle
  }
  // Outside a tick (a replay, a test) every call goes through as it comes.
  receiver.Proc().ProcessNmea(first);
  EXPECT_EQ(sky.placed.size(), 4u);
}

// A notice takes the last-sentence line but says nothing of the source: a failure being retried
// stays said (it once vanished with the notice while the port stayed shut).
TEST_F(ReceiverTest, ANoticeLeavesTheStatusAsItIs) {
  rec.SaveLogName = (dir / "a.log").string();
  receiver.Recorder().SetSaveLog(true);
  receiver.Proc().ProcessNmea(kGga + "\r\n");
  script.opens = {false};
  EXPECT_FALSE(receiver.OpenSource());
  const std::string failed = receiver.Status();
  ASSERT_FALSE(failed.empty());
  std::filesystem::rename(rec.SaveLogName, dir / "b.log");
  receiver.AgeTick();
  EXPECT_EQ(receiver.Status(), failed);
  EXPECT_NE(monitor.recv.back().find("was moved"), std::string::npos);
  EXPECT_EQ(monitor.status, std::vector<std::string>{failed});
  receiver.Recorder().CloseLogFile();
}

TEST_F(ReceiverTest, ALogMovedWhileRecordingIsSaidOnceAndANewOneStarted) {
  rec.SaveLogName = (dir / "a.log").string();
  receiver.Recorder().SetSaveLog(true);
  script.reads = {kGga + "\r\n", "", kRmc + "\r\n"};
  ASSERT_TRUE(receiver.OpenSource());
  Poll();
  std::filesystem::rename(rec.SaveLogName, dir / "b.log");
  receiver.AgeTick();
  Poll();
  receiver.AgeTick();
  Poll();
  const std::string said =
      "The log file \"" + rec.SaveLogName + "\" was moved; recording goes on in a new file of that name";
  EXPECT_EQ(log, std::vector<std::string>{said});
  EXPECT_EQ(monitor.recv, (std::vector<std::string>{">" + kGga, said, ">" + kRmc}));
  receiver.Recorder().CloseLogFile();
  EXPECT_EQ(ReadAll(dir / "b.log"), kGga + "\r\n");
  EXPECT_EQ(ReadAll(rec.SaveLogName), kRmc + "\r\n");
}

TEST_F(ReceiverTest, TheMultiGnssQuestionComesOnceAfterTenSecondsOfGnOnlySentences) {
  int64_t now = 0;
  int asked = 0;
  receiver.SetClock([&now] { return now; });
  receiver.OnGnssQuestion = [&asked] { ++asked; };
  const std::string gn = "$GNGGA,090000,3400.0000,N,13400.0000,E,1,08,1.0,12.0,M,36.0,M,,\r\n";
  for (int64_t second : {0, 9, 10, 30}) {
    now = second * 1000;
    receiver.Proc().ProcessNmea(gn);
    EXPECT_EQ(asked, second >= 10 ? 1 : 0) << second;
  }
}

TEST_F(ReceiverTest, DataIsOldFiveSecondsAfterTheLastDecodedSentenceUntilTheNext) {
  int64_t now = 0;
  receiver.SetClock([&now] { return now; });
  ASSERT_TRUE(receiver.OpenSource());
  struct Step {
    int64_t ms;
    std::string read;  // polled when not empty, else an age tick
    int age;
  } const steps[] = {
      {0, kGga + "\r\n", kDataCurrent},     {4999, "", kDataCurrent},  {5000, "", 5},  {12400, "", 12},
      {13000, "$GPXYZ,1,2*4F\r\n", 12},   // shown, but nothing decodes it
      {13000, "$GPGGA,0900*73\r\n", 12},  // too short to decode
      {13500, kRmc + "\r\n", kDataCurrent}, {18499, "", kDataCurrent}, {18500, "", 5},
  };
  for (const Step& step : steps) {
    now = step.ms;
    if (step.read.empty()) {
      receiver.AgeTick();
    } else {
      script.reads = {step.read};
      Poll();
    }
    EXPECT_EQ(receiver.DataAge(), step.age) << step.ms;
  }
  // Each change said once, to every display.
  for (const RecordingDisplay* d : {&sky, &monitor}) EXPECT_EQ(d->ages, (std::vector<int>{5, 12, kDataCurrent, 5}));
}

TEST_F(ReceiverTest, ALostSourceMakesTheDataOldAtOnceAndAReplayKeepsItCurrent) {
  int64_t now = 0;
  receiver.SetClock([&now] { return now; });
  script.reads = {kGga + "\r\n"};
  script.hangUp = true;
  ASSERT_TRUE(receiver.OpenSource());
  Poll();
  now = 1500;
  Poll();
  EXPECT_EQ(receiver.DataAge(), 1);
  RecordingDisplay late;
  receiver.AddDisplay(late);
  EXPECT_EQ(late.ages, std::vector<int>{1});
  receiver.RemoveDisplay(late);

  const std::filesystem::path replayed = dir / "two.log";
  WriteAll(replayed, kGga + "\r\n" + kRmc + "\r\n");
  receiver.StartReplay(replayed.string());
  receiver.Replayer().Pause();
  receiver.ReplayTick();
  now = 60000;
  receiver.AgeTick();
  EXPECT_EQ(receiver.DataAge(), kDataCurrent);
}

// A connection can stand with nothing coming through it; a quiet serial line is just quiet.
TEST_F(ReceiverTest, AQuietNetworkSourceIsConnectedAgainAndSaysItIsBackWhenItDelivers) {
  int64_t now = 0;
  receiver.SetClock([&now] { return now; });
  ASSERT_TRUE(receiver.OpenSource());
  now = TReceiver::kQuietMs - 1;
  Poll();
  EXPECT_TRUE(receiver.SourceOpen());
  now = TReceiver::kQuietMs;
  Poll();
  EXPECT_FALSE(receiver.SourceOpen());
  const std::string said =
      "tcp://127.0.0.1:10110: nothing received for 10 seconds; trying to reopen it every 2 seconds";
  EXPECT_EQ(receiver.Status(), said);
  EXPECT_TRUE(reopen.running);
  receiver.ReopenTick();
  script.reads = {kGga + "\r\n"};
  Poll();
  EXPECT_EQ(log, (std::vector<std::string>{said, "tcp://127.0.0.1:10110 is back"}));
  EXPECT_EQ(receiver.Status(), "");

  int master = -1, slave = -1;
  char name[128] = {};
  ASSERT_TRUE(OpenRawPty(master, slave, name));
  receiver.SetSourceAddress(name);
  ASSERT_TRUE(receiver.OpenSource()) << receiver.Status();
  now += 10 * TReceiver::kQuietMs;
  Poll();
  EXPECT_TRUE(receiver.SourceOpen());
  receiver.CloseSource();
  close(master);
  close(slave);
}

// A receiver at `speed` on the master side of a pty: at the speed the line is set to it is heard
// whole, at any other only as noise.
void SendAsAReceiverAt(int master, speed_t speed) {
  termios t{};
  ASSERT_EQ(tcgetattr(master, &t), 0);
  const std::string heard = cfgetispeed(&t) == speed ? kGga + "\r\n" + kRmc + "\r\n" + kGga + "\r\n"
                                                     : std::string("\xe6\x80$G\x9e*3F\r\n\xf8\x07\x80$\x86*00\n", 20);
  ASSERT_EQ(write(master, heard.data(), heard.size()), static_cast<ssize_t>(heard.size()));
}

TEST_F(ReceiverTest, AutoSpeedTriesTheSpeedsUntilSentencesArriveWholeAndKeepsTheOneFound) {
  for (const auto& [bits, speed] : {std::pair{38400u, speed_t{B38400}}, std::pair{921600u, speed_t{B921600}}}) {
    SCOPED_TRACE(bits);
    int64_t now = 0;
    receiver.SetClock([&now] { return now; });
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_TRUE(OpenRawPty(master, slave, name));
    receiver.SetSourceAddress(name);
    receiver.SetAutoSpeed(true);
    log.clear();
    ASSERT_TRUE(receiver.OpenSource()) << receiver.Status();
    for (int i = 0; i < 200 && receiver.HuntingSpeed(); ++i) {
      SendAsAReceiverAt(master, speed);
      Poll();
      now += 500;
    }
    ASSERT_FALSE(receiver.HuntingSpeed());
    EXPECT_EQ(receiver.SerialPort()->LineSpeed(), bits);
    EXPECT_EQ(log.back(), std::string(name) + ": line speed " + std::to_string(bits) + " bit/s found");
    // Kept: the next ticks hear the receiver whole.
    rec.Lat = 0;
    now += 10 * TSpeedHunt::kDwellMs;
    SendAsAReceiverAt(master, speed);
    Poll(2);
    EXPECT_EQ(rec.Lat, 34.0);
    receiver.CloseSource();
    close(master);
    close(slave);
  }
}

TEST_F(ReceiverTest, TheSerialPortIsTheSourceUntilAnotherIsSet) {
  TReceiver fresh(rec, {&poll, &reopen, &replay, &save});
  ASSERT_NE(fresh.SerialPort(), nullptr);
  EXPECT_EQ(&fresh.UseSerialPort(), fresh.SerialPort());
  EXPECT_EQ(fresh.SerialPort()->ComPortInBufSize(), 9600);
  EXPECT_EQ(receiver.SerialPort(), nullptr);
  TCommPortDriver& port = receiver.UseSerialPort();
  EXPECT_EQ(receiver.SerialPort(), &port);
  EXPECT_EQ(receiver.Source().Name(), "COM1 (" + port.DeviceName() + ")");
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

TEST(ReceiverSource, AnAddressChoosesItsKindOfSource) {
  TNmeaRec rec;
  rec.ComPort = 3;
  rec.ComSpeed = 38400;
  HandTimer poll, reopen;
  TReceiver receiver(rec, {&poll, &reopen, nullptr, nullptr});
  struct Case {
    std::string address, name;
    bool serial;
  } const cases[] = {
      {"tcp://127.0.0.1:1", "tcp://127.0.0.1:1", false},
      {"/dev/orvane-no-such-device", "/dev/orvane-no-such-device", true},
      {"gpsd://127.0.0.1", "gpsd://127.0.0.1:2947", false},
      {"", "COM3 (/dev/ttyS2)", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    receiver.SetSourceAddress(c.address);
    EXPECT_EQ(receiver.SourceAddress(), c.address);
    EXPECT_EQ(receiver.Source().Name(), c.name);
    ASSERT_EQ(receiver.SerialPort() != nullptr, c.serial);
    // A serial source made after a network one takes the stored port and speed.
    if (c.serial) {
      EXPECT_EQ(receiver.SerialPort()->ComPortSpeed(), br38400);
    }
  }
}

TEST(ReceiverSource, AnUnreachableNetworkSourceIsSaidAndRetried) {
  TNmeaRec rec;
  HandTimer poll, reopen;
  TReceiver receiver(rec, {&poll, &reopen, nullptr, nullptr});
  std::vector<std::string> log;
  receiver.OnLog = [&log](const std::string& line) { log.push_back(line); };
  receiver.SetSourceAddress("tcp://127.0.0.1:1");  // nothing listens on port 1
  receiver.OpenSource();
  for (int i = 0; i < 200 && receiver.SourceOpen(); ++i) {
    receiver.PollTick();
    usleep(5000);
  }
  EXPECT_FALSE(receiver.SourceOpen());
  EXPECT_TRUE(reopen.running);
  ASSERT_FALSE(log.empty());
  // The source's message names it; the receiver does not name it again.
  EXPECT_EQ(log.back(),
            "Cannot connect to tcp://127.0.0.1:1 (127.0.0.1 port 1: Connection refused); trying to reopen it every 2 "
            "seconds");
}

}  // namespace
}  // namespace orvane
