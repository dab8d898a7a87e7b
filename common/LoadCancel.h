// SPDX-License-Identifier: GPL-3.0-or-later
// A long load that another thread may call off. The thread that loads names its flag for as
// long as the load runs; the readers' long loops ask now and then and stop by throwing, so that
// a load called off ends within a bounded step and keeps nothing half read.
#pragma once

#include <atomic>
#include <stdexcept>

namespace orvane {

class ELoadCancelled : public std::runtime_error {
public:
  ELoadCancelled() : std::runtime_error("the load was called off") {}
};

// While it lives, ThrowIfCancelled on this thread answers to `flag`.
class TLoadCancelScope {
public:
  explicit TLoadCancelScope(const std::atomic<bool>& flag);
  ~TLoadCancelScope();
  TLoadCancelScope(const TLoadCancelScope&) = delete;
  TLoadCancelScope& operator=(const TLoadCancelScope&) = delete;

private:
  const std::atomic<bool>* previous_;
};

// True when this thread's load was called off; false on a thread that names no flag.
bool LoadCancelled();
// Throws ELoadCancelled when LoadCancelled.
void ThrowIfCancelled();

}  // namespace orvane
