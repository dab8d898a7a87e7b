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

#include <gtest/gtest.h>

#include "sim/SimDrive.h"

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

}  // namespace
}  // namespace orvane
