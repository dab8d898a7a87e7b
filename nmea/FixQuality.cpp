// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/FixQuality.h"

#include <array>

namespace orvane {
namespace {

constexpr std::array<TFixQuality, 9> kQualities{{
    {'0', "Invalid", nullptr, false},
    {'1', "GPS Fix", "Fix", true},
    {'2', "DGPS Fix", "DGPS", true},
    {'3', "PPS Fix", "PPS", false},
    {'4', "RTK Fixed", "RTK Fixed", true},
    {'5', "RTK Float", "RTK Float", true},
    {'6', "Dead Reckoning", "Dead Reckoning", false},
    {'7', "Manual Input", "Manual Input", false},
    {'8', "Simulation", "Simulation", false},
}};

}  // namespace

const TFixQuality* FixQualityOf(char code) {
  for (const TFixQuality& q : kQualities)
    if (q.Code == code) return &q;
  return nullptr;
}

std::string FixCaption(char fixType, char quality) {
  const TFixQuality* q = FixQualityOf(quality);
  // A receiver that sends no quality, or plain GPS, keeps the described caption.
  if (!q || !q->Caption) return std::string(1, fixType) + "D Fix";
  if (!q->WithDimension) return q->Caption;
  return std::string(1, fixType) + "D " + q->Caption;
}

}  // namespace orvane
