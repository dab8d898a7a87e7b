// orvane-sample-chart DIR [EDGES FEATURES]: writes the test writer's sample chart, DIR/ORVSMPL1.000
// with its update ORVSMPL1.001, for trying the chart layer and the converter by hand.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/tools/S57Writer.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::fprintf(stderr, "Usage: orvane-sample-chart DIR [EDGES FEATURES]\n");
    return 2;
  }
  int edges = 400, features = 200;
  try {
    if (argc == 4) {
      edges = std::stoi(argv[2]);
      features = std::stoi(argv[3]);
    }
  } catch (const std::exception&) {
    std::fprintf(stderr, "orvane-sample-chart: EDGES and FEATURES are numbers\n");
    return 2;
  }
  if (edges < 4 || features < 5 || edges > 2000000 || features > 1000000) {
    std::fprintf(stderr, "orvane-sample-chart: EDGES from 4 to 2000000, FEATURES from 5 to 1000000\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  for (const auto& [name, bytes] : {std::pair{"ORVSMPL1.000", orvane::s57w::SampleCell(edges, features)},
                                    std::pair{"ORVSMPL1.001", orvane::s57w::SampleUpdate()}}) {
    std::ofstream out(dir / name, std::ios::binary);
    out << bytes;
    out.close();
    if (!out) {
      std::fprintf(stderr, "orvane-sample-chart: cannot write %s\n", (dir / name).c_str());
      return 1;
    }
    std::printf("%s\n", (dir / name).c_str());
  }
  return 0;
}
