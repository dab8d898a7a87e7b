// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/GnssHint.h"

#include <cstring>

namespace orvane {
namespace {

// A GP sentence whose position the decoder took as a fix.
bool GpFix(const TSentenceInfo& info, const TNmeaRec& rec) {
  if (info.outcome != TSentenceOutcome::Decoded || !info.address.starts_with("$GP") || !info.type) return false;
  if (std::strcmp(info.type, "GGA") == 0 || std::strcmp(info.type, "GNS") == 0)
    return !rec.LatNS.empty() && rec.FixQuality != "Invalid";
  if (std::strcmp(info.type, "RMC") == 0) return !rec.LatNS.empty();
  if (std::strcmp(info.type, "GLL") == 0) return rec.GllStatus == 'A' && !rec.GllLatNS.empty();
  return false;
}

}  // namespace

bool TGnssHint::Note(const TSentenceInfo& info, const TNmeaRec& rec, int64_t nowMs) {
  if (Asked || rec.Gnss || rec.GnssAsked) return false;
  if (GpFix(info, rec)) {
    Since = -1;
    return false;
  }
  if (info.outcome != TSentenceOutcome::Ignored || !IsGnssOnlySentence(info.address)) return false;
  if (Since < 0) Since = nowMs;
  if (nowMs - Since < kWaitMs) return false;
  Asked = true;
  return true;
}

}  // namespace orvane
