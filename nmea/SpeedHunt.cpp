// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/SpeedHunt.h"

#include <iterator>

#include "nmea/UNmeaProc.h"

namespace orvane {
namespace {

// Longer than any sentence: what runs on is noise.
constexpr size_t kMaxLine = 100;

}  // namespace

void TSpeedHunt::Start(uint32_t first, int64_t nowMs) {
  Hunting_ = true;
  At = 0;
  for (size_t i = 0; i < std::size(kSpeeds); ++i)
    if (kSpeeds[i] == first) At = i;
  Since = nowMs;
  Good = 0;
  Line.clear();
  InLine = false;
}

bool TSpeedHunt::Feed(std::string_view bytes) {
  if (!Hunting_) return false;
  for (const char c : bytes) {
    if (c == '$') {
      Line.assign(1, c);
      InLine = true;
      continue;
    }
    if (!InLine) continue;
    if (c == '\r' || c == '\n') {
      InLine = false;
      // Only a sentence with a checksum can prove anything.
      if (Line.size() > 6 && Line.find('*') != std::string::npos && ChecksumMatches(Line) && ++Good >= kProof) {
        Hunting_ = false;
        return true;
      }
      continue;
    }
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7e || Line.size() >= kMaxLine)
      InLine = false;
    else
      Line += c;
  }
  return false;
}

bool TSpeedHunt::Tick(int64_t nowMs) {
  if (!Hunting_ || nowMs - Since < kDwellMs) return false;
  Next(nowMs);
  return true;
}

void TSpeedHunt::Next(int64_t nowMs) {
  At = (At + 1) % std::size(kSpeeds);
  Since = nowMs;
  Good = 0;
  InLine = false;
}

}  // namespace orvane
