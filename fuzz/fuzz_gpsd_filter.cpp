// SPDX-License-Identifier: GPL-3.0-or-later
// gpsd's output split into NMEA lines and reports, over any bytes cut at any places: no report
// line ever reaches the output, and the same bytes give the same output however they are cut.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/GpsdSource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 32;
  const char* text = reinterpret_cast<const char*>(data + 1);
  const size_t n = size - 1;
  orvane::TGpsdFilter whole, cut;
  std::string a, b;
  const bool okWhole = whole.Feed(text, n, a);
  bool okCut = true;
  for (size_t at = 0; at < n && okCut; at += piece) okCut = cut.Feed(text + at, std::min(piece, n - at), b);
  if (okWhole != okCut || (okWhole && a != b)) std::abort();
  // Every line of the output starts where an NMEA line started, never with a report's brace.
  for (size_t at = 0; at < a.size();) {
    while (at < a.size() && (a[at] == '\r' || a[at] == '\n')) ++at;
    if (at < a.size() && a[at] == '{') std::abort();
    const size_t nl = a.find('\n', at);
    at = nl == std::string::npos ? a.size() : nl + 1;
  }
  return 0;
}
