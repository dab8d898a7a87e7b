// SPDX-License-Identifier: GPL-3.0-or-later
// The deviation window's redraw with the real drawing code on an offscreen 700 x 500 image: a day
// of fixes at 1 Hz (86,400) in five qualities, and the figures of the panel for them. Needs a
// display platform; offscreen is chosen unless one is set.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <random>
#include <vector>

#include "bench/QtBenchMain.h"
#include "gui/QtCanvas.h"
#include "nmea/FixStats.h"
#include "track/DeviationPlot.h"

namespace {

using namespace orvane;

constexpr int kW = 700, kH = 500;
constexpr int kDay = 86400;

// A receiver passing from autonomous through DGPS and RTK float to RTK fixed, with a spell of
// dead reckoning: each quality's spread about the same point.
const TFixSet& Day() {
  static const TFixSet set = [] {
    std::mt19937 gen(86400);
    struct {
      char Quality;
      int Share;     // per cent of the day
      double Sigma;  // metres
    } const plan[] = {{'1', 20, 2.5}, {'2', 20, 0.8}, {'5', 15, 0.15}, {'4', 40, 0.012}, {'6', 5, 5.0}};
    TFixSet s;
    double t = 0;
    for (const auto& p : plan) {
      std::normal_distribution<double> d(0, p.Sigma);
      for (int i = 0; i < kDay * p.Share / 100; ++i)
        s.Add({35.658581 + d(gen) / 110996.0, 139.745433 + d(gen) / 90300.0, 40 + d(gen), p.Quality, t++});
    }
    return s;
  }();
  return set;
}

void BM_DeviationRedraw(benchmark::State& state) {
  const TFixSet& set = Day();
  const std::vector<TEnu> offsets = set.Offsets(set.ReferencePoint({}));
  QImage image(kW, kH, QImage::Format_RGB32);
  for (auto _ : state) {
    TQtCanvas canvas(image);
    DrawDeviation(canvas, set.Fixes(), offsets, clWhite);
    benchmark::ClobberMemory();
  }
  state.counters["points"] = static_cast<double>(set.Fixes().size());
}
BENCHMARK(BM_DeviationRedraw)->Unit(benchmark::kMillisecond);

// What a refresh adds to the redraw: the offsets from the reference and the panel's figures.
void BM_DeviationFigures(benchmark::State& state) {
  const TFixSet& set = Day();
  for (auto _ : state) {
    const TFix origin = set.ReferencePoint({});
    benchmark::DoNotOptimize(set.Offsets(origin));
    benchmark::DoNotOptimize(set.Stats(origin));
    benchmark::DoNotOptimize(set.Stats(set.ReferencePoint({}, '4'), '4'));
  }
}
BENCHMARK(BM_DeviationFigures)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return orvane::RunQtBenchmarks<QGuiApplication>(argc, argv); }
