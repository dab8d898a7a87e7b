// SPDX-License-Identifier: GPL-3.0-or-later
// The share of the received stream, on the loopback interface: raw TCP clients, UDP datagrams,
// the failures it names, and a real gpsd reading it where one is installed.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "net/StreamShare.h"
#include "sim/SimDrive.h"
#include "tests/net/GpsdProcess.h"
#include "tests/net/NetTestKit.h"

namespace orvane {
namespace {

// The stream a receiver would send: `bursts` seconds of the simulated drive.
std::string SimStream(int bursts) {
  TSimOptions options;
  options.StartLat = 34, options.StartLon = 134;
  TNmeaSim sim(options);
  std::string s;
  for (int i = 0; i < bursts; ++i) sim.NextBurst(s);
  return s;
}

// Appends what `fd` holds now, without waiting.
void ReadNow(int fd, std::string& into) {
  char buf[65536];
  for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT)) > 0;) into.append(buf, static_cast<size_t>(n));
}

TEST(StreamShare, ClientsGetTheSourcesBytesAndOneThatStopsReadingIsLetGo) {
  TStreamShare share;
  std::string error;
  ASSERT_TRUE(share.ListenTcp("127.0.0.1", 0, error)) << error;
  const int readers[] = {ConnectLoopback(share.TcpPort()), ConnectLoopback(share.TcpPort())};
  const int idle = ConnectLoopback(share.TcpPort(), 4096);
  ASSERT_TRUE(readers[0] >= 0 && readers[1] >= 0 && idle >= 0);
  for (int i = 0; i < 200 && share.ClientCount() < 3; ++i) {
    share.Poll();
    poll(nullptr, 0, 5);
  }
  ASSERT_EQ(share.ClientCount(), 3u);

  // Fed in pieces that end anywhere, as reads from a receiver do, until the idle client has held
  // up more than its backlog; the readers read all along.
  const std::string stream = SimStream(100);
  std::string fed, got[2];
  for (size_t at = 0; fed.size() < (16u << 20) && (share.DroppedCount() == 0 || fed.size() < 2 * stream.size());) {
    const size_t n = std::min<size_t>(1 + at % 977, stream.size() - at);
    share.Feed(std::string_view(stream).substr(at, n));
    fed.append(stream, at, n);
    at = (at + n) % stream.size();
    share.Poll();
    for (int r = 0; r < 2; ++r) ReadNow(readers[r], got[r]);
  }
  EXPECT_EQ(share.DroppedCount(), 1u);
  EXPECT_EQ(share.ClientCount(), 2u);
  for (int i = 0; i < 500 && (got[0].size() < fed.size() || got[1].size() < fed.size()); ++i) {
    share.Poll();
    poll(nullptr, 0, 2);
    for (int r = 0; r < 2; ++r) ReadNow(readers[r], got[r]);
  }
  for (int r = 0; r < 2; ++r)
    EXPECT_TRUE(got[r] == fed) << "reader " << r << ": " << got[r].size() << " of " << fed.size() << " bytes";
  EXPECT_GE(share.BytesServed(), 2 * fed.size());
  const std::string status = share.StatusText();
  EXPECT_NE(status.find("tcp://127.0.0.1:" + std::to_string(share.TcpPort()) + " to 2 clients"), std::string::npos)
      << status;
  EXPECT_NE(status.find("1 client let go for not reading"), std::string::npos) << status;
  for (const int fd : {readers[0], readers[1], idle}) ::close(fd);
}

TEST(StreamShare, EachSentenceGoesAsOneDatagramWhereverThePiecesEnd) {
  uint16_t port = 0;
  const int listener = BoundLoopback(SOCK_DGRAM, port);
  ASSERT_GE(listener, 0);
  const std::string gga = "$GPGGA,090000.00,3400.0000,N,13400.0000,E,1,08,1.0,50.0,M,36.7,M,,*5A\r\n";
  const std::string rmc = "$GPRMC,090000.00,A,3400.0000,N,13400.0000,E,0.0,0.0,010624,7.3,W,A*2A\r\n";
  const std::string junk(TStreamShare::kMaxDatagram + 10, 'x');
  struct Case {
    std::string stream;
    size_t piece;
    std::vector<std::string> datagrams;
  } const cases[] = {
      {gga + rmc, 1000, {gga, rmc}},
      {gga + rmc, 1, {gga, rmc}},
      {gga + rmc, 33, {gga, rmc}},
      // A line end alone is not needed: LF ends a sentence; what never ends waits.
      {"$A\n$B\r\n$C", 2, {"$A\n", "$B\r\n"}},
      // A line without an end longer than a datagram goes in pieces of the largest size.
      {junk + "\r\n" + gga, 500, {junk.substr(0, TStreamShare::kMaxDatagram), "xxxxxxxxxx\r\n", gga}},
  };
  for (const Case& c : cases) {
    TStreamShare share;
    std::string error;
    ASSERT_TRUE(share.SendUdpTo("127.0.0.1", port, false, error)) << error;
    for (size_t at = 0; at < c.stream.size(); at += c.piece) share.Feed(std::string_view(c.stream).substr(at, c.piece));
    std::vector<std::string> got;
    char buf[2048];
    for (ssize_t n; (n = ::recv(listener, buf, sizeof buf, MSG_DONTWAIT)) >= 0;) got.emplace_back(buf, n);
    EXPECT_EQ(got, c.datagrams) << "pieces of " << c.piece;
    EXPECT_EQ(share.DatagramCount(), c.datagrams.size());
  }
  ::close(listener);
}

// Each failure names the address and the cause; the part that could start goes on.
TEST(StreamShare, FailuresNameTheAddressAndTheCauseAndTheRestIsShared) {
  TTcpServer taken;
  std::string error;
  ASSERT_TRUE(taken.Listen("127.0.0.1", 0, error)) << error;
  const std::string takenAddress = "tcp://127.0.0.1:" + std::to_string(taken.Port());
  const uint16_t udpPort = FreeLoopbackPort(SOCK_DGRAM);
  const std::string udp = "udp://127.0.0.1:" + std::to_string(udpPort);
  const std::string tcp = "tcp://127.0.0.1:" + std::to_string(FreeLoopbackPort());
  struct Case {
    TShareSettings settings;
    std::string said;
  } const cases[] = {
      {{true, takenAddress, udp, false},
       "Cannot share on " + takenAddress + ": cannot listen on 127.0.0.1 port " + std::to_string(taken.Port()) +
           ": Address already in use"},
      {{true, "127.0.0.1:10110", udp, false},
       "Cannot share: \"127.0.0.1:10110\": not an address to share on (tcp://HOST:PORT)"},
      {{true, "udp://127.0.0.1:10110", udp, false},
       "Cannot share: \"udp://127.0.0.1:10110\": not a TCP address (tcp://HOST:PORT)"},
      {{true, "tcp://127.0.0.1:99999", udp, false},
       "Cannot share: \"tcp://127.0.0.1:99999\": the port \"99999\" is not a number from 1 to 65535"},
      {{true, tcp, "udp://:10110", false},
       "Cannot share: \"udp://:10110\": the host to send to is missing, as in udp://192.168.1.255:10110"},
      // Refused before anything is sent.
      {{true, tcp, "udp://255.255.255.255:10110", false},
       "Cannot share to udp://255.255.255.255:10110: cannot send to 255.255.255.255 port 10110: a broadcast address, "
       "and broadcasting is not allowed"},
  };
  for (const Case& c : cases) {
    TStreamShare share;
    EXPECT_EQ(share.Apply(c.settings), std::vector<std::string>{c.said});
    EXPECT_TRUE(share.Active()) << c.said;
    EXPECT_NE(share.StatusText().find(c.said), std::string::npos) << share.StatusText();
    EXPECT_NE(share.StatusText().find("Sharing "), std::string::npos) << share.StatusText();
  }
}

// A port another program holds is tried again until it is free, its failure kept as first said;
// an address that cannot be mended by waiting is not.
TEST(StreamShare, AListenerThatCouldNotStartIsTriedAgainUntilThePortIsFree) {
  auto taken = std::make_unique<TTcpServer>();
  std::string error;
  ASSERT_TRUE(taken->Listen("127.0.0.1", 0, error)) << error;
  const uint16_t port = taken->Port();
  const std::string address = "tcp://127.0.0.1:" + std::to_string(port);
  const std::string said = "Cannot share on " + address + ": cannot listen on 127.0.0.1 port " + std::to_string(port) +
                           ": Address already in use";
  TStreamShare share;
  const std::vector<std::string> failed = share.Apply({true, address, "udp://:10110", false});
  ASSERT_EQ(failed.size(), 2u);
  EXPECT_EQ(failed[0], said);
  EXPECT_TRUE(share.Retrying());
  EXPECT_TRUE(share.Retry().empty());
  EXPECT_EQ(share.Errors(), failed);
  EXPECT_EQ(share.StatusText(), said + " (trying again); " + failed[1]);

  taken.reset();
  EXPECT_EQ(share.Retry(), std::vector<std::string>{"Sharing on " + address + " now"});
  EXPECT_FALSE(share.Retrying());
  EXPECT_EQ(share.Errors(), std::vector<std::string>{failed[1]});
  const int client = ConnectLoopback(port);
  ASSERT_GE(client, 0);
  for (int i = 0; i < 200 && share.ClientCount() == 0; ++i) share.Poll(), poll(nullptr, 0, 5);
  share.Feed("$GPGGA\r\n");
  std::string got;
  for (int i = 0; i < 200 && got.size() < 8; ++i) ReadNow(client, got), poll(nullptr, 0, 5);
  EXPECT_EQ(got, "$GPGGA\r\n");
  ::close(client);

  // Switched off or changed, nothing waits.
  ASSERT_TRUE((taken = std::make_unique<TTcpServer>())->Listen("127.0.0.1", 0, error)) << error;
  const std::string busy = "tcp://127.0.0.1:" + std::to_string(taken->Port());
  for (const TShareSettings& next : {TShareSettings{}, TShareSettings{true, "", "udp://127.0.0.1:10110", false}}) {
    share.Apply({true, busy, "", false});
    ASSERT_TRUE(share.Retrying());
    share.Apply(next);
    EXPECT_FALSE(share.Retrying());
  }
}

// The number after `key` in a JSON report line; false when the line has none.
bool Number(const std::string& line, const std::string& key, double& value) {
  const size_t at = line.find("\"" + key + "\":");
  if (at == std::string::npos) return false;
  value = std::stod(line.substr(at + key.size() + 3));
  return true;
}

// NMEA ddmm.mmmm (or dddmm.mmmm) as decimal degrees.
double Degrees(const std::string& field, size_t degreeDigits) {
  return std::stod(field.substr(0, degreeDigits)) + std::stod(field.substr(degreeDigits)) / 60;
}

// Another program reads the share as it reads a receiver: gpsd, told the share's address, reports
// each fix at the position of the sentences fed for that second.
TEST(RealGpsd, ReadsTheShareAndReportsTheFixesFed) {
  if (std::string(GPSD_PATH).empty() || access(GPSD_PATH, X_OK) != 0)
    GTEST_SKIP() << "gpsd is not installed (Debian package gpsd); the share is not tried with it";
  TStreamShare share;
  std::string error;
  ASSERT_TRUE(share.ListenTcp("127.0.0.1", 0, error)) << error;
  TGpsdProcess gpsd;
  ASSERT_TRUE(gpsd.Start(GPSD_PATH, error, "tcp://127.0.0.1:" + std::to_string(share.TcpPort()))) << error;

  TSimOptions options;
  options.StartLat = 34, options.StartLon = 134;
  TNmeaSim sim(options);
  std::string fed, reports;
  std::vector<std::string> fixes;
  int watch = -1, status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline && fixes.size() < 5) {
    const std::string burst = sim.NextBurst();
    fed += burst;
    share.Feed(burst);
    share.Poll();
    if (watch < 0 && share.ClientCount() > 0) {
      watch = ConnectLoopback(gpsd.Port());
      ASSERT_GE(watch, 0);
      const std::string ask = "?WATCH={\"enable\":true,\"json\":true};\n";
      ASSERT_EQ(::send(watch, ask.data(), ask.size(), MSG_NOSIGNAL), static_cast<ssize_t>(ask.size()));
    }
    if (watch >= 0) ReadNow(watch, reports);
    fixes.clear();
    for (size_t at = 0, end; (end = reports.find('\n', at)) != std::string::npos; at = end + 1)
      if (const std::string line = reports.substr(at, end - at); line.find("\"class\":\"TPV\"") != std::string::npos &&
                                                                 line.find("\"lat\":") != std::string::npos &&
                                                                 line.find("\"time\":") != std::string::npos)
        fixes.push_back(line);
    if (gpsd.Exited(status)) GTEST_SKIP() << "gpsd ended (status " << status << "); see " << gpsd.LogPath();
    poll(nullptr, 0, 50);
  }
  if (watch >= 0) ::close(watch);
  ASSERT_GE(fixes.size(), 5u) << reports;
  // Each reported fix (those before gpsd knows the time are left out) is the RMC of its second:
  // "time":"2024-06-01T09:00:20.000Z" is 090020.
  for (const std::string& fix : fixes) {
    const size_t t = fix.find("\"time\":\"");
    ASSERT_NE(t, std::string::npos) << fix;
    std::string hms = fix.substr(t + 19, 8);
    std::erase(hms, ':');
    const size_t rmc = fed.find("$GPRMC," + hms);
    ASSERT_NE(rmc, std::string::npos) << fix;
    std::vector<std::string> f;
    for (size_t at = rmc, comma; f.size() < 7; at = comma + 1)
      f.push_back(fed.substr(at, (comma = fed.find(',', at)) - at));
    double lat = 0, lon = 0;
    ASSERT_TRUE(Number(fix, "lat", lat) && Number(fix, "lon", lon)) << fix;
    EXPECT_NEAR(lat, Degrees(f[3], 2) * (f[4] == "S" ? -1 : 1), 1e-7) << fix;
    EXPECT_NEAR(lon, Degrees(f[5], 3) * (f[6] == "W" ? -1 : 1), 1e-7) << fix;
  }
}

}  // namespace
}  // namespace orvane
