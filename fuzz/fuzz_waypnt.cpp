// SPDX-License-Identifier: GPL-3.0-or-later
// The waypoint layer on any file, tagged format when the first byte is odd and word format
// otherwise, carried to the Tokyo datum: only the layer's own errors may escape, and whatever
// loaded draws.
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "fuzz/MapFuzz.h"
#include "maps/UWaypnt.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orvane::fuzz::TInputFolder folder;
  const bool tagged = size > 0 && (data[0] & 1);
  const std::string path = folder.Write(tagged ? "route.WPT" : "route.txt", data, size);
  static const std::string mapDatum = "Tokyo";
  static const orvane::TColor color = orvane::clRed;
  orvane::TWayPnt layer(mapDatum, color);
  try {
    if (!layer.Load(path)) std::abort();
  } catch (const std::runtime_error&) {
  }
  if (layer.WayPoints().size() + layer.TrackPoints().size() > size) std::abort();
  orvane::fuzz::DrawViews(layer);
  return 0;
}
