// SPDX-License-Identifier: GPL-3.0-or-later
// NMEA over TCP on the loopback interface: a server thread sends a generated drive as fast as the
// connection takes it, the TCP source reads it and the receive path decodes it. Every sentence
// must arrive: a run that frames fewer than the drive holds is reported as an error. Read either
// as soon as bytes are there (0) or on the receiver's 50 ms poll tick (50). BM_ReceiverTcp takes the
// program's whole road: the receiver reads a tcp:// source on its poll ticks, frames and decodes
// every sentence, and shows the newest of each tick on a display that wants the data monitor's
// blocks. BM_ShareFeed passes the drive on as the share does, in the pieces a fast receiver's reads
// give, to reading clients (and one that never reads, let go once its backlog is full), each of
// which must get every byte.
#include <benchmark/benchmark.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "net/NetAddress.h"
#include "net/NmeaServer.h"
#include "net/StreamShare.h"
#include "net/TcpSource.h"
#include "nmea/Receiver.h"
#include "nmea/UNmeaProc.h"
#include "sim/SimDrive.h"
#include "tests/net/NetTestKit.h"

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

// Sends the drive to the first client, then closes: as fast as the client takes it, or at
// `mbPerSecond` (10^6 bytes) whether it keeps up or not. A client that falls behind by more than
// the server's queue limit is dropped, and its sentences are lost.
void Serve(orvane::TTcpServer& server, const std::string& log, int mbPerSecond = 0) {
  for (int i = 0; i < 500 && server.ClientCount() == 0; ++i) server.Poll(10);
  constexpr size_t kPiece = 64 << 10;
  const auto start = std::chrono::steady_clock::now();
  for (size_t at = 0; at < log.size() && server.ClientCount() > 0; at += kPiece) {
    if (mbPerSecond > 0) {
      const auto due = start + std::chrono::microseconds(at / static_cast<size_t>(mbPerSecond));
      while (std::chrono::steady_clock::now() < due) server.Poll(1);
    }
    server.Send(std::string_view(log).substr(at, kPiece));
    if (mbPerSecond == 0) server.Drain(10000);
  }
  server.Drain(10000);
  server.Close();
}

// A server on a free loopback port; false, the benchmark skipped with the reason, when it cannot.
bool ListenOnLoopback(benchmark::State& state, orvane::TTcpServer& server) {
  std::string error;
  if (server.Listen("127.0.0.1", 0, error)) return true;
  state.SkipWithError(error.c_str());
  return false;
}

void Report(benchmark::State& state, int64_t sentences, size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
  state.counters["sentences"] =
      benchmark::Counter(static_cast<double>(sentences * state.iterations()), benchmark::Counter::kIsRate);
}

void BM_TcpDecode(benchmark::State& state) {
  const std::string& log = Drive();
  const int64_t expected = SentencesIn(log);
  const int tickMs = static_cast<int>(state.range(0));
  for (auto _ : state) {
    orvane::TTcpServer server;
    if (!ListenOnLoopback(state, server)) return;
    std::thread sender([&] { Serve(server, log); });
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
  Report(state, expected, log.size());
}
BENCHMARK(BM_TcpDecode)->Arg(0)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime();

// Counts what reaches the windows: the sentences shown, and the monitor's blocks built.
class TCountingDisplay : public orvane::TNmeaDisplay {
public:
  void PlaceSatellite(const std::string&, int, int, int, int) override {}
  void SetSatVisible(int, bool) override {}
  void SetSatColor(int, orvane::TColor) override {}
  void SetFixCaption(const std::string&) override {}
  void ShowGGA(const std::string&) override { ++Blocks; }
  void ShowGLL(const std::string&) override { ++Blocks; }
  void ShowRMC(const std::string&) override { ++Blocks; }
  void ShowSentence(const orvane::TSentenceInfo&) override { ++Shown; }
  void ShowNotice(std::string_view) override { ++Shown; }
  void ShowStatus(const std::string&) override {}
  int64_t Shown = 0, Blocks = 0;
};

void BM_ReceiverTcp(benchmark::State& state) {
  const std::string& log = Drive();
  const int64_t expected = SentencesIn(log);
  const int tickMs = static_cast<int>(state.range(0)), mbPerSecond = static_cast<int>(state.range(1));
  for (auto _ : state) {
    orvane::TTcpServer server;
    if (!ListenOnLoopback(state, server)) return;
    std::thread sender([&] { Serve(server, log, mbPerSecond); });
    orvane::TNmeaRec rec;
    rec.GpsFix = "$GPGSA";
    TCountingDisplay display;
    // No timers: the loop below ticks the poll itself.
    orvane::TReceiver receiver(rec, {});
    receiver.AddDisplay(display);
    int64_t decoded = 0;
    receiver.OnSentence = [&](const orvane::TSentenceInfo& info) {
      decoded += info.outcome == orvane::TSentenceOutcome::Decoded;
    };
    const std::string address = "tcp://127.0.0.1:" + std::to_string(server.Port());
    receiver.SetSourceAddress(address);
    receiver.OpenSource();
    // Until the server's close is noticed: the receiver then says the loss.
    int64_t ticks = 0;
    while (receiver.SourceOpen()) {
      ++ticks;
      if (tickMs > 0)
        ::poll(nullptr, 0, tickMs);
      else
        receiver.Source().Wait(100);
      receiver.PollTick();
    }
    sender.join();
    const std::string closed = address + ": the server closed the connection";
    if (receiver.Status().rfind(closed, 0) != 0 || server.DroppedCount() > 0 || display.Shown > ticks ||
        decoded != expected) {
      state.SkipWithError(("sentences lost: " + std::to_string(display.Shown) + " shown, " + std::to_string(decoded) +
                           " decoded of " + std::to_string(expected) + " (" + receiver.Status() + ")")
                              .c_str());
      return;
    }
    receiver.RemoveDisplay(display);
    benchmark::DoNotOptimize(rec.Lat);
    benchmark::DoNotOptimize(display.Blocks);
  }
  Report(state, expected, log.size());
}
// Ticks of 0 (bytes read as they come) or 50 ms; sent as fast as taken (0) or at 10 MB/s.
BENCHMARK(BM_ReceiverTcp)->Args({0, 0})->Args({50, 0})->Args({50, 10})->Unit(benchmark::kMillisecond)->UseRealTime();

// Arguments: reading clients, and whether one more never reads.
void BM_ShareFeed(benchmark::State& state) {
  const std::string& log = Drive();
  const int readers = static_cast<int>(state.range(0));
  constexpr size_t kPiece = 1024;
  for (auto _ : state) {
    orvane::TStreamShare share;
    std::string error;
    if (!share.ListenTcp("127.0.0.1", 0, error)) return state.SkipWithError(error.c_str());
    std::vector<int> fds;
    for (int i = 0; i < readers + static_cast<int>(state.range(1)); ++i)
      fds.push_back(orvane::ConnectLoopback(share.TcpPort()));
    for (int i = 0; i < 500 && share.ClientCount() < fds.size(); ++i) {
      share.Poll();
      poll(nullptr, 0, 2);
    }
    std::vector<std::atomic<size_t>> got(static_cast<size_t>(readers));
    // Every reader has `n` bytes (the idle client's bytes served do not count).
    const auto readersHave = [&got](size_t n) {
      return std::all_of(got.begin(), got.end(), [n](const std::atomic<size_t>& g) { return g >= n; });
    };
    std::vector<std::thread> threads;
    for (int r = 0; r < readers; ++r)
      threads.emplace_back([&, r] {
        char buf[65536];
        for (ssize_t n; got[r] < log.size() && (n = ::recv(fds[r], buf, sizeof buf, 0)) > 0;)
          got[r] += static_cast<size_t>(n);
      });
    // Never more than half a backlog ahead of the slowest reader: as fast as clients that keep up
    // can be served.
    constexpr size_t kAhead = orvane::TStreamShare::kBacklog / 2;
    for (size_t at = 0; at < log.size(); at += kPiece) {
      share.Feed(std::string_view(log).substr(at, kPiece));
      for (int i = 0; i < 100000 && at + kPiece > kAhead && !readersHave(at + kPiece - kAhead); ++i) {
        share.Poll();
        std::this_thread::yield();
      }
    }
    for (int i = 0; i < 10000 && !readersHave(log.size()); ++i) {
      share.Poll();
      poll(nullptr, 0, 1);
    }
    share.Stop();
    for (std::thread& t : threads) t.join();
    for (const int fd : fds) ::close(fd);
    for (const size_t n : got)
      if (n != log.size()) return state.SkipWithError("a reading client missed bytes");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(log.size()));
}
BENCHMARK(BM_ShareFeed)->Args({1, 0})->Args({3, 0})->Args({2, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
