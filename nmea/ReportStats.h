// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-nmea --stats: how good the fixes of a log are, one block for all of them and one per fix
// quality, as text or as one JSON object.
#pragma once

#include <string>

#include "nmea/FixStats.h"

namespace orvane {

// The reference as words: "mean", "first fix", "given position".
const char* ReferenceName(TReferenceKind kind);
// A quality digit as words: "RTK Fixed", "Quality 9" for a digit no receiver should send.
std::string QualityWords(char quality);

void PrintStatsText(std::string& out, const TFixSet& set, const TReference& ref);
void PrintStatsJson(std::string& out, const TFixSet& set, const TReference& ref);

}  // namespace orvane
