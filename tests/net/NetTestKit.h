// SPDX-License-Identifier: GPL-3.0-or-later
// Loopback helpers for the network tests: a free port, a bounded pump that drives a server and a
// source until a condition holds, and a host name whose lookup hangs.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "net/NetSource.h"
#include "net/NmeaServer.h"

namespace orvane {

// A TCP port on 127.0.0.1 that nobody listens on now.
inline uint16_t FreeLoopbackPort(int type = SOCK_STREAM) {
  const int fd = ::socket(AF_INET, type, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  uint16_t port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  ::close(fd);
  return port;
}

// A socket of `type` bound to 127.0.0.1 on a port the system chose, and that port; -1 when none.
inline int BoundLoopback(int type, uint16_t& port) {
  const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    ::close(fd);
    return -1;
  }
  port = ntohs(a.sin_port);
  return fd;
}

// A TCP client connected to 127.0.0.1:`port`, or -1. With `receiveBuffer`, its kernel takes at
// most about that much for it, so that one that never reads fills up soon.
inline int ConnectLoopback(uint16_t port, int receiveBuffer = 0) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (receiveBuffer > 0) setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
  ::close(fd);
  return -1;
}

struct TPumped {
  std::string Text;     // every byte the source gave
  bool Failed = false;  // ReadQueued answered false
  bool Met = false;     // the condition held before the time ran out
};

// Reads the source (and polls the server, when there is one) until `until` holds for what was
// read, the source fails, or five seconds pass.
inline TPumped Pump(TNetSource& source, TTcpServer* server, const std::function<bool(const TPumped&)>& until,
                    int seconds = 5) {
  TPumped p;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!(p.Met = until(p)) && std::chrono::steady_clock::now() < deadline) {
    if (server) server->Poll(5);
    source.Wait(20);
    if (!source.ReadQueued(p.Text)) {
      p.Failed = true;
      p.Met = until(p);
      break;
    }
  }
  return p;
}

// A host name whose lookup hangs until the test lets it go: the system resolver reads the file
// HOSTALIASES names before it asks for a name without dots, and a FIFO without a writer holds it
// there. Set for this process with InProcess(), or passed to a child with Env().
class THangingLookup {
public:
  static constexpr const char* kHost = "gpsbox";
  explicit THangingLookup(const std::filesystem::path& folder) : Fifo((folder / "aliases").string()) {
    ::mkfifo(Fifo.c_str(), 0600);
  }
  ~THangingLookup() {
    if (Writer < 0) Writer = ::open(Fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    Release();
    if (Set) ::unsetenv("HOSTALIASES");
    ::unlink(Fifo.c_str());
  }
  std::string Env() const { return "HOSTALIASES=" + Fifo; }
  void InProcess() { Set = ::setenv("HOSTALIASES", Fifo.c_str(), 1) == 0; }
  // True once a lookup is held: the FIFO has its reader. The write end is kept open, so that the
  // reader waits on for its first line. False when `ended` tells that the lookup ended first, or
  // after three seconds: this system's resolver does not read HOSTALIASES.
  bool Held(const std::function<bool()>& ended) {
    for (int i = 0; i < 300 && Writer < 0 && !ended(); ++i)
      if ((Writer = ::open(Fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0) ::poll(nullptr, 0, 10);
    return Writer >= 0;
  }
  // The lookup held goes on and fails, and so do those after it: the alias file becomes an
  // empty one (the resolver reads it again for each query) and the name is unknown.
  void Release() {
    const std::string empty = Fifo + ".empty";
    ::close(::open(empty.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    ::rename(empty.c_str(), Fifo.c_str());
    if (Writer >= 0) ::close(Writer);
    Writer = -1;
  }

private:
  std::string Fifo;
  int Writer = -1;
  bool Set = false;
};

// Whole lines of `text`, without their CR LF.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t pos = 0;
  for (size_t end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
    out.push_back(text.substr(pos, end - pos));
  return out;
}

// True when `got` is a run of consecutive lines of `all`. A line may repeat (a GSV message of an
// unchanged sky), so each place where the run could begin is tried.
inline bool IsRunOf(const std::vector<std::string>& got, const std::vector<std::string>& all) {
  if (got.empty()) return false;
  for (size_t at = 0; at + got.size() <= all.size(); ++at) {
    size_t i = 0;
    while (i < got.size() && all[at + i] == got[i]) ++i;
    if (i == got.size()) return true;
  }
  return false;
}

}  // namespace orvane
