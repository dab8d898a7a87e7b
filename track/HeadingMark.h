// SPDX-License-Identifier: GPL-3.0-or-later
// The heading mark: a circle of radius HeadR around the newest point with an arrow along the
// course, and the course label under it. Geometry only; drawing it is one canvas call per part.
#pragma once

#include <string>

#include "maps/TCanvas.h"

namespace orvane {

struct THeadingMark {
  TRect Circle;         // bounding box of the circle
  TPoint Tip, Tail;     // the shaft, tip first
  TPoint Barb1, Barb2;  // ends of the two barbs that start at the tip
  TPoint Label;         // top-left corner of the course label
};

// For the mark rectangle whose top-left corner is (markX, markY). The stored course (D.MMSS) is
// taken as degrees, clockwise from north; coordinates are truncated toward zero.
THeadingMark HeadingMarkGeometry(int markX, int markY, int radius, double course);

// The label's text, "%7.3f " with period decimals: a course of 45.3 reads " 45.300 ".
std::string HeadingCaption(double course);

void DrawHeadingMark(TCanvas& canvas, const THeadingMark& mark);

}  // namespace orvane
