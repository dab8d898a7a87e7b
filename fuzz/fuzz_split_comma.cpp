// SPDX-License-Identifier: GPL-3.0-or-later
// SplitCommaText on any line: no crash, and no field longer than the line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/SplitCommaText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const auto& field : orvane::SplitCommaText(text))
    if (field.size() > size) std::abort();
  return 0;
}
