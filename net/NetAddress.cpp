// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/NetAddress.h"

#include <array>
#include <charconv>

namespace orvane {
namespace {

struct TScheme {
  std::string_view Name;
  TNetKind Kind;
  uint16_t DefaultPort;
};
constexpr std::array<TScheme, 3> kSchemes{{
    {"tcp", TNetKind::Tcp, kNmeaPort},
    {"udp", TNetKind::Udp, kNmeaPort},
    {"gpsd", TNetKind::Gpsd, kGpsdPort},
}};

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

bool ParsePort(std::string_view text, uint16_t& port, std::string& error, bool zero) {
  unsigned value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < (zero ? 0u : 1u) ||
      value > 65535) {
    error = "the port \"" + std::string(text) + "\" is not a number from 1 to 65535";
    return false;
  }
  port = static_cast<uint16_t>(value);
  return true;
}

bool PlainHost(std::string_view host, std::string& error) {
  for (const char c : host) {
    if (static_cast<unsigned char>(c) <= ' ' || c == '/' || c == '[' || c == ']' || c == '@') {
      error = "\"" + std::string(host) + "\" is not a host name or address";
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseHostPort(std::string_view text, std::string& host, uint16_t& port, std::string& error, bool portZero) {
  std::string_view portText;
  bool havePort = false;
  if (!text.empty() && text.front() == '[') {
    const size_t close = text.find(']');
    if (close == std::string_view::npos) {
      error = "\"" + std::string(text) + "\" opens a bracket for an IPv6 address but does not close it";
      return false;
    }
    const std::string_view v6 = text.substr(1, close - 1);
    if (v6.empty() || v6.find(':') == std::string_view::npos || !PlainHost(v6, error)) {
      if (error.empty()) error = "\"[" + std::string(v6) + "]\" is not an IPv6 address";
      return false;
    }
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') {
      error = "unexpected \"" + std::string(rest) + "\" after the IPv6 address";
      return false;
    }
    host = std::string(v6);
    if (!rest.empty()) havePort = true, portText = rest.substr(1);
  } else {
    const size_t colon = text.find(':');
    if (colon != std::string_view::npos && text.find(':', colon + 1) != std::string_view::npos) {
      error = "an IPv6 address goes in brackets, as in [::1]:10110";
      return false;
    }
    const std::string_view h = text.substr(0, colon);
    if (!PlainHost(h, error)) return false;
    if (!h.empty()) host = std::string(h);
    if (colon != std::string_view::npos) havePort = true, portText = text.substr(colon + 1);
  }
  return !havePort || ParsePort(portText, port, error, portZero);
}

std::string QuotedAddress(std::string_view text) {
  if (text.size() <= kMaxAddressLength) return std::string(text);
  return std::string(text.substr(0, 32)) + "...";
}

bool IsNetAddress(std::string_view text) {
  text = Trim(text);
  const size_t sep = text.find("://");
  if (sep == std::string_view::npos || sep == 0) return false;
  for (const char c : text.substr(0, sep))
    if (!((c | 0x20) >= 'a' && (c | 0x20) <= 'z')) return false;
  return true;
}

bool ParseNetAddress(std::string_view text, TNetAddress& address, std::string& error) {
  error.clear();
  text = Trim(text);
  // Refused before anything is copied, so that no message carries it whole.
  if (text.size() > kMaxAddressLength) {
    error = "\"" + QuotedAddress(text) + "\": an address of " + std::to_string(text.size()) +
            " characters is too long (at most " + std::to_string(kMaxAddressLength) + ")";
    return false;
  }
  const std::string quoted = "\"" + std::string(text) + "\": ";
  const size_t sep = text.find("://");
  if (!IsNetAddress(text)) {
    error = quoted + "not a source address (tcp://HOST:PORT, udp://[ADDRESS]:PORT or gpsd://HOST[:PORT][/DEVICE])";
    return false;
  }
  const std::string_view scheme = text.substr(0, sep);
  const TScheme* found = nullptr;
  for (const TScheme& s : kSchemes)
    if (SameLetters(s.Name, scheme)) found = &s;
  if (!found) {
    error = quoted + "unknown kind of source \"" + std::string(scheme) + "\" (tcp, udp or gpsd)";
    return false;
  }
  TNetAddress a;
  a.Kind = found->Kind;
  a.Port = found->DefaultPort;
  std::string_view rest = text.substr(sep + 3);
  // USER:PASSWORD@ before the host; a gpsd device path after the first "/" may hold an "@".
  const size_t at = a.Kind == TNetKind::Gpsd ? rest.substr(0, rest.find('/')).rfind('@') : rest.rfind('@');
  if (at != std::string_view::npos) {
    // The password is not repeated in the message.
    error = "\"" + std::string(text.substr(0, sep + 3)) + "***" + std::string(rest.substr(at)) +
            "\": user names and passwords are not taken in a " + std::string(found->Name) + ":// address";
    return false;
  }
  const size_t slash = rest.find('/');
  if (slash != std::string_view::npos) {
    if (a.Kind != TNetKind::Gpsd) {
      error = quoted + "unexpected \"" + std::string(rest.substr(slash)) + "\" after the port";
      return false;
    }
    a.Device = std::string(rest.substr(slash));
    if (a.Device.size() < 2) {
      error = quoted + "the device after the \"/\" is missing";
      return false;
    }
    rest = rest.substr(0, slash);
  }
  std::string why;
  if (!ParseHostPort(rest, a.Host, a.Port, why)) {
    error = quoted + why;
    return false;
  }
  if (a.Host.empty()) {
    if (a.Kind == TNetKind::Tcp) {
      error = quoted + "the host to connect to is missing, as in tcp://192.168.1.10:10110";
      return false;
    }
    if (a.Kind == TNetKind::Gpsd) a.Host = "localhost";
  }
  // Its plain form, with the port written out, must read back too.
  if (const size_t full = a.Text().size(); full > kMaxAddressLength) {
    error = "\"" + QuotedAddress(text) + "\": an address of " + std::to_string(full) +
            " characters with its port written out is too long (at most " + std::to_string(kMaxAddressLength) + ")";
    return false;
  }
  address = std::move(a);
  return true;
}

std::string TNetAddress::Text() const {
  std::string s;
  for (const TScheme& scheme : kSchemes)
    if (scheme.Kind == Kind) s = std::string(scheme.Name) + "://";
  s += Host.find(':') != std::string::npos ? "[" + Host + "]" : Host;
  s += ":" + std::to_string(Port) + Device;
  return s;
}

}  // namespace orvane
