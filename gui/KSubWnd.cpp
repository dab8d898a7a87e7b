// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/KSubWnd.h"

namespace orvane {

TKCustomSubWnd::TKCustomSubWnd(QObject* owner) : QObject(owner) {}

TKCustomSubWnd::~TKCustomSubWnd() { SetTarget(nullptr); }

void TKCustomSubWnd::SetTarget(QWidget* target) {
  if (target == Target_) return;
  if (Target_) {
    Target_->removeEventFilter(this);
    disconnect(TargetGone);
  }
  Target_ = target;
  if (!Target_) return;
  Target_->installEventFilter(this);
  // The removal notification: a destroyed target must not be touched again.
  TargetGone = connect(Target_, &QObject::destroyed, this, [this] {
    Target_ = nullptr;
    disconnect(TargetGone);
  });
}

bool TKCustomSubWnd::WndProc(QEvent*) { return false; }

bool TKCustomSubWnd::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Target_ && WndProc(event)) return true;
  return QObject::eventFilter(watched, event);
}

}  // namespace orvane
