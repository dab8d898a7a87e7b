// SPDX-License-Identifier: GPL-3.0-or-later
// The track window's start-up load of a logger's GPX track of ten million points: the whole
// load carried to Tokyo, the same without a datum to carry it to, and the carrying alone, so
// that the datum conversion's share of the load shows; and how soon such a load stops once it
// is called off, which is how long closing the window waits.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/RoadFile.h"
#include "maps/ShiftGrid.h"
#include "maps/UWaypnt.h"
#include "nmea/NmeaRec.h"
#include "track/LayerKinds.h"
#include "track/MapSetLoad.h"

namespace orvane {
namespace {

constexpr int kPoints = 10000000;

// A point a second along a wandering line, as a logger writes it (about 550 MB).
const std::string& BigGpxFile() {
  static const std::string path = [] {
    const std::string p = (orvane_bench::Folder() / "big-track.gpx").string();
    std::ofstream out(p, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"bench\">\n<trk><trkseg>\n";
    char buf[160];
    for (int i = 0; i < kPoints; ++i) {
      const int n = std::snprintf(buf, sizeof buf, "<trkpt lat=\"%.6f\" lon=\"%.6f\"><ele>%d</ele></trkpt>\n",
                                  35.0 + (i % 100000) * 1e-5, 139.0 + i * 1e-7, i % 500);
      out.write(buf, n);
    }
    out << "</trkseg></trk>\n</gpx>\n";
    return p;
  }();
  return path;
}

void LoadInto(benchmark::State& state, const std::string& mapDatum) {
  static const TColor color = clRed;
  const std::string& path = BigGpxFile();
  size_t points = 0;
  for (auto _ : state) {
    TWayPnt layer(mapDatum, color);
    layer.Load(path);
    points = layer.TrackPoints().size();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * points));
  state.counters["points"] = static_cast<double>(points);
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}

void BM_LoadGpx10MToTokyo(benchmark::State& state) {
  static const std::string datum = "Tokyo";
  LoadInto(state, datum);
}
BENCHMARK(BM_LoadGpx10MToTokyo)->Unit(benchmark::kMillisecond)->Iterations(2);

// The map in the file's own datum: read and parsed, nothing carried.
void BM_LoadGpx10MNoConversion(benchmark::State& state) {
  static const std::string datum = "WGS 84";
  LoadInto(state, datum);
}
BENCHMARK(BM_LoadGpx10MNoConversion)->Unit(benchmark::kMillisecond)->Iterations(2);

// The datum conversion alone, over the same ten million positions.
void BM_Carry10MToTokyo(benchmark::State& state) {
  static const std::string from = "WGS 84", to = "Tokyo";
  std::vector<std::pair<double, double>> points(kPoints);
  for (int i = 0; i < kPoints; ++i) points[i] = {139.0 + i * 1e-7, 35.0 + (i % 100000) * 1e-5};
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::pair<double, double>> work = points;
    state.ResumeTiming();
    TShiftGrid grid(from, to);
    for (auto& [lon, lat] : work) grid.Carry(lon, lat);
    benchmark::DoNotOptimize(work.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPoints));
}
BENCHMARK(BM_Carry10MToTokyo)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole layer-set load of the track on a thread, called off after half a second: the time
// from the call to the thread's end.
void BM_CancelGpx10MLoad(benchmark::State& state) {
  TTrackState settings;
  settings.MapDatum = "Tokyo";
  LayerPath(settings, 'W') = BigGpxFile();
  TNmeaRec rec;
  TMapLayers shown(settings);
  for (auto _ : state) {
    TMapSetLoad load(settings, shown, TLayerMakers{settings, rec, {}, nullptr, {}, nullptr}, nullptr);
    std::thread worker([&load] { load.Run(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto from = std::chrono::steady_clock::now();
    load.Cancel();
    worker.join();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count());
  }
}
BENCHMARK(BM_CancelGpx10MLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace orvane
