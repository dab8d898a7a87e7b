// SPDX-License-Identifier: GPL-3.0-or-later
// What a GGA's quality digit and a mode letter mean, in the words the monitor, the fix caption and the reports use.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

struct TFixQuality {
  char Code;             // the GGA's field 6
  const char* Name;      // the monitor's "Fix Qual." and the summary: "RTK Fixed"
  const char* Caption;   // after "2D " or "3D " in the fix caption; null: no caption of its own
  bool WithDimension;    // the caption begins with the fix type ("3D RTK Float", not "PPS")
  char Mode;             // the same fix as the mode letter of an RMC, a VTG or a GNS
  const char* ModeName;  // the mode letter in words: "Autonomous"
};

// The row of `code`, or null for a digit no receiver should send.
const TFixQuality* FixQualityOf(char code);

// The row of a mode letter, or null for a letter no receiver should send.
const TFixQuality* FixQualityOfMode(char mode);
// The row of the best of a GNS's mode letters, one per system ("RFN": RTK fixed), or null when
// none of them is known.
const TFixQuality* BestFixQualityOfModes(std::string_view modes);
// A navigational status letter (NMEA 4.10) in words ("Safe"), or null for an unknown letter.
const char* NavStatusName(char code);

// The fix caption of a fix of type `fixType` ('2' or '3') from a receiver whose last GGA had the
// quality `quality` ('\0' when none was sent): "3D Fix", "3D RTK Fixed", "Dead Reckoning".
std::string FixCaption(char fixType, char quality);

}  // namespace orvane
