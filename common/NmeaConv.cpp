// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NmeaConv.h"

#include <cmath>

#include "common/HostConv.h"

namespace orvane {

int32_t SafeStrToInt(std::string_view text) {
  int32_t v = 0;
  return TryStrToInt(text, v) ? v : 0;
}

double SafeStrToFloat(std::string_view text) {
  double v = 0;
  return TryStrToFloat(text, v) ? v : 0;
}

int32_t TruncToInt(double x) {
  if (!(x > -2147483649.0 && x < 2147483648.0)) return 0;  // also NaN
  return static_cast<int32_t>(x);
}

double NmeaToDms(std::string_view text) {
  const long double x = SafeStrToFloat(text);
  const long double d = std::trunc(x / 100);
  const long double m = std::trunc(x - 100 * d);
  const long double s = (x - std::trunc(x)) * 60;
  return static_cast<double>(d + m / 100 + s / 10000);
}

std::string NmeaTimeText(std::string_view field) {
  auto piece = [&](size_t from) { return from < field.size() ? field.substr(from, 2) : std::string_view(); };
  std::string t;
  t.reserve(8);
  t.append(piece(0)).append(":").append(piece(2)).append(":").append(piece(4));
  return t;
}

}  // namespace orvane
