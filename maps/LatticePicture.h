// SPDX-License-Identifier: GPL-3.0-or-later
// The last warped picture of a raster map, kept on a lattice of pixels fixed by the scale alone:
// lattice column i holds longitude (i + 0.5) / Sx, row j latitude -(j + 0.5) / Sy. A view at
// the same scale is a rectangle of the same lattice, so a pan copies what both rectangles share
// and warps only the strips that are new, with no drift however often the view moves.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "maps/TCanvas.h"

namespace orvane {

// A rectangle of the lattice: its first column and row, and its size in pixels.
struct TLatticeRect {
  int64_t X = 0;
  int64_t Y = 0;
  int W = 0;
  int H = 0;
  bool operator==(const TLatticeRect&) const = default;
};

// Fills `out` (rows `stride` words apart) with the pixels of `rect` at the picture's scale.
using TLatticeFill = std::function<void(const TLatticeRect& rect, uint32_t* out, int stride)>;

class TLatticePicture {
public:
  // Makes the picture hold `rect` at (sx, sy) pixels per degree. Pixels the previous picture
  // held at the same scale are kept; the rest is asked of `fill`, in at most four rectangles.
  void Cover(double sx, double sy, const TLatticeRect& rect, const TLatticeFill& fill);
  // Forgets the pixels, so that the next Cover warps everything (the data or the datum changed).
  void Clear() { valid_ = false; }

  TArgbPicture Picture() const { return {rect_.W, rect_.H, rect_.W, pixels_.data()}; }
  const TLatticeRect& Rect() const { return rect_; }

private:
  bool valid_ = false;
  double sx_ = 0, sy_ = 0;
  TLatticeRect rect_;
  std::vector<uint32_t> pixels_, spare_;
};

// The lattice rectangle under a view box drawn on a W x H surface: the lattice cell whose
// centre is nearest to the surface's first pixel centre, so every pixel lands within half a
// pixel of its place.
TLatticeRect LatticeUnder(double west, double north, double sx, double sy, int W, int H);

}  // namespace orvane
