// SPDX-License-Identifier: GPL-3.0-or-later
// Which terminal device stands behind COMn. By default COMn is /dev/ttyS<n-1>; the hand-maintained
// [Ports] section of the settings file may name another device for a number
// (COM1=/dev/ttyUSB0, COM2=/dev/serial/by-id/...). The menus keep saying COM1..COM16.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvane {

constexpr int kComPortCount = 16;

std::string ComDeviceName(int number);
// An empty device gives the number back its default.
void SetComDevice(int number, std::string device);
void ClearComDevices();

// Replaces every mapping by the name=value lines of a [Ports] section. Keys are COM1..COM16 in
// any case; other keys and empty values are ignored.
void SetComDevices(const std::vector<std::string>& portLines);

}  // namespace orvane
