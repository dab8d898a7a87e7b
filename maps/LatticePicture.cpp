// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/LatticePicture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orvane {

TLatticeRect LatticeUnder(double west, double north, double sx, double sy, int W, int H) {
  return {static_cast<int64_t>(std::llround(west * sx)), static_cast<int64_t>(std::llround(-north * sy)), W, H};
}

void TLatticePicture::Cover(double sx, double sy, const TLatticeRect& rect, const TLatticeFill& fill) {
  if (rect.W <= 0 || rect.H <= 0) {
    rect_ = rect;
    pixels_.clear();
    valid_ = false;
    return;
  }
  if (valid_ && sx == sx_ && sy == sy_ && rect == rect_) return;
  const bool reuse = valid_ && sx == sx_ && sy == sy_;
  spare_.assign(static_cast<size_t>(rect.W) * static_cast<size_t>(rect.H), 0);
  // The part both rectangles share, in lattice cells.
  const int64_t l = std::max(rect.X, rect_.X), r = std::min(rect.X + rect.W, rect_.X + rect_.W);
  const int64_t t = std::max(rect.Y, rect_.Y), b = std::min(rect.Y + rect.H, rect_.Y + rect_.H);
  const auto fillPart = [&](int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    if (x2 <= x1 || y2 <= y1) return;
    uint32_t* at = spare_.data() + (y1 - rect.Y) * rect.W + (x1 - rect.X);
    fill({x1, y1, static_cast<int>(x2 - x1), static_cast<int>(y2 - y1)}, at, rect.W);
  };
  const int64_t x2 = rect.X + rect.W, y2 = rect.Y + rect.H;
  if (reuse && l < r && t < b) {
    for (int64_t y = t; y < b; ++y)
      std::memcpy(spare_.data() + (y - rect.Y) * rect.W + (l - rect.X),
                  pixels_.data() + (y - rect_.Y) * rect_.W + (l - rect_.X), static_cast<size_t>(r - l) * 4);
    fillPart(rect.X, rect.Y, x2, t);  // above the shared part, whole width
    fillPart(rect.X, b, x2, y2);      // below it
    fillPart(rect.X, t, l, b);        // left of it
    fillPart(r, t, x2, b);            // right of it
  } else {
    fillPart(rect.X, rect.Y, x2, y2);
  }
  pixels_.swap(spare_);
  rect_ = rect;
  sx_ = sx;
  sy_ = sy;
  valid_ = true;
}

}  // namespace orvane
