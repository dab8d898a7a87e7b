// SPDX-License-Identifier: GPL-3.0-or-later
// Switches LC_NUMERIC to a locale whose decimal separator is the comma, for as long as the guard
// lives. The locale is compiled once per test program into a private folder, so the test does
// not depend on which locales the machine has generated.
#pragma once

#include <clocale>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace orvane::test {

class CommaLocale {
public:
  CommaLocale() : saved_(std::setlocale(LC_NUMERIC, nullptr)) {
    static const bool ready = Prepare();
    active_ = ready && std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  }
  ~CommaLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
  bool active() const { return active_; }

private:
  static bool Prepare() {
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) return true;
    const std::string dir = "/tmp/orvane-locale-" + std::to_string(getuid());
    const std::string cmd =
        "mkdir -p " + dir + " && localedef -i de_DE -f UTF-8 " + dir + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0 && access((dir + "/de_DE.UTF-8").c_str(), F_OK) != 0) return false;
    setenv("LOCPATH", dir.c_str(), 1);
    return true;
  }
  std::string saved_;
  bool active_ = false;
};

}  // namespace orvane::test
