// SPDX-License-Identifier: GPL-3.0-or-later
// The generated national-land road file that the layer and map tool benchmarks read: short lines
// scattered over a 10-degree square by a fixed sequence, in a temporary folder removed at exit.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace orvane_bench {

// The area the generated data covers: 10 degrees square from 130 E, 30 N.
inline constexpr double kWest = 130, kSouth = 30, kSize = 10;
inline constexpr int kLines = 200000, kVerticesPerLine = 5;

inline const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orvane-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::abort();
    return std::filesystem::path(tmpl);
  }();
  // Registered once the folder exists, so it runs before the folder's name is destroyed.
  static const bool removed = std::atexit([] { std::filesystem::remove_all(Folder()); }) == 0;
  (void)removed;
  return folder;
}

// Short lines scattered over the area by a fixed sequence, each a few hundred metres long.
inline const std::string& RoadFile() {
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

}  // namespace orvane_bench
