// SPDX-License-Identifier: GPL-3.0-or-later
// The chart layer on a generated harbour cell of 50 000 edges and 10 000 features: reading the
// converter's text (target under 1 s), and drawing a harbour view on a 1000 x 700 surface
// (target under 16 ms) through a canvas that only counts, so the layer's own share is measured.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>

#include "maps/UEncMap.h"
#include "tests/common/NullCanvas.h"

namespace {

using namespace orvane;

class NoConverter : public TEncConverter {
public:
  void Convert(const std::string&, const std::string&) override {}
};

class CountingCanvas : public TNullCanvas {
public:
  int64_t Calls = 0, Points = 0, Sum = 0;
  void MoveTo(int, int) override { ++Calls; }
  void LineTo(int, int) override { ++Calls; }
  void Polyline(const TPoint* p, int n) override { Take(p, n); }
  void Polygon(const TPoint* p, int n) override { Take(p, n); }
  void Ellipse(int, int, int, int) override { ++Calls; }
  void FillRect(const TRect&) override { ++Calls; }
  void TextOut(int, int, const std::string&) override { ++Calls; }
  TSize TextExtent(const std::string&) override { return {}; }
  void DrawSymbol(int x, int y, int) override {
    ++Calls;
    Sum += x + y;
  }

private:
  void Take(const TPoint* p, int n) {
    ++Calls;
    Points += n;
    if (n > 0) Sum += p[n - 1].x + p[0].y;
  }
};

TEncClassTable Classes() {
  TEncClassTable t{};
  t[42] = {"DEPARE", 1, 0, 0xFAE8CE, 0, 1};
  t[71] = {"LNDARE", 1, 0, 0xA0DAEE, 0, 1};
  t[30] = {"COALNE", 1, 0, 0, 0, 2};
  t[43] = {"DEPCNT", 1, 0, 0xC88C64, 0, 1};
  t[129] = {"SOUNDG", 1, 0, 0, 2, 1};
  t[75] = {"LIGHTS", 1, 0, 0, 4, 1};
  return t;
}

// A harbour cell of 0.2 degrees square off 35 N 139 E, in the converter's text.
class ChartWriter {
public:
  explicit ChartWriter(uint32_t seed) : rng_(seed) {}

  std::string Make() {
    Line("RECN 1");
    Line("0DSPM 1,DSPM,COMF=10000000,SOMF=10");
    Line("****");
    // 1000 depth areas of 10 edges, 3000 land patches of 5, 3000 depth contours and 1000
    // coastlines of 5 and 10 edges: 50 000 edges; with 2000 soundings, 10 000 features.
    for (int i = 0; i < 1000; ++i) Ring(42, Uniform(0.0006, 0.006), 10);
    for (int i = 0; i < 3000; ++i) Ring(71, Uniform(0.00006, 0.0006), 5);
    for (int i = 0; i < 3000; ++i) Walk(43, 5);
    for (int i = 0; i < 1000; ++i) Walk(30, 10);
    for (int i = 0; i < 2000; ++i) Sounding();
    // Vector records before features, as the converter writes them.
    return vectors_ + features_;
  }

private:
  static constexpr int kVertices = 8;  // per edge, between its two nodes
  static constexpr double kSpan = 0.2;

  double Uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng_); }
  void Line(const std::string& s) { (vectors_ += s) += '\n'; }
  static std::string Name(int rcnm, uint32_t id) {
    char b[16];
    std::snprintf(b, sizeof b, "00%02X%02X%02X%02X%02X", rcnm, id & 255, (id >> 8) & 255, (id >> 16) & 255, id >> 24);
    return b;
  }
  static std::string Yx(double lat, double lon) {
    return std::to_string(std::lround(lat * 1e7)) + "," + std::to_string(std::lround(lon * 1e7));
  }
  uint32_t Node(double lat, double lon) {
    const uint32_t id = ++nodes_;
    Line("RECN " + std::to_string(++recn_));
    Line("0VRID 1,VRID,RCNM=120,RCID=" + std::to_string(id) + ",RVER=1,RUIN=1");
    Line("0SG2D 1,SG2D," + Yx(lat, lon));
    Line("****");
    return id;
  }
  uint32_t Edge(uint32_t from, uint32_t to, const std::string& vertices) {
    const uint32_t id = ++edges_;
    Line("RECN " + std::to_string(++recn_));
    Line("0VRID 1,VRID,RCNM=130,RCID=" + std::to_string(id) + ",RVER=1,RUIN=1");
    Line("0VRPT 2,VRPT,NAME=" + Name(120, from) + ",ORNT=255,USAG=255,TOPI=1,MASK=255,NAME=" + Name(120, to) +
         ",ORNT=255,USAG=255,TOPI=2,MASK=255");
    Line("0SG2D " + std::to_string(kVertices) + ",SG2D," + vertices);
    Line("****");
    return id;
  }
  void Feature(int objl, int prim, const std::string& fspt) {
    features_ += "RECN " + std::to_string(++recn_) + "\n0FRID 1,FRID,RCID=" + std::to_string(++frid_) +
                 ",PRIM=" + std::to_string(prim) + ",GRUP=2,OBJL=" + std::to_string(objl) + ",RVER=1,AGEN=1\n" + fspt +
                 "\n****\n";
  }
  static std::string Pointer(uint32_t edge, int ornt) {
    return ",NAME=" + Name(130, edge) + ",ORNT=" + std::to_string(ornt) + ",USAG=1,MASK=255";
  }

  // An area: a circle cut into `n` arcs, every other one pointed to in reverse.
  void Ring(int objl, double r, int n) {
    const double lat = 35 + Uniform(0, kSpan), lon = 139 + Uniform(0, kSpan);
    auto at = [&](double a) { return std::pair{lat + r * std::sin(a), lon + r * std::cos(a)}; };
    std::vector<uint32_t> nodes;
    for (int k = 0; k < n; ++k) {
      const auto [y, x] = at(2 * std::numbers::pi * k / n);
      nodes.push_back(Node(y, x));
    }
    std::string fspt = "0FSPT " + std::to_string(n) + ",FSPT";
    for (int k = 0; k < n; ++k) {
      std::string v;
      for (int j = 1; j <= kVertices; ++j) {
        const auto [y, x] = at(2 * std::numbers::pi * (k + j / (kVertices + 1.0)) / n);
        v += (j > 1 ? "," : "") + Yx(y, x);
      }
      const uint32_t e = Edge(nodes[static_cast<size_t>(k)], nodes[static_cast<size_t>((k + 1) % n)], v);
      fspt += Pointer(e, 1);
    }
    Feature(objl, 3, fspt);
  }

  // A line: a random walk of `n` edges.
  void Walk(int objl, int n) {
    double lat = 35 + Uniform(0, kSpan), lon = 139 + Uniform(0, kSpan);
    uint32_t from = Node(lat, lon);
    std::string fspt = "0FSPT " + std::to_string(n) + ",FSPT";
    for (int k = 0; k < n; ++k) {
      std::string v;
      for (int j = 0; j < kVertices; ++j) {
        lat += Uniform(-0.00004, 0.00004);
        lon += Uniform(-0.00004, 0.00006);
        v += (j ? "," : "") + Yx(lat, lon);
      }
      lat += 0.00002;
      const uint32_t to = Node(lat, lon);
      fspt += Pointer(Edge(from, to, v), 1);
      from = to;
    }
    Feature(objl, 2, fspt);
  }

  // A cluster of twenty soundings, and every tenth a light as well.
  void Sounding() {
    const double lat = 35 + Uniform(0, kSpan), lon = 139 + Uniform(0, kSpan);
    const uint32_t id = ++isolated_;
    Line("RECN " + std::to_string(++recn_));
    Line("0VRID 1,VRID,RCNM=110,RCID=" + std::to_string(id) + ",RVER=1,RUIN=1");
    std::string sg = "0SG3D 20,SG3D";
    for (int j = 0; j < 20; ++j) sg += "," + Yx(lat + j * 2e-5, lon) + "," + std::to_string(10 * j + 35);
    Line(sg);
    Line("****");
    Feature(id % 10 ? 129 : 75, 1, "0FSPT 1,FSPT,NAME=" + Name(110, id) + ",ORNT=255,USAG=255,MASK=255");
  }

  std::mt19937 rng_;
  std::string vectors_, features_;
  uint32_t nodes_ = 0, edges_ = 0, isolated_ = 0;
  int recn_ = 0, frid_ = 0;
};

const std::string& ChartText() {
  static const std::string text = ChartWriter(20261208).Make();
  return text;
}

void BM_EncRead(benchmark::State& state) {
  NoConverter converter;
  const TEncClassTable classes = Classes();
  const std::string& text = ChartText();
  TEncMap map(converter, classes);
  for (auto _ : state) {
    map.Clear();
    map.ReadConverted(text, "bench.txt");
    benchmark::DoNotOptimize(map.Areas().data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  state.counters["edges"] = static_cast<double>(map.Edges().size());
  state.counters["features"] = static_cast<double>(map.Areas().size() + map.LineShapes().size() + map.Spots().size());
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_EncRead)->Unit(benchmark::kMillisecond);

// Harbour view: 3 by 2.1 minutes of arc at the cell's centre; and the whole cell.
void BM_EncDraw(benchmark::State& state) {
  NoConverter converter;
  TEncMap map(converter, Classes());
  map.ReadConverted(ChartText(), "bench.txt");
  const bool harbour = state.range(0) == 0;
  const double w = harbour ? 0.05 : 0.3, h = w * 0.7;
  CountingCanvas canvas;
  for (auto _ : state) map.Draw(canvas, {139.1 - w / 2, 35.1 - h / 2, 139.1 + w / 2, 35.1 + h / 2});
  state.counters["calls/draw"] = static_cast<double>(canvas.Calls) / static_cast<double>(state.iterations());
  state.counters["points/draw"] = static_cast<double>(canvas.Points) / static_cast<double>(state.iterations());
  benchmark::DoNotOptimize(canvas.Sum);
}
BENCHMARK(BM_EncDraw)->Arg(0)->Arg(1)->ArgName("whole_cell")->Unit(benchmark::kMillisecond);

}  // namespace
