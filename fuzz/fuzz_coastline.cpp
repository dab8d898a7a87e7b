// SPDX-License-Identifier: GPL-3.0-or-later
// The coastline layer on any file: only the layer's own errors may escape, and whatever loaded
// draws.
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "fuzz/MapFuzz.h"
#include "maps/UCoastLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orvane::fuzz::TInputFolder folder;
  const std::string path = folder.Write("coast.txt", data, size);
  static const orvane::TColor color = orvane::clBlue;
  orvane::TCoastLine layer(color);
  try {
    if (!layer.Load(path)) std::abort();
  } catch (const std::runtime_error&) {
  }
  // One segment per separator line, and one opened by the first line.
  if (layer.Segments().size() > size + 1) std::abort();
  orvane::fuzz::DrawViews(layer);
  return 0;
}
