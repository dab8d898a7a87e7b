#include "nmea/Csv.h"

namespace orvane {

void tcsv::Append(size_t from, size_t to) {
  std::string& field = items.emplace_back(text, from, to - from);
  if (sepaflg) std::erase_if(field, [this](char c) { return sepstring.find(c) != std::string::npos; });
}

void tcsv::split() {
  if (text.empty()) return;
  items.clear();
  size_t s = 0;
  bool q = false;
  const size_t n = text.size();
  size_t i = 0;
  for (; i < n; ++i) {
    const char c = text[i];
    if (stokns.find(c) != std::string::npos) {
      q = !(stringflg && q);
    } else if (tokns.find(c) != std::string::npos && !(stringflg && q)) {
      Append(s, i);
      s = i + 1;
    }
  }
  if (s == i) items.emplace_back();
  else Append(s, n);
}

}  // namespace orvane
