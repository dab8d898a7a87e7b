// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the simulator program itself: on a pseudo-terminal, read by a reader that comes and goes,
// and into a file.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include "net/NetSource.h"
#include "net/UdpSource.h"
#include "sim/SimDrive.h"
#include "tests/common/TempFiles.h"
#include "tests/net/NetTestKit.h"

namespace orvane {
namespace {

// Complete sentences whose checksum is right.
std::vector<std::string> ValidSentences(const std::string& text) {
  std::vector<std::string> out;
  size_t pos = 0;
  for (size_t end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
    const std::string s = text.substr(pos, end - pos);
    const size_t star = s.find('*');
    if (s.size() < 4 || s[0] != '$' || star == std::string::npos || star + 3 != s.size()) continue;
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", NmeaChecksum(std::string_view(s).substr(1, star - 1)));
    if (s.substr(star + 1) == hex) out.push_back(s);
  }
  return out;
}

// Reads from fd until `want` valid GGA sentences came or the seconds ran out.
std::string ReadGga(int fd, int want, int seconds) {
  std::string text;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < until) {
    int gga = 0;
    for (const std::string& s : ValidSentences(text)) gga += s.starts_with("$GPGGA");
    if (gga >= want) break;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 200) <= 0) continue;
    char buf[512];
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) break;
    text.append(buf, static_cast<size_t>(n));
  }
  return text;
}

TEST(Nmeasim, ServesAPseudoTerminalToAReaderThatComesAndGoes) {
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    // Ten simulated seconds per second keep the test short.
    execl(NMEASIM_PATH, NMEASIM_PATH, "--pty", "--baud", "38400", "--speed", "10", nullptr);
    _exit(127);
  }
  close(out[1]);
  std::string path;
  char c;
  while (read(out[0], &c, 1) == 1 && c != '\n') path.push_back(c);
  close(out[0]);
  ASSERT_TRUE(path.starts_with("/dev/")) << path;

  for (int round = 0; round < 2; ++round) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOCTTY);
    ASSERT_GE(fd, 0) << path;
    const std::vector<std::string> got = ValidSentences(ReadGga(fd, 2, 5));
    close(fd);
    int gga = 0, rmc = 0;
    for (const std::string& s : got) {
      gga += s.starts_with("$GPGGA");
      rmc += s.starts_with("$GPRMC");
    }
    EXPECT_GE(gga, 2) << "round " << round;
    EXPECT_GE(rmc, 1) << "round " << round;
    usleep(300000);  // nobody reading: the simulator must keep going
  }

  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Nmeasim, WritesTheGivenSecondsToAFile) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("nmeasim-" + std::to_string(getpid()) + ".log");
  const std::string cmd = std::string(NMEASIM_PATH) + " --duration 4 --seed 3 -o " + file.string();
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  std::filesystem::remove(file);
  int gga = 0;
  for (const std::string& line : ValidSentences(s.str())) {
    if (!line.starts_with("$GPGGA")) continue;
    ++gga;
    // Near 34 N, 134 E: $GPGGA,time,ddmm.mmmm,N,dddmm.mmmm,E,...
    std::vector<std::string> f;
    std::stringstream fields(line);
    for (std::string x; std::getline(fields, x, ',');) f.push_back(x);
    ASSERT_GE(f.size(), 6u);
    EXPECT_TRUE(f[2].starts_with("33") || f[2].starts_with("34")) << line;
    EXPECT_TRUE(f[4].starts_with("133") || f[4].starts_with("134")) << line;
  }
  EXPECT_EQ(gga, 4);
}

// Starts nmeasim with `args`; its standard output is read through `out`.
pid_t Start(const std::vector<std::string>& args, int& out) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    close(pipeFds[0]);
    close(pipeFds[1]);
    std::vector<char*> argv{const_cast<char*>(NMEASIM_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(NMEASIM_PATH, argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  out = pipeFds[0];
  return pid;
}

std::string FirstLine(int fd) {
  std::string line;
  char c;
  while (read(fd, &c, 1) == 1 && c != '\n') line.push_back(c);
  return line;
}

int Finish(pid_t pid, bool terminate) {
  if (terminate) kill(pid, SIGTERM);
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

::testing::AssertionResult RunOf(const std::vector<std::string>& got, const std::vector<std::string>& all,
                                 size_t least) {
  if (got.size() < least) return ::testing::AssertionFailure() << "only " << got.size() << " sentences";
  if (!IsRunOf(got, all)) return ::testing::AssertionFailure() << "not a run of the drive's sentences";
  return ::testing::AssertionSuccess();
}

std::vector<std::string> SimulatedLog(int seconds) {
  TSimOptions opt;
  opt.StartLat = 34, opt.StartLon = 134;
  TNmeaSim sim(opt);
  std::string all;
  for (int i = 0; i < seconds; ++i) sim.NextBurst(all);
  return ValidSentences(all);
}

TEST(Nmeasim, ServesEveryTcpClientTheDriveFromWhenItConnected) {
  int out = -1;
  const pid_t pid = Start({"--tcp", "0", "--speed", "20", "--duration", "400"}, out);
  ASSERT_GT(pid, 0);
  const std::string address = FirstLine(out);
  close(out);
  ASSERT_TRUE(address.starts_with("tcp://127.0.0.1:")) << address;
  std::vector<TNetInput> clients;
  for (int i = 0; i < 2; ++i) clients.emplace_back(address);
  for (TNetInput& c : clients) ASSERT_TRUE(c.Open()) << c.LastError();
  const std::vector<std::string> all = SimulatedLog(400);
  for (TNetInput& c : clients) {
    const TPumped p = Pump(*c.Get(), nullptr, [](const TPumped& r) { return ValidSentences(r.Text).size() >= 30; });
    EXPECT_FALSE(p.Failed) << c.LastError();
    EXPECT_TRUE(RunOf(ValidSentences(p.Text), all, 30));
  }
  EXPECT_EQ(Finish(pid, true), 0);
}

TEST(Nmeasim, SendsUdpDatagramsOfWholeSentences) {
  const uint16_t port = FreeLoopbackPort(SOCK_DGRAM);
  TUdpSource listener(TNetAddress{TNetKind::Udp, "127.0.0.1", port, ""});
  ASSERT_TRUE(listener.Open()) << listener.LastError();
  int out = -1;
  const pid_t pid = Start({"--udp", "127.0.0.1:" + std::to_string(port), "--speed", "20"}, out);
  ASSERT_GT(pid, 0);
  close(out);
  const TPumped p = Pump(listener, nullptr, [](const TPumped& r) { return ValidSentences(r.Text).size() >= 30; });
  EXPECT_EQ(Finish(pid, true), 0);
  // Every line that arrived is whole: the datagrams end at line ends.
  EXPECT_EQ(static_cast<std::ptrdiff_t>(ValidSentences(p.Text).size()), std::count(p.Text.begin(), p.Text.end(), '\n'));
  EXPECT_TRUE(RunOf(ValidSentences(p.Text), SimulatedLog(400), 30));
}

class NmeasimFile : public TempDir {};

TEST_F(NmeasimFile, AppearsOnlyWhenCompleteAndNeverShortOnAFullDisk) {
  const std::string file = (dir / "drive.log").string();
  // While it is written (slowly, in real time) the name holds nothing; stopped, it holds the
  // whole seconds written so far.
  int out = -1;
  pid_t pid = Start({"--realtime", "--speed", "50", "-o", file}, out);
  close(out);
  ASSERT_GT(pid, 0);
  poll(nullptr, 0, 300);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(Finish(pid, true), 0);
  const std::string stopped = ReadAll(file);
  EXPECT_GT(stopped.size(), 0u);
  EXPECT_TRUE(stopped.ends_with("\r\n"));

  // A disk that fills half way (a file size limit here): a message, exit 1, and the earlier
  // file as it was, with no temporary file left beside it.
  pid = fork();
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{20000, 20000};
    setrlimit(RLIMIT_FSIZE, &limit);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    execl(NMEASIM_PATH, NMEASIM_PATH, "--duration", "600", "-o", file.c_str(), nullptr);
    _exit(127);
  }
  EXPECT_EQ(Finish(pid, false), 1);
  EXPECT_EQ(ReadAll(file), stopped);
  EXPECT_EQ(FileCount(), 1);
}

}  // namespace
}  // namespace orvane
