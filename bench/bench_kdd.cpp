// SPDX-License-Identifier: GPL-3.0-or-later
// The Digital Map 2500 layer: plane rectangular conversions per second, loading a large area
// (100 000 arcs of 20 vertices, 20 000 polygons, 10 000 points) and drawing it whole and a tenth
// of it on a 1000 x 700 surface. Drawing goes to a canvas that only counts, so the figures are
// the layer's own.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "maps/PlaneRect.h"
#include "maps/TCanvas.h"
#include "maps/UKddMap.h"
#include "tests/common/NullCanvas.h"

namespace {

using namespace orvane;

void BM_PlaneToGeodetic(benchmark::State& state) {
  double X = -60000, Y = -40000;
  for (auto _ : state) {
    double lat = 0, lon = 0;
    PlaneToGeodetic(9, lat, lon, X, Y);
    benchmark::DoNotOptimize(lat);
    benchmark::DoNotOptimize(lon);
    X += 0.7;
    Y += 0.3;
    if (X > 60000) X = -60000, Y = -40000;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlaneToGeodetic);

class TCountingCanvas : public TNullCanvas {
public:
  void Polyline(const TPoint* p, int n) override {
    ++Lines;
    Vertices += n;
    benchmark::DoNotOptimize(p);
  }
  void Polygon(const TPoint* p, int n) override {
    ++Fills;
    Vertices += n;
    benchmark::DoNotOptimize(p);
  }
  void Ellipse(int, int, int, int) override { ++Marks; }
  void TextOut(int, int, const std::string&) override { ++Texts; }
  TSize TextExtent(const std::string&) override { return {}; }
  TSize SymbolSize() const override { return {}; }

  long long Fills = 0, Lines = 0, Vertices = 0, Marks = 0, Texts = 0;
};

// 200 x 100 square cells of 500 m in zone 9; each cell's border is five arcs of 20 vertices.
constexpr int kCols = 200, kRows = 100, kArcsPerCell = 5, kVertices = 20, kPoints = 10000;
constexpr double kCell = 500;

class TBigArea {
public:
  TBigArea() {
    char tmpl[] = "/tmp/orvane-bench-kdd-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("no temporary folder");
    root_ = tmpl;
    Folder = root_ + "/53394";
    std::filesystem::create_directories(Folder);
    Write("53394.txt", "1\n2\n3\n4\n5\n6\n9,-,-,-,-,-,-,-,-,0\n8\n9\n");

    std::string arcs = "H,-,-,-,0,-,-,-,-25000,-50000\n", arcAtr = "header\n";
    std::string pgns = "H,-,-,-," + std::to_string(kCols * kRows) + ",-,-,-,-25000,-50000\n";
    std::string pgnAtr = "header\n";
    char buf[128];
    int id = 0;
    for (int r = 0; r < kRows; ++r) {
      for (int c = 0; c < kCols; ++c) {
        const double x0 = r * kCell, y0 = c * kCell;
        const int cell = r * kCols + c;
        std::snprintf(buf, sizeof buf, "A1101,%d,%d,%.2f,%.2f\n", cell, kArcsPerCell, x0 + kCell / 2, y0 + kCell / 2);
        pgns += buf;
        for (int k = 0; k < kArcsPerCell; ++k) {
          ++id;
          std::snprintf(buf, sizeof buf, "L1101,1,%d,%d\n", id, kVertices);
          arcs += buf;
          for (int v = 0; v < kVertices; ++v) {
            // Along the square's border, a fifth of it per arc.
            const double t = (k * kVertices + v) / double(kArcsPerCell * kVertices) * 4;
            const int side = static_cast<int>(t);
            const double f = t - side;
            const double dx = side == 0 ? 0 : side == 1 ? f : side == 2 ? 1 : 1 - f;
            const double dy = side == 0 ? f : side == 1 ? 1 : side == 2 ? 1 - f : 0;
            std::snprintf(buf, sizeof buf, "%.3f,%.3f\n", x0 + dx * kCell, y0 + dy * kCell);
            arcs += buf;
          }
          std::snprintf(buf, sizeof buf, "E1101,%d,edge\n", id);
          arcAtr += buf;
          std::snprintf(buf, sizeof buf, "%d\n", k % 2 ? id : -id);
          pgns += buf;
        }
        std::snprintf(buf, sizeof buf, "A1101,%d,\x93\x8c\x8b\x9e%d,x\n", cell, cell);
        pgnAtr += buf;
      }
    }
    Write("arc.txt", arcs);
    Write("arcatr.txt", arcAtr);
    Write("pgn.txt", pgns);
    Write("pgnatr.txt", pgnAtr);

    std::string pnts = "H,-,-,-," + std::to_string(kPoints) + ",-,-,-,-25000,-50000\n", pntAtr = "header\n";
    for (int p = 0; p < kPoints; ++p) {
      std::snprintf(buf, sizeof buf, "P1101,%d,%.2f,%.2f\n", p, (p % kRows + 0.5) * kCell,
                    (p / kRows * 2 + 0.5) * kCell);
      pnts += buf;
      std::snprintf(buf, sizeof buf, "P1101,%d,place%d\n", p, p);
      pntAtr += buf;
    }
    Write("pnt.txt", pnts);
    Write("pntatr.txt", pntAtr);
  }
  ~TBigArea() { std::filesystem::remove_all(root_); }

  std::string Folder;
  std::vector<std::string> Arc{"ARC00=Edge,\\arc.txt,0,1,$FF00"};
  std::vector<std::string> Atr{"ATR00=EdgeAttr,\\arcatr.txt,0,-,9,-,-,0,1"};
  std::vector<std::string> Pgn{"PGN00=Town,\\pgn.txt,0,1,$C0C0C0,0,-,-,-,-,-,2,0,\\pgnatr.txt"};
  std::vector<std::string> Pnt{"PNT00=Place,\\pnt.txt,0,-,9,-,-,0,2,\\pntatr.txt"};
  std::string MapDatum = "Tokyo";
  TColor BG = 0;

private:
  void Write(const std::string& name, const std::string& text) {
    std::FILE* f = std::fopen((Folder + "/" + name).c_str(), "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size()) throw std::runtime_error("cannot write");
    std::fclose(f);
  }
  std::string root_;
};

TBigArea& Area() {
  static TBigArea area;
  return area;
}

std::unique_ptr<TKddMap> LoadedArea() {
  TBigArea& a = Area();
  auto map = std::make_unique<TKddMap>(TKddSettings{a.Arc, a.Atr, a.Pgn, a.Pnt, a.MapDatum, a.BG});
  if (!map->Load(a.Folder)) throw std::runtime_error("area not found");
  return map;
}

void BM_LoadArea(benchmark::State& state) {
  Area();
  size_t arcs = 0;
  for (auto _ : state) arcs = LoadedArea()->Arcs().size();
  state.counters["arcs"] = static_cast<double>(arcs);
}
BENCHMARK(BM_LoadArea)->Unit(benchmark::kMillisecond)->Iterations(3);

// Whole: every polygon filled and outlined; a tenth: the view a tenth as wide.
void BM_DrawArea(benchmark::State& state) {
  static const std::unique_ptr<TKddMap> map = LoadedArea();
  const TViewBox e = *map->Extent();
  const double west = e.West, east = e.West + (e.East - e.West) / static_cast<double>(state.range(0));
  TCountingCanvas canvas;
  for (auto _ : state) map->Draw(canvas, {west, e.South, east, e.North});
  const double n = static_cast<double>(state.iterations());
  state.counters["fills"] = static_cast<double>(canvas.Fills) / n;
  state.counters["outlines"] = static_cast<double>(canvas.Lines) / n;
  state.counters["texts"] = static_cast<double>(canvas.Texts) / n;
}
BENCHMARK(BM_DrawArea)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
