// SPDX-License-Identifier: GPL-3.0-or-later
// The data monitor's text blocks, built from the record exactly as they are shown.
#pragma once

#include <string>

#include "nmea/NmeaRec.h"

namespace orvane {

// The line break inside a block: LF then CR.
inline constexpr const char* kBlockLineBreak = "\n\r";

std::string GgaBlock(const TNmeaRec& rec);
std::string GllBlock(const TNmeaRec& rec);
std::string RmcBlock(const TNmeaRec& rec);
// The receiver's error estimate: from its GST when one came, else from its GBS.
std::string AccuracyBlock(const TNmeaRec& rec);

// The same into `out`, which is replaced; a caller that keeps `out` saves its allocation.
void BuildGgaBlock(const TNmeaRec& rec, std::string& out);
void BuildGllBlock(const TNmeaRec& rec, std::string& out);
void BuildRmcBlock(const TNmeaRec& rec, std::string& out);
void BuildAccuracyBlock(const TNmeaRec& rec, std::string& out);

}  // namespace orvane
