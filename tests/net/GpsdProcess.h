// SPDX-License-Identifier: GPL-3.0-or-later
// A real gpsd for the tests, started in the foreground on a pseudo-terminal that the test writes
// a simulated receiver's sentences to (or on a device it is given, such as a tcp:// address),
// listening on a free loopback port; stopped when it goes.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "tests/common/RawPty.h"
#include "tests/net/NetTestKit.h"

namespace orvane {

class TGpsdProcess {
public:
  TGpsdProcess() = default;
  TGpsdProcess(const TGpsdProcess&) = delete;
  TGpsdProcess& operator=(const TGpsdProcess&) = delete;
  ~TGpsdProcess() { Stop(); }

  // Starts `program`; false, with `why`, when it is not installed or nothing could be set up for
  // it. gpsd failing after the start shows as Exited(), its messages in LogPath().
  bool Start(const std::string& program, std::string& why, const std::string& device = "") {
    if (program.empty() || access(program.c_str(), X_OK) != 0) {
      why = "gpsd is not installed (Debian package gpsd)";
      return false;
    }
    char name[128] = {};
    if (!OpenRawPty(Master, Slave, name)) {
      why = "no pseudo-terminal for gpsd to read";
      return false;
    }
    Device_ = device.empty() ? std::string(name) : device;
    std::string tmpl = (std::filesystem::temp_directory_path() / "orvane-gpsd-XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr) {
      why = "no temporary folder for gpsd's control socket";
      return false;
    }
    Dir = tmpl;
    Port_ = FreeLoopbackPort();
    const std::string port = std::to_string(Port_), control = Dir + "/gpsd.sock", log = LogPath();
    Pid = fork();
    if (Pid < 0) {
      why = "cannot fork";
      return false;
    }
    if (Pid == 0) {
      const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, 1);
      dup2(out, 2);
      // -N: in the foreground, -n: read the device at once, -S: our port (loopback only by default).
      execl(program.c_str(), "gpsd", "-N", "-n", "-S", port.c_str(), "-F", control.c_str(), Device_.c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    return true;
  }

  // Writes what the simulated receiver sends; false when the terminal takes it not all.
  bool Write(std::string_view bytes) const {
    return write(Master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }

  // True, with gpsd's exit status, once it has ended on its own.
  bool Exited(int& status) {
    if (Pid <= 0 || waitpid(Pid, &status, WNOHANG) != Pid) return false;
    Pid = -1;
    status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
  }

  uint16_t Port() const { return Port_; }
  // The pseudo-terminal gpsd reads, as a gpsd:// address names the device.
  const std::string& Device() const { return Device_; }
  std::string LogPath() const { return Dir + "/gpsd.log"; }
  // gpsd://127.0.0.1:PORT/dev/pts/N
  std::string Address() const { return "gpsd://127.0.0.1:" + std::to_string(Port_) + Device_; }

  void Stop() {
    if (Pid > 0) {
      kill(Pid, SIGTERM);
      int status = 0;
      for (int i = 0; i < 200 && waitpid(Pid, &status, WNOHANG) == 0; ++i) poll(nullptr, 0, 10);
      if (waitpid(Pid, &status, WNOHANG) == 0) {
        kill(Pid, SIGKILL);
        waitpid(Pid, &status, 0);
      }
      Pid = -1;
    }
    if (Master >= 0) close(Master);
    if (Slave >= 0) close(Slave);
    Master = Slave = -1;
    if (!Dir.empty()) std::filesystem::remove_all(Dir);
    Dir.clear();
  }

private:
  pid_t Pid = -1;
  int Master = -1, Slave = -1;
  uint16_t Port_ = 0;
  std::string Device_, Dir;
};

}  // namespace orvane
