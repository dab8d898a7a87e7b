// SPDX-License-Identifier: GPL-3.0-or-later
// The chart layer's reader on any converted text, then drawing what it kept: only the reader's
// own errors (conversion, format) may escape, and nothing drawn may come from outside the lists.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "maps/UEncMap.h"
#include "tests/track/RecordingCanvas.h"

namespace {

class NoConverter : public orvane::TEncConverter {
public:
  void Convert(const std::string&, const std::string&) override {}
};

// Every class shown, with every symbol and a line width, so that every branch reads.
orvane::TEncClassTable AllShown() {
  orvane::TEncClassTable t{};
  for (int i = 1; i <= orvane::kEncClassCount; ++i)
    t[static_cast<size_t>(i)] = {"C" + std::to_string(i), i % 7 != 0, 0, i * 4099, i % 6, i % 3};
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const orvane::TEncClassTable classes = AllShown();
  static NoConverter converter;
  const std::string text(reinterpret_cast<const char*>(data), size);
  // Odd sizes draw as a mariner's chart (depth bands, sounding figures), even ones by class.
  std::vector<orvane::TEncDepthBand> bands;
  if (size % 2) bands = {{-1000, 1}, {0, 2}, {2, 3}, {30, 4}};
  orvane::TEncMap map(converter, classes, bands);
  try {
    map.ReadConverted(text, "fuzz.txt");
  } catch (const std::runtime_error&) {
    // A bad field ends the read; what came before it is drawn below.
  }
  for (const auto& a : map.Areas())
    if (a.Shape.Points.empty() || a.Shape.ObjClass < 1 || a.Shape.ObjClass > orvane::kEncClassCount) std::abort();
  orvane::test::RecordingCanvas canvas(1000, 700);
  map.Draw(canvas, {-180, -90, 180, 90});
  if (!map.Spots().empty()) {
    const auto& s = map.Spots().front();
    map.Draw(canvas, {s.Lon - 0.01, s.Lat - 0.01, s.Lon + 0.01, s.Lat + 0.01});
  }
  map.Draw(canvas, {0, 0, 1e-300, 1e-300});
  if (canvas.Of(orvane::test::TCanvasOp::Polygon).size() > 3 * map.Areas().size()) std::abort();
  return 0;
}
