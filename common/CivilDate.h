// SPDX-License-Identifier: GPL-3.0-or-later
// Civil dates (proleptic Gregorian) to days since 1970-01-01, after H. Hinnant's
// "chrono-compatible low-level date algorithms": exact for every year, no time zone involved.
#pragma once

#include <cstdint>

namespace orvane {

int64_t DaysFromCivil(int64_t y, int m, int d);

}  // namespace orvane
