// SPDX-License-Identifier: GPL-3.0-or-later
// Positions as X (north) and Y (east) in metres of a zone of the plane rectangular system, on the
// Tokyo datum or on JGD2011, for the read-outs of the monitor, the track window and the
// deviation panel.
#pragma once

#include <string>

#include "common/CoordFormat.h"

namespace orvane {

// X and Y of a position in signed D.MMSS on `datum` (any of Geodrel's names). The Tokyo datum is
// reached by Geodrel's transformation; JGD2011 is taken as WGS 84, from which it differs by
// centimetres. False, outputs untouched, when the datum is unknown or the zone gives nothing.
bool PlaneOf(double latDms, double lonDms, const std::string& datum, const TPlaneChoice& plane, double& X, double& Y);

// "X -37875.085 m Y -7958.644 m (IX JGD2011)", to the millimetre; "X, Y: outside zone IX" when
// there is no figure to give.
std::string PlaneReadout(double latDms, double lonDms, const std::string& datum, const TPlaneChoice& plane);

// The zone in Roman numerals, as the system names them: "IX", "XIX".
std::string ZoneNumeral(int zone);

}  // namespace orvane
