// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/ReportSummary.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/HostConv.h"
#include "geodrel.h"
#include "nmea/FixQuality.h"
#include "nmea/ReportFix.h"

namespace orvane {

std::string Printable(std::string_view s) {
  std::string out;
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7F) {
      out += ch;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

std::string Duration(int64_t s) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  return buf;
}

std::string Percent(int64_t part, int64_t whole) {
  return FormatFixed(100.0 * static_cast<double>(part) / static_cast<double>(whole), 1) + "%";
}

void TSummary::Add(const TSentenceInfo& info) {
  ++Framed;
  // The GSA sentences of one second end with the first sentence of another kind.
  if (info.outcome != TSentenceOutcome::Dropped &&
      !(info.type && std::strcmp(info.type, "GSA") == 0 && info.outcome == TSentenceOutcome::Decoded)) {
    MaxUsedGsa = std::max(MaxUsedGsa, RunUsedGsa);
    RunUsedGsa = 0;
  }
  switch (info.outcome) {
    case TSentenceOutcome::Dropped:
      ++Dropped;
      return;
    case TSentenceOutcome::Ignored:
      if (IsGnssOnlySentence(info.address)) ++GnssIgnored;
      Ignore(info.address);
      return;
    case TSentenceOutcome::TooFewFields:
      ++Types[TypeIndex(info.type)].tooFew;
      return;
    case TSentenceOutcome::BadChecksum:
      ++Types[TypeIndex(info.type)].badChecksum;
      return;
    case TSentenceOutcome::Decoded:
      break;
  }
  const std::string_view type = info.type;
  ++Types[TypeIndex(info.type)].decoded;
  if (Proc.TalkerIndex() >= 0) ++ByTalker[static_cast<size_t>(Proc.TalkerIndex())];
  const std::vector<std::string_view>& f = Proc.Fields();
  if (type == "GSV") {
    MaxInView = std::max(MaxInView, Rec.SatInView);
    MaxStored = std::max(MaxStored, Proc.GsvSatCount());
  } else if (type == "GSA") {
    if (Rec.FixValid && !f[2].empty() && static_cast<unsigned char>(f[2][0]) > '1')
      RunUsedGsa = static_cast<int>(Proc.UsedSatCount());
  } else if (type == "GGA" || type == "GNS") {
    // A GNS counts by the quality its best mode letter stands for.
    const std::string quality = type == "GGA" ? std::string(f[6].substr(0, 1)) : std::string(1, Rec.GgaQuality);
    auto& counts = type == "GGA" ? Quality : GnsQuality;
    auto q = counts.find(quality);
    if (q == counts.end())
      counts.emplace(quality, 1);
    else
      ++q->second;
    MaxUsedGga = std::max(MaxUsedGga, Rec.SatUsed);
    Time(f[1]);
    if (SentenceHasFix(type, f)) Position(Rec.Lat, Rec.LatNS, Rec.Lon, Rec.LonEW);
  } else if (type == "RMC") {
    Time(f[1]);
    if (!f[9].empty()) {
      if (FirstDate.empty()) FirstDate = f[9];
      LastDate = f[9];
    }
    if (SentenceHasFix(type, f)) Position(Rec.Lat, Rec.LatNS, Rec.Lon, Rec.LonEW);
  } else if (type == "GLL") {
    if (SentenceHasFix(type, f)) Position(Rec.GllLat, Rec.GllLatNS, Rec.GllLon, Rec.GllLonEW);
  } else if (type == "PGRMM") {
    if (!f[1].empty()) {
      auto it = std::find_if(Datums.begin(), Datums.end(), [&](const auto& d) { return d.first == f[1]; });
      if (it == Datums.end())
        Datums.emplace_back(std::string(f[1]), 1);
      else
        ++it->second;
    }
  }
}

void TSummary::Print(std::string& out, const std::string& name, uint64_t bytes) const {
  int64_t decoded = 0, tooFew = 0, ignored = 0;
  for (const TTypeCount& t : Types) decoded += t.decoded, tooFew += t.tooFew;
  for (const auto& [address, n] : IgnoredBy) ignored += n;
  ignored += IgnoredOther;
  char line[160];
  out += "Log: " + name + ", " + std::to_string(bytes) + " bytes\n";
  std::snprintf(line, sizeof line,
                "Sentences: %lld framed, %lld decoded, %lld ignored, %lld with too few fields, %lld dropped\n",
                static_cast<long long>(Framed), static_cast<long long>(decoded), static_cast<long long>(ignored),
                static_cast<long long>(tooFew), static_cast<long long>(Dropped));
  out += line;
  out += "  type      decoded  too few fields\n";
  for (size_t i = 0; i < Types.size(); ++i) {
    std::snprintf(line, sizeof line, "  %-6s %10lld %15lld\n", TNmeaProc::TypeName(i),
                  static_cast<long long>(Types[i].decoded), static_cast<long long>(Types[i].tooFew));
    out += line;
  }
  if (ignored) {
    std::vector<std::pair<std::string, int64_t>> by(IgnoredBy.begin(), IgnoredBy.end());
    std::stable_sort(by.begin(), by.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    out += "Ignored, by address field:";
    const char* sep = " ";
    for (size_t i = 0; i < by.size() && i < kListedAddresses; ++i) {
      const std::string& a = by[i].first;
      out += sep + Printable(a.substr(0, kListedLength)) + (a.size() > kListedLength ? "..." : "") + " " +
             std::to_string(by[i].second);
      sep = ", ";
    }
    // A binary file makes endless distinct addresses; the list stays one readable line.
    const size_t more = (by.size() > kListedAddresses ? by.size() - kListedAddresses : 0) + OtherAddresses.size();
    if (more) out += std::string(sep) + "and " + std::to_string(more) + (OtherAddressesFull ? " or more" : " more");
    out += '\n';
  }
  if (Rec.Gnss) {
    out += "Decoded, by talker:";
    const char* sep = " ";
    for (size_t i = 0; i < ByTalker.size(); ++i) {
      if (!ByTalker[i]) continue;
      out += sep + std::string(kGnssTalkers[i]) + " " + std::to_string(ByTalker[i]);
      sep = ", ";
    }
    out += *sep == ' ' ? " none\n" : "\n";
  }
  if (Dropped) out += "Dropped: " + std::to_string(Dropped) + " not beginning with \"$\"\n";
  // Only when there are any, so that a clean log's summary reads as it always did.
  int64_t bad = 0;
  std::string badBy;
  for (size_t i = 0; i < Types.size(); ++i) {
    if (!Types[i].badChecksum) continue;
    bad += Types[i].badChecksum;
    badBy +=
        std::string(badBy.empty() ? "" : ", ") + TNmeaProc::TypeName(i) + " " + std::to_string(Types[i].badChecksum);
  }
  if (bad) out += "Bad checksums (not decoded): " + std::to_string(bad) + " (" + badBy + ")\n";

  if (FirstTime.empty()) {
    out += "Fix times (GGA, RMC): none\n";
  } else {
    out += "Fix times (GGA, RMC): " + Printable(FirstTime) + " to " + Printable(LastTime) + " UTC, span " +
           Duration(Span) + "\n";
  }
  if (!FirstDate.empty()) out += "Dates (RMC): " + Printable(FirstDate) + " to " + Printable(LastDate) + "\n";

  QualityLine(out, "GGA", Quality, true);
  QualityLine(out, "GNS", GnsQuality, false);

  if (Positions == 0) {
    out += "Positions (valid fixes): none\n";
  } else {
    out += "Positions (valid fixes, signed decimal degrees): " + std::to_string(Positions) + "\n";
    out += "  latitude  " + FormatFixed(MinLat, 6) + " to " + FormatFixed(MaxLat, 6) + "\n";
    out += "  longitude " + FormatFixed(MinLon, 6) + " to " + FormatFixed(MaxLon, 6) + "\n";
  }
  out += "Satellites: at most " + std::to_string(MaxInView) + " in view (" + std::to_string(MaxStored) + " stored), " +
         std::to_string(MaxUsedGga) + " used (GGA), " + std::to_string(std::max(MaxUsedGsa, RunUsedGsa)) +
         " used (GSA)\n";
  if (Datums.empty()) {
    out += "Datums announced ($PGRMM): none\n";
  } else {
    out += "Datums announced ($PGRMM):";
    const char* sep = " ";
    for (const auto& [d, n] : Datums) {
      out += sep + Printable(d) + " (" + std::to_string(n) + ")";
      sep = ", ";
    }
    out += '\n';
  }
}

size_t TSummary::TypeIndex(const char* type) {
  for (size_t i = 0; i < TNmeaProc::kTypeCount; ++i)
    if (std::strcmp(TNmeaProc::TypeName(i), type) == 0) return i;
  return 0;
}

void TSummary::QualityLine(std::string& out, const char* type, const TQualityCounts& counts, bool always) {
  int64_t all = 0;
  for (const auto& [q, n] : counts) all += n;
  if (all == 0) {
    if (always) out += std::string("Fix quality (") + type + "): none\n";
    return;
  }
  out += std::string("Fix quality (") + type + "):";
  const char* sep = " ";
  for (const auto& [q, n] : counts) {
    out += sep + QualityName(q) + " " + std::to_string(n) + " (" + Percent(n, all) + ")";
    sep = ", ";
  }
  out += '\n';
}

std::string TSummary::QualityName(const std::string& q) {
  if (q.empty()) return "no quality";
  if (const TFixQuality* row = FixQualityOf(q[0])) return row->Name;
  return "quality " + Printable(q);
}

void TSummary::Ignore(std::string_view address) {
  auto it = IgnoredBy.find(address);
  if (it != IgnoredBy.end())
    ++it->second;
  else if (IgnoredBy.size() < kMaxAddresses)
    IgnoredBy.emplace(address, 1);
  else {
    ++IgnoredOther;
    // Told apart up to a bound, so memory stays flat however large the file.
    if (OtherAddresses.size() < kMaxOtherAddresses)
      OtherAddresses.insert(std::hash<std::string_view>{}(address));
    else
      OtherAddressesFull = true;
  }
}

void TSummary::Time(std::string_view field) {
  const std::string t = Rec.FixTime;
  const int s = SecondsOfDay(t);
  if (field.empty()) return;
  if (FirstTime.empty()) FirstTime = t;
  LastTime = t;
  if (s < 0) return;
  if (PrevSeconds >= 0) {
    const int step = (s - PrevSeconds + 86400) % 86400;
    if (step <= 43200) Span += step;
  }
  PrevSeconds = s;
}

void TSummary::Position(double lat, const std::string& ns, double lon, const std::string& ew) {
  const double y = (ns == "S" ? -1 : 1) * DmsToDeg(lat);
  const double x = (ew == "W" ? -1 : 1) * DmsToDeg(lon);
  if (Positions++ == 0) {
    MinLat = MaxLat = y;
    MinLon = MaxLon = x;
  }
  MinLat = std::min(MinLat, y), MaxLat = std::max(MaxLat, y);
  MinLon = std::min(MinLon, x), MaxLon = std::max(MaxLon, x);
}

}  // namespace orvane
