// SPDX-License-Identifier: GPL-3.0-or-later
// Network source addresses as the user types them: tcp://HOST:PORT, udp://[ADDRESS]:PORT and
// gpsd://HOST[:PORT][/DEVICE]. IPv6 literals go in brackets ([::1]:10110).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

enum class TNetKind : uint8_t { Tcp, Udp, Gpsd };

// The registered port of NMEA over IP, and gpsd's port.
constexpr uint16_t kNmeaPort = 10110;
constexpr uint16_t kGpsdPort = 2947;
// No address is longer; a longer text is refused as it is, without being parsed.
constexpr size_t kMaxAddressLength = 1024;

struct TNetAddress {
  TNetKind Kind = TNetKind::Tcp;
  std::string Host;  // without brackets; empty for a UDP listener on every local address
  uint16_t Port = kNmeaPort;
  std::string Device;  // gpsd only: the receiver to watch, "/dev/ttyUSB0"; empty for all

  // The address written out again in its plain form, the way messages name the source.
  std::string Text() const;
};

// True when the text names a network source (begins with a scheme such as "tcp://"), so that it is
// this folder's to parse; a device path is not.
bool IsNetAddress(std::string_view text);

// The text as messages name it: whole, or only its start when it is longer than any address.
std::string QuotedAddress(std::string_view text);

// False with `error` saying what is wrong ("tcp://gps: no port ..."); blanks around are ignored.
bool ParseNetAddress(std::string_view text, TNetAddress& address, std::string& error);

// "HOST:PORT", "[V6]:PORT", "HOST" or ":PORT" into its parts; a part that is absent is left as it
// was. Port 0 (any free port) only for a server's own address. Used by the address parser and the
// tools' command lines.
bool ParseHostPort(std::string_view text, std::string& host, uint16_t& port, std::string& error, bool portZero = false);

}  // namespace orvane
