// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/Csv.h"

#include <algorithm>

namespace orvane {

void tcsv::UpdateClasses() {
  if (ClassesBuilt && ClassTokns == tokns && ClassStokns == stokns) return;
  Classes.fill(kPlain);
  for (char c : tokns) Classes[static_cast<unsigned char>(c)] = kSeparator;
  // A character in both sets opens and closes quotes: that test comes first.
  for (char c : stokns) Classes[static_cast<unsigned char>(c)] = kQuote;
  ClassTokns = tokns;
  ClassStokns = stokns;
  ClassesBuilt = true;
}

void tcsv::SplitViews(std::string_view line, std::vector<std::string_view>& fields) {
  if (line.empty()) return;
  UpdateClasses();
  fields.clear();
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  const size_t n = line.size();
  size_t s = 0;
  bool q = false;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t c = Classes[p[i]];
    if (c == kPlain) continue;
    if (c == kQuote) {
      q = !(stringflg && q);
    } else if (!(stringflg && q)) {
      fields.push_back(line.substr(s, i - s));
      s = i + 1;
    }
  }
  // Also when the line ends with a separator: that gives one empty field.
  fields.push_back(line.substr(s));
}

void tcsv::split() {
  if (text.empty()) return;
  SplitViews(text, Views);
  // Assigned in place, so that the strings keep their storage from split to split.
  items.resize(Views.size());
  for (size_t i = 0; i < Views.size(); ++i) {
    std::string& field = items[i];
    field.assign(Views[i]);
    if (sepaflg) std::erase_if(field, [this](char c) { return sepstring.find(c) != std::string::npos; });
  }
}

}  // namespace orvane
