// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/QtTimer.h"

#include <algorithm>
#include <limits>

namespace orvane {

TQtTimer::TQtTimer(std::function<void()> onTick) : OnTick(std::move(onTick)) {
  QObject::connect(&Timer, &QTimer::timeout, [this] {
    if (OnTick) OnTick();
  });
}

void TQtTimer::Start(uint32_t periodMs) {
  constexpr uint32_t kShortest = 1;
  const uint32_t ms = std::clamp<uint32_t>(periodMs, kShortest, std::numeric_limits<int>::max());
  Timer.start(static_cast<int>(ms));
}

void TQtTimer::Stop() { Timer.stop(); }

}  // namespace orvane
