// Civil dates (proleptic Gregorian) to and from days since 1970-01-01, after H. Hinnant's
// "chrono-compatible low-level date algorithms": exact for every year, no time zone involved.
#pragma once

#include <cstdint>

namespace orvane {

int64_t DaysFromCivil(int64_t y, int m, int d);
void CivilFromDays(int64_t days, int& y, int& m, int& d);

}  // namespace orvane
