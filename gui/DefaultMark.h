// SPDX-License-Identifier: GPL-3.0-or-later
// The position mark's picture at start: a 24 x 24 crosshair in 16 colours, red ring, black
// cross, yellow centre. Its background is the colour of its lower-left pixel, so it is drawn
// transparently like any other bitmap mark.
#pragma once

#include <QImage>

namespace orvane {

constexpr int kDefaultMarkSize = 24;

QImage DefaultMarkPicture();

}  // namespace orvane
