// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/DeviceList.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>
#include <string_view>

namespace orvane {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 3> kTerminalPrefixes{"ttyACM", "ttyUSB", "rfcomm"};

// The number after a terminal's prefix, -1 when the rest is not all digits.
long TerminalNumber(std::string_view name, std::string_view prefix) {
  if (!name.starts_with(prefix) || name.size() == prefix.size() || name.size() > prefix.size() + 9) return -1;
  long n = 0;
  for (const char c : name.substr(prefix.size())) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::string Canonical(const fs::path& p) {
  std::error_code ec;
  const fs::path c = fs::canonical(p, ec);
  return ec ? std::string() : c.string();
}

}  // namespace

std::vector<TSerialDevice> ListSerialDevices(const std::string& root) {
  std::vector<TSerialDevice> list;
  std::set<std::string> covered;
  std::error_code ec;

  std::vector<TSerialDevice> byId;
  for (const fs::directory_entry& e : fs::directory_iterator(fs::path(root) / "serial" / "by-id", ec)) {
    const std::string target = Canonical(e.path());
    if (target.empty()) continue;
    byId.push_back({e.path().string(), e.path().filename().string(), target});
    covered.insert(target);
  }
  std::sort(byId.begin(), byId.end(), [](const auto& a, const auto& b) { return a.Label < b.Label; });
  list = std::move(byId);

  for (const std::string_view prefix : kTerminalPrefixes) {
    std::vector<std::pair<long, TSerialDevice>> found;
    for (const fs::directory_entry& e : fs::directory_iterator(fs::path(root), ec)) {
      const std::string name = e.path().filename().string();
      const long n = TerminalNumber(name, prefix);
      if (n < 0) continue;
      const std::string target = Canonical(e.path());
      if (target.empty() || covered.count(target)) continue;
      found.push_back({n, {e.path().string(), e.path().string(), target}});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [n, d] : found) list.push_back(std::move(d));
  }
  return list;
}

}  // namespace orvane
