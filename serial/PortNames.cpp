// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/PortNames.h"

#include <array>
#include <charconv>

namespace orvane {
namespace {

std::array<std::string, kComPortCount>& Devices() {
  static std::array<std::string, kComPortCount> devices;
  return devices;
}

bool ParseComKey(std::string_view key, int& number) {
  if (key.size() < 4) return false;
  for (int i = 0; i < 3; ++i)
    if ((key[i] | 0x20) != "com"[i]) return false;
  key.remove_prefix(3);
  int n = 0;
  auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), n);
  if (ec != std::errc() || end != key.data() + key.size() || n < 1 || n > kComPortCount) return false;
  number = n;
  return true;
}

}  // namespace

std::string ComDeviceName(int number) {
  if (number >= 1 && number <= kComPortCount && !Devices()[number - 1].empty()) return Devices()[number - 1];
  return "/dev/ttyS" + std::to_string(number - 1);
}

void SetComDevice(int number, std::string device) {
  if (number >= 1 && number <= kComPortCount) Devices()[number - 1] = std::move(device);
}

void ClearComDevices() {
  for (auto& d : Devices()) d.clear();
}

void SetComDevices(const std::vector<std::string>& portLines) {
  ClearComDevices();
  for (const std::string& line : portLines) {
    const size_t eq = line.find('=');
    int number = 0;
    if (eq == std::string::npos || !ParseComKey(std::string_view(line).substr(0, eq), number)) continue;
    // A key given twice: the first one counts, as with every other key of the file.
    if (Devices()[number - 1].empty()) SetComDevice(number, line.substr(eq + 1));
  }
}

}  // namespace orvane
