// Command-line helpers shared by the tools: one walk over the arguments, whole-text numbers and
// the usage error.
#pragma once

#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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

// The arguments one at a time: `while (args.Next())`, then Is() for each option the tool takes,
// Value() for the argument an option carries, and Operand() for the rest.
class TToolArgs {
public:
  explicit TToolArgs(std::vector<std::string> args) : args_(std::move(args)) {}
  TToolArgs(int argc, char** argv) : args_(argv + (argc > 0 ? 1 : 0), argv + argc) {}

  bool Next() { return ++at_ < args_.size(); }
  const std::string& Arg() const { return args_[at_]; }
  bool Is(std::string_view option) const { return Arg() == option; }
  bool Is(std::string_view shortName, std::string_view longName) const { return Is(shortName) || Is(longName); }
  // The argument after the option; a missing one is a usage error naming the option.
  const std::string& Value() {
    if (at_ + 1 >= args_.size()) throw EUsage(Arg() + " needs a value");
    return args_[++at_];
  }
  // The value as a number of type T; `what` says what was wanted ("seconds", "a zoom from 1 to 17").
  template <typename T>
  T Number(const std::string& what) {
    const std::string& option = Arg();
    const std::string& v = Value();
    T n{};
    if (!ParseNumber(v, n)) throw EUsage(option + " takes " + what + ", not '" + v + "'");
    return n;
  }
  // An argument that is not an option; "-" alone (standard input or output) is one.
  const std::string& Operand() const {
    if (Arg().size() > 1 && Arg()[0] == '-') throw EUsage("unknown option '" + Arg() + "'");
    return Arg();
  }
  bool Wants(std::string_view option) const {
    for (const std::string& a : args_)
      if (a == option) return true;
    return false;
  }

private:
  std::vector<std::string> args_;
  size_t at_ = static_cast<size_t>(-1);
};

}  // namespace orvane
