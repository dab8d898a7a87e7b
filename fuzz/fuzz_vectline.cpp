// SPDX-License-Identifier: GPL-3.0-or-later
// The national-land line layer on any data file (and, after a "\n====\n", any attribute file):
// only the layer's own errors may escape, and whatever loaded draws.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "fuzz/MapFuzz.h"
#include "maps/UVectLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orvane::fuzz::TInputFolder folder;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find("\n====\n");
  const size_t dataSize = split == std::string_view::npos ? size : split + 1;
  const std::string path = folder.Write("N0113線.TXT", data, dataSize);
  if (split != std::string_view::npos) folder.Write("N0113台.TXT", data + split + 6, size - split - 6);
  static const std::vector<std::string> metaDef{"N01-0=road,0,1,$0000FF,0,0,0", "N01-1=main,0.001,2,255,0,0,0",
                                                "N01-3=far,0,3,0,0,0,0"};
  orvane::TVectLine layer(metaDef, [](const std::string& message) {
    if (message.rfind("File format illegal:", 0) != 0) std::abort();
  });
  try {
    layer.Load(path);
  } catch (const std::runtime_error&) {
  }
  for (const orvane::TLineRec& l : layer.Lines())
    if (layer.Points(l).size() != static_cast<size_t>(l.Count)) std::abort();
  orvane::fuzz::DrawViews(layer);
  return 0;
}
