// SPDX-License-Identifier: GPL-3.0-or-later
// The host's number conversions, as map files and settings use them: integers may be written in
// hexadecimal after "$" or "0x", reals always use the period (files written under any locale
// must read back), and a text that is not a number raises EConvertError.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvane {

class EConvertError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Leading and trailing blanks are allowed; a sign may precede the digits (also hexadecimal ones).
bool TryStrToInt(std::string_view text, int32_t& value);
bool TryStrToFloat(std::string_view text, double& value);

// Throw EConvertError("'12a' is not a valid integer value") and its floating-point sister.
int32_t HostStrToInt(std::string_view text);
double HostStrToFloat(std::string_view text);

// Period-decimal formatting, whatever the locale: fixed with a number of decimals, and the
// shortest text that reads back to the same value (at most 15 significant digits).
std::string FormatFixed(double value, int decimals);
void AppendFixed(std::string& out, double value, int decimals);
std::string FormatShortest(double value);
// The shortest text that reads back to the same value, never in exponent notation (10 is "10",
// not "1e+01"): for figures that tables and CSV readers take.
std::string FormatPlain(double value);

}  // namespace orvane
