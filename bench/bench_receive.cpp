// SPDX-License-Identifier: GPL-3.0-or-later
// The receive path as the window drives it: the receiver's poll tick with the program's real
// displays (the sky view, the data monitor, the console) on the offscreen platform, and the
// events that follow each tick (the console's flush, the repaints). BM_Tick92KBs feeds a fast
// receiver's 921600 baud, 4608 bytes per 50 ms tick, and reports the share of a core that takes;
// BM_TickFlood offers 4 MB per read, more than any tick handles, and reports the worst tick. The
// console lists every line and the decoding sees every sentence: a run that decodes fewer than
// it was given is an error.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include "bench/QtBenchMain.h"
#include "gui/SkyPanel.h"
#include "gui/UConsoleForm.h"
#include "gui/UMoniForm.h"
#include "nmea/Receiver.h"
#include "sim/SimDrive.h"

namespace {

double ThreadCpuMs() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

constexpr size_t kBytesPerTick92KBs = 92160 / 20;
constexpr size_t kFloodRead = 4 << 20;  // as much as a TCP source reads at once

// A simulated drive, looped: `perRead` bytes per read, the position kept across reads.
class TMemorySource {
public:
  explicit TMemorySource(size_t perRead) : PerRead(perRead) {
    orvane::TNmeaSim sim;
    while (Log.size() < (4u << 20)) sim.NextBurst(Log);
    Log.resize(Log.rfind('\n') + 1);
  }
  bool Open() { return Opened = true; }
  void Close() { Opened = false; }
  bool IsOpen() const { return Opened; }
  bool ReadQueued(std::string& out) {
    for (size_t want = PerRead; want > 0;) {
      const size_t n = std::min(want, Log.size() - At);
      out.append(Log, At, n);
      Sentences += std::count(Log.begin() + static_cast<std::ptrdiff_t>(At),
                              Log.begin() + static_cast<std::ptrdiff_t>(At + n), '\n');
      At = (At + n) % Log.size();
      want -= n;
    }
    Sent += PerRead;
    return true;
  }
  std::string Name() const { return "tcp://127.0.0.1:10110"; }
  const std::string& LastError() const { return Error; }

  std::string Log, Error;
  size_t PerRead, At = 0;
  int64_t Sentences = 0;  // ended by the bytes handed out
  uint64_t Sent = 0;
  bool Opened = false;
};

struct TWindows {
  TWindows() : Sky(&Main) {
    Main.resize(292, 325);
    Sky.setGeometry(0, 0, 292, 325);
    for (QWidget* w : {static_cast<QWidget*>(&Main), static_cast<QWidget*>(&Monitor), static_cast<QWidget*>(&Console)})
      w->show();
  }
  QWidget Main;
  orvane::TSkyPanel Sky;
  orvane::TMoniForm Monitor;
  orvane::TConsoleForm Console;
};

void RunTicks(benchmark::State& state, size_t perRead) {
  TWindows windows;
  orvane::TNmeaRec rec;
  rec.GpsFix = "$GPGSA";
  orvane::TReceiver receiver(rec, {});
  for (orvane::TNmeaDisplay* d :
       {static_cast<orvane::TNmeaDisplay*>(&windows.Sky), static_cast<orvane::TNmeaDisplay*>(&windows.Monitor),
        static_cast<orvane::TNmeaDisplay*>(&windows.Console)})
    receiver.AddDisplay(*d);
  auto owned = std::make_unique<orvane::TByteSourceOf<TMemorySource>>(perRead);
  TMemorySource& source = owned->Source;
  receiver.SetSource(std::move(owned));
  int64_t decoded = 0, framed = 0;
  receiver.OnSentence = [&](const orvane::TSentenceInfo& info) {
    ++framed;
    decoded += info.outcome == orvane::TSentenceOutcome::Decoded;
  };
  receiver.OpenSource();
  double worst = 0, total = 0, events = 0;
  const double cpuBefore = ThreadCpuMs();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    receiver.PollTick();
    const auto ticked = std::chrono::steady_clock::now();
    QCoreApplication::processEvents();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    events += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - ticked).count();
    worst = std::max(worst, ms);
    total += ms;
  }
  const double cpu = ThreadCpuMs() - cpuBefore;
  // What the last ticks left is handled, the source giving nothing more: every sentence sent is
  // then framed.
  source.PerRead = 0;
  for (int i = 0; i < 100; ++i) receiver.PollTick();
  if (framed != source.Sentences) {
    state.SkipWithError(
        ("sentences lost: " + std::to_string(framed) + " framed of " + std::to_string(source.Sentences) + " sent")
            .c_str());
    return;
  }
  for (orvane::TNmeaDisplay* d :
       {static_cast<orvane::TNmeaDisplay*>(&windows.Sky), static_cast<orvane::TNmeaDisplay*>(&windows.Monitor),
        static_cast<orvane::TNmeaDisplay*>(&windows.Console)})
    receiver.RemoveDisplay(*d);
  state.counters["worst_tick_ms"] = worst;
  state.counters["sentences_per_tick"] = static_cast<double>(framed) / static_cast<double>(state.iterations());
  state.counters["decoded"] = static_cast<double>(decoded);
  // Of a tick's time, the share of the events that follow it (the console's flush, the repaints).
  state.counters["events_share"] = events / total;
  // The share of one core the window's thread spends, with one tick every 50 ms (its CPU time:
  // the wall clock counts what other programs on the machine take too).
  state.counters["core_share"] =
      cpu / (static_cast<double>(state.iterations()) * static_cast<double>(orvane::TReceiver::kPollMs));
  state.SetBytesProcessed(static_cast<int64_t>(source.Sent));
}

void BM_Tick92KBs(benchmark::State& state) { RunTicks(state, kBytesPerTick92KBs); }
BENCHMARK(BM_Tick92KBs)->Unit(benchmark::kMillisecond)->Iterations(400);

void BM_TickFlood(benchmark::State& state) { RunTicks(state, kFloodRead); }
BENCHMARK(BM_TickFlood)->Unit(benchmark::kMillisecond)->Iterations(100);

}  // namespace

int main(int argc, char** argv) { return orvane::RunQtBenchmarks<QApplication>(argc, argv); }
