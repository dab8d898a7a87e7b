// SPDX-License-Identifier: GPL-3.0-or-later
// main() of the benchmark programs that draw or run windows: a Qt application of kind TApp on a
// display platform (offscreen unless one is set) around Google Benchmark's own run.
#pragma once

#include <benchmark/benchmark.h>

#include <QtGlobal>

namespace orvane {

template <class TApp>
int RunQtBenchmarks(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TApp app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace orvane
