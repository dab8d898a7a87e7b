// SPDX-License-Identifier: GPL-3.0-or-later
// A caster's answer over any bytes cut at any places: the same bytes give the same verdict and
// the same body however they are cut, and a sourcetable of any text parses and sorts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/NtripProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 32;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  orvane::TNtripReply whole("MOUNT"), cut("MOUNT");
  std::string a, b;
  const bool okWhole = whole.Feed(text, a);
  bool okCut = true;
  for (size_t at = 0; at < text.size() && okCut; at += piece) okCut = cut.Feed(text.substr(at, piece), b);
  if (okWhole != okCut || whole.Kind() != cut.Kind() || (okWhole && a != b)) std::abort();
  std::vector<orvane::TMountpoint> table = orvane::ParseSourcetable(text);
  orvane::SortByDistance(table, 52.0, 13.0);
  double lat = 0, lon = 0;
  orvane::GgaPosition(text, lat, lon);
  return 0;
}
