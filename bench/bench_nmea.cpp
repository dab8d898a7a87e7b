// SPDX-License-Identifier: GPL-3.0-or-later
// The receive path on a generated day of one burst per second: cutting, framing, dispatch and
// decoders with a display that shows nothing, fed in deliveries the size a serial port makes;
// then the three outputs of orvane-nmea on the same day, read in its 4096-byte reads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "nmea/ReportJson.h"
#include "nmea/ReportSummary.h"
#include "nmea/ReportText.h"
#include "nmea/UNmeaProc.h"
#include "sim/SimDrive.h"

namespace {

std::string SimulatedDay(bool dualBand) {
  orvane::TSimOptions options;
  options.DualBand = dualBand;
  orvane::TNmeaSim sim(options);
  std::string s;
  for (int i = 0; i < 86400; ++i) sim.NextBurst(s);
  return s;
}

const std::string& DayLog() {
  static const std::string log = SimulatedDay(false);
  return log;
}

void BM_ReceiveDay(benchmark::State& state) {
  const std::string& log = DayLog();
  const auto* bytes = reinterpret_cast<const uint8_t*>(log.data());
  const size_t chunk = static_cast<size_t>(state.range(0));
  int64_t sentences = 0;
  for (auto _ : state) {
    orvane::TNmeaRec rec;
    rec.GpsFix = "$GPGSA";
    orvane::TNullDisplay display;
    orvane::TNmeaProc proc(rec, display);
    proc.OnSentence = [&](const orvane::TSentenceInfo&) { ++sentences; };
    for (size_t at = 0; at < log.size(); at += chunk)
      proc.ProcessReceivedBytes(bytes + at, std::min(chunk, log.size() - at));
    benchmark::DoNotOptimize(rec.Lat);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(log.size()));
  state.counters["sentences"] = benchmark::Counter(static_cast<double>(sentences), benchmark::Counter::kIsRate);
}
// 64 bytes is what a 4800-baud port yields per 50 ms poll and more; 4096 a file read.
BENCHMARK(BM_ReceiveDay)->Arg(64)->Arg(4096)->Unit(benchmark::kMillisecond);

// A dual-band receiver's day with the multi-GNSS decoders: two GSV cycles a second, whose
// satellites are found by system and PRN.
void BM_ReceiveDualBandDay(benchmark::State& state) {
  static const std::string log = SimulatedDay(true);
  const auto* bytes = reinterpret_cast<const uint8_t*>(log.data());
  for (auto _ : state) {
    orvane::TNmeaRec rec;
    rec.Gnss = true;
    rec.GpsFix = "$GPGSA";
    orvane::TNullDisplay display;
    orvane::TNmeaProc proc(rec, display);
    for (size_t at = 0; at < log.size(); at += 4096)
      proc.ProcessReceivedBytes(bytes + at, std::min<size_t>(4096, log.size() - at));
    benchmark::DoNotOptimize(rec.SignalsInView);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(log.size()));
}
BENCHMARK(BM_ReceiveDualBandDay)->Unit(benchmark::kMillisecond);

void Feed(orvane::TNmeaProc& proc, const std::string& log) {
  constexpr size_t kRead = 4096;
  const auto* bytes = reinterpret_cast<const uint8_t*>(log.data());
  for (size_t at = 0; at < log.size(); at += kRead)
    proc.ProcessReceivedBytes(bytes + at, std::min(kRead, log.size() - at));
}

// One run of a report over the day per iteration, each on a fresh record set up as orvane-nmea
// sets it up.
template <class Run>
void EachDay(benchmark::State& state, Run run) {
  for (auto _ : state) {
    orvane::TNmeaRec rec;
    rec.GpsFix = "$GPGSA";
    rec.GpsDatum = "WGS 84";
    run(rec);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(DayLog().size()));
}

// --summary: nothing shown, every sentence counted.
void BM_SummaryDay(benchmark::State& state) {
  EachDay(state, [](orvane::TNmeaRec& rec) {
    orvane::TNullDisplay display;
    orvane::TNmeaProc proc(rec, display);
    orvane::TSummary summary(rec, proc);
    proc.OnSentence = [&](const orvane::TSentenceInfo& info) { summary.Add(info); };
    Feed(proc, DayLog());
    std::string out;
    summary.Print(out, "day", DayLog().size());
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_SummaryDay)->Unit(benchmark::kMillisecond);

// The default output: the blocks, the satellite tables and the fix captions, discarded.
void BM_TextDay(benchmark::State& state) {
  EachDay(state, [](orvane::TNmeaRec& rec) {
    orvane::TOut out(nullptr);
    orvane::TTextDisplay display(rec, out);
    orvane::TNmeaProc proc(rec, display);
    Feed(proc, DayLog());
    out.Finish();
  });
}
BENCHMARK(BM_TextDay)->Unit(benchmark::kMillisecond);

// --json: one object per decoded sentence, discarded.
void BM_JsonDay(benchmark::State& state) {
  EachDay(state, [](orvane::TNmeaRec& rec) {
    orvane::TOut out(nullptr);
    orvane::TNullDisplay display;
    orvane::TNmeaProc proc(rec, display);
    proc.OnSentence = [&](const orvane::TSentenceInfo& info) {
      if (info.outcome != orvane::TSentenceOutcome::Decoded) return;
      orvane::AppendJsonRecord(out.buf, info.type, rec, proc.GsvSatCount());
      out.MaybeFlush();
    };
    Feed(proc, DayLog());
    out.Finish();
  });
}
BENCHMARK(BM_JsonDay)->Unit(benchmark::kMillisecond);

}  // namespace
