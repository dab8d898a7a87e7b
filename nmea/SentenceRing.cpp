// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/SentenceRing.h"

#include <stdexcept>

namespace orvane {

std::string_view SentenceType(std::string_view line) {
  if (!line.empty() && line[0] == '>') line.remove_prefix(1);
  if (line.empty() || line[0] != '$') return {};
  line.remove_prefix(1);
  return line.substr(0, line.find_first_of(",*"));
}

TSentenceRing::TSentenceRing(size_t capacity) : Capacity(capacity == 0 ? 1 : capacity) {}

bool TSentenceRing::Add(std::string_view line) {
  if (!Lines.empty() && line.size() > 1 && line[0] == '>') {
    std::string& newest = Lines[(Next + Lines.size() - 1) % Lines.size()];
    if (newest == line.substr(1)) {
      newest.insert(0, 1, '>');
      return false;
    }
  }
  ++Total_;
  if (Lines.size() < Capacity) {
    Lines.emplace_back(line);
    return true;
  }
  Lines[Next].assign(line);
  Next = (Next + 1) % Capacity;
  return true;
}

const std::string& TSentenceRing::At(size_t i) const {
  if (i >= Lines.size()) throw std::out_of_range("line " + std::to_string(i) + " of " + std::to_string(Lines.size()));
  return Lines.size() < Capacity ? Lines.at(i) : Lines.at((Next + i) % Capacity);
}

void TSentenceRates::Add(std::string_view type) {
  if (type.empty()) return;
  const auto it = Current.find(type);
  if (it != Current.end())
    ++it->second;
  else
    Current.emplace(type, 1);
}

void TSentenceRates::Tick() {
  for (auto& [type, count] : Last) count = 0;
  for (const auto& [type, count] : Current) Last[type] = count;
  Current.clear();
}

}  // namespace orvane
