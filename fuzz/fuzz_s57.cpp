// SPDX-License-Identifier: GPL-3.0-or-later
// The S-57 reader on any bytes, once as a base cell and once as an update to a small valid cell:
// it reads them or refuses them with its own error, and never reads outside what it was given.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "s57/S57Cell.h"
#include "tests/tools/S57Writer.h"

namespace {

const std::vector<uint8_t>& Base() {
  static const std::vector<uint8_t> base = [] {
    const std::string s = orvane::s57w::SampleCell(8, 10);
    return std::vector<uint8_t>(s.begin(), s.end());
  }();
  return base;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The bytes are copied so that the sanitizer sees any read past their end.
  const std::vector<uint8_t> bytes(data, data + size);
  std::string text;
  try {
    orvane::TS57Cell::FromBytes("fuzz.000", bytes).WriteText(text);
  } catch (const orvane::EIso8211Error&) {
  }
  try {
    orvane::TS57Cell cell = orvane::TS57Cell::FromBytes("base.000", Base());
    cell.ApplyUpdate("fuzz.001", bytes);
    text.clear();
    cell.WriteText(text);
  } catch (const orvane::EIso8211Error&) {
  }
  return 0;
}
