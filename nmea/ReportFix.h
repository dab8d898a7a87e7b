// SPDX-License-Identifier: GPL-3.0-or-later
// Which decoded sentences of a log carry a fix, and when, for the reports that count or draw fixes.
#pragma once

#include <string_view>
#include <vector>

namespace orvane {

// A GGA of a quality other than 0, a GNS with a mode other than N, an RMC or a GLL of status A, with both
// coordinates; `fields` are the sentence's fields as the processor split them.
bool SentenceHasFix(std::string_view type, const std::vector<std::string_view>& fields);
// The sentences that set the record's position, time and fix quality: GGA, RMC and GNS.
bool IsPositionType(std::string_view type);
// hh:mm:ss as the decoders write it, in seconds of the day; -1 when it is not a time.
int SecondsOfDay(std::string_view t);

}  // namespace orvane
