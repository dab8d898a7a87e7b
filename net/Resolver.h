// SPDX-License-Identifier: GPL-3.0-or-later
// Host names to socket addresses without blocking the caller: a numeric address is taken at once,
// a name is looked up on a worker thread whose result the caller collects when it is ready. A
// lookup that the caller gave up on finishes on its own and is then dropped. A name service that
// hangs holds one thread per query, never more: a query asked again while its lookup is still
// under way (a source reopened, a second resolver) waits for that lookup's answer.
#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvane {

struct TSocketAddress {
  sockaddr_storage Storage{};
  socklen_t Length = 0;
  const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&Storage); }
  // "127.0.0.1 port 10110", "::1 port 2947".
  std::string Text() const;
};

// What a lookup is asked and how it answers: 0 with the addresses, else an error code with the
// message ("cannot find "HOST": ...").
struct TLookupQuery {
  std::string Host;
  uint16_t Port = 0;
  int SocketType = 0;
  bool Passive = false;
  bool operator<(const TLookupQuery& o) const;
};
using TNameLookup = std::function<int(const TLookupQuery&, std::vector<TSocketAddress>&, std::string&)>;

class TResolver {
public:
  // Starts a lookup of `host` for a stream or datagram socket. An empty host with `passive` is
  // every local address (IPv6 first, which also takes IPv4 where the system allows).
  void Start(const std::string& host, uint16_t port, int socketType, bool passive);
  // True once the lookup has an answer; Addresses() or Error() then tell it.
  bool Ready();
  const std::vector<TSocketAddress>& Addresses() const { return Addresses_; }
  const std::string& Error() const { return Error_; }
  void Cancel();

  // The name service behind every resolver's worker threads (getaddrinfo unless replaced); a
  // test puts one that blocks. Returns the one it replaces; an empty function puts the system's.
  static TNameLookup SetNameLookup(TNameLookup lookup);

  // One lookup's answer, held by its worker and every resolver waiting for it.
  struct TShared;

private:
  std::shared_ptr<TShared> Pending;
  std::vector<TSocketAddress> Addresses_;
  std::string Error_;
};

// Blocking form, for the tools and tests: false with `error` when nothing was found.
bool ResolveNow(const std::string& host, uint16_t port, int socketType, bool passive,
                std::vector<TSocketAddress>& addresses, std::string& error, bool numericOnly = false);

}  // namespace orvane
