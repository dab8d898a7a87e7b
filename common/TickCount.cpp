// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/TickCount.h"

#include <ctime>

namespace orvane {

int64_t SteadyMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

uint32_t TickCount32() { return static_cast<uint32_t>(SteadyMs()); }

}  // namespace orvane
