// SPDX-License-Identifier: GPL-3.0-or-later
// Line speeds without a B-constant (14400 and 56000 bit/s) go through the kernel's termios2
// interface. Its header clashes with the C library's <termios.h>, hence a file of its own.
#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cstdint>

#include "serial/TermiosSpeed.h"

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace orvane {

bool SetArbitrarySpeed(int fd, uint32_t baud) {
  struct termios2 t {};
  if (ioctl(fd, TCGETS2, &t) != 0) return false;
  t.c_cflag &= ~static_cast<tcflag_t>(CBAUD);
  t.c_cflag |= BOTHER;
  t.c_ospeed = baud;
  // An input speed field of 0 means "the same as the output speed".
  t.c_cflag &= ~static_cast<tcflag_t>(CBAUD << IBSHIFT);
  t.c_ispeed = baud;
  t.c_cflag |= BOTHER << IBSHIFT;
  return ioctl(fd, TCSETS2, &t) == 0;
}

uint32_t GetArbitrarySpeed(int fd) {
  struct termios2 t {};
  if (ioctl(fd, TCGETS2, &t) != 0) return 0;
  return t.c_ospeed;
}

}  // namespace orvane
