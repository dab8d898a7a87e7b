// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/HostConv.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace orvane {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

bool TryStrToInt(std::string_view text, int32_t& value) {
  std::string_view s = Trim(text);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s.front() == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return false;
  uint64_t magnitude = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
  if (ec != std::errc() || end != s.data() + s.size()) return false;
  if (base == 16 && !negative && magnitude <= 0xFFFFFFFFull) {
    // "$FFFFFFFF" is -1, as a 32-bit pattern written in hexadecimal means.
    value = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
    return true;
  }
  const uint64_t limit = negative ? 2147483648ull : 2147483647ull;
  if (magnitude > limit) return false;
  value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
  return true;
}

bool TryStrToFloat(std::string_view text, double& value) {
  std::string_view s = Trim(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  // from_chars would also take "inf" and "nan"; neither is a number a file or receiver means.
  const char first = s.front() == '-' && s.size() > 1 ? s[1] : s.front();
  if (!(first >= '0' && first <= '9') && first != '.') return false;
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

int32_t HostStrToInt(std::string_view text) {
  int32_t v = 0;
  if (!TryStrToInt(text, v)) throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  return v;
}

double HostStrToFloat(std::string_view text) {
  double v = 0;
  if (!TryStrToFloat(text, v)) throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
  return v;
}

namespace {

// Whether `value` lies exactly halfway between two numbers of `decimals` decimals: value * 10^d
// is then k + 1/2, so value = m * 2^e with m odd and e = -(d + 1), 5^d being odd.
bool IsExactTie(double value, int decimals) {
  if (value == 0) return false;
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(value), &exponent);
  auto mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));  // exact: 53 bits
  exponent -= 53;
  const int zeros = std::countr_zero(mantissa);
  mantissa >>= zeros;
  exponent += zeros;
  return exponent == -(decimals + 1);
}

}  // namespace

void AppendFixed(std::string& out, double value, int decimals) {
  // An exact tie (1.25 to one decimal) rounds away from zero, as people round, not to even.
  if (std::isfinite(value) && std::fabs(value) < 1e17 && decimals >= 0 && decimals < 30 && IsExactTie(value, decimals))
    value = std::nextafter(value, value < 0 ? -HUGE_VAL : HUGE_VAL);
  char buf[400];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  if (ec != std::errc())
    out += std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
  else
    out.append(buf, end);
}

std::string FormatFixed(double value, int decimals) {
  std::string out;
  AppendFixed(out, value, decimals);
  return out;
}

std::string FormatPlain(double value) {
  char buf[400];  // the longest fixed text of a double
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
  return ec == std::errc() ? std::string(buf, end) : FormatShortest(value);
}

std::string FormatShortest(double value) {
  char buf[64];
  for (int digits = 1; digits <= 15; ++digits) {
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
    if (ec != std::errc()) break;
    double back = 0;
    std::from_chars(buf, end, back);
    if (back == value || digits == 15) return std::string(buf, end);
  }
  return FormatFixed(value, 6);
}

}  // namespace orvane
