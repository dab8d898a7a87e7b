// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/SplitCommaText.h"

namespace orvane {
namespace {

// Codes 1 to 32 are the separators; code 0 is not, so it cannot end a field early.
bool IsGap(unsigned char c) { return c >= 1 && c <= 32; }

// A lead byte of a Shift_JIS double-byte character: its trail byte may look like a quote or a
// comma and must be stepped over with it.
bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

void SplitCommaText(std::string_view text, std::vector<std::string>& fields) {
  fields.clear();
  // The line ends at a NUL character, as it did for the zero-terminated text this rule was made for.
  text = text.substr(0, text.find('\0'));
  const size_t n = text.size();
  size_t i = 0;
  auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  while (i < n && IsGap(at(i))) ++i;
  while (i < n) {
    std::string field;
    if (text[i] == '"') {
      ++i;
      while (i < n) {
        if (text[i] == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        if (IsLeadByte(at(i)) && i + 1 < n) {
          field.append(text.substr(i, 2));
          i += 2;
          continue;
        }
        field += text[i++];
      }
    } else {
      while (i < n && at(i) > 32 && text[i] != ',') {
        if (IsLeadByte(at(i)) && i + 1 < n) {
          field.append(text.substr(i, 2));
          i += 2;
          continue;
        }
        field += text[i++];
      }
    }
    fields.push_back(std::move(field));
    while (i < n && IsGap(at(i))) ++i;
    if (i < n && text[i] == ',') {
      ++i;
      while (i < n && IsGap(at(i))) ++i;
    }
  }
}

}  // namespace orvane
