// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/LoadCancel.h"

namespace orvane {
namespace {

thread_local const std::atomic<bool>* tCancel = nullptr;

}  // namespace

TLoadCancelScope::TLoadCancelScope(const std::atomic<bool>& flag) : previous_(tCancel) { tCancel = &flag; }

TLoadCancelScope::~TLoadCancelScope() { tCancel = previous_; }

bool LoadCancelled() { return tCancel && tCancel->load(std::memory_order_relaxed); }

void ThrowIfCancelled() {
  if (LoadCancelled()) throw ELoadCancelled();
}

}  // namespace orvane
