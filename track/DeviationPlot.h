// SPDX-License-Identifier: GPL-3.0-or-later
// The deviation window's drawing without its widgets: every fix as a dot in metres east and north
// of the reference, coloured by its quality, rings at round distances with their figures, a scale
// bar, and under it a strip of the height against time. Drawn onto the program's canvas.
#pragma once

#include <vector>

#include "common/Color.h"
#include "maps/TCanvas.h"
#include "nmea/FixStats.h"

namespace orvane {

// The colour of a fix of `quality`: RTK fixed green, RTK float orange, DGPS blue, autonomous red,
// dead reckoning grey, anything else purple.
TColor QualityColor(char quality);

// The distance between rings for points out to `radius` metres: 1, 2 or 5 times a power of ten,
// so that three to six rings cover them.
double RingStep(double radius);

struct TDeviationLayout {
  TRect Plot, Strip;
  int CentreX = 0, CentreY = 0;
  double PixelsPerMetre = 1;
  double Step = 1;  // metres between rings
  int Rings = 1;
};

// The plot above and the strip below within `area`, scaled so that the farthest point lies
// inside the outer ring.
TDeviationLayout DeviationLayout(const TRect& area, double farthest);

// Draws `offsets` (of `fixes`, in the same order) onto the canvas's whole surface. Dots that fall
// on the same pixel are drawn once, the best quality on top: a day of fixes costs no more than
// the pixels they cover.
void DrawDeviation(TCanvas& canvas, const std::vector<TFix>& fixes, const std::vector<TEnu>& offsets,
                   TColor background);

}  // namespace orvane
