// SPDX-License-Identifier: GPL-3.0-or-later
// The band a GSV cycle's signal ID names, by satellite system (the table of NMEA 4.11).
#pragma once

#include <string>
#include <string_view>

#include "nmea/NmeaRec.h"

namespace orvane {

// "L1 C/A", "L2C-L", "E5b", ...; "" for an empty ID and for one the table has no row for.
std::string_view BandName(TGnssSystem system, std::string_view id);
// How a display names a signal: its band, else "sig " and the ID, else "?" for an empty ID.
std::string BandLabel(TGnssSystem system, std::string_view id);
// The order signals of one satellite are kept in: by ID ("1" before "6" before "A"), the empty
// ID last.
bool SignalBefore(std::string_view a, std::string_view b);

}  // namespace orvane
