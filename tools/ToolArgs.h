// SPDX-License-Identifier: GPL-3.0-or-later
// Command-line helpers shared by the tools: one walk over the arguments, whole-text numbers and
// the usage error.
#pragma once

#include <charconv>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/Version.h"

namespace orvane {

// A command line that cannot be followed: the tool says so and exits with status 2.
class EUsage : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The whole text as a number of type T; trailing characters or an empty text fail.
template <typename T>
bool ParseNumber(std::string_view s, T& v) {
  if (s.empty()) return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && end == s.data() + s.size();
}

// Says what is wrong with the command line and where help is; the exit status of a wrong one.
inline int UsageError(const char* program, const std::string& message) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", program, message.c_str(), program);
  return 2;
}

// --help (or -h) prints `usage`, --version the program and its version. The exit status when
// the argument was one of them; nothing for any other argument.
inline std::optional<int> HelpOrVersion(std::string_view arg, const char* program, const char* usage) {
  if (arg == "--help" || arg == "-h")
    std::fputs(usage, stdout);
  else if (arg == "--version")
    std::printf("%s %s\n", program, kVersion);
  else
    return std::nullopt;
  return std::fflush(stdout) == 0 ? 0 : 1;
}

// The arguments one at a time: `while (args.Next())`, then Is() for each option the tool takes
// and Value() for the argument an option carries.
class TToolArgs {
public:
  explicit TToolArgs(std::vector<std::string> args) : args_(std::move(args)) {}

  bool Next() { return ++at_ < args_.size(); }
  const std::string& Arg() const { return args_[at_]; }
  bool Is(std::string_view option) const { return Arg() == option; }
  // The argument after the option; a missing one is a usage error naming the option.
  const std::string& Value() {
    if (at_ + 1 >= args_.size()) throw EUsage(Arg() + " needs a value");
    return args_[++at_];
  }

private:
  std::vector<std::string> args_;
  size_t at_ = static_cast<size_t>(-1);
};

}  // namespace orvane
