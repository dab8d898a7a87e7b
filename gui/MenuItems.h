// SPDX-License-Identifier: GPL-3.0-or-later
// Menu items built from the windows' tables: each item and submenu carries its control name as
// its objectName, so tests and people can find it, and its tag as its data.
#pragma once

#include <QAction>
#include <QMenu>

namespace orvane {

inline QAction* AddItem(QMenu* menu, const char* caption, const char* name, int tag = 0) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(name);
  a->setData(tag);
  return a;
}

inline QMenu* AddSubmenu(QMenu* menu, const char* caption, const char* name) {
  QMenu* sub = menu->addMenu(caption);
  sub->setObjectName(name);
  sub->menuAction()->setObjectName(name);
  return sub;
}

// The speeds of the main window's COM > Speed menu, the only ones a stored speed is taken from.
inline constexpr int kSpeedItems[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
// The speed menu's last item, "Auto", as ComSpeed stores it.
inline constexpr int kAutoSpeed = 0;

inline int Tag(const QAction* item) { return item->data().toInt(); }

}  // namespace orvane
