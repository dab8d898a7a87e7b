// SPDX-License-Identifier: GPL-3.0-or-later
// From an address to the byte source it names: the one place where the receiver and the tools
// turn what the user typed into an input.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "nmea/ByteSource.h"
#include "serial/ComDrv32.h"

namespace orvane {

struct TMadeSource {
  std::unique_ptr<TByteSource> Source;
  TCommPortDriver* Serial = nullptr;  // the driver, when the source is a serial port
};

// The source `address` names, not opened: a network address (tcp://, udp://, gpsd://) gives a
// network source, one that does not parse a source whose Open fails with the reason; anything
// else is a serial port, the device named or, for an empty address, COM `port`, set up as the
// program uses it at `speed`.
TMadeSource MakeByteSource(const std::string& address, TComPortNumber port = pnCOM1, TComPortBaudRate speed = br9600);

}  // namespace orvane
