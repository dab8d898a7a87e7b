// SPDX-License-Identifier: GPL-3.0-or-later
// A TCP listener on the loopback interface at a port the system picks, for the test servers.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>

namespace orvane {

// The listening socket, its port in `port`; -1 when none could be had.
inline int ListenOnLoopback(uint16_t& port, int backlog) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, backlog) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
    return -1;
  port = ntohs(a.sin_port);
  return fd;
}

}  // namespace orvane
