// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/NmeaCommand.h"

#include <cctype>
#include <cstdint>

namespace orvane {

std::string ChecksumOf(std::string_view body) {
  uint8_t sum = 0;
  for (const char c : body) sum ^= static_cast<uint8_t>(c);
  static constexpr char kHex[] = "0123456789ABCDEF";
  return {kHex[sum >> 4], kHex[sum & 15]};
}

bool FrameCommand(std::string_view typed, std::string& sentence, std::string& error) {
  while (!typed.empty() && (typed.front() == ' ' || typed.front() == '\t')) typed.remove_prefix(1);
  while (!typed.empty() && std::isspace(static_cast<unsigned char>(typed.back()))) typed.remove_suffix(1);
  char start = '$';
  if (!typed.empty() && (typed.front() == '$' || typed.front() == '!')) {
    start = typed.front();
    typed.remove_prefix(1);
  }
  // The checksum typed is not trusted: the one sent is always computed.
  const size_t star = typed.rfind('*');
  if (star != std::string_view::npos && typed.size() - star <= 3) {
    bool hex = true;
    for (const char c : typed.substr(star + 1)) hex = hex && std::isxdigit(static_cast<unsigned char>(c));
    if (hex) typed = typed.substr(0, star);
  }
  if (typed.empty()) return (error = "nothing to send: type a sentence such as PMTK220,1000"), false;
  for (const char c : typed) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7E) return (error = "a command holds printable ASCII characters only"), false;
    if (c == '$' || c == '!' || c == '*')
      return (error = std::string("\"") + c + "\" may stand only at the start (\"$\") or before the checksum (\"*\")"),
             false;
  }
  sentence.assign(1, start);
  sentence.append(typed);
  sentence += '*';
  sentence += ChecksumOf(typed);
  sentence += "\r\n";
  return true;
}

}  // namespace orvane
