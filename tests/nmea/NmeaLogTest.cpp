// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/NmeaLog.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "nmea/UNmeaProc.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

struct FakeTimer : TLogTimer {
  bool running = false;
  uint32_t period = 0;
  int starts = 0;
  void Start(uint32_t ms) override {
    running = true;
    period = ms;
    ++starts;
  }
  void Stop() override { running = false; }
};

const std::string kGga = "$GPGGA,090000,3400.0000,N,13400.0000,E,1,08,1.0,12.0,M,36.0,M,,*75";
const std::string kRmc = "$GPRMC,090000,A,3400.0000,N,13400.0000,E,10.0,90.0,010624,7.3,W*61";
// Logged, but no decoder takes it.
const std::string kHdt = "$GPHDT,274.07,T*03";

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct LogFixture : ::testing::Test {
  fs::path dir;
  TNmeaRec rec;
  TNullDisplay display;
  FakeTimer slTimer;
  uint32_t now = 0;
  TNmeaLogRecorder recorder{rec, &slTimer, [this] { return now; }};
  TNmeaProc proc{rec, display, &recorder};
  std::vector<std::string> decoded;  // framed sentences that reached a decoder

  void SetUp() override {
    dir = fs::temp_directory_path() / ("nmealog-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    rec.SaveLogName = (dir / "NMEA.log").string();
    proc.OnSentence = [this](const TSentenceInfo& i) {
      if (i.outcome == TSentenceOutcome::Decoded) decoded.emplace_back(i.sentence);
    };
  }
  void TearDown() override { fs::remove_all(dir); }
  void Receive(const std::string& bytes) {
    proc.ProcessReceivedBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  std::string Burst() { return kGga + "\r\n" + "junk line\r\n" + kHdt + "\r\n" + kRmc + "\r\n"; }
};

TEST_F(LogFixture, AllWritesEverySentenceAsFramedWithCrLf) {
  recorder.Start();
  recorder.SetSaveInterval(0);
  recorder.SetSaveLog(true);
  EXPECT_FALSE(recorder.LogOpened());  // created with the first sentence, not before
  Receive(Burst());
  Receive(kGga.substr(0, 20));
  Receive(kGga.substr(20) + "\r\n");
  ASSERT_TRUE(recorder.LogOpened());
  const std::string first = kGga + "\r\n" + kHdt + "\r\n" + kRmc + "\r\n" + kGga + "\r\n";
  EXPECT_EQ(ReadAll(rec.SaveLogName), first);  // flushed as written
  EXPECT_EQ(decoded.size(), 3u);

  // Off closes the file; on again appends to it, as does a later run.
  recorder.SetSaveLog(false);
  EXPECT_FALSE(recorder.LogOpened());
  Receive(Burst());
  EXPECT_EQ(ReadAll(rec.SaveLogName), first);
  recorder.SetSaveLog(true);
  Receive(kRmc + "\r\n");
  recorder.CloseLogFile();
  EXPECT_EQ(ReadAll(rec.SaveLogName), first + kRmc + "\r\n");
}

TEST_F(LogFixture, AWriteThatDoesNotFitLeavesOnlyWholeLines) {
  recorder.Start();
  recorder.SetSaveLog(true);
  std::vector<std::string> failures;
  recorder.OnFailure = [&](const std::string& m) { failures.push_back(m); };
  Receive(kGga + "\r\n");
  // A file size limit stands in for a full disk: the next line goes in only partly.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = kGga.size() + 2 + 10;
  ::setrlimit(RLIMIT_FSIZE, &small);
  Receive(kRmc + "\r\n");
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(failures.size(), 1u);
  EXPECT_EQ(ReadAll(rec.SaveLogName), kGga + "\r\n");
}

TEST_F(LogFixture, IntervalSavesOneWindowPerIntervalAcrossTheClockWrap) {
  rec.SaveInterval = 5;
  recorder.Start();
  EXPECT_FALSE(slTimer.running);  // recording is off
  now = 0xFFFFF000u;              // 4096 ms before the wrap
  recorder.SetSaveLog(true);
  EXPECT_TRUE(slTimer.running);
  EXPECT_EQ(slTimer.period, 1000u);  // a save window holds about one burst
  // Switching on opens the first window; its tick a second later closes it.
  EXPECT_TRUE(recorder.SaveNow());
  EXPECT_EQ(recorder.LastSaveTick(), 0xFFFFF000u);

  int written = 0;
  auto second = [&] {
    recorder.SLTimerTimer();
    if (recorder.SaveNow()) ++written;
    now += 1000;
  };
  now += 1000;
  for (int s = 1; s < 21; ++s) second();  // passes the wrap after about four seconds
  EXPECT_EQ(written, 4);                  // seconds 5, 10, 15, 20
  EXPECT_LT(recorder.LastSaveTick(), 0x10000u);

  // A save moment lets the sentences of its window go to the log, and only those.
  now = recorder.LastSaveTick() + 5000;
  recorder.SLTimerTimer();
  Receive(kGga + "\r\n");
  recorder.SLTimerTimer();  // next tick, interval not over
  Receive(kRmc + "\r\n");
  recorder.CloseLogFile();
  EXPECT_EQ(ReadAll(rec.SaveLogName), kGga + "\r\n");
}

TEST_F(LogFixture, StoredSaveLogResumesAndIntervalItemsApply) {
  rec.SaveLog = true;
  rec.SaveInterval = 0;
  recorder.Start();
  EXPECT_TRUE(recorder.SaveNow());
  EXPECT_FALSE(slTimer.running);  // period 0: never ticks
  Receive(kGga + "\r\n");
  EXPECT_TRUE(recorder.LogOpened());

  // A later interval takes effect although the start-up period was 0; "1sec" is one like the rest.
  recorder.SetSaveInterval(1);
  EXPECT_TRUE(slTimer.running);
  EXPECT_EQ(slTimer.period, 1000u);
  EXPECT_EQ(TNmeaLogRecorder::ParseSaveInterval("12"), 12);
  EXPECT_EQ(TNmeaLogRecorder::ParseSaveInterval("twelve"), 0);
  recorder.SetSaveInterval(12);
  EXPECT_EQ(recorder.SaveIntervalText(), "12");
  EXPECT_EQ(slTimer.period, 1000u);  // the period is kept once set

  // A new name applies to the next log; the open one keeps its name.
  const std::string old = rec.SaveLogName;
  recorder.SetSaveLogName((dir / "other.log").string());
  Receive(kRmc + "\r\n");
  EXPECT_EQ(recorder.OpenedName(), old);
  recorder.SetSaveLog(false);
  recorder.SetSaveLog(true);
  Receive(kRmc + "\r\n");
  EXPECT_EQ(recorder.OpenedName(), (dir / "other.log").string());
}

TEST_F(LogFixture, LogThatCannotBeCreatedIsReportedOnceAndDecodingGoesOn) {
  rec.SaveLogName = (dir / "missing" / "NMEA.log").string();
  std::vector<std::string> failures;
  recorder.OnFailure = [&](const std::string& m) { failures.push_back(m); };
  recorder.Start();
  recorder.SetSaveLog(true);
  for (int i = 0; i < 3; ++i) Receive(Burst());
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("Cannot create file \"" + rec.SaveLogName + "\": No such file"), std::string::npos);
  EXPECT_FALSE(rec.SaveLog);
  EXPECT_FALSE(recorder.SaveNow());
  EXPECT_FALSE(slTimer.running);
  EXPECT_EQ(decoded.size(), 6u);  // every GGA and RMC, the first one included

  // Without a handler the one report is the exception, and the next delivery passes.
  recorder.OnFailure = nullptr;
  recorder.SetSaveLog(true);
  EXPECT_THROW(Receive(kGga + "\r\n"), std::runtime_error);
  EXPECT_FALSE(rec.SaveLog);
  EXPECT_NO_THROW(Receive(kGga + "\r\n"));
}

// A FIFO as the log once blocked the window in open at the first sentence.
TEST_F(LogFixture, OnlyARegularFileIsALogAndTheRefusalNamesIt) {
  const std::string fifo = (dir / "pipe.log").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string Path, Cause;
  } refused[] = {{fifo, "not a regular file"}, {"/dev/null", "not a regular file"}, {dir.string(), "Is a directory"}};
  std::vector<std::string> failures;
  recorder.OnFailure = [&](const std::string& m) { failures.push_back(m); };
  for (const auto& r : refused) {
    failures.clear();
    rec.SaveLogName = r.Path;
    recorder.SetSaveLog(true);
    Receive(Burst());
    EXPECT_EQ(failures, std::vector<std::string>{"Cannot create file \"" + r.Path + "\": " + r.Cause});
    EXPECT_FALSE(recorder.LogOpened());
  }
}

// A log moved or deleted while it was written once took every later sentence into the deleted
// file, and no new log appeared.
TEST_F(LogFixture, ALogMovedOrDeletedIsSaidOnceAndANewOneStarted) {
  recorder.SetSaveLog(true);
  Receive(kGga + "\r\n");
  EXPECT_EQ(recorder.CheckLogFile(), "");
  const fs::path log = rec.SaveLogName, moved = dir / "moved.log";
  struct {
    std::function<void()> GoAway;
    const char* Said;
  } const cases[] = {{[&] { fs::rename(log, moved); }, "moved"},
                     {[&] { fs::remove(log); }, "deleted"},
                     {[&] {
                        fs::rename(log, moved);
                        std::ofstream(log) << "another\n";
                      },
                      "moved"}};
  for (const auto& c : cases) {
    fs::remove(moved);
    c.GoAway();
    const std::string away = fs::exists(moved) ? ReadAll(moved) : "";
    EXPECT_EQ(recorder.CheckLogFile(),
              "The log file \"" + log.string() + "\" was " + c.Said + "; recording goes on in a new file of that name");
    EXPECT_EQ(recorder.CheckLogFile(), "");  // once
    Receive(kRmc + "\r\n");
    EXPECT_TRUE(fs::exists(log));
    EXPECT_EQ(recorder.CheckLogFile(), "");
    EXPECT_NE(ReadAll(log).find(kRmc + "\r\n"), std::string::npos) << c.Said;
    EXPECT_EQ(fs::exists(moved) ? ReadAll(moved) : "", away);  // nothing more went into it
  }
}

TEST(LogWriter, OnlyAWrittenSentenceIsMarkedWritten) {
  struct Log : TNmeaLogWriter {
    bool ok = false;
    bool SaveNow() const override { return true; }
    bool WriteLogLine(const std::string&) override { return ok; }
  } log;
  struct Recv : TNullDisplay {
    std::string caption;
    void ShowSentence(const TSentenceInfo& info) override { caption = SentenceLine(info); }
  } display;
  TNmeaRec rec;
  TNmeaProc proc{rec, display, &log};
  proc.ProcessNmea(kGga + "\r\n");
  EXPECT_EQ(display.caption, kGga);
  log.ok = true;
  proc.ProcessNmea(kGga + "\r\n");
  EXPECT_EQ(display.caption, ">" + kGga);
}

}  // namespace
}  // namespace orvane
