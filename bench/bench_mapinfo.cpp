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

extern char** environ;

namespace {

constexpr double kWest = 130, kSouth = 30, kSize = 10;
constexpr int kLines = 200000, kVerticesPerLine = 5;

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orvane-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::abort();
    return std::filesystem::path(tmpl);
  }();
  static const bool removed = std::atexit([] { std::filesystem::remove_all(Folder()); }) == 0;
  (void)removed;
  return folder;
}

// The same file as the layer benchmark's: short lines scattered by a fixed sequence.
const std::string& RoadFile() {
  static const std::string path = [] {
    const std::string p = (Folder() / "N0113-bench.txt").string();
    std::ofstream out(p, std::ios::binary);
    out << "   NLA-N01-01\r\n"
        << "               1       2\r\n";
    uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    const int span = static_cast<int>(kSize * 36000);
    char buf[128];
    for (int i = 0; i < kLines; ++i) {
      std::snprintf(buf, sizeof buf, "L%26s%6d%2d%10s%6d\r\n", "", i % 1000000, 0, "", kVerticesPerLine);
      out << buf;
      int x = static_cast<int>(kWest * 36000) + static_cast<int>(next() % static_cast<uint32_t>(span));
      int y = static_cast<int>(kSouth * 36000) + static_cast<int>(next() % static_cast<uint32_t>(span));
      for (int j = 0; j < kVerticesPerLine; ++j) {
        std::snprintf(buf, sizeof buf, "%8d%8d", x, y);
        out << buf;
        x += static_cast<int>(next() % 200) - 100;
        y += static_cast<int>(next() % 200) - 100;
      }
      out << "\r\n";
    }
    return p;
  }();
  return path;
}

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
