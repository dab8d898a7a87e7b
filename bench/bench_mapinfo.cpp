// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-map info of a national-land road file of 1,000,000 vertices in 200,000 lines, process
// start included, against the plain Python reader of the same columns (bench/read_roads.py).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/RoadFile.h"

extern char** environ;

namespace {

using namespace orvane_bench;

// Runs the program to its end, its output to /dev/null; false when it did not exit with 0.
bool RunQuiet(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_OrvaneMapInfo(benchmark::State& state) {
  const std::string& path = RoadFile();
  for (auto _ : state)
    if (!RunQuiet({ORVANE_MAP_PATH, "info", path})) state.SkipWithError("orvane-map info failed");
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}
BENCHMARK(BM_OrvaneMapInfo)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PythonReader(benchmark::State& state) {
  const std::string& path = RoadFile();
  for (auto _ : state)
    if (!RunQuiet({"python3", READ_ROADS_PY, path})) state.SkipWithError("python3 read_roads.py failed");
}
BENCHMARK(BM_PythonReader)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
