// SPDX-License-Identifier: GPL-3.0-or-later
// Throughput of the Geodrel entry points, called through the shared library
// as the program calls them. The track window converts every sample it draws,
// so DmsConv should manage at least a million calls a second.
#include "geodrel.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>

namespace {

// Positions across Japan, so that the branch predictor does not learn one point.
constexpr std::array<TGeoPoint, 8> kPoints = {{
    {35.0, 135.0, 0.0},
    {35.40, 139.4530, 40.0},
    {43.0352, 141.2049, 20.0},
    {26.1245, 127.4049, 5.0},
    {33.3527, 130.2405, 10.0},
    {38.1606, 140.5218, 50.0},
    {34.4111, 135.3008, 15.0},
    {24.2022, 123.4722, 3776.0},
}};

void BM_DmsConvTokyoToWgs84(benchmark::State& state) {
  std::size_t i = 0;
  TGeoPoint out{};
  for (auto _ : state) {
    const bool ok = DmsConv("Tokyo", "WGS 84", &kPoints[i], &out);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(out);
    i = (i + 1) % kPoints.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DmsConvTokyoToWgs84);

void BM_DmsToDeg(benchmark::State& state) {
  double x = 35.30455;
  for (auto _ : state) {
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(DmsToDeg(x));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DmsToDeg);

void BM_DegToDms(benchmark::State& state) {
  double x = 35.5126388888889;
  for (auto _ : state) {
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(DegToDms(x));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DegToDms);

}  // namespace
