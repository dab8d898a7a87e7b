// SPDX-License-Identifier: GPL-3.0-or-later
// The four type tables from any section lines, then the standard area loaded and drawn with
// them. Each input line goes to the section its first byte picks.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fuzz/KddFuzzArea.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kddfuzz::TSections s;
  s.Arc.clear();
  s.Atr.clear();
  s.Pgn.clear();
  s.Pnt.clear();
  std::string_view text(reinterpret_cast<const char*>(data), size);
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty()) continue;
    const unsigned pick = static_cast<unsigned char>(line.front()) % 4;
    line.remove_prefix(1);
    (pick == 0 ? s.Arc : pick == 1 ? s.Atr : pick == 2 ? s.Pgn : s.Pnt).emplace_back(line);
  }
  try {
    orvane::ReadKddTypeTables(s.Arc, s.Atr, s.Pgn, s.Pnt);
  } catch (const std::runtime_error&) {
    return 0;
  }
  // Names are joined to the folder as they stand; keep the fuzzer inside it.
  for (const auto* list : {&s.Arc, &s.Atr, &s.Pgn, &s.Pnt})
    for (const std::string& line : *list)
      if (line.find("..") != std::string::npos) return 0;
  kddfuzz::LoadAndDraw({}, s);
  return 0;
}
