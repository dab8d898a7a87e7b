// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/FixQuality.h"

#include <algorithm>
#include <array>

namespace orvane {
namespace {

constexpr std::array<TFixQuality, 9> kQualities{{
    {'0', "Invalid", nullptr, false, 'N', "No Fix"},
    {'1', "GPS Fix", "Fix", true, 'A', "Autonomous"},
    {'2', "DGPS Fix", "DGPS", true, 'D', "Differential"},
    {'3', "PPS Fix", "PPS", false, 'P', "Precise"},
    {'4', "RTK Fixed", "RTK Fixed", true, 'R', "RTK Fixed"},
    {'5', "RTK Float", "RTK Float", true, 'F', "RTK Float"},
    {'6', "Dead Reckoning", "Dead Reckoning", false, 'E', "Dead Reckoning"},
    {'7', "Manual Input", "Manual Input", false, 'M', "Manual Input"},
    {'8', "Simulation", "Simulation", false, 'S', "Simulation"},
}};

// The mode letters from the best fix to none, for a receiver whose systems differ.
constexpr std::string_view kModePreference = "RFPDAEMSN";

struct TNavStatus {
  char Code;
  const char* Name;
};

constexpr std::array<TNavStatus, 4> kNavStatuses{
    {{'S', "Safe"}, {'C', "Caution"}, {'U', "Unsafe"}, {'V', "Not Valid"}}};

}  // namespace

const TFixQuality* FixQualityOf(char code) {
  for (const TFixQuality& q : kQualities)
    if (q.Code == code) return &q;
  return nullptr;
}

const TFixQuality* FixQualityOfMode(char mode) {
  for (const TFixQuality& q : kQualities)
    if (q.Mode == mode) return &q;
  return nullptr;
}

const TFixQuality* BestFixQualityOfModes(std::string_view modes) {
  size_t best = kModePreference.size();
  for (const char c : modes) best = std::min(best, kModePreference.find(c));
  return best < kModePreference.size() ? FixQualityOfMode(kModePreference[best]) : nullptr;
}

const char* NavStatusName(char code) {
  for (const TNavStatus& s : kNavStatuses)
    if (s.Code == code) return s.Name;
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
