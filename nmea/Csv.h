// A small splitter of one line of delimited text into fields. Separators, quote characters and
// the optional stripping of characters are properties; it knows nothing about NMEA.
#pragma once

#include <string>
#include <vector>

namespace orvane {

class tcsv {
public:
  std::string text;             // the line to split
  std::string tokns = ",";      // every character separates fields
  std::string stokns = "\"";    // every character opens or closes a quoted stretch
  bool stringflg = true;        // quoted stretches protect separators
  std::vector<std::string> items;  // the fields of the last split, in order
  std::string sepstring = "\""; // characters removed from each field when sepaflg is set
  bool sepaflg = false;

  // Splits `text` into `items`. An empty text leaves the previous fields in place.
  void split();

private:
  void Append(size_t from, size_t to);
};

}  // namespace orvane
