// SPDX-License-Identifier: GPL-3.0-or-later
// A periodic timer on the main thread, as the receive path and the log recorder see it. Start
// begins or restarts it with the period, after which its owner's tick handler runs every period;
// Stop disables it. The application backs it with an event-loop timer, tests with a recorder that
// they tick by hand. A period of 0 ms must not make the timer spin: it means the loop's shortest
// sensible period.
#pragma once

#include <cstdint>

namespace orvane {

class TPollTimer {
public:
  virtual ~TPollTimer() = default;
  virtual void Start(uint32_t periodMs) = 0;
  virtual void Stop() = 0;
};

}  // namespace orvane
