// SPDX-License-Identifier: GPL-3.0-or-later
// The serial devices present now, for the port menu: each /dev/serial/by-id entry by its name
// (which names the receiver's maker and model), then the USB, USB-serial and Bluetooth terminals
// (ttyACM*, ttyUSB*, rfcomm*) that no by-id entry already stands for.
#pragma once

#include <string>
#include <vector>

namespace orvane {

struct TSerialDevice {
  std::string Path;    // what to open: "/dev/serial/by-id/usb-...-if00", "/dev/ttyUSB0"
  std::string Label;   // what the menu shows: the by-id name, or the path
  std::string Target;  // the device it resolves to, for the tooltip: "/dev/ttyACM0"
};

// `root` is the device folder; tests pass a folder that stands in for it. By-id entries come in
// name order, the terminals in number order (ttyACM2 before ttyACM10); broken links are left out.
std::vector<TSerialDevice> ListSerialDevices(const std::string& root = "/dev");

}  // namespace orvane
