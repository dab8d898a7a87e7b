// SPDX-License-Identifier: GPL-3.0-or-later
// The receiver reading real network sources on the loopback interface: a TCP server, UDP
// datagrams and a real gpsd fed by a simulated receiver on a pseudo-terminal. What it decodes
// must be what the same drive decodes to when replayed from a log file.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "net/NmeaServer.h"
#include "nmea/Receiver.h"
#include "sim/SimDrive.h"
#include "tests/common/TempFiles.h"
#include "tests/net/GpsdProcess.h"
#include "tests/net/NetTestKit.h"
#include "tests/nmea/RecordingDisplay.h"

namespace orvane {
namespace {

struct HandTimer : TPollTimer {
  bool running = false;
  void Start(uint32_t) override { running = true; }
  void Stop() override { running = false; }
};

// A sentence as framed, without its line end: a replayed line keeps the LF that a live one loses.
std::string Bare(std::string_view s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.remove_suffix(1);
  return std::string(s);
}

// What one sentence did to the record: the sentence, its outcome, and the fields its decoder
// writes from that sentence alone, so that a run that begins late reads the same.
std::string Decoded(const TSentenceInfo& info, const TNmeaRec& r) {
  std::ostringstream o;
  o.precision(12);
  o << Bare(info.sentence) << " | " << static_cast<int>(info.outcome) << ' ';
  const std::string_view type = info.type ? info.type : "";
  if (type == "GGA")
    o << r.FixTime << ' ' << r.FixQuality << ' ' << r.SatUsed << ' ' << r.GgaHdop << ' ' << r.Altitude << ' '
      << r.Geoid;
  else if (type == "RMC")
    o << r.FixTime << ' ' << r.Lat << r.LatNS << ' ' << r.Lon << r.LonEW << ' ' << r.Speed << ' ' << r.Course << ' '
      << r.FixDate << ' ' << r.MagVar << r.MagVarEW;
  else if (type == "GLL")
    o << r.GllTime << ' ' << r.GllLat << r.GllLatNS << ' ' << r.GllLon << r.GllLonEW << ' ' << r.GllStatus;
  else if (type == "GSA")
    o << int(r.FixMode) << ' ' << r.Pdop << ' ' << r.Hdop << ' ' << r.Vdop << ' ' << r.SatUsedList;
  else if (type == "GSV")
    o << r.SatInView;
  else if (type == "PGRMM")
    o << r.GpsDatum;
  return o.str();
}

// The whole record, satellites included, as far as the sentences write it.
std::string Record(const TNmeaRec& r) {
  std::ostringstream o;
  o.precision(12);
  o << r.SatInView << ' ' << r.SatInViewList << ' ' << r.FixValid << ' ' << r.SatUsedList << ' ' << int(r.FixMode)
    << ' ' << r.SatUsed << ' ' << r.Pdop << ' ' << r.Hdop << ' ' << r.Vdop << ' ' << r.GgaHdop << ' ' << r.FixQuality
    << ' ' << r.FixTime << ' ' << r.FixDate << ' ' << r.Lat << r.LatNS << ' ' << r.Lon << r.LonEW << ' ' << r.Altitude
    << ' ' << r.Geoid << ' ' << r.Speed << ' ' << r.Course << ' ' << r.MagVar << r.MagVarEW << ' ' << r.GllTime << ' '
    << r.GpsDatum;
  for (const TSatInfo& s : r.Sats)
    if (!s.Prn.empty())
      o << " [" << s.Prn << ' ' << s.Elevation << ' ' << s.Azimuth << ' ' << s.Snr << ' ' << s.Used << ']';
  return o.str();
}

// A receiver with hand-ticked timers that records what it decodes and says.
struct Probe {
  TNmeaRec rec;
  HandTimer poll, reopen, replay, save;
  TReceiver receiver{rec, {.Poll = &poll, .Reopen = &reopen, .Replay = &replay, .Save = &save}};
  test::RecordingDisplay display;
  std::vector<std::string> sentences, decoded, log;

  Probe() {
    // As the settings load leaves them; the drive announces its datum in its first burst only.
    rec.GpsFix = "$GPGSA";
    rec.GpsDatum = "WGS 84";
    receiver.AddDisplay(display);
    receiver.OnLog = [this](const std::string& line) { log.push_back(line); };
    receiver.OnSentence = [this](const TSentenceInfo& info) {
      sentences.push_back(Bare(info.sentence));
      decoded.push_back(Decoded(info, rec));
    };
  }
  ~Probe() { receiver.RemoveDisplay(display); }

  // The connection stands (or the port is bound): bytes sent from now on reach the receiver.
  bool Connected() { return receiver.SourceOpen() && !receiver.Source().Connecting(); }
  // One round of the timers: the reopen timer while the source is lost, else the poll timer
  // after waiting a little for bytes.
  void Tick() {
    if (receiver.Reopening()) {
      ::poll(nullptr, 0, 20);
      receiver.ReopenTick();
      return;
    }
    receiver.Source().Wait(20);
    receiver.PollTick();
  }
};

// Where the simulated drive goes out: the sending end of one kind of source.
class Feeder {
public:
  virtual ~Feeder() = default;
  // False, with `why`, when this kind of source cannot be tried here.
  virtual bool Start(std::string& why) = 0;
  virtual std::string Address() const = 0;
  // The receiver is connected and the sending end knows it.
  virtual bool Ready(Probe& probe) { return probe.Connected(); }
  virtual bool Send(const std::string& burst) = 0;
  virtual void Poll() {}
};

class TcpFeeder : public Feeder {
public:
  bool Start(std::string& why) override { return server.Listen("127.0.0.1", 0, why); }
  std::string Address() const override { return "tcp://127.0.0.1:" + std::to_string(server.Port()); }
  bool Ready(Probe& probe) override { return probe.Connected() && server.ClientCount() == 1; }
  bool Send(const std::string& burst) override {
    server.Send(burst);
    return true;
  }
  void Poll() override { server.Poll(0); }
  TTcpServer server;
};

class UdpFeeder : public Feeder {
public:
  bool Start(std::string& why) override {
    port = FreeLoopbackPort(SOCK_DGRAM);
    return sender.Open("127.0.0.1", port, why);
  }
  std::string Address() const override { return "udp://127.0.0.1:" + std::to_string(port); }
  bool Send(const std::string& burst) override {
    std::string error;
    return sender.Send(burst, error);
  }
  uint16_t port = 0;
  TUdpSender sender;
};

class GpsdFeeder : public Feeder {
public:
  bool Start(std::string& why) override { return gpsd.Start(GPSD_PATH, why); }
  std::string Address() const override { return gpsd.Address(); }
  bool Send(const std::string& burst) override { return gpsd.Write(burst); }
  TGpsdProcess gpsd;
};

struct SourceCase {
  const char* name;
  std::function<std::unique_ptr<Feeder>()> make;
  // gpsd recognises the receiver from its first sentences and relays only what comes after.
  bool missesStart;
};

void PrintTo(const SourceCase& c, std::ostream* os) { *os << c.name; }

const SourceCase kCases[] = {
    {"Tcp", [] { return std::make_unique<TcpFeeder>(); }, false},
    {"Udp", [] { return std::make_unique<UdpFeeder>(); }, false},
    {"Gpsd", [] { return std::make_unique<GpsdFeeder>(); }, true},
};

class ReceiverFromNetwork : public TempDir, public ::testing::WithParamInterface<SourceCase> {
protected:
  // The same drive replayed from a log file, as fast as the replay goes.
  void DecodeFromFile(const std::string& drive) {
    const std::string path = (dir / "drive.log").string();
    WriteAll(dir / "drive.log", drive);
    fromFile.receiver.Replayer().SetPace(kPaceCount - 1);
    fromFile.receiver.StartReplay(path);
    for (int i = 0; i < 10000 && fromFile.receiver.Replayer().Running(); ++i) fromFile.receiver.ReplayTick();
    ASSERT_FALSE(fromFile.receiver.Replayer().Running());
  }

  Probe live, fromFile;
};

TEST_P(ReceiverFromNetwork, DecodesTheDriveAsFromALogFile) {
  const SourceCase& c = GetParam();
  auto feeder = c.make();
  std::string why;
  if (!feeder->Start(why)) GTEST_SKIP() << why << "; the receiver is not tried against it";
  live.receiver.SetSourceAddress(feeder->Address());
  // gpsd may not listen yet: the reopen timer tries again.
  live.receiver.OpenSource();

  TSimOptions options;
  options.OutageEvery = 0;  // every burst writes every field
  TNmeaSim sim(options);
  // Twelve seconds of the drive reach the receiver; gpsd, which misses the start, is fed on until
  // as much has come through, at most five minutes of it.
  constexpr int kBursts = 12, kMaxBursts = 300;
  std::string sent;
  int bursts = 0, burstsIn = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
  while (std::chrono::steady_clock::now() < deadline) {
    const bool enough = burstsIn >= kBursts || bursts == kMaxBursts;
    if (enough && !live.sentences.empty() && live.sentences.back() == Lines(sent).back()) break;
    feeder->Poll();
    if (!enough && feeder->Ready(live)) {
      const std::string burst = sim.NextBurst();
      ASSERT_TRUE(feeder->Send(burst));
      sent += burst;
      ++bursts;
    }
    live.Tick();
    burstsIn = static_cast<int>(std::count_if(live.sentences.begin(), live.sentences.end(),
                                              [](const std::string& s) { return s.starts_with("$GPRMC"); }));
  }
  int status = 0;
  if (auto* gpsd = dynamic_cast<GpsdFeeder*>(feeder.get()); gpsd && bursts == 0 && gpsd->gpsd.Exited(status))
    GTEST_SKIP() << "gpsd could not start (exit status " << status << "); see its messages in " << gpsd->gpsd.LogPath();
  ASSERT_GE(burstsIn, kBursts) << live.receiver.Status();
  EXPECT_EQ(live.receiver.Status(), "");

  DecodeFromFile(sent);
  ASSERT_EQ(fromFile.sentences, Lines(sent));
  if (c.missesStart) {
    // Whatever gpsd missed, it is the start: the rest arrives whole, in order, decoded alike.
    EXPECT_TRUE(IsRunOf(live.sentences, fromFile.sentences));
    EXPECT_TRUE(IsRunOf(live.decoded, fromFile.decoded));
  } else {
    EXPECT_EQ(live.sentences, fromFile.sentences);
    EXPECT_EQ(live.decoded, fromFile.decoded);
  }
  // The last burst leaves the same record, and the same text on the data monitor.
  ASSERT_FALSE(live.display.gga.empty() || live.display.rmc.empty());
  EXPECT_EQ(Record(live.rec), Record(fromFile.rec));
  EXPECT_EQ(live.display.gga.back(), fromFile.display.gga.back());
  EXPECT_EQ(live.display.rmc.back(), fromFile.display.rmc.back());
}

INSTANTIATE_TEST_SUITE_P(Sources, ReceiverFromNetwork, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SourceCase>& param) { return param.param.name; });

// The server goes away: the loss is said, the reopen timer tries the address until a server
// listens on the port again, and the sentences go on from there.
TEST(ReceiverFromTcp, ReconnectsWhenTheServerIsBackOnThePort) {
  Probe p;
  TcpFeeder feeder;
  std::string why;
  ASSERT_TRUE(feeder.Start(why)) << why;
  const uint16_t port = feeder.server.Port();
  const std::string address = feeder.Address();
  p.receiver.SetSourceAddress(address);
  ASSERT_TRUE(p.receiver.OpenSource()) << p.receiver.Status();
  TNmeaSim sim;
  // Ticks until `done` holds, at most a few seconds.
  auto until = [&](const std::function<bool()>& done) {
    for (int i = 0; i < 200 && !done(); ++i) {
      feeder.Poll();
      p.Tick();
    }
    return done();
  };
  ASSERT_TRUE(until([&] { return feeder.Ready(p); })) << p.receiver.Status();
  const std::string before = sim.NextBurst();
  feeder.Send(before);
  ASSERT_TRUE(until([&] { return p.sentences.size() == Lines(before).size(); }));
  ASSERT_TRUE(feeder.server.Drain(2000));

  feeder.server.Close();
  ASSERT_TRUE(until([&] { return !p.receiver.SourceOpen(); }));
  const std::string lost = address + ": the server closed the connection; trying to reopen it every 2 seconds";
  EXPECT_EQ(p.receiver.Status(), lost);
  EXPECT_EQ(p.display.status, std::vector<std::string>{lost});
  EXPECT_EQ(p.display.fixCaptions.back(), "FIX N/A");
  EXPECT_FALSE(p.rec.FixValid);
  EXPECT_TRUE(p.reopen.running);
  EXPECT_FALSE(p.poll.running);

  // Nobody listens: the tries fail, and say why.
  const std::string refused = "Cannot connect to " + address + " (127.0.0.1 port " + std::to_string(port) +
                              ": Connection refused); trying to reopen it every 2 seconds";
  ASSERT_TRUE(until([&] { return p.receiver.Reopening() && p.receiver.Status() == refused; })) << p.receiver.Status();

  ASSERT_TRUE(feeder.server.Listen("127.0.0.1", port, why)) << why;
  ASSERT_TRUE(until([&] { return feeder.Ready(p); })) << p.receiver.Status();
  EXPECT_TRUE(p.poll.running);
  EXPECT_FALSE(p.reopen.running);
  const std::string after = sim.NextBurst();
  feeder.Send(after);
  ASSERT_TRUE(until([&] { return p.sentences.size() == Lines(before + after).size(); }));
  EXPECT_EQ(p.sentences, Lines(before + after));
  EXPECT_EQ(p.receiver.Status(), "");
  EXPECT_EQ(p.display.status.back(), "");
  // Each failure said once, and the return once the server delivers.
  EXPECT_EQ(p.log, (std::vector<std::string>{lost, refused, address + " is back"}));
}

class ReceiverLookingUp : public TempDir {};

// A lookup that hangs is said as such until it fails, not as a quiet source, and the failure then
// stays while the retries fail alike.
TEST_F(ReceiverLookingUp, ALookupThatHangsIsSaidUntilItFails) {
  THangingLookup lookup(dir);
  lookup.InProcess();
  Probe p;
  int64_t now = 0;
  p.receiver.SetClock([&now] { return now; });
  const std::string address = std::string("tcp://") + THangingLookup::kHost + ":10110";
  p.receiver.SetSourceAddress(address);
  ASSERT_TRUE(p.receiver.OpenSource()) << p.receiver.Status();
  if (!lookup.Held([&] { return p.Tick(), !p.receiver.SourceOpen(); }))
    GTEST_SKIP() << "this system's resolver does not hang on HOSTALIASES: " << p.receiver.Status();
  EXPECT_EQ(p.receiver.Status(), "");  // a moment of it is not worth a word
  const std::string looking = address + ": looking up " + THangingLookup::kHost + "...";
  for (const int64_t t : {TReceiver::kProgressMs, TReceiver::kQuietMs, 3 * TReceiver::kQuietMs}) {
    now = t;
    p.Tick();
    EXPECT_TRUE(p.receiver.SourceOpen());
    EXPECT_EQ(p.receiver.Status(), looking) << t;
  }

  lookup.Release();
  for (int i = 0; i < 250 && p.receiver.SourceOpen(); ++i) p.Tick();
  const std::string failed = p.receiver.Status();
  EXPECT_TRUE(failed.starts_with("Cannot connect to " + address + ": cannot find \"gpsbox\": ")) << failed;
  EXPECT_TRUE(failed.ends_with("; trying to reopen it every 2 seconds")) << failed;
  // Retries fail alike, a moment after they began: their lookups are not said over the failure.
  for (int retry = 0; retry < 2; ++retry) {
    p.receiver.ReopenTick();
    ASSERT_TRUE(p.receiver.SourceOpen());
    now += 5000;
    for (int i = 0; i < 250 && p.receiver.SourceOpen(); ++i) p.Tick();
    EXPECT_EQ(p.receiver.Status(), failed);
  }
  EXPECT_EQ(p.display.status, (std::vector<std::string>{looking, failed}));
  EXPECT_EQ(p.log, (std::vector<std::string>{looking, failed}));
}

}  // namespace
}  // namespace orvane
