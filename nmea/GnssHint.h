// SPDX-License-Identifier: GPL-3.0-or-later
// When to ask whether the multi-GNSS talkers should be decoded: their sentences have been
// arriving for a while and no GP sentence gave a fix in that time.
#pragma once

#include <cstdint>

#include "nmea/UNmeaProc.h"

namespace orvane {

class TGnssHint {
public:
  static constexpr int64_t kWaitMs = 10000;

  // Every handled sentence, with a steady clock in milliseconds. True once, at the sentence at
  // which to ask; never while Gnss is on or once the user was asked.
  bool Note(const TSentenceInfo& info, const TNmeaRec& rec, int64_t nowMs);

private:
  int64_t Since = -1;  // the first such sentence after the last GP fix
  bool Asked = false;
};

}  // namespace orvane
