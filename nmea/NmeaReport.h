// SPDX-License-Identifier: GPL-3.0-or-later
// What orvane-nmea prints of a decoded log: the data monitor's blocks and the satellite table,
// one JSON object per decoded sentence, or a summary of the whole log. Apart from the program so
// that the benchmark measures the same output.
#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "common/HostConv.h"
#include "geodrel.h"
#include "nmea/GpxWriter.h"
#include "nmea/NmeaBlocks.h"
#include "nmea/UNmeaProc.h"

namespace orvane {

// Output goes through one buffer: a 24-hour log makes millions of lines.
class TOut {
public:
  // nullptr: the output is discarded (for measuring).
  explicit TOut(FILE* file = stdout) : File(file) {}
  std::string buf;
  void Flush() {
    if (File && !buf.empty() && std::fwrite(buf.data(), 1, buf.size(), File) != buf.size()) failed = true;
    buf.clear();
  }
  void MaybeFlush() {
    if (buf.size() > (1 << 16)) Flush();
  }
  bool Finish() {
    Flush();
    return !File || (std::fflush(File) == 0 && !failed && !std::ferror(File));
  }

private:
  FILE* File;
  bool failed = false;
};

// ---- default output: what the monitor and the sky view would show --------------------------

class TTextDisplay : public TNullDisplay {
public:
  TTextDisplay(const TNmeaRec& rec, TOut& out) : Rec(rec), Out(out) {}

  bool WantsBlocks() const override { return true; }
  bool WantsEveryLine() const override { return true; }
  void ShowGGA(const std::string& block) override { Block(block); }
  void ShowGLL(const std::string& block) override { Block(block); }
  void ShowRMC(const std::string& block) override { Block(block); }
  void SetFixCaption(const std::string& caption) override {
    if (HaveCaption && caption == Caption) return;
    HaveCaption = true;
    Caption = caption;
    Out.buf += "Fix: " + caption + "\n\n";
  }
  // The visibility refresh, satellite 1 to 24 (64 with Gnss on), ends each GSV cycle.
  void SetSatVisible(int index, bool) override {
    if (index == SatLimit(Rec)) SatTable();
  }

private:
  void Block(const std::string& block) {
    // The monitor's blocks break lines with LF CR; a terminal wants LF.
    const std::string_view br = kBlockLineBreak;
    std::string_view b = block;
    for (size_t at; (at = b.find(br)) != std::string_view::npos; b.remove_prefix(at + br.size()))
      Out.buf.append(b.substr(0, at)).append("\n");
    Out.buf.append(b).append("\n\n");
    Out.MaybeFlush();
  }

  void SatTable() {
    std::string& out = Out.buf;
    out += "Satellites (";
    out += std::to_string(Rec.SatInView);
    out += " in view)\nPRN  Elev  Azim  SNR  Used\n";
    for (const TSatInfo& s : Rec.Sats) {
      if (s.Prn.empty()) continue;
      // As the sky view labels them, so that GPS 12 and Galileo 12 differ.
      const char letter = Rec.Gnss ? SystemLetter(s.System) : '\0';
      if (letter) out += letter;
      out += s.Prn;
      const size_t width = s.Prn.size() + (letter ? 1 : 0);
      if (width < 4) out.append(4 - width, ' ');
      Padded(s.Elevation, 5);
      out += ' ';
      Padded(s.Azimuth, 5);
      out += ' ';
      Padded(s.Snr, 4);
      out += s.Used ? "  yes\n" : "  no\n";
    }
    out += '\n';
    Out.MaybeFlush();
  }

  // As printf's %*d: right-aligned in `width` characters.
  void Padded(int32_t v, size_t width) {
    char digits[16];
    const size_t n = static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, v).ptr - digits);
    if (n < width) Out.buf.append(width - n, ' ');
    Out.buf.append(digits, n);
  }

  const TNmeaRec& Rec;
  TOut& Out;
  std::string Caption;
  bool HaveCaption = false;
};

// ---- JSON: one object per decoded sentence --------------------------------------------------

// Every GPS field of the record after a sentence of `type` ("GGA") was decoded, and a line end.
void AppendJsonRecord(std::string& out, const char* type, const TNmeaRec& r, int gsvSatCount);

// ---- GPX: every fix of the log as one track ----------------------------------------------------

// One point per fix time: the GGA and RMC of one second make one point, with the RMC's date and
// the GGA's height. A gap of more than a minute between fixes starts a new segment. Positions
// come from the receiver's datum (the last $PGRMM, WGS 84 until one) into WGS 84.
class TGpxLog {
public:
  TGpxLog(const TNmeaRec& rec, const TNmeaProc& proc, std::string& out, std::string_view name)
      : Rec(rec), Proc(proc), Gpx(out, name) {}
  void Add(const TSentenceInfo& info);
  // Writes the last point and closes the document.
  void Finish();
  int64_t Points() const { return Count; }

private:
  void Flush();
  const TNmeaRec& Rec;
  const TNmeaProc& Proc;
  TGpxWriter Gpx;
  bool Pending = false;
  TGpxPoint Point;
  std::string Time, Date;  // of the pending point
  std::string LastDate;    // of the last RMC
  int64_t LastSeconds = -1;
  bool LastDated = false;
  int64_t Count = 0;
};

// ---- summary: what a user checks a log for --------------------------------------------------

// Text from the receiver, made safe for a terminal.
std::string Printable(std::string_view s);
// hh:mm:ss as the decoders write it, in seconds of the day; -1 when it is not a time.
int SecondsOfDay(std::string_view t);
std::string Duration(int64_t s);
std::string Percent(int64_t part, int64_t whole);

class TSummary {
public:
  TSummary(const TNmeaRec& rec, const TNmeaProc& proc) : Rec(rec), Proc(proc) {}

  void Add(const TSentenceInfo& info) {
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
    } else if (type == "GGA") {
      const std::string_view quality = f[6].substr(0, 1);
      auto q = Quality.find(quality);
      if (q == Quality.end())
        Quality.emplace(quality, 1);
      else
        ++q->second;
      MaxUsedGga = std::max(MaxUsedGga, Rec.SatUsed);
      Time(f[1]);
      if (!f[6].empty() && f[6][0] != '0' && !f[2].empty() && !f[4].empty())
        Position(Rec.Lat, Rec.LatNS, Rec.Lon, Rec.LonEW);
    } else if (type == "RMC") {
      Time(f[1]);
      if (!f[9].empty()) {
        if (FirstDate.empty()) FirstDate = f[9];
        LastDate = f[9];
      }
      if (f[2] == "A" && !f[3].empty() && !f[5].empty()) Position(Rec.Lat, Rec.LatNS, Rec.Lon, Rec.LonEW);
    } else if (type == "GLL") {
      if (!f[6].empty() && f[6][0] == 'A' && !f[1].empty() && !f[3].empty())
        Position(Rec.GllLat, Rec.GllLatNS, Rec.GllLon, Rec.GllLonEW);
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

  void Print(std::string& out, const std::string& name, uint64_t bytes) const {
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
      std::snprintf(line, sizeof line, "  %-6s %10lld %15lld\n", kTypes[i], static_cast<long long>(Types[i].decoded),
                    static_cast<long long>(Types[i].tooFew));
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

    if (FirstTime.empty()) {
      out += "Fix times (GGA, RMC): none\n";
    } else {
      out += "Fix times (GGA, RMC): " + Printable(FirstTime) + " to " + Printable(LastTime) + " UTC, span " +
             Duration(Span) + "\n";
    }
    if (!FirstDate.empty()) out += "Dates (RMC): " + Printable(FirstDate) + " to " + Printable(LastDate) + "\n";

    int64_t ggas = 0;
    for (const auto& [q, n] : Quality) ggas += n;
    if (ggas == 0) {
      out += "Fix quality (GGA): none\n";
    } else {
      out += "Fix quality (GGA):";
      const char* sep = " ";
      for (const auto& [q, n] : Quality) {
        out += sep + QualityName(q) + " " + std::to_string(n) + " (" + Percent(n, ggas) + ")";
        sep = ", ";
      }
      out += '\n';
    }

    if (Positions == 0) {
      out += "Positions (valid fixes): none\n";
    } else {
      out += "Positions (valid fixes, signed decimal degrees): " + std::to_string(Positions) + "\n";
      out += "  latitude  " + FormatFixed(MinLat, 6) + " to " + FormatFixed(MaxLat, 6) + "\n";
      out += "  longitude " + FormatFixed(MinLon, 6) + " to " + FormatFixed(MaxLon, 6) + "\n";
    }
    out += "Satellites: at most " + std::to_string(MaxInView) + " in view (" + std::to_string(MaxStored) +
           " stored), " + std::to_string(MaxUsedGga) + " used (GGA), " +
           std::to_string(std::max(MaxUsedGsa, RunUsedGsa)) + " used (GSA)\n";
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

  // Sentences of multi-GNSS talkers that were ignored because Gnss is off.
  int64_t GnssIgnoredCount() const { return GnssIgnored; }

private:
  static constexpr const char* kTypes[] = {"GSV", "GSA", "GGA", "GLL", "RMC", "PGRMM"};
  static constexpr size_t kListedAddresses = 20;
  static constexpr size_t kListedLength = 16;  // bytes of an address shown
  // Garbage with a "$" in front can make endless distinct addresses; beyond this many they are
  // only counted.
  static constexpr size_t kMaxAddresses = 1000;
  struct TTypeCount {
    int64_t decoded = 0, tooFew = 0;
  };

  static size_t TypeIndex(const char* type) {
    for (size_t i = 0; i < std::size(kTypes); ++i)
      if (std::strcmp(kTypes[i], type) == 0) return i;
    return 0;
  }
  static std::string QualityName(const std::string& q) {
    if (q.empty()) return "no quality";
    if (q == "0") return "Invalid";
    if (q == "1") return "GPS Fix";
    if (q == "2") return "DGPS Fix";
    return "quality " + Printable(q);
  }

  void Ignore(std::string_view address) {
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

  // The span adds up the steps from fix to fix, so that it runs on across midnight; a step back
  // (a repeated or reordered time) adds nothing.
  void Time(std::string_view field) {
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

  void Position(double lat, const std::string& ns, double lon, const std::string& ew) {
    const double y = (ns == "S" ? -1 : 1) * DmsToDeg(lat);
    const double x = (ew == "W" ? -1 : 1) * DmsToDeg(lon);
    if (Positions++ == 0) {
      MinLat = MaxLat = y;
      MinLon = MaxLon = x;
    }
    MinLat = std::min(MinLat, y), MaxLat = std::max(MaxLat, y);
    MinLon = std::min(MinLon, x), MaxLon = std::max(MaxLon, x);
  }

  const TNmeaRec& Rec;
  const TNmeaProc& Proc;
  int64_t Framed = 0, Dropped = 0, IgnoredOther = 0, GnssIgnored = 0;
  std::array<int64_t, std::size(kGnssTalkers)> ByTalker{};
  static constexpr size_t kMaxOtherAddresses = 100000;
  std::unordered_set<size_t> OtherAddresses;
  bool OtherAddressesFull = false;
  std::array<TTypeCount, std::size(kTypes)> Types{};
  std::map<std::string, int64_t, std::less<>> IgnoredBy;
  std::map<std::string, int64_t, std::less<>> Quality;
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
