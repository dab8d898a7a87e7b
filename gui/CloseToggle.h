// SPDX-License-Identifier: GPL-3.0-or-later
// The close button of a window that the main window's menu shows and hides: closing it is the
// same as unchecking its menu item, so the flag and the check mark follow.
#pragma once

#include <QCloseEvent>
#include <QWidget>

#include <functional>

namespace orvane {

// True when the close was turned into the toggle; the window then stays as the toggle left it.
inline bool CloseAsToggle(QWidget& window, QCloseEvent& event, const std::function<void()>& toggle) {
  if (!toggle || !window.isVisible()) return false;
  event.ignore();
  toggle();
  return true;
}

}  // namespace orvane
