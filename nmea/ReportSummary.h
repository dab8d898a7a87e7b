// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-nmea --summary: what a user checks a log for.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "nmea/GnssSystems.h"
#include "nmea/NmeaRec.h"
#include "nmea/UNmeaProc.h"

namespace orvane {

// Text from the receiver, made safe for a terminal.
std::string Printable(std::string_view s);
std::string Duration(int64_t s);
std::string Percent(int64_t part, int64_t whole);

class TSummary {
public:
  TSummary(const TNmeaRec& rec, const TNmeaProc& proc) : Rec(rec), Proc(proc) {}

  void Add(const TSentenceInfo& info);

  void Print(std::string& out, const std::string& name, uint64_t bytes) const;

  // Sentences of multi-GNSS talkers that were ignored because Gnss is off.
  int64_t GnssIgnoredCount() const { return GnssIgnored; }

private:
  static constexpr size_t kListedAddresses = 20;
  static constexpr size_t kListedLength = 16;  // bytes of an address shown
  // Garbage with a "$" in front can make endless distinct addresses; beyond this many they are
  // only counted.
  static constexpr size_t kMaxAddresses = 1000;
  struct TTypeCount {
    int64_t decoded = 0, tooFew = 0, badChecksum = 0;
  };

  static size_t TypeIndex(const char* type);
  static std::string QualityName(const std::string& q);

  void Ignore(std::string_view address);

  // The span adds up the steps from fix to fix, so that it runs on across midnight; a step back
  // (a repeated or reordered time) adds nothing.
  void Time(std::string_view field);

  void Position(double lat, const std::string& ns, double lon, const std::string& ew);

  const TNmeaRec& Rec;
  const TNmeaProc& Proc;
  int64_t Framed = 0, Dropped = 0, IgnoredOther = 0, GnssIgnored = 0;
  std::array<int64_t, std::size(kGnssTalkers)> ByTalker{};
  static constexpr size_t kMaxOtherAddresses = 100000;
  std::unordered_set<size_t> OtherAddresses;
  bool OtherAddressesFull = false;
  std::array<TTypeCount, TNmeaProc::kTypeCount> Types{};  // by the processor's type rows
  std::map<std::string, int64_t, std::less<>> IgnoredBy;
  using TQualityCounts = std::map<std::string, int64_t, std::less<>>;
  // One line of the counts of each quality; a type that never came is left out unless `always`.
  static void QualityLine(std::string& out, const char* type, const TQualityCounts& counts, bool always);
  TQualityCounts Quality;
  TQualityCounts GnsQuality;
  std::string FirstTime, LastTime, FirstDate, LastDate;
  int PrevSeconds = -1;
  int64_t Span = 0;
  int64_t Positions = 0;
  double MinLat = 0, MaxLat = 0, MinLon = 0, MaxLon = 0;
  int MaxInView = 0, MaxStored = 0, MaxUsedGga = 0, MaxUsedGsa = 0;
  int RunUsedGsa = 0;  // used by the GSA sentences of the second under way
  std::vector<std::pair<std::string, int64_t>> Datums;
};

}  // namespace orvane
