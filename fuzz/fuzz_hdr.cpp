// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap header reader on any text, and the placement of whatever georeference it yields:
// only conversion errors may escape, and a copy never reads outside the bitmap it crops.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>

#include "common/HostConv.h"
#include "maps/MapBitmap.h"

namespace {

void Place(const orvane::TBitmapGeoref& g, int bw, int bh, double centreLon, double centreLat, int W, int H,
           double scale) {
  const double halfX = W / scale / 3600 / 2, halfY = H / scale / 3600 / 2;
  const double west = centreLon - halfX, east = centreLon + halfX;
  const double south = centreLat - halfY, north = centreLat + halfY;
  const auto copy = orvane::BitmapPlacement(g, bw, bh, {west, south, east, north}, W, H, scale);
  if (!copy) return;
  const orvane::TRect& s = copy->Source;
  const orvane::TRect& d = copy->Dest;
  if (s.Right <= s.Left || s.Bottom <= s.Top || d.Right <= d.Left || d.Bottom <= d.Top) std::abort();
  const bool whole = s == orvane::TRect{0, 0, bw, bh};
  // A part of the bitmap is only ever taken from pixels that exist, onto the surface.
  if (!whole && (s.Left < 0 || s.Top < 0 || s.Right > bw || s.Bottom > bh)) std::abort();
  if (!whole && (d.Left < 0 || d.Top < 0 || d.Right > W || d.Bottom > H)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream in(text);
  orvane::TBitmapGeoref g;
  try {
    orvane::ReadHdr(in, "fuzz.HDR", g);
  } catch (const orvane::EConvertError&) {
    return 0;
  }
  if (!(g.XDim > 0) || !(g.YDim > 0)) return 0;
  for (const auto& [bw, bh] : {std::pair{10000, 10000}, std::pair{1, 1}, std::pair{640, 480}}) {
    g.LrxMap = g.UlxMap + bw * g.XDim;
    g.LryMap = g.UlyMap - bh * g.YDim;
    // The default view, the bitmap's corner at the closest zoom, and a far-away view.
    Place(g, bw, bh, 134.0, 34.0, 485, 305, 0.05);
    Place(g, bw, bh, g.UlxMap, g.UlyMap, 1000, 700, 100);
    Place(g, bw, bh, -179.5, -89.5, 1000, 700, 0.001);
  }
  return 0;
}
