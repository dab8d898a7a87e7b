// SPDX-License-Identifier: GPL-3.0-or-later
// The one rule by which map files, type tables and the placement store cut a line into fields:
// blanks separate fields as commas do, a double-quoted field may hold both ("" stands for one
// quote), two commas in a row give an empty field, and a comma at the very end gives none.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// Empties `fields` first, then appends the fields of `text` in order.
void SplitCommaText(std::string_view text, std::vector<std::string>& fields);

inline std::vector<std::string> SplitCommaText(std::string_view text) {
  std::vector<std::string> fields;
  SplitCommaText(text, fields);
  return fields;
}

}  // namespace orvane
