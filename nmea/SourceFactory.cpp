// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/SourceFactory.h"

#include <utility>

#include "net/NetSource.h"

namespace orvane {

TMadeSource MakeByteSource(const std::string& address, TComPortNumber port, TComPortBaudRate speed) {
  if (IsNetAddress(address)) return {std::make_unique<TByteSourceOf<TNetInput>>(address)};
  auto serial = std::make_unique<TByteSourceOf<TCommPortDriver>>();
  TCommPortDriver& driver = serial->Source;
  driver.SetComPort(port);
  driver.SetComPortSpeed(speed);
  driver.SetDevicePath(address);
  // A receiver only talks: no flow control.
  driver.SetComPortHwHandshaking(hhNONE);
  driver.SetComPortInBufSize(9600);
  driver.SetComPortOutBufSize(9600);
  return {std::move(serial), &driver};
}

}  // namespace orvane
