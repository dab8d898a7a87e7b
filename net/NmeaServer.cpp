// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/NmeaServer.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "net/Resolver.h"

namespace orvane {

bool TTcpServer::Listen(const std::string& host, uint16_t port, std::string& error) {
  Close();
  std::vector<TSocketAddress> addresses;
  if (!ResolveNow(host, port, SOCK_STREAM, true, addresses, error)) return false;
  for (const TSocketAddress& a : addresses) {
    const int fd = ::socket(a.Storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      error = std::strerror(errno);
      continue;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, a.Get(), a.Length) == 0 && ::listen(fd, 16) == 0) {
      sockaddr_storage s{};
      socklen_t len = sizeof s;
      getsockname(fd, reinterpret_cast<sockaddr*>(&s), &len);
      Port_ = ntohs(s.ss_family == AF_INET ? reinterpret_cast<const sockaddr_in*>(&s)->sin_port
                                           : reinterpret_cast<const sockaddr_in6*>(&s)->sin6_port);
      Listener = fd;
      return true;
    }
    error = "cannot listen on " + a.Text() + ": " + std::strerror(errno);
    ::close(fd);
  }
  return false;
}

void TTcpServer::Close() {
  for (TClient& c : Clients) ::close(c.Fd);
  Clients.clear();
  AcceptError_ = 0;
  AcceptPausedUntil = {};
  if (Listener >= 0) ::close(Listener);
  Listener = -1;
}

void TTcpServer::Send(std::string_view bytes) {
  for (TClient& c : Clients) {
    // What went out already is let go of before the queue grows.
    if (c.Sent > 0 && c.Sent * 2 >= c.Queued.size()) {
      c.Queued.erase(0, c.Sent);
      c.Sent = 0;
    }
    c.Queued.append(bytes);
  }
  for (auto it = Clients.begin(); it != Clients.end();) {
    if (Write(*it) && it->Queued.size() - it->Sent <= QueueLimit) {
      ++it;
      continue;
    }
    if (it->Queued.size() - it->Sent > QueueLimit) ++Dropped;
    ::close(it->Fd);
    it = Clients.erase(it);
  }
}

// Writes as much as the connection takes now; false when the client is gone.
bool TTcpServer::Write(TClient& c) {
  while (c.Sent < c.Queued.size()) {
    const ssize_t n = ::send(c.Fd, c.Queued.data() + c.Sent, c.Queued.size() - c.Sent, MSG_NOSIGNAL);
    if (n > 0) {
      c.Sent += static_cast<size_t>(n);
      BytesSent_ += static_cast<uint64_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
  c.Queued.clear();
  c.Sent = 0;
  return true;
}

void TTcpServer::Accept() {
  for (;;) {
    const int fd = ::accept4(Listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      // A client that gave up while waiting is no reason to stop taking the next one.
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        AcceptError_ = errno;
        AcceptPausedUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAcceptPauseMs);
      }
      return;
    }
    AcceptError_ = 0;
    if (SendBuffer > 0) setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &SendBuffer, sizeof SendBuffer);
    Clients.push_back(TClient{fd, {}, 0});
  }
}

void TTcpServer::Poll(int timeoutMs) {
  if (Listener < 0) return;
  std::vector<pollfd> fds;
  // While accepting is paused the listener is left out (poll skips a negative descriptor), and
  // the wait ends when the pause does.
  const auto now = std::chrono::steady_clock::now();
  const bool paused = now < AcceptPausedUntil;
  if (paused) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(AcceptPausedUntil - now).count();
    if (timeoutMs < 0 || left < timeoutMs) timeoutMs = static_cast<int>(left);
  }
  fds.push_back({paused ? -1 : Listener, POLLIN, 0});
  for (const TClient& c : Clients)
    fds.push_back({c.Fd, static_cast<short>(POLLIN | (c.Sent < c.Queued.size() ? POLLOUT : 0)), 0});
  if (::poll(fds.data(), fds.size(), timeoutMs) <= 0) return;
  // Clients send nothing we need; what they send is read and dropped, and an end of their
  // stream means they left.
  std::vector<TClient> kept;
  for (size_t i = 0; i < Clients.size(); ++i) {
    TClient& c = Clients[i];
    bool gone = (fds[i + 1].revents & (POLLERR | POLLNVAL)) != 0;
    if (!gone && (fds[i + 1].revents & (POLLIN | POLLHUP))) {
      char sink[4096];
      const ssize_t n = ::recv(c.Fd, sink, sizeof sink, 0);
      gone = n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR);
    }
    if (!gone && (fds[i + 1].revents & POLLOUT)) gone = !Write(c);
    if (gone)
      ::close(c.Fd);
    else
      kept.push_back(std::move(c));
  }
  Clients = std::move(kept);
  if (fds[0].revents & POLLIN) Accept();
}

bool TTcpServer::Drain(int timeoutMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const bool pending =
        std::any_of(Clients.begin(), Clients.end(), [](const TClient& c) { return c.Sent < c.Queued.size(); });
    if (!pending) return true;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
    if (left <= 0) return false;
    Poll(static_cast<int>(std::min<long long>(left, 100)));
  }
}

bool TUdpSender::Open(const std::string& host, uint16_t port, std::string& error, bool broadcast) {
  Close();
  std::vector<TSocketAddress> addresses;
  if (!ResolveNow(host, port, SOCK_DGRAM, false, addresses, error)) return false;
  for (const TSocketAddress& a : addresses) {
    const int fd = ::socket(a.Storage.ss_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      error = std::strerror(errno);
      continue;
    }
    const int on = 1;
    if (broadcast) setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    if (::connect(fd, a.Get(), a.Length) == 0) {
      Fd = fd;
      return true;
    }
    // Linux refuses a broadcast address to a socket not allowed to broadcast with EACCES.
    error = "cannot send to " + a.Text() + ": " +
            (errno == EACCES && !broadcast ? std::string("a broadcast address, and broadcasting is not allowed")
                                           : std::string(std::strerror(errno)));
    ::close(fd);
  }
  return false;
}

void TUdpSender::Close() {
  if (Fd >= 0) ::close(Fd);
  Fd = -1;
}

bool TUdpSender::SendDatagram(std::string_view datagram, std::string& error) {
  error.clear();
  ssize_t n;
  do {
    n = ::send(Fd, datagram.data(), datagram.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  } while (n < 0 && errno == EINTR);
  if (n >= 0 || errno == ECONNREFUSED) return true;
  if (errno != EAGAIN && errno != EWOULDBLOCK) error = std::strerror(errno);
  return false;
}

bool TUdpSender::Send(std::string_view lines, std::string& error) {
  while (!lines.empty()) {
    // As many whole lines as fit; a longer line goes alone.
    size_t take = 0;
    for (size_t end; (end = lines.find('\n', take)) != std::string_view::npos && end + 1 <= kDatagramLimit;)
      take = end + 1;
    if (take == 0) {
      const size_t end = lines.find('\n');
      take = end == std::string_view::npos ? lines.size() : end + 1;
    }
    ssize_t n;
    do {
      n = ::send(Fd, lines.data(), take, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && errno != ECONNREFUSED) {
      error = std::strerror(errno);
      return false;
    }
    lines.remove_prefix(take);
  }
  return true;
}

}  // namespace orvane
