// SPDX-License-Identifier: GPL-3.0-or-later
// The chart converter on the largest cell the test writer makes: 50,000 edges with their nodes,
// 10,000 features and an update, read and written as record text in memory and file to file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "s57/S57Cell.h"
#include "tests/tools/S57Writer.h"

namespace {

const std::vector<uint8_t>& LargeCell() {
  static const std::vector<uint8_t> bytes = [] {
    const std::string s = orvane::s57w::SampleCell(50000, 10000);
    return std::vector<uint8_t>(s.begin(), s.end());
  }();
  return bytes;
}

void BM_ConvertInMemory(benchmark::State& state) {
  const std::vector<uint8_t>& cell = LargeCell();
  const std::string u = orvane::s57w::SampleUpdate();
  const std::vector<uint8_t> update(u.begin(), u.end());
  size_t textSize = 0;
  for (auto _ : state) {
    orvane::TS57Cell c = orvane::TS57Cell::FromBytes("large.000", cell);
    c.ApplyUpdate("large.001", update);
    std::string text;
    c.WriteText(text);
    textSize = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(cell.size()));
  state.counters["cell_bytes"] = static_cast<double>(cell.size());
  state.counters["text_bytes"] = static_cast<double>(textSize);
}
BENCHMARK(BM_ConvertInMemory)->Unit(benchmark::kMillisecond);

// What the chart layer waits for: the cell and its update read from disk, the text saved.
void BM_ConvertFiles(benchmark::State& state) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("bench-marlisk-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::vector<uint8_t>& cell = LargeCell();
  std::ofstream(dir / "LARGE.000", std::ios::binary)
      .write(reinterpret_cast<const char*>(cell.data()), static_cast<std::streamsize>(cell.size()));
  std::ofstream(dir / "LARGE.001", std::ios::binary) << orvane::s57w::SampleUpdate();
  for (auto _ : state) orvane::TS57Cell::Read((dir / "LARGE.000").string()).Save((dir / "Marlisk.tmp").string());
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ConvertFiles)->Unit(benchmark::kMillisecond);

}  // namespace
