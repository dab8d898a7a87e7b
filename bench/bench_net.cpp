// NMEA over TCP on the loopback interface: a server thread sends a generated drive as fast as the
// connection takes it, the TCP source reads it and the receive path decodes it. Every sentence
// must arrive: a run that frames fewer than the drive holds is reported as an error. Read either
// as soon as bytes are there (0) or on the receiver's 50 ms poll tick (50).
#include <benchmark/benchmark.h>

#include <poll.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>

#include "net/NetAddress.h"
#include "net/NmeaServer.h"
#include "net/TcpSource.h"
#include "nmea/UNmeaProc.h"
#include "sim/SimDrive.h"

namespace {

// About 16 MB: nine hours of one burst a second.
const std::string& Drive() {
  static const std::string log = [] {
    orvane::TNmeaSim sim;
    std::string s;
    while (s.size() < (16u << 20)) sim.NextBurst(s);
    return s;
  }();
  return log;
}

int64_t SentencesIn(const std::string& log) { return std::count(log.begin(), log.end(), '\n'); }

void BM_TcpDecode(benchmark::State& state) {
  const std::string& log = Drive();
  const int64_t expected = SentencesIn(log);
  const int tickMs = static_cast<int>(state.range(0));
  for (auto _ : state) {
    orvane::TTcpServer server;
    std::string error;
    if (!server.Listen("127.0.0.1", 0, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    std::thread sender([&] {
      for (int i = 0; i < 500 && server.ClientCount() == 0; ++i) server.Poll(10);
      constexpr size_t kPiece = 256 << 10;
      for (size_t at = 0; at < log.size() && server.ClientCount() > 0; at += kPiece) {
        server.Send(std::string_view(log).substr(at, kPiece));
        server.Drain(10000);
      }
      server.Close();
    });
    orvane::TTcpSource source(orvane::TNetAddress{orvane::TNetKind::Tcp, "127.0.0.1", server.Port(), ""});
    orvane::TNmeaRec rec;
    rec.GpsFix = "$GPGSA";
    orvane::TNullDisplay display;
    orvane::TNmeaProc proc(rec, display);
    int64_t framed = 0;
    proc.OnSentence = [&](const orvane::TSentenceInfo&) { ++framed; };
    std::string bytes;
    bool open = source.Open();
    while (open) {
      if (tickMs > 0)
        ::poll(nullptr, 0, tickMs);
      else
        source.Wait(100);
      bytes.clear();
      open = source.ReadQueued(bytes);
      proc.ProcessReceivedBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    sender.join();
    if (!source.PeerClosed() || framed != expected) {
      state.SkipWithError(("sentences lost: " + std::to_string(framed) + " of " + std::to_string(expected) + " (" +
                           source.LastError() + ")")
                              .c_str());
      return;
    }
    benchmark::DoNotOptimize(rec.Lat);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(log.size()));
  state.counters["sentences"] = benchmark::Counter(
      static_cast<double>(expected * static_cast<int64_t>(state.iterations())), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TcpDecode)->Arg(0)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
