// SPDX-License-Identifier: GPL-3.0-or-later
// Japanese map files keep their names and labels in Shift_JIS (code page 932). Columns, keys and
// file names are compared as bytes; only what is shown to a person is decoded.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// True for a byte that begins a two-byte character (0x81-0x9F, 0xE0-0xFC).
constexpr bool IsSjisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Byte offset of the first occurrence of the two-byte character `lead trail` that starts on a
// character boundary, or npos. A match inside another two-byte character does not count.
size_t FindSjisChar(std::string_view text, unsigned char lead, unsigned char trail);

// CP932 bytes as UTF-8 for display. A byte sequence that is not CP932 becomes U+FFFD, so a
// damaged label still shows the rest of its text.
std::string SjisToUtf8(std::string_view sjis);

// The CP932 form of a UTF-8 text, or nothing when a character has none (or the text is not
// UTF-8).
std::optional<std::string> Utf8ToSjis(std::string_view utf8);

}  // namespace orvane
