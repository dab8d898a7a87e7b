// SPDX-License-Identifier: GPL-3.0-or-later
// The TCP and UDP sources and the servers beside them, over the loopback interface.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "net/NetSource.h"
#include "net/NmeaServer.h"
#include "net/TcpSource.h"
#include "net/UdpSource.h"
#include "tests/net/NetTestKit.h"

namespace orvane {
namespace {

const std::string kBurst =
    "$GPGGA,090000.00,3400.0000,N,13400.0000,E,1,08,1.0,50.0,M,36.7,M,,*5A\r\n"
    "$GPRMC,090000.00,A,3400.0000,N,13400.0000,E,0.0,0.0,010624,7.3,W,A*2A\r\n";

std::unique_ptr<TNetSource> Source(const std::string& address) {
  std::string error;
  auto s = MakeNetSource(address, error);
  EXPECT_TRUE(s) << error;
  return s;
}

class TcpSourceTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(server.Listen("127.0.0.1", 0, error)) << error;
  }
  // Opens the source and waits until the server has it as a client.
  void Connect(TNetSource& s, size_t clients = 1) {
    ASSERT_TRUE(s.Open()) << s.LastError();
    const TPumped p =
        Pump(s, &server, [&](const TPumped&) { return server.ClientCount() >= clients && !s.Connecting(); });
    ASSERT_TRUE(p.Met) << s.LastError();
  }
  TTcpServer server;
};

TEST_F(TcpSourceTest, EveryClientReadsWhatTheServerSends) {
  auto a = Source("tcp://127.0.0.1:" + std::to_string(server.Port()));
  auto b = Source("tcp://127.0.0.1:" + std::to_string(server.Port()));
  Connect(*a);
  Connect(*b, 2);
  server.Send(kBurst);
  for (TNetSource* s : {a.get(), b.get()}) {
    const TPumped p = Pump(*s, &server, [](const TPumped& r) { return r.Text.size() >= kBurst.size(); });
    EXPECT_FALSE(p.Failed) << s->LastError();
    EXPECT_EQ(p.Text, kBurst);
  }
}

TEST_F(TcpSourceTest, HostNameIsLookedUpAndEachAddressTried) {
  // "localhost" may give ::1 first, where nobody listens; 127.0.0.1 is then tried.
  auto s = Source("tcp://localhost:" + std::to_string(server.Port()));
  Connect(*s);
  server.Send(kBurst);
  EXPECT_EQ(Pump(*s, &server, [](const TPumped& r) { return r.Text.size() >= kBurst.size(); }).Text, kBurst);
}

TEST_F(TcpSourceTest, RefusedConnectionNamesTheSourceAndTheCause) {
  const uint16_t port = FreeLoopbackPort();
  auto s = Source("tcp://127.0.0.1:" + std::to_string(port));
  // Refused at once or on the first read, depending on the system; never a hang.
  if (s->Open()) {
    EXPECT_TRUE(Pump(*s, nullptr, [](const TPumped& r) { return r.Failed; }).Failed);
  }
  EXPECT_FALSE(s->IsOpen());
  EXPECT_FALSE(s->PeerClosed());
  EXPECT_NE(s->LastError().find("Cannot connect to tcp://127.0.0.1:" + std::to_string(port)), std::string::npos)
      << s->LastError();
  EXPECT_NE(s->LastError().find("Connection refused"), std::string::npos) << s->LastError();
}

TEST_F(TcpSourceTest, ServerClosingDeliversTheLastBytesThenTellsTheLossAndReconnects) {
  auto s = Source("tcp://127.0.0.1:" + std::to_string(server.Port()));
  Connect(*s);
  const uint16_t port = server.Port();
  server.Send(kBurst);
  ASSERT_TRUE(server.Drain(2000));
  server.Close();
  const TPumped lost = Pump(*s, nullptr, [](const TPumped& r) { return r.Failed; });
  EXPECT_EQ(lost.Text, kBurst);  // nothing sent before the close is lost
  EXPECT_TRUE(lost.Failed);
  EXPECT_TRUE(s->PeerClosed());
  EXPECT_FALSE(s->IsOpen());
  EXPECT_EQ(s->LastError(), "tcp://127.0.0.1:" + std::to_string(port) + ": the server closed the connection");

  // The server comes back on the same port; opening again reads on.
  std::string error;
  ASSERT_TRUE(server.Listen("127.0.0.1", port, error)) << error;
  Connect(*s);
  EXPECT_FALSE(s->PeerClosed());
  server.Send("$GPGLL*00\r\n");
  EXPECT_EQ(Pump(*s, &server, [](const TPumped& p) { return !p.Text.empty(); }).Text, "$GPGLL*00\r\n");
}

TEST_F(TcpSourceTest, ClientThatReadsNothingIsLetGoWithoutHoldingTheOthers) {
  const int idle = ConnectLoopback(server.Port());
  ASSERT_GE(idle, 0);
  for (int i = 0; i < 200 && server.ClientCount() == 0; ++i) server.Poll(10);
  ASSERT_EQ(server.ClientCount(), 1u);
  const std::string chunk(1 << 20, 'x');
  for (int i = 0; i < 64 && server.ClientCount() > 0; ++i) server.Send(chunk);
  EXPECT_EQ(server.ClientCount(), 0u);
  EXPECT_EQ(server.DroppedCount(), 1u);
  ::close(idle);
}

// Out of descriptors, accept fails while the listener stays readable: the server must pause
// accepting rather than poll it again at once, go on serving the clients it has, and take the
// waiting ones once descriptors are free.
TEST_F(TcpSourceTest, OutOfDescriptorsTheServerPausesAcceptingAndServesItsClients) {
  const int served = ConnectLoopback(server.Port());
  ASSERT_GE(served, 0);
  for (int i = 0; i < 200 && server.ClientCount() == 0; ++i) server.Poll(10);
  ASSERT_EQ(server.ClientCount(), 1u);
  const int waiting[] = {ConnectLoopback(server.Port()), ConnectLoopback(server.Port())};

  // Every descriptor below a lowered limit taken, so that the next accept fails with EMFILE.
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
  int highest = 0;
  for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd"))
    highest = std::max(highest, std::stoi(e.path().filename().string()));
  rlimit low = old;
  low.rlim_cur = static_cast<rlim_t>(highest + 8);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  std::vector<int> filler;
  for (int fd; (fd = ::dup(served)) >= 0;) filler.push_back(fd);

  server.Send(kBurst);
  // A second of 50 ms polls: about twenty of them while paused, where a spin makes thousands.
  int polls = 0;
  for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
       std::chrono::steady_clock::now() < end; ++polls)
    server.Poll(50);
  EXPECT_EQ(server.AcceptError(), EMFILE);
  EXPECT_EQ(server.ClientCount(), 1u);

  for (const int fd : filler) ::close(fd);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &old), 0);
  EXPECT_LT(polls, 100);
  char got[512] = {};
  EXPECT_EQ(::recv(served, got, sizeof got, MSG_DONTWAIT), static_cast<ssize_t>(kBurst.size()));
  EXPECT_EQ(std::string(got), kBurst);

  for (int i = 0; i < 300 && server.ClientCount() < 3; ++i) server.Poll(10);
  EXPECT_EQ(server.ClientCount(), 3u);
  EXPECT_EQ(server.AcceptError(), 0);
  for (const int fd : {served, waiting[0], waiting[1]}) ::close(fd);
}

TEST(UdpSource, DatagramsArriveWithTheirLastLineEnded) {
  const uint16_t port = FreeLoopbackPort(SOCK_DGRAM);
  auto s = Source("udp://127.0.0.1:" + std::to_string(port));
  ASSERT_TRUE(s->Open()) << s->LastError();
  EXPECT_EQ(static_cast<TUdpSource&>(*s).LocalPort(), port);
  TUdpSender sender;
  std::string error;
  ASSERT_TRUE(sender.Open("127.0.0.1", port, error)) << error;
  // A burst longer than one datagram goes as several, each of whole lines.
  std::string big;
  while (big.size() < 5000) big += kBurst;
  ASSERT_TRUE(sender.Send(big, error)) << error;
  ASSERT_TRUE(sender.Send("$GPGSA,A,3*30", error)) << error;
  const std::string want = big + "$GPGSA,A,3*30\r\n";
  const TPumped p = Pump(*s, nullptr, [&](const TPumped& r) { return r.Text.size() >= want.size(); });
  EXPECT_FALSE(p.Failed) << s->LastError();
  EXPECT_EQ(p.Text, want);
}

// Without an address the listener hears IPv4 senders too, also on an IPv6 socket.
TEST(UdpSource, ListenerOnEveryAddressHearsIpv4Senders) {
  const uint16_t port = FreeLoopbackPort(SOCK_DGRAM);
  auto s = Source("udp://:" + std::to_string(port));
  ASSERT_TRUE(s->Open()) << s->LastError();
  TUdpSender sender;
  std::string error;
  ASSERT_TRUE(sender.Open("127.0.0.1", port, error)) << error;
  ASSERT_TRUE(sender.Send(kBurst, error)) << error;
  EXPECT_EQ(Pump(*s, nullptr, [](const TPumped& r) { return r.Text.size() >= kBurst.size(); }).Text, kBurst);
}

TEST(TcpSourceV6, BracketedAddressConnects) {
  TTcpServer server;
  std::string error;
  if (!server.Listen("::1", 0, error)) GTEST_SKIP() << "no IPv6 on the loopback interface: " << error;
  auto s = Source("tcp://[::1]:" + std::to_string(server.Port()));
  ASSERT_TRUE(s->Open()) << s->LastError();
  ASSERT_TRUE(Pump(*s, &server, [&](const TPumped&) { return server.ClientCount() == 1 && !s->Connecting(); }).Met);
  server.Send(kBurst);
  EXPECT_EQ(Pump(*s, &server, [](const TPumped& r) { return r.Text.size() >= kBurst.size(); }).Text, kBurst);
}

TEST(UdpSource, LineEndOfADatagram) {
  const std::pair<const char*, const char*> cases[] = {
      {"$A*00\r\n", "$A*00\r\n"},
      {"$A*00", "$A*00\r\n"},
      {"$A*00\n", "$A*00\r\n"},
      {"$A*00\r\n$B*00", "$A*00\r\n$B*00\r\n"},
      {"\n", "\r\n"},
      {"", ""},
  };
  for (const auto& [datagram, want] : cases) {
    std::string out;
    AppendDatagram(out, datagram, std::char_traits<char>::length(datagram));
    EXPECT_EQ(out, want) << datagram;
  }
}

TEST(UdpSource, PortInUseIsToldWithTheAddress) {
  const std::string address = "udp://127.0.0.1:" + std::to_string(FreeLoopbackPort(SOCK_DGRAM));
  auto first = Source(address);
  ASSERT_TRUE(first->Open());
  auto second = Source(address);
  EXPECT_FALSE(second->Open());
  EXPECT_EQ(second->LastError(), "Cannot listen on " + address + ": Address already in use");
  // A listener is on this machine: a name other than localhost is refused without a lookup.
  auto named = Source("udp://gps.example:10110");
  EXPECT_FALSE(named->Open());
  EXPECT_NE(named->LastError().find("one of this machine's, as a number"), std::string::npos) << named->LastError();
}

TEST(NetInput, AddressThatDoesNotParseFailsOnOpenWithTheReason) {
  TNetInput bad("tcp://:1");
  EXPECT_FALSE(bad.Open());
  EXPECT_FALSE(bad.IsOpen());
  EXPECT_EQ(bad.Name(), "tcp://:1");
  EXPECT_NE(bad.LastError().find("the host to connect to is missing"), std::string::npos);
  std::string out;
  EXPECT_FALSE(bad.ReadQueued(out));
  // The receiver's status names the source: a text of 100,000 characters is not repeated there.
  TNetInput overlong("tcp://" + std::string(100000, 'x'));
  EXPECT_FALSE(overlong.Open());
  EXPECT_EQ(overlong.Name(), "tcp://" + std::string(26, 'x') + "...");
  EXPECT_LT(overlong.LastError().size(), 100u) << overlong.LastError().size();

  const std::string address = "udp://127.0.0.1:" + std::to_string(FreeLoopbackPort(SOCK_DGRAM));
  TNetInput good(address);
  EXPECT_TRUE(good.Open()) << good.LastError();
  EXPECT_TRUE(good.ReadQueued(out));
  EXPECT_EQ(good.Name(), address);
}

}  // namespace
}  // namespace orvane
