// SPDX-License-Identifier: GPL-3.0-or-later
// A pseudo-terminal for a program under test to read as its receiver.
#pragma once

#include <pty.h>
#include <termios.h>

namespace orvane {

// Opens a pseudo-terminal, its slave end raw already, so that nothing written before the program
// sets the line up is translated. `name` gets the slave's path; false when none could be had.
inline bool OpenRawPty(int& master, int& slave, char (&name)[128]) {
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return false;
  termios t{};
  tcgetattr(slave, &t);
  cfmakeraw(&t);
  tcsetattr(slave, TCSANOW, &t);
  return true;
}

}  // namespace orvane
