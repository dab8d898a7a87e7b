// SPDX-License-Identifier: GPL-3.0-or-later
// The built program as a user runs it: started with a settings file, fed by a receiver on a
// pseudo-terminal or by a simulated one over the network, and ended by a termination signal the
// way its close button ends it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "net/NmeaServer.h"
#include "sim/SimDrive.h"
#include "tests/common/TempFiles.h"

namespace orvane {
namespace {

const std::string kGga = "$GPGGA,090000,3400.0000,N,13400.0000,E,1,08,1.0,12.0,M,36.0,M,,*75\r\n";
const std::string kRmc = "$GPRMC,090000,A,3400.0000,N,13400.0000,E,10.0,90.0,010624,7.3,W*61\r\n";

class ProcessTest : public TempDir, public ::testing::WithParamInterface<int> {
protected:
  void TearDown() override {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (master >= 0) close(master);
    if (slave >= 0) close(slave);
    TempDir::TearDown();
  }
  // Waits up to `seconds` for the program to end; its wait status, or -1.
  int WaitExit(int seconds) {
    for (int i = 0; i < seconds * 100; ++i) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = -1;
        return status;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }
  bool WaitForEnd(const std::filesystem::path& p, const std::string& tail) {
    for (int i = 0; i < 1000; ++i) {
      const std::string s = ReadAll(p);
      if (s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  // Starts the program offscreen with `args`, its standard error into `err` when one is named.
  void Start(const std::vector<std::string>& args, const std::filesystem::path& err = {}) {
    std::vector<char*> argv{const_cast<char*>(ORVANE_EXE)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      if (!err.empty()) dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
      execv(ORVANE_EXE, argv.data());
      _exit(127);
    }
  }
  pid_t pid = -1;
  int master = -1, slave = -1;
};

TEST_P(ProcessTest, SignalWhileRecordingSavesTheSettingsAndCompletesTheLog) {
  char name[128];
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  const auto ini = dir / "demo.ini", log = dir / "rec.log";
  WriteAll(ini, "; kept by hand\n[Settings]\nComPort=2\nComSpeed=4800\nSaveLog=1\nSaveInterval=0\nSaveLogName=" +
                    log.string() + "\n\n[Ports]\nCOM2=" + name + "\n");
  Start({"--settings", ini.string()});
  // A stored "Save Log" goes on recording from the first sentence. What reaches the terminal
  // before the program has opened it is flushed, so the receiver talks until it is heard.
  auto send = [&](const std::string& s) {
    ASSERT_EQ(write(master, s.data(), s.size()), static_cast<ssize_t>(s.size()));
  };
  for (int i = 0; i < 200 && ReadAll(log).empty(); ++i) {
    send(kGga);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  send(kRmc);
  ASSERT_TRUE(WaitForEnd(log, kRmc)) << ReadAll(log);
  const std::string expected = ReadAll(log);
  ASSERT_EQ(kill(pid, GetParam()), 0);
  const int status = WaitExit(10);
  ASSERT_NE(status, -1) << "the program did not end";
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);

  // Whole lines only, and nothing lost at the end.
  EXPECT_EQ(ReadAll(log), expected);
  for (size_t at = 0; at < expected.size();) {
    const size_t end = expected.find("\r\n", at) + 2;
    const std::string line = expected.substr(at, end - at);
    EXPECT_TRUE(line == kGga || line == kRmc) << line;
    at = end;
  }
  const std::string saved = ReadAll(ini);
  EXPECT_EQ(saved.rfind("; kept by hand\n[Settings]\nComPort=2\n", 0), 0u) << saved;
  EXPECT_NE(saved.find("SaveLog=1\n"), std::string::npos);
  EXPECT_NE(saved.find("COM2=" + std::string(name) + "\n"), std::string::npos);
  // Every key is written at exit, the last one included.
  EXPECT_NE(saved.find("\nKddMap="), std::string::npos) << saved;
  // Nothing left beside the files but what was there and the console's list of commands.
  EXPECT_TRUE(std::filesystem::exists(dir / "Commands.ini"));
  EXPECT_EQ(FileCount(), 3);
}

// The program started without a display (or on `platform`): its exit code and standard error.
std::pair<int, std::string> RunWithoutDisplay(const std::string& args, const std::string& platform = "") {
  const std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY " +
                          (platform.empty() ? "-u QT_QPA_PLATFORM" : "QT_QPA_PLATFORM=" + platform) + " " + ORVANE_EXE +
                          " " + args + " 2>&1 >/dev/null";
  std::FILE* p = popen(cmd.c_str(), "r");
  std::string text;
  for (int c; (c = std::fgetc(p)) != EOF;) text += static_cast<char>(c);
  const int status = pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

TEST(ProcessStart, WithoutADisplayItSaysSoAndHelpAndVersionStillWork) {
  EXPECT_EQ(RunWithoutDisplay(""), std::pair(1, std::string("Orvane needs a display (DISPLAY or WAYLAND_DISPLAY is "
                                                            "not set); run it under xvfb-run for a virtual one\n")));
  EXPECT_EQ(RunWithoutDisplay("", "xcb").first, 1);
  // --help and --version need none; an empty file name is refused like a missing one. A log named
  // alone is taken (the run then stops for want of a display), a second one is refused.
  for (const auto& [args, code] : {std::pair{"--help", 0},
                                   {"--version", 0},
                                   {"--settings ''", 2},
                                   {"--settings=", 2},
                                   {"drive.nmea", 1},
                                   {"a.nmea b.nmea", 2},
                                   {"--replay a.nmea b.nmea", 2}})
    EXPECT_EQ(RunWithoutDisplay(args).first, code) << args;
}

TEST_F(ProcessTest, SettingsThatCannotBeSavedFailTheExit) {
  const auto ini = dir / "locked.ini", err = dir / "stderr.txt";
  WriteAll(ini, "[Settings]\nComPort=16\n\n[Ports]\nCOM16=" + (dir / "none").string() + "\n");
  std::filesystem::permissions(ini, std::filesystem::perms::owner_read);
  Start({"--settings", ini.string()}, err);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  kill(pid, SIGTERM);
  const int status = WaitExit(20);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string said = ReadAll(err);
  EXPECT_NE(said.find("The settings were not saved: Cannot write \"" + ini.string() + "\""), std::string::npos) << said;
}

// `--source` reads the address for the run: the simulated drive served over TCP is recorded, and
// neither the stored source nor the recent ones change.
TEST_F(ProcessTest, SourceGivenForTheRunIsReadAndNotStored) {
  TTcpServer server;
  std::string error;
  if (!server.Listen("127.0.0.1", 0, error)) GTEST_SKIP() << "no loopback server: " << error;
  const auto ini = dir / "run.ini", log = dir / "run.log", err = dir / "stderr.txt";
  const std::string stored = (dir / "stored-device").string();
  const std::string keys = "Source=" + stored + "\nRecent1=" + stored + "\nRecent2=\n";
  WriteAll(ini, "[Settings]\nSaveLog=1\nSaveInterval=0\nSaveLogName=" + log.string() + "\n" + keys);
  const std::string address = "tcp://127.0.0.1:" + std::to_string(server.Port());
  Start({"--settings", ini.string(), "--source", address}, err);
  // One burst a round once the program has connected, until a whole RMC is recorded.
  TNmeaSim sim;
  std::set<std::string> sent;
  for (int round = 0; round < 400 && ReadAll(log).find("\r\n$GPRMC") == std::string::npos; ++round) {
    server.Poll(50);
    if (server.ClientCount() == 0) continue;
    const std::string burst = sim.NextBurst();
    for (size_t at = 0; at < burst.size();) {
      const size_t end = burst.find("\r\n", at) + 2;
      sent.insert(burst.substr(at, end - at));
      at = end;
    }
    server.Send(burst);
    server.Drain(1000);
  }
  ASSERT_EQ(kill(pid, SIGTERM), 0);
  const int status = WaitExit(20);
  ASSERT_NE(status, -1) << "the program did not end";
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << ReadAll(err);

  const std::string recorded = ReadAll(log);
  ASSERT_NE(recorded.find("$GPRMC"), std::string::npos) << "nothing arrived; " << ReadAll(err);
  for (size_t at = 0; at < recorded.size();) {
    const size_t eol = recorded.find("\r\n", at);
    ASSERT_NE(eol, std::string::npos) << "a line without its end: " << recorded.substr(at);
    const size_t end = eol + 2;
    EXPECT_EQ(sent.count(recorded.substr(at, end - at)), 1u) << recorded.substr(at, end - at);
    at = end;
  }
  const std::string saved = ReadAll(ini);
  EXPECT_NE(saved.find("\n" + keys), std::string::npos) << saved;
  EXPECT_EQ(saved.find(address), std::string::npos) << saved;
}

// A FIFO or a device given to --replay once held the program for good, deaf to signals: in the
// open, or reading for a line end. Now the file is refused at once, and a signal ends the
// program while the refusal's box is shown.
TEST_F(ProcessTest, AReplayOfAFifoOrADeviceIsRefusedAndASignalStillEndsTheProgram) {
  const auto fifo = dir / "pipe.log", err = dir / "stderr.txt";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string files[] = {fifo.string(), "/dev/zero"};
  for (const std::string& file : files) {
    Start({"--settings", (dir / "replay.ini").string(), "--replay", file}, err);
    const std::string said = "Cannot open file \"" + file + "\": not a regular file";
    for (int i = 0; i < 1000 && ReadAll(err).find(said) == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_NE(ReadAll(err).find(said), std::string::npos) << ReadAll(err);
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    const int status = WaitExit(10);
    ASSERT_NE(status, -1) << file << ": the program did not end";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
}

INSTANTIATE_TEST_SUITE_P(Signals, ProcessTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& p) {
                           return std::string(p.param == SIGTERM ? "Term" : p.param == SIGINT ? "Int" : "Hup");
                         });

}  // namespace
}  // namespace orvane
