// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/UdpSource.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "net/Resolver.h"

namespace orvane {

void AppendDatagram(std::string& out, const char* data, size_t size) {
  if (size == 0) return;
  out.append(data, size);
  if (out.back() != '\n')
    out += "\r\n";
  else if (size < 2 || data[size - 2] != '\r')
    out.insert(out.size() - 1, 1, '\r');
}

bool TUdpSource::Open() {
  if (IsOpen()) return true;
  Error.clear();
  PeerClosed_ = false;
  std::vector<TSocketAddress> addresses;
  std::string why;
  // A listener's address is one of this machine's: a number, or "localhost" from the hosts file,
  // so that opening never waits on a name server.
  const bool numeric = !Address_.Host.empty() && Address_.Host != "localhost";
  if (!ResolveNow(Address_.Host, Address_.Port, SOCK_DGRAM, true, addresses, why, numeric))
    return Fail("Cannot listen on " + Name() + ": " +
                (numeric ? "the address to listen on is one of this machine's, as a number (" + why + ")" : why));
  for (const TSocketAddress& a : addresses) {
    const int fd = ::socket(a.Storage.ss_family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      why = std::strerror(errno);
      continue;
    }
    if (a.Storage.ss_family == AF_INET6 && Address_.Host.empty()) {
      const int off = 0;  // IPv4 senders too, where the system allows it
      setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
    }
    // Datagrams come in bursts; room for a few seconds of them while the caller is busy.
    const int size = 1 << 20;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    if (::bind(fd, a.Get(), a.Length) == 0) {
      Fd = fd;
      return true;
    }
    why = std::strerror(errno);
    ::close(fd);
  }
  return Fail("Cannot listen on " + Name() + ": " + why);
}

void TUdpSource::Close() {
  if (Fd >= 0) ::close(Fd);
  Fd = -1;
}

uint16_t TUdpSource::LocalPort() const {
  sockaddr_storage s{};
  socklen_t len = sizeof s;
  if (Fd < 0 || getsockname(Fd, reinterpret_cast<sockaddr*>(&s), &len) != 0) return 0;
  if (s.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in*>(&s)->sin_port);
  return ntohs(reinterpret_cast<const sockaddr_in6*>(&s)->sin6_port);
}

bool TUdpSource::ReadQueued(std::string& out) {
  if (Fd < 0) {
    if (Error.empty()) Error = Name() + " is not open";
    return false;
  }
  if (Buffer.empty()) Buffer.resize(65536);
  size_t total = 0;
  while (total < kReadLimit) {
    const ssize_t n = ::recv(Fd, Buffer.data(), Buffer.size(), 0);
    if (n >= 0) {
      total += static_cast<size_t>(n) + 1;
      AppendDatagram(out, Buffer.data(), static_cast<size_t>(n));
      continue;
    }
    if (errno == EINTR) continue;
    // An ICMP answer to something sent earlier on the port says nothing about what is received.
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNREFUSED) return true;
    return Fail(Name() + ": cannot receive: " + std::strerror(errno));
  }
  return true;
}

}  // namespace orvane
