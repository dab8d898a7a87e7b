// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace orvane {

// A colour as the settings file stores it: red in the low byte, then green, then blue.
using TColor = int32_t;

constexpr TColor RGBColor(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }
constexpr int RedOf(TColor c) { return c & 0xFF; }
constexpr int GreenOf(TColor c) { return (c >> 8) & 0xFF; }
constexpr int BlueOf(TColor c) { return (c >> 16) & 0xFF; }

constexpr TColor clRed = RGBColor(255, 0, 0);
constexpr TColor clBlue = RGBColor(0, 0, 255);
constexpr TColor clWhite = RGBColor(255, 255, 255);
constexpr TColor clBlack = RGBColor(0, 0, 0);

// "$" and at least six upper-case hexadecimal digits of the colour's 32-bit pattern, as the
// settings file writes a colour.
inline std::string FormatColor(TColor color) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%06X", static_cast<unsigned>(static_cast<uint32_t>(color)));
  return buf;
}

}  // namespace orvane
