// SPDX-License-Identifier: GPL-3.0-or-later
// The one writer of map files for the layer tests: national-land line, attribute and point files
// in their byte columns (names in Shift_JIS), and plain text files, in a private folder.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tests/common/TempFiles.h"

namespace orvane::test {

struct TFileLine {
  std::vector<std::pair<int, int>> Points;  // X, Y in tenths of an arc-second
  int Flag = 0;
  int Key = 0;  // written only when Flag is 1
};

struct TFilePoint {
  int X, Y, Code;
  std::string Name;  // Shift_JIS bytes of the 60-byte name field
};

inline std::string Printf(const char* format, auto... args) {
  char buf[256];
  std::snprintf(buf, sizeof buf, format, args...);
  return buf;
}

class MapFiles : public TempDir {
protected:
  // Writes `bytes` as the file `name` (UTF-8) in the test's folder and answers its path.
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir / name).string();
    WriteAll(path, bytes);
    return path;
  }

  // A line file: the header, a node record before each line, and the coordinate lines.
  static std::string LineFile(const std::vector<TFileLine>& lines, const std::string& kind = "NLA") {
    std::string s = "   " + kind + "-N01-01\r\n" + Printf("        %8d%8d\r\n", 1, 2);
    int number = 0;
    for (const TFileLine& l : lines) {
      s += "N     node\r\n";
      const std::string key = l.Flag == 1 ? Printf("%10d", l.Key) : std::string(10, ' ');
      s += "L" + std::string(26, ' ') + Printf("%6d%2d", ++number, l.Flag) + key +
           Printf("%6d\r\n", static_cast<int>(l.Points.size()));
      for (size_t i = 0; i < l.Points.size(); ++i) {
        s += Printf("%8d%8d", l.Points[i].first, l.Points[i].second);
        if (i % 5 == 4 || i + 1 == l.Points.size()) s += "\r\n";
      }
    }
    return s;
  }

  // An attribute file: two header lines, then key (columns 4-13) and class code (17-18).
  static std::string AttributeFile(const std::vector<std::pair<std::string, int>>& records) {
    std::string s = "header 1\r\nheader 2\r\n";
    for (const auto& [key, code] : records)
      s += Printf("   %-10s   %2d%-24s%-22s%-16s\r\n", key.c_str(), code, "a", "b", "c");
    return s;
  }

  static std::string PointFile(const std::vector<TFilePoint>& points) {
    std::string s = "P02 header\r\nheader 2\r\n";
    for (const TFilePoint& p : points) {
      std::string name = p.Name;
      name.resize(60, ' ');
      s += "P" + std::string(8, ' ') + Printf("%8d%8d", p.X, p.Y) + std::string(10, ' ') + Printf("%2d", p.Code) +
           std::string(35, ' ') + name + "\r\n";
    }
    return s;
  }
};

}  // namespace orvane::test
