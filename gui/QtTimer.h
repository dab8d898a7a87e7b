// SPDX-License-Identifier: GPL-3.0-or-later
// The event-loop timer behind every timer seam of the core (the serial polling, the replay pace,
// the save interval): a QTimer on the main thread that calls one tick handler.
#pragma once

#include <cstdint>
#include <functional>

#include <QTimer>

#include "common/PollTimer.h"

namespace orvane {

class TQtTimer : public TPollTimer {
public:
  explicit TQtTimer(std::function<void()> onTick = nullptr);
  TQtTimer(const TQtTimer&) = delete;
  TQtTimer& operator=(const TQtTimer&) = delete;

  // A QTimer of interval 0 would fire on every pass of the loop; the seam's period 0 means the
  // shortest sensible period instead.
  void Start(uint32_t periodMs) override;
  void Stop() override;
  bool Active() const { return Timer.isActive(); }
  int Interval() const { return Timer.interval(); }

  std::function<void()> OnTick;

private:
  QTimer Timer;
};

}  // namespace orvane
