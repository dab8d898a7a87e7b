// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-nmea --json: one JSON object per decoded sentence.
#pragma once

#include <string>

#include "nmea/NmeaRec.h"

namespace orvane {

// Every GPS field of the record after a sentence of `type` ("GGA") was decoded, and a line end.
void AppendJsonRecord(std::string& out, const char* type, const TNmeaRec& r, int gsvSatCount);

}  // namespace orvane
