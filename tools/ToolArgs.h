// Command-line helpers shared by the tools: whole-text numbers and the usage error.
#pragma once

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

namespace orvane {

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

}  // namespace orvane
