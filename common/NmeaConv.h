// SPDX-License-Identifier: GPL-3.0-or-later
// Field conversions of the NMEA path. None of them fails: bad text reads as 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// 0 for empty or invalid text or a value out of the signed 32-bit range.
int32_t SafeStrToInt(std::string_view text);
// Period decimals whatever the locale; an exponent is accepted; 0 for empty or invalid text.
double SafeStrToFloat(std::string_view text);
// Truncation toward zero; 0 when the value does not fit a signed 32-bit integer.
int32_t TruncToInt(double x);
// NMEA ddmm.mmmm (or dddmm.mmmm) to D.MMSS: "3539.1234" is 35.3907404.
double NmeaToDms(std::string_view text);
// Characters 1-2, ":", 3-4, ":", 5-6 of an NMEA time field; an empty field gives "::".
std::string NmeaTimeText(std::string_view field);

}  // namespace orvane
