// SPDX-License-Identifier: GPL-3.0-or-later
// The view box laid over the canvas's clip rectangle, as every vector layer maps it: longitude
// linearly over the width, latitude over the height with north at the top, separate scales,
// truncation toward zero, relative to the canvas origin.
#pragma once

#include "maps/TCanvas.h"
#include "maps/ViewBox.h"

namespace orvane {

// Truncation toward zero, held within what a canvas can take: a far vertex of a line that
// reaches into the view must not overflow, and a degenerate view (NaN) lands on 0.
inline int PixelOf(double v) {
  constexpr double kLimit = 1 << 30;
  if (!(v > -kLimit)) return v < 0 ? -(1 << 30) : 0;
  if (v > kLimit) return 1 << 30;
  return static_cast<int>(v);
}

struct TViewMap {
  // Edges in the layer's own unit (degrees, or tenths of an arc-second).
  TViewMap(const TRect& clip, const TViewBox& box)
      : West(box.West), North(box.North), Sx(clip.Width() / box.Width()), Sy(clip.Height() / box.Height()) {}
  int X(double lon) const { return PixelOf((lon - West) * Sx); }
  int Y(double lat) const { return PixelOf((North - lat) * Sy); }
  TPoint At(double lon, double lat) const { return {X(lon), Y(lat)}; }

  double West, North;
  double Sx, Sy;  // pixels per unit
};

}  // namespace orvane
