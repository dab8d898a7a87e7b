// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a step when the scope ends, however it ends: the one way to undo or finish something
// that an exception must not skip.
#pragma once

#include <utility>

namespace orvane {

template <class F>
class TScopeGuard {
public:
  explicit TScopeGuard(F step) : step_(std::move(step)) {}
  ~TScopeGuard() {
    if (armed_) step_();
  }
  TScopeGuard(const TScopeGuard&) = delete;
  TScopeGuard& operator=(const TScopeGuard&) = delete;
  // The step is not wanted after all.
  void Dismiss() { armed_ = false; }

private:
  F step_;
  bool armed_ = true;
};

}  // namespace orvane
