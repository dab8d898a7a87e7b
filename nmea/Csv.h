// SPDX-License-Identifier: GPL-3.0-or-later
// A small splitter of one line of delimited text into fields. Separators, quote characters and
// the optional stripping of characters are properties; it knows nothing about NMEA.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

class tcsv {
public:
  std::string text;                // the line to split
  std::string tokns = ",";         // every character separates fields
  std::string stokns = "\"";       // every character opens or closes a quoted stretch
  bool stringflg = true;           // quoted stretches protect separators
  std::vector<std::string> items;  // the fields of the last split, in order
  std::string sepstring = "\"";    // characters removed from each field when sepaflg is set
  bool sepaflg = false;

  // Splits `text` into `items`. An empty text leaves the previous fields in place.
  void split();

  // The same cut of `line`, with the fields as views into it and nothing stripped (a view cannot
  // drop characters), for a caller that only reads them while the line lives. An empty line
  // leaves `fields` as they were.
  void SplitViews(std::string_view line, std::vector<std::string_view>& fields);

private:
  enum : uint8_t { kPlain = 0, kQuote = 1, kSeparator = 2 };
  void UpdateClasses();

  // What each byte is under the current tokns and stokns, rebuilt when they change.
  std::array<uint8_t, 256> Classes{};
  std::string ClassTokns, ClassStokns;
  bool ClassesBuilt = false;
  std::vector<std::string_view> Views;
};

}  // namespace orvane
