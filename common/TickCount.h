// SPDX-License-Identifier: GPL-3.0-or-later
// The program's millisecond clock: monotonic, unaffected by changes of the wall clock.
#pragma once

#include <cstdint>

namespace orvane {

// Milliseconds since an arbitrary start.
int64_t SteadyMs();
// The same count wrapped to 32 bits, as the save interval compares it.
uint32_t TickCount32();

}  // namespace orvane
