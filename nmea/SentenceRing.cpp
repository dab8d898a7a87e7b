// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/SentenceRing.h"

#include <stdexcept>

namespace orvane {

std::string_view SentenceTypeOf(std::string_view address) {
  if (address.size() < 2 || address[0] != '$') return {};
  return address.substr(1);
}

TSentenceRing::TSentenceRing(size_t capacity) : Capacity(capacity == 0 ? 1 : capacity) {}

void TSentenceRing::Add(std::string_view line, std::string_view type) {
  ++Total_;
  if (Lines.size() < Capacity) {
    Lines.push_back({std::string(line), std::string(type)});
    return;
  }
  Lines[Next].Text.assign(line);
  Lines[Next].Type.assign(type);
  Next = (Next + 1) % Capacity;
}

const TSentenceRing::TLine& TSentenceRing::Entry(size_t i) const {
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

void TSentenceRates::AddBadChecksum(std::string_view type) {
  const auto it = Bad.find(type);
  if (it != Bad.end())
    ++it->second;
  else
    Bad.emplace(type, 1);
}

void TSentenceRates::Tick() {
  for (auto& [type, count] : Last) count = 0;
  for (const auto& [type, count] : Current) Last[type] = count;
  Current.clear();
}

}  // namespace orvane
