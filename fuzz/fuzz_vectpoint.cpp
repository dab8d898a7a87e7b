// SPDX-License-Identifier: GPL-3.0-or-later
// The national-land point layer on any file: only the layer's own errors may escape, every name
// is cut and decoded, and whatever loaded draws.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "fuzz/MapFuzz.h"
#include "maps/UVectPoint.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orvane::fuzz::TInputFolder folder;
  const std::string path = folder.Write("P02-27.txt", data, size);
  static const std::vector<std::string> metaDef{"P02-0=city,0,1,0,0,0,0", "P02-1=village,0.05,1,0,0,0,0"};
  orvane::TVectPoint layer(metaDef);
  try {
    layer.Load(path);
  } catch (const std::runtime_error&) {
  }
  if (layer.Points().size() > size) std::abort();
  orvane::fuzz::DrawViews(layer);
  return 0;
}
