// SPDX-License-Identifier: GPL-3.0-or-later
// The object class table reader on any text: only its own errors may escape, and a line may
// set no entry outside the table.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>

#include "maps/UEncMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  orvane::TEncClassTable table{};
  try {
    orvane::ReadEncClassTable(in, "fuzz.ini", table);
  } catch (const std::runtime_error&) {
  }
  return 0;
}
