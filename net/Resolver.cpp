// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/Resolver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>

namespace orvane {

struct TResolver::TShared {
  std::mutex Lock;
  bool Done = false;
  std::vector<TSocketAddress> Addresses;
  std::string Error;
};

namespace {

// One getaddrinfo call; `numericOnly` answers at once and fails for a name.
int Lookup(const std::string& host, uint16_t port, int socketType, bool passive, bool numericOnly,
           std::vector<TSocketAddress>& out, std::string& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = socketType;
  hints.ai_flags = AI_NUMERICSERV | (passive ? AI_PASSIVE : 0) | (numericOnly ? AI_NUMERICHOST : 0);
  if (!passive) hints.ai_flags |= AI_ADDRCONFIG;
  addrinfo* list = nullptr;
  const std::string service = std::to_string(port);
  const int rc = getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &list);
  if (rc != 0) {
    error = "cannot find \"" + host + "\": " + (rc == EAI_SYSTEM ? std::strerror(errno) : gai_strerror(rc));
    return rc;
  }
  out.clear();
  for (const addrinfo* a = list; a; a = a->ai_next) {
    if (a->ai_addrlen > sizeof(sockaddr_storage)) continue;
    TSocketAddress s;
    std::memcpy(&s.Storage, a->ai_addr, a->ai_addrlen);
    s.Length = static_cast<socklen_t>(a->ai_addrlen);
    out.push_back(s);
  }
  freeaddrinfo(list);
  // Passive lookups list IPv4 first; an IPv6 socket on "::" hears both where the system allows.
  if (passive && host.empty())
    std::stable_partition(out.begin(), out.end(),
                          [](const TSocketAddress& s) { return s.Storage.ss_family == AF_INET6; });
  if (out.empty()) error = "cannot find \"" + host + "\": no address";
  return out.empty() ? EAI_NONAME : 0;
}

int SystemLookup(const TLookupQuery& q, std::vector<TSocketAddress>& out, std::string& error) {
  return Lookup(q.Host, q.Port, q.SocketType, q.Passive, false, out, error);
}

// The lookups under way, one per query, and the name service they use. A worker leaves the table
// when it has its answer, so the next query after that asks the name service afresh.
struct TLookups {
  std::mutex Lock;
  std::map<TLookupQuery, std::shared_ptr<TResolver::TShared>> Running;
  TNameLookup Service = SystemLookup;
};

TLookups& Lookups() {
  // Never destroyed: a detached worker may still finish after the program's statics are gone.
  static TLookups* lookups = new TLookups;
  return *lookups;
}

}  // namespace

bool TLookupQuery::operator<(const TLookupQuery& o) const {
  return std::tie(Host, Port, SocketType, Passive) < std::tie(o.Host, o.Port, o.SocketType, o.Passive);
}

TNameLookup TResolver::SetNameLookup(TNameLookup lookup) {
  TLookups& all = Lookups();
  std::lock_guard<std::mutex> hold(all.Lock);
  TNameLookup previous = std::move(all.Service);
  all.Service = lookup ? std::move(lookup) : TNameLookup(SystemLookup);
  return previous;
}

std::string TSocketAddress::Text() const {
  char text[INET6_ADDRSTRLEN] = "?";
  uint16_t port = 0;
  if (Storage.ss_family == AF_INET) {
    const auto* a = reinterpret_cast<const sockaddr_in*>(&Storage);
    inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
    port = ntohs(a->sin_port);
  } else if (Storage.ss_family == AF_INET6) {
    const auto* a = reinterpret_cast<const sockaddr_in6*>(&Storage);
    inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
    port = ntohs(a->sin6_port);
  }
  return std::string(text) + " port " + std::to_string(port);
}

void TResolver::Start(const std::string& host, uint16_t port, int socketType, bool passive) {
  Cancel();
  Addresses_.clear();
  Error_.clear();
  // No host (every local address) and numeric addresses need no name service.
  if (host.empty()) {
    Lookup(host, port, socketType, passive, false, Addresses_, Error_);
    return;
  }
  std::string notNumeric;
  if (Lookup(host, port, socketType, passive, true, Addresses_, notNumeric) == 0) return;
  const TLookupQuery query{host, port, socketType, passive};
  TLookups& all = Lookups();
  std::lock_guard<std::mutex> hold(all.Lock);
  if (const auto running = all.Running.find(query); running != all.Running.end()) {
    Pending = running->second;
    return;
  }
  auto shared = std::make_shared<TShared>();
  Pending = shared;
  all.Running.emplace(query, shared);
  std::thread([shared, query, service = all.Service] {
    std::vector<TSocketAddress> found;
    std::string why;
    service(query, found, why);
    {
      std::lock_guard<std::mutex> holdShared(shared->Lock);
      shared->Addresses = std::move(found);
      shared->Error = std::move(why);
      shared->Done = true;
    }
    TLookups& lookups = Lookups();
    std::lock_guard<std::mutex> holdAll(lookups.Lock);
    if (const auto it = lookups.Running.find(query); it != lookups.Running.end() && it->second == shared)
      lookups.Running.erase(it);
  }).detach();
}

bool TResolver::Ready() {
  if (!Pending) return true;
  // Kept alive past the unlock: the worker may already have dropped its own reference.
  const std::shared_ptr<TShared> shared = Pending;
  {
    std::lock_guard<std::mutex> hold(shared->Lock);
    if (!shared->Done) return false;
    // Copied: other resolvers that asked the same may still collect it.
    Addresses_ = shared->Addresses;
    Error_ = shared->Error;
  }
  Pending.reset();
  return true;
}

void TResolver::Cancel() { Pending.reset(); }

bool ResolveNow(const std::string& host, uint16_t port, int socketType, bool passive,
                std::vector<TSocketAddress>& addresses, std::string& error, bool numericOnly) {
  return Lookup(host, port, socketType, passive, numericOnly, addresses, error) == 0;
}

}  // namespace orvane
