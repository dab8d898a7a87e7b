// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/TcpSource.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orvane {
namespace {

void KeepAlive(int fd) {
  // A link that died without a word (a cable pulled, a phone gone out of reach) is noticed in
  // about half a minute instead of hours.
  const int on = 1, idle = 10, interval = 5, count = 3;
  setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
}

}  // namespace

bool TTcpSource::Open() {
  if (IsOpen()) return true;
  Error.clear();
  PeerClosed_ = false;
  ClosedAfterBytes = false;
  LastConnectError.clear();
  Deadline = std::chrono::steady_clock::now() + kConnectTimeout;
  Resolver.Start(Address_.Host, Address_.Port, SOCK_STREAM, false);
  State = TState::Resolving;
  return Advance();
}

void TTcpSource::Close() {
  Resolver.Cancel();
  if (Fd >= 0) ::close(Fd);
  Fd = -1;
  State = TState::Closed;
}

std::string TTcpSource::Progress() const {
  if (State == TState::Resolving) return "looking up " + Address_.Host + "...";
  if (State == TState::Connecting && Next > 0) return "connecting to " + Candidates[Next - 1].Text() + "...";
  return {};
}

// Moves the connection on as far as it goes without waiting; false after Fail.
bool TTcpSource::Advance() {
  if (State == TState::Resolving) {
    if (!Resolver.Ready()) {
      if (std::chrono::steady_clock::now() > Deadline)
        return Fail("Cannot connect to " + Name() + ": the host name was not found within 10 seconds");
      return true;
    }
    if (Resolver.Addresses().empty()) return Fail("Cannot connect to " + Name() + ": " + Resolver.Error());
    Candidates = Resolver.Addresses();
    Next = 0;
    State = TState::Connecting;
    return ConnectNext();
  }
  if (State != TState::Connecting) return true;
  pollfd p{Fd, POLLOUT, 0};
  if (::poll(&p, 1, 0) == 1) {
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(Fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
    if (err == 0) {
      State = TState::Connected;
      return OnConnected();
    }
    LastConnectError = Candidates[Next - 1].Text() + ": " + std::strerror(err);
    return ConnectNext();
  }
  if (std::chrono::steady_clock::now() > Deadline)
    return Fail("Cannot connect to " + Name() + ": no answer within 10 seconds");
  return true;
}

// Starts a connection to the next address the host has; false after Fail when none is left.
bool TTcpSource::ConnectNext() {
  if (Fd >= 0) ::close(Fd);
  Fd = -1;
  while (Next < Candidates.size()) {
    const TSocketAddress& a = Candidates[Next++];
    Fd = ::socket(a.Storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (Fd < 0) {
      LastConnectError = a.Text() + ": " + std::strerror(errno);
      continue;
    }
    KeepAlive(Fd);
    int rc;
    do {
      rc = ::connect(Fd, a.Get(), a.Length);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
      State = TState::Connected;
      return OnConnected();
    }
    if (errno == EINPROGRESS) return true;
    LastConnectError = a.Text() + ": " + std::strerror(errno);
    ::close(Fd);
    Fd = -1;
  }
  return Fail("Cannot connect to " + Name() + " (" + LastConnectError + ")");
}

bool TTcpSource::ReadQueued(std::string& out) {
  if (State == TState::Closed) {
    if (Error.empty()) Error = Name() + " is not open";
    return false;
  }
  if (ClosedAfterBytes) {
    PeerClosed_ = true;
    return Fail(Name() + ": the server closed the connection");
  }
  if (!Advance()) return false;
  return State != TState::Connected || Receive(out);
}

bool TTcpSource::Receive(std::string& out) {
  if (Buffer.empty()) Buffer.resize(64 << 10);
  size_t total = 0;
  while (total < kReadLimit) {
    const ssize_t n = ::recv(Fd, Buffer.data(), Buffer.size(), 0);
    if (n > 0) {
      total += static_cast<size_t>(n);
      if (!Deliver(Buffer.data(), static_cast<size_t>(n), out)) return false;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    if (n == 0) {
      // What came before the close is handed over first; the loss is told on the next call.
      if (total > 0) {
        ClosedAfterBytes = true;
        return true;
      }
      PeerClosed_ = true;
      return Fail(Name() + ": the server closed the connection");
    }
    return Fail(Name() + ": the connection failed: " + std::strerror(errno));
  }
  return true;
}

std::string TTcpSource::WriteRefusal() const {
  if (State == TState::Closed) return Name() + " is not open";
  if (State != TState::Connected) return Name() + " is not connected yet";
  return {};
}

bool TTcpSource::Write(std::string_view bytes, size_t& written, std::string& error) {
  written = 0;
  if (!(error = WriteRefusal()).empty()) return false;
  while (written < bytes.size()) {
    const ssize_t n = ::send(Fd, bytes.data() + written, bytes.size() - written, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      written += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    Fail(Name() + ": cannot send: " + std::strerror(errno));
    return (error = Error), false;
  }
  return true;
}

bool TTcpSource::SendText(const std::string& text) {
  size_t sent = 0;
  while (sent < text.size()) {
    const ssize_t n = ::send(Fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(Name() + ": cannot send: " + std::strerror(errno));
    sent += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace orvane
