// SPDX-License-Identifier: GPL-3.0-or-later
// The gpsd source: its watch command, the split of gpsd's output, a stand-in gpsd that checks what
// is asked of it, and a real gpsd started on a pseudo-terminal that a simulated receiver feeds.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "net/GpsdSource.h"
#include "sim/SimDrive.h"
#include "tests/net/GpsdProcess.h"
#include "tests/net/NetTestKit.h"

namespace orvane {
namespace {

const char kVersion[] =
    "{\"class\":\"VERSION\",\"release\":\"3.22\",\"rev\":\"3.22\",\"proto_major\":3,\"proto_minor\":14}\r\n";
const char kGga[] = "$GPGGA,090000.00,3400.0000,N,13400.0000,E,1,08,1.0,50.0,M,36.7,M,,*5A\r\n";
const char kRmc[] = "$GPRMC,090000.00,A,3400.0000,N,13400.0000,E,0.0,0.0,010624,7.3,W,A*2A\r\n";

TEST(Gpsd, WatchCommandAsksForNmeaOfOneDeviceOrAll) {
  EXPECT_EQ(GpsdWatchCommand(""), "?WATCH={\"enable\":true,\"nmea\":true};\n");
  EXPECT_EQ(GpsdWatchCommand("/dev/ttyACM0"), "?WATCH={\"enable\":true,\"nmea\":true,\"device\":\"/dev/ttyACM0\"};\n");
  EXPECT_EQ(GpsdWatchCommand("/dev/a\"b\\c\n"),
            "?WATCH={\"enable\":true,\"nmea\":true,\"device\":\"/dev/a\\\"b\\\\c\\u000a\"};\n");
}

TEST(Gpsd, FilterPassesNmeaLinesAndDropsReportsWhereverTheReadsEnd) {
  const std::string stream = std::string(kVersion) + kGga +
                             "{\"class\":\"DEVICES\",\"devices\":[{\"path\":\"/dev/pts/0\"}]}\r\n" + kRmc +
                             "{\"class\":\"WATCH\",\"enable\":true}\r\n" + "!AIVDM,1,1,,A,13u?,0*00\r\n";
  const std::string want = std::string(kGga) + kRmc + "!AIVDM,1,1,,A,13u?,0*00\r\n";
  // Whole, byte by byte, and in pieces of every size up to 100.
  for (size_t piece : {stream.size(), size_t{1}, size_t{7}, size_t{33}, size_t{100}}) {
    TGpsdFilter filter;
    std::string out;
    for (size_t at = 0; at < stream.size(); at += piece)
      ASSERT_TRUE(filter.Feed(stream.data() + at, std::min(piece, stream.size() - at), out));
    EXPECT_EQ(out, want) << "pieces of " << piece;
  }
}

// Feeds `stream` whole and byte by byte; both must end alike. The output of the whole feed.
std::string FeedAll(const std::string& stream, bool& ok, std::string& message) {
  TGpsdFilter whole, bytes;
  std::string out, outBytes;
  ok = whole.Feed(stream.data(), stream.size(), out);
  bool okBytes = true;
  for (size_t at = 0; at < stream.size() && okBytes; ++at) okBytes = bytes.Feed(stream.data() + at, 1, outBytes);
  EXPECT_EQ(ok, okBytes);
  EXPECT_EQ(out, outBytes);
  EXPECT_EQ(whole.Message(), bytes.Message());
  message = whole.Message();
  return out;
}

TEST(Gpsd, FilterStopsAtAnErrorReportHoweverItIsWrittenAndWhereverItComes) {
  const std::string nmea4k = [] {
    std::string s;
    while (s.size() < 4096) s += kGga;
    return s;
  }();
  const std::string sky = "{\"class\":\"SKY\",\"satellites\":[" + std::string(6000, ' ') + "{\"PRN\":1}]}\r\n";
  const std::pair<std::string, std::string> cases[] = {
      {"{\"class\":\"ERROR\",\"message\":\"Can't open \\\"/dev/x\\\".\"}\r\n", "Can't open \"/dev/x\"."},
      {"{\"class\":\"ERROR\"}\n", "an error without a message"},
      {"{ \"class\" : \"ERROR\" , \"message\" : \"spaced\" }\r\n", "spaced"},
      {"  {\"message\":\"first\",\"class\":\"ERROR\"}\n", "first"},
      {"{\n  \"class\": \"ERROR\",\n  \"message\": \"over lines\"\n}\n", "over lines"},
      {"{\"x\":\"" + std::string(5000, 'a') + "\",\"class\":\"ERROR\",\"message\":\"late\"}\n", "late"},
      {nmea4k + sky + "{\"class\":\"ERROR\",\"message\":\"after 10 KB\"}\r\n", "after 10 KB"},
  };
  for (const auto& [stream, message] : cases) {
    SCOPED_TRACE(message);
    bool ok = true;
    std::string said;
    const std::string out = FeedAll(stream, ok, said);
    EXPECT_FALSE(ok);
    EXPECT_EQ(said, message);
    EXPECT_EQ(out, stream.starts_with(nmea4k) ? nmea4k : "");
  }
  // A member named "class" inside another object, or the text "ERROR" as another member's
  // value, is no error report.
  bool ok = false;
  std::string said;
  const std::string quiet = "{\"class\":\"TPV\",\"x\":{\"class\":\"ERROR\"},\"tag\":\"ERROR\"}\n" + std::string(kGga);
  EXPECT_EQ(FeedAll(quiet, ok, said), kGga);
  EXPECT_TRUE(ok) << said;
  // A report far longer than any gpsd sends costs no more than its start.
  TGpsdFilter filter;
  std::string out, huge = "{\"class\":\"SKY\",\"x\":\"" + std::string(1 << 20, 'a') + "\"}\n" + kGga;
  EXPECT_TRUE(filter.Feed(huge.data(), huge.size(), out));
  EXPECT_EQ(out, kGga);
}

TEST(Gpsd, FilterCountsReportsOnTheReceiverSinceTheLastNmeaLine) {
  const std::string tpv = "{\"class\":\"TPV\",\"mode\":3,\"lat\":34.0}\r\n";
  TGpsdFilter filter;
  std::string out;
  const std::string own = std::string(kVersion) + "{\"class\":\"DEVICES\"}\n{\"class\":\"WATCH\"}\n";
  ASSERT_TRUE(filter.Feed(own.data(), own.size(), out));
  EXPECT_EQ(filter.ReportsWithoutNmea(), 0);
  const std::string data = tpv + "{\"class\":\"SKY\"}\n" + tpv;
  ASSERT_TRUE(filter.Feed(data.data(), data.size(), out));
  EXPECT_EQ(filter.ReportsWithoutNmea(), 3);
  // A report cut short does not swallow the sentence on the next line.
  const std::string cut = std::string("{\"class\":\"TPV\",\"lat\":3\r\n") + kGga;
  ASSERT_TRUE(filter.Feed(cut.data(), cut.size(), out));
  EXPECT_EQ(filter.ReportsWithoutNmea(), 0);
  EXPECT_EQ(out, kGga);
}

// A device whose data gpsd decodes but that gives no NMEA: said as such, not as silence.
TEST(Gpsd, SourceOfReportsWithoutNmeaSaysSo) {
  TTcpServer gpsd;
  std::string error;
  ASSERT_TRUE(gpsd.Listen("127.0.0.1", 0, error)) << error;
  auto s = MakeNetSource("gpsd://127.0.0.1:" + std::to_string(gpsd.Port()), error);
  ASSERT_TRUE(s && s->Open()) << error;
  ASSERT_TRUE(Pump(*s, &gpsd, [&](const TPumped&) { return gpsd.ClientCount() == 1 && !s->Connecting(); }).Met);
  std::string reports = kVersion;
  for (int i = 0; i < TGpsdSource::kReportsWithoutNmea; ++i) reports += "{\"class\":\"TPV\",\"mode\":1}\r\n";
  gpsd.Send(reports);
  const TPumped p = Pump(*s, &gpsd, [](const TPumped& r) { return r.Failed; });
  EXPECT_TRUE(p.Failed);
  EXPECT_EQ(p.Text, "");
  EXPECT_EQ(s->LastError(), s->Name() +
                                ": gpsd reports on its receiver but relays no NMEA sentences (a device without NMEA "
                                "output)");
}

// A stand-in gpsd on one accepted connection: what the client asks, and what it is answered.
TEST(Gpsd, SourceAsksForTheDeviceAndPassesOnlyNmea) {
  uint16_t port = 0;
  const int listener = BoundLoopback(SOCK_STREAM, port);
  ASSERT_GE(listener, 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  std::string error;
  auto s = MakeNetSource("gpsd://127.0.0.1:" + std::to_string(port) + "/dev/ttyACM0", error);
  ASSERT_TRUE(s && s->Open()) << error;
  pollfd p{listener, POLLIN, 0};
  for (int i = 0; i < 100 && ::poll(&p, 1, 20) == 0; ++i) {
    std::string ignored;
    ASSERT_TRUE(s->ReadQueued(ignored)) << s->LastError();
  }
  const int conn = ::accept(listener, nullptr, nullptr);
  ASSERT_GE(conn, 0);
  // The command arrives once the source sees its connection stand.
  std::string asked;
  for (int i = 0; i < 100 && asked.find('\n') == std::string::npos; ++i) {
    std::string ignored;
    s->ReadQueued(ignored);
    pollfd c{conn, POLLIN, 0};
    if (::poll(&c, 1, 20) == 1) {
      char buf[512];
      const ssize_t n = ::recv(conn, buf, sizeof buf, 0);
      if (n > 0) asked.append(buf, static_cast<size_t>(n));
    }
  }
  EXPECT_EQ(asked, GpsdWatchCommand("/dev/ttyACM0"));
  const std::string answer = std::string(kVersion) + kGga + kRmc;
  ASSERT_EQ(::send(conn, answer.data(), answer.size(), 0), static_cast<ssize_t>(answer.size()));
  const std::string want = std::string(kGga) + kRmc;
  EXPECT_EQ(Pump(*s, nullptr, [&](const TPumped& r) { return r.Text.size() >= want.size(); }).Text, want);

  const std::string bad = "{\"class\":\"ERROR\",\"message\":\"Unrecognized request\"}\r\n";
  ASSERT_EQ(::send(conn, bad.data(), bad.size(), 0), static_cast<ssize_t>(bad.size()));
  EXPECT_TRUE(Pump(*s, nullptr, [](const TPumped& r) { return r.Failed; }).Failed);
  EXPECT_EQ(s->LastError(), s->Name() + ": gpsd says: Unrecognized request");
  EXPECT_FALSE(s->PeerClosed());
  ::close(conn);
  ::close(listener);
}

TEST(RealGpsd, RelaysTheReceiversSentencesUnchanged) {
  TGpsdProcess gpsd;
  std::string why;
  if (!gpsd.Start(GPSD_PATH, why)) GTEST_SKIP() << why << "; the gpsd source is not tried against it";
  // The simulated receiver's drive, written in bursts while gpsd is watched.
  TSimOptions options;
  options.StartLat = 34, options.StartLon = 134;
  TNmeaSim sim(options);
  std::string sent;

  std::string error;
  auto source = MakeNetSource(gpsd.Address(), error);
  ASSERT_TRUE(source) << error;
  std::string got;
  bool connected = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
  while (std::chrono::steady_clock::now() < deadline) {
    int gga = 0;
    for (const std::string& l : Lines(got)) gga += l.starts_with("$GPGGA");
    if (gga >= 5) break;
    if (!source->IsOpen() && !source->Open()) {
      poll(nullptr, 0, 50);  // gpsd may not listen yet
      continue;
    }
    const std::string burst = sim.NextBurst();
    sent += burst;
    ASSERT_TRUE(gpsd.Write(burst));
    for (int i = 0; i < 5; ++i) {
      source->Wait(20);
      if (!source->ReadQueued(got)) break;
      connected = connected || !source->Connecting();
    }
  }
  int status = 0;
  if (!connected && gpsd.Exited(status))
    GTEST_SKIP() << "gpsd could not start (exit status " << status << "); see its messages in " << gpsd.LogPath();
  ASSERT_TRUE(connected) << source->LastError();
  // gpsd may miss the first sentences while it recognises the receiver; from then on every
  // sentence arrives as sent, in order, and nothing else does.
  const std::vector<std::string> received = Lines(got), expected = Lines(sent);
  ASSERT_GE(received.size(), 20u) << got;
  EXPECT_TRUE(IsRunOf(received, expected)) << got;
}

}  // namespace
}  // namespace orvane
