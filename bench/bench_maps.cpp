// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and drawing the national-land road layer and loading a waypoint track, with the real
// layer code. The road file is what a prefecture's roads come to: 1,000,000 vertices in 200,000
// lines, about 27 MB. Loading it should stay under 0.15 s, drawing all of it in a 1000 x 700 view
// under 100 ms and a hundredth of it under 16 ms; a track of 100,000 points carried from WGS 84
// to Tokyo should load in under 0.5 s. Drawing goes to a canvas that only counts, so the figures
// are the layer's own; what the painter adds is measured with the track window.
#include <benchmark/benchmark.h>

#include "bench/RoadFile.h"

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "maps/UVectLine.h"
#ifdef ORVANE_BENCH_QT
#include "gui/QtCanvas.h"
#endif
#include "maps/UWaypnt.h"
#include "tests/common/NullCanvas.h"

namespace {

using namespace orvane;

class CountingCanvas : public TNullCanvas {
public:
  int64_t Vertices = 0;
  int64_t Lines = 0;
  void Polyline(const TPoint* points, int count) override {
    ++Lines;
    Vertices += count;
    benchmark::DoNotOptimize(points[count - 1]);
  }
};

using namespace orvane_bench;

const std::string& TrackFile() {
  static const std::string path = [] {
    const std::string p = (Folder() / "track.txt").string();
    std::ofstream out(p, std::ios::binary);
    out << "DATUM,WGS84\n";
    char buf[128];
    for (int i = 0; i < 100000; ++i) {
      std::snprintf(buf, sizeof buf, "TP,\"2026/12/08 03:%02d:%02d\",%.6f,%.6f,%d\n", i / 60 % 60, i % 60,
                    35.0 + i * 1e-5, 139.0 + i * 1.3e-5, i % 500);
      out << buf;
    }
    return p;
  }();
  return path;
}

const std::vector<std::string> kMetaDef{"N01-0=road,0,1,$0000FF,0,0,0"};

void BM_LoadRoads(benchmark::State& state) {
  TVectLine layer(kMetaDef, nullptr);
  const std::string& path = RoadFile();
  for (auto _ : state) layer.Load(path);
  int64_t vertices = 0;
  for (const TLineRec& l : layer.Lines()) vertices += l.Count;
  state.counters["vertices"] = static_cast<double>(vertices);
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}
BENCHMARK(BM_LoadRoads)->Unit(benchmark::kMillisecond);

// All of the area in view, or a hundredth of it (a tenth of each side, at its middle).
void BM_DrawRoads(benchmark::State& state) {
  static TVectLine layer(kMetaDef, nullptr);
  if (layer.Lines().empty()) layer.Load(RoadFile());
  const double side = state.range(0) == 1 ? kSize : kSize / 10;
  const double west = kWest + (kSize - side) / 2, south = kSouth + (kSize - side) / 2;
  CountingCanvas canvas;
  for (auto _ : state) layer.Draw(canvas, {west - 0.01, south - 0.01, west + side + 0.01, south + side + 0.01});
  state.counters["lines"] = static_cast<double>(canvas.Lines) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DrawRoads)->Arg(1)->Arg(100)->ArgName("share_1_in")->Unit(benchmark::kMillisecond);

#ifdef ORVANE_BENCH_QT
// The same through the program's own canvas, onto a 1000 x 700 image.
void BM_DrawRoadsQt(benchmark::State& state) {
  static TVectLine layer(kMetaDef, nullptr);
  if (layer.Lines().empty()) layer.Load(RoadFile());
  const double side = state.range(0) == 1 ? kSize : kSize / 10;
  const double west = kWest + (kSize - side) / 2, south = kSouth + (kSize - side) / 2;
  QImage surface(1000, 700, QImage::Format_RGB32);
  TQtCanvas canvas(surface);
  for (auto _ : state) layer.Draw(canvas, {west - 0.01, south - 0.01, west + side + 0.01, south + side + 0.01});
}
BENCHMARK(BM_DrawRoadsQt)->Arg(1)->Arg(100)->ArgName("share_1_in")->Unit(benchmark::kMillisecond);
#endif

void BM_LoadTrackToTokyo(benchmark::State& state) {
  static const std::string mapDatum = "Tokyo";
  static const TColor color = clRed;
  TWayPnt layer(mapDatum, color);
  const std::string& path = TrackFile();
  for (auto _ : state) layer.Load(path);
  state.counters["points"] = static_cast<double>(layer.TrackPoints().size());
}
BENCHMARK(BM_LoadTrackToTokyo)->Unit(benchmark::kMillisecond);

// A GPX track of a million points, as a logger writes it, carried from WGS 84 to Tokyo: expat
// reading it in pieces and the datum grid, in points per second.
const std::string& GpxTrackFile() {
  static const std::string path = [] {
    const std::string p = (Folder() / "track.gpx").string();
    std::ofstream out(p, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"bench\">\n<trk><trkseg>\n";
    char buf[160];
    for (int i = 0; i < 1000000; ++i) {
      std::snprintf(buf, sizeof buf, "<trkpt lat=\"%.6f\" lon=\"%.6f\"><ele>%d</ele></trkpt>\n",
                    35.0 + (i % 100000) * 1e-5, 139.0 + i * 1e-7, i % 500);
      out << buf;
    }
    out << "</trkseg></trk>\n</gpx>\n";
    return p;
  }();
  return path;
}

void BM_LoadGpxTrackToTokyo(benchmark::State& state) {
  static const std::string mapDatum = "Tokyo";
  static const TColor color = clRed;
  TWayPnt layer(mapDatum, color);
  const std::string& path = GpxTrackFile();
  for (auto _ : state) layer.Load(path);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * layer.TrackPoints().size()));
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}
BENCHMARK(BM_LoadGpxTrackToTokyo)->Unit(benchmark::kMillisecond);

}  // namespace
