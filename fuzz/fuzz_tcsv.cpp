// SPDX-License-Identifier: GPL-3.0-or-later
// The tokenizer on any line, with the program's settings and with quotes off and stripping on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "nmea/Csv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (int mode = 0; mode < 2; ++mode) {
    orvane::tcsv csv;
    csv.stringflg = mode == 0;
    csv.sepaflg = mode == 1;
    csv.text = text;
    csv.split();
    // Without stripping, the fields and their separators give back the text.
    if (!csv.sepaflg && !text.empty()) {
      size_t length = csv.items.size() - 1;
      for (const std::string& f : csv.items) length += f.size();
      if (length != text.size()) std::abort();
    }
  }
  return 0;
}
