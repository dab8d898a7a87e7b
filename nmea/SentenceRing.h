// SPDX-License-Identifier: GPL-3.0-or-later
// What the sentence console keeps: the last lines received, oldest first, and how many sentences
// of each type arrived in the last whole second.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// A sentence's type as the console lists and counts it: its address field without the "$"
// ("GPGGA" of "$GPGGA"); "" for a field that is no address.
std::string_view SentenceTypeOf(std::string_view address);

class TSentenceRing {
public:
  static constexpr size_t kCapacity = 500;
  explicit TSentenceRing(size_t capacity = kCapacity);

  // A line as the monitor's last-sentence line shows it, with its type ("" for a notice).
  void Add(std::string_view line, std::string_view type = {});
  size_t Size() const { return Lines.size() < Capacity ? Lines.size() : Capacity; }
  // Line i, 0 the oldest kept.
  const std::string& At(size_t i) const { return Entry(i).Text; }
  const std::string& TypeAt(size_t i) const { return Entry(i).Type; }
  // Lines added since the start: the newest kept is number Total() - 1.
  uint64_t Total() const { return Total_; }

private:
  struct TLine {
    std::string Text, Type;
  };
  const TLine& Entry(size_t i) const;
  size_t Capacity;
  std::vector<TLine> Lines;  // a ring once full; Next is the oldest then
  size_t Next = 0;
  uint64_t Total_ = 0;
};

// Counts sentences by type and closes a second on each Tick.
class TSentenceRates {
public:
  // Lines that are no sentence ("") are not counted.
  void Add(std::string_view type);
  // The second that ends now: its counts become LastSecond(), and counting starts again.
  void Tick();
  // The counts of the last closed second, by type; types seen before but not in it count 0.
  const std::map<std::string, int, std::less<>>& LastSecond() const { return Last; }
  // A sentence of `type` whose checksum did not match; counted since the start, by type.
  void AddBadChecksum(std::string_view type);
  const std::map<std::string, int64_t, std::less<>>& BadChecksums() const { return Bad; }

private:
  std::map<std::string, int, std::less<>> Current, Last;
  std::map<std::string, int64_t, std::less<>> Bad;
};

}  // namespace orvane
