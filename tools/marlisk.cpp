// SPDX-License-Identifier: GPL-3.0-or-later
// marlisk: turns an S-57 chart cell, with the update files beside it, into the record text that
// the chart layer reads.
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "s57/S57Cell.h"
#include "tools/ToolArgs.h"

namespace {

constexpr const char* kUsage =
    "Usage: marlisk CHART OUTPUT\n"
    "Reads the S-57 cell CHART (an ISO/IEC 8211 base cell, normally NAME.000), applies the update\n"
    "files NAME.001, NAME.002, ... beside it in order, and writes its data set parameters, nodes,\n"
    "edges and features as record text to OUTPUT. OUTPUT appears only when it is complete.\n"
    "Record counts that disagree with the data set structure are reported as a warning; the cell\n"
    "is read as it is. After \"--\" every argument is a file, even one that begins with \"-\".\n"
    "\n"
    "  --help, --version\n";

int Run(int argc, char** argv) {
  std::string paths[2];
  int n = 0;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (options && a == "--") {
      options = false;
      continue;
    }
    if (!options) {
      if (n == 2) return orvane::UsageError("marlisk", "too many arguments");
      paths[n++] = a;
      continue;
    }
    if (const std::optional<int> done = orvane::HelpOrVersion(a, "marlisk", kUsage)) return *done;
    if (a.size() > 1 && a.front() == '-')
      return orvane::UsageError("marlisk", "unknown option '" + std::string(a) + "'");
    if (n == 2) return orvane::UsageError("marlisk", "too many arguments");
    paths[n++] = a;
  }
  if (n < 2) return orvane::UsageError("marlisk", "needs a chart cell and an output file");
  try {
    const orvane::TS57Cell cell = orvane::TS57Cell::Read(paths[0]);
    for (const std::string& w : cell.Warnings()) std::fprintf(stderr, "marlisk: warning: %s\n", w.c_str());
    cell.Save(paths[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "marlisk: %s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return Run(argc, argv); }
