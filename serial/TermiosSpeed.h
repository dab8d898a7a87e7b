// SPDX-License-Identifier: GPL-3.0-or-later
// Line speeds without a B-constant, through the kernel's arbitrary-rate interface. This header
// stays free of <termios.h>: the kernel's own termios header, which the implementation needs,
// clashes with it.
#pragma once

#include <cstdint>

namespace orvane {

bool SetArbitrarySpeed(int fd, uint32_t baud);
// The output speed in bits per second, 0 when it cannot be read.
uint32_t GetArbitrarySpeed(int fd);

}  // namespace orvane
