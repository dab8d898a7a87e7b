// SPDX-License-Identifier: GPL-3.0-or-later
// The hook on a window: every event the window receives passes through WndProc first. Qt has no
// replaceable window procedure, so the hook is an event filter on the target widget.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QWidget>

namespace orvane {

class TKCustomSubWnd : public QObject {
public:
  // The owner holds the hook; it goes with its owner.
  explicit TKCustomSubWnd(QObject* owner);
  ~TKCustomSubWnd() override;

  QWidget* Target() const { return Target_; }
  // Unhooks the current target and hooks the new one (null: none). A target that is destroyed
  // is unhooked and forgotten.
  void SetTarget(QWidget* target);

protected:
  // Sees each event of the target before the target does; true swallows it. By default every
  // event passes on.
  virtual bool WndProc(QEvent* event);

  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QWidget* Target_ = nullptr;
  QMetaObject::Connection TargetGone;
};

}  // namespace orvane
