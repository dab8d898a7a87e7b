// SPDX-License-Identifier: GPL-3.0-or-later
// The asynchronous lookup with a name service that hangs until the test lets it go.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/NetSource.h"
#include "net/NmeaServer.h"
#include "net/Resolver.h"
#include "tests/net/NetTestKit.h"

namespace orvane {
namespace {

// Answers every name with 127.0.0.1 once released; counts the lookups it was asked.
class THeldService {
public:
  THeldService() {
    previous_ =
        TResolver::SetNameLookup([this](const TLookupQuery& q, std::vector<TSocketAddress>& out, std::string& error) {
          ++Calls;
          std::unique_lock<std::mutex> hold(lock_);
          released_.wait(hold, [this] { return open_; });
          return ResolveNow("127.0.0.1", q.Port, q.SocketType, false, out, error, true) ? 0 : 1;
        });
  }
  ~THeldService() {
    Release();
    TResolver::SetNameLookup(std::move(previous_));
  }
  void Release() {
    std::lock_guard<std::mutex> hold(lock_);
    open_ = true;
    released_.notify_all();
  }
  std::atomic<int> Calls{0};

private:
  std::mutex lock_;
  std::condition_variable released_;
  bool open_ = false;
  TNameLookup previous_;
};

// True once `met` holds, polled for up to a second.
template <class F>
bool Within(F met) {
  for (int i = 0; i < 200; ++i) {
    if (met()) return true;
    ::usleep(5000);
  }
  return met();
}

TEST(Resolver, RetriesWhileALookupHangsWaitForItInsteadOfStartingAnother) {
  // Left alive when an assertion leaves early: a worker may still be inside it.
  auto* service = new THeldService;
  TTcpServer server;
  std::string error;
  ASSERT_TRUE(server.Listen("127.0.0.1", 0, error)) << error;
  const std::string address = "tcp://held.test:" + std::to_string(server.Port());
  auto source = MakeNetSource(address, error);
  ASSERT_TRUE(source) << error;
  ASSERT_TRUE(source->Open()) << source->LastError();
  EXPECT_TRUE(source->Connecting());
  ASSERT_TRUE(Within([&] { return service->Calls.load() == 1; }));
  // The reopen timer closes and opens again; another resolver asks the same name.
  for (int retry = 0; retry < 5; ++retry) {
    source->Close();
    ASSERT_TRUE(source->Open()) << source->LastError();
  }
  TResolver other;
  other.Start("held.test", server.Port(), SOCK_STREAM, false);
  EXPECT_FALSE(other.Ready());
  // A thread started by any of them would have asked by now.
  ::usleep(50000);
  EXPECT_EQ(service->Calls.load(), 1);
  // A different query is a lookup of its own.
  TResolver elsewhere;
  elsewhere.Start("other.test", server.Port(), SOCK_STREAM, false);
  EXPECT_TRUE(Within([&] { return service->Calls.load() == 2; }));

  service->Release();
  const TPumped p = Pump(*source, &server, [&](const TPumped&) { return server.ClientCount() == 1; });
  EXPECT_TRUE(p.Met) << source->LastError();
  ASSERT_TRUE(Within([&] { return other.Ready(); }));
  ASSERT_EQ(other.Addresses().size(), 1u);
  EXPECT_EQ(other.Addresses()[0].Text(), "127.0.0.1 port " + std::to_string(server.Port()));
  // Once answered, the next query asks the name service afresh.
  ASSERT_TRUE(Within([&] { return elsewhere.Ready(); }));
  TResolver later;
  later.Start("held.test", server.Port(), SOCK_STREAM, false);
  EXPECT_TRUE(Within([&] { return later.Ready(); }));
  EXPECT_EQ(service->Calls.load(), 3);
  delete service;
}

}  // namespace
}  // namespace orvane
