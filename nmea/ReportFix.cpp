// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/ReportFix.h"

namespace orvane {

bool SentenceHasFix(std::string_view type, const std::vector<std::string_view>& f) {
  if (type == "GGA") return !f[6].empty() && f[6][0] != '0' && !f[2].empty() && !f[4].empty();
  if (type == "RMC") return f[2] == "A" && !f[3].empty() && !f[5].empty();
  // Mode letters all "N": no system has a fix.
  if (type == "GNS") return f[6].find_first_not_of('N') != std::string_view::npos && !f[2].empty() && !f[4].empty();
  if (type == "GLL") return !f[6].empty() && f[6][0] == 'A' && !f[1].empty() && !f[3].empty();
  return false;
}

bool IsPositionType(std::string_view type) { return type == "GGA" || type == "RMC" || type == "GNS"; }

int SecondsOfDay(std::string_view t) {
  if (t.size() != 8 || t[2] != ':' || t[5] != ':') return -1;
  int v[3];
  for (int i = 0; i < 3; ++i) {
    const char a = t[3 * i], b = t[3 * i + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    v[i] = (a - '0') * 10 + (b - '0');
  }
  if (v[0] > 23 || v[1] > 59 || v[2] > 60) return -1;
  return v[0] * 3600 + v[1] * 60 + v[2];
}

}  // namespace orvane
