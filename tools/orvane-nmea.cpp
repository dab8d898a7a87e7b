// orvane-nmea: decodes an NMEA log, or standard input, through exactly the framing and decoders
// the live receiver goes through, and prints what they made of it: the data monitor's blocks,
// one JSON object per decoded sentence, or a summary of the whole log.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "common/HostConv.h"
#include "geodrel.h"
#include "nmea/NmeaBlocks.h"
#include "nmea/UNmeaProc.h"
#include "tools/ToolArgs.h"

namespace orvane {
namespace {

constexpr const char* kUsage =
    "Usage: orvane-nmea [OPTION]... [FILE]\n"
    "Decodes an NMEA 0183 log (standard input when FILE is absent or \"-\") through the same\n"
    "framing and decoders as a live receiver and prints what they made of it.\n"
    "\n"
    "  (no option)       after each GGA, GLL and RMC the data monitor's block, after each\n"
    "                    GSV cycle the satellite table, and the fix caption when it changes\n"
    "  --json            one JSON object per decoded sentence, with every GPS field\n"
    "  --summary         sentence counts, fix times and quality, extent of the positions,\n"
    "                    satellites and datums of the whole log\n"
    "  --gpsfix GSA|RMC  the sentence whose position marks a fix valid (default GSA)\n"
    "  --chunk-size N    bytes handed to the receive path at a time (default 4096)\n"
    "  --help            this text\n"
    "  --version         the version\n"
    "\n"
    "Exit status: 0 when the log was read to its end, 1 when it could not be read, 2 for a\n"
    "wrong command line.\n";

// Output goes through one buffer: a 24-hour log makes millions of lines.
class TOut {
public:
  std::string buf;
  void Flush() {
    if (!buf.empty() && std::fwrite(buf.data(), 1, buf.size(), stdout) != buf.size()) failed = true;
    buf.clear();
  }
  void MaybeFlush() {
    if (buf.size() > (1 << 16)) Flush();
  }
  bool Finish() {
    Flush();
    return std::fflush(stdout) == 0 && !failed && !std::ferror(stdout);
  }

private:
  bool failed = false;
};

// ---- default output: what the monitor and the sky view would show --------------------------

class TTextDisplay : public TNullDisplay {
public:
  TTextDisplay(const TNmeaRec& rec, TOut& out) : Rec(rec), Out(out) {}

  void ShowGGA(const std::string& block) override { Block(block); }
  void ShowGLL(const std::string& block) override { Block(block); }
  void ShowRMC(const std::string& block) override { Block(block); }
  void SetFixCaption(const std::string& caption) override {
    if (HaveCaption && caption == Caption) return;
    HaveCaption = true;
    Caption = caption;
    Out.buf += "Fix: " + caption + "\n\n";
  }
  // The visibility refresh, satellite 1 to 24, ends each GSV cycle.
  void SetSatVisible(int index, bool) override {
    if (index == kMaxSats) SatTable();
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
    Out.buf += "Satellites (" + std::to_string(Rec.SatInView) + " in view)\n";
    Out.buf += "PRN  Elev  Azim  SNR  Used\n";
    for (const TSatInfo& s : Rec.Sats) {
      if (s.Prn.empty()) continue;
      char line[96];
      std::snprintf(line, sizeof line, "%5d %5d %4d  %s\n", s.Elevation, s.Azimuth, s.Snr, s.Used ? "yes" : "no");
      std::string prn = s.Prn;
      if (prn.size() < 4) prn.resize(4, ' ');
      Out.buf += prn + line;
    }
    Out.buf += '\n';
    Out.MaybeFlush();
  }

  const TNmeaRec& Rec;
  TOut& Out;
  std::string Caption;
  bool HaveCaption = false;
};

// ---- JSON: one object per decoded sentence --------------------------------------------------

// Bytes are taken one by one as the receiver sent them; control characters and bytes of 0x80
// and above are escaped so that the output is valid JSON whatever arrived.
void JsonString(std::string& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '"';
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c >= 0x7F) {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  out += '"';
}

// A character field: code 0 means "none" and is the empty text.
void JsonChar(std::string& out, char c) { JsonString(out, c ? std::string_view(&c, 1) : std::string_view()); }

// The shortest text that reads back to the same value; JSON has no infinity (a speed of 1e308
// knots times 1.583 overflows), so non-finite values are null.
template <typename T>
void JsonNumber(std::string& out, T v) {
  if (!std::isfinite(v)) {
    out += "null";
    return;
  }
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, ec == std::errc() ? end : buf);
}

class TJson {
public:
  explicit TJson(std::string& out) : Out(out) {}
  TJson& Key(const char* name) {
    Out += First ? "{\"" : ",\"";
    First = false;
    Out += name;
    Out += "\":";
    return *this;
  }
  TJson& Str(const char* name, std::string_view v) { return Key(name), JsonString(Out, v), *this; }
  TJson& Chr(const char* name, char v) { return Key(name), JsonChar(Out, v), *this; }
  TJson& Int(const char* name, int64_t v) { return Key(name), Out += std::to_string(v), *this; }
  TJson& Bool(const char* name, bool v) { return Key(name), Out += v ? "true" : "false", *this; }
  TJson& Dbl(const char* name, double v) { return Key(name), JsonNumber(Out, v), *this; }
  TJson& Flt(const char* name, float v) { return Key(name), JsonNumber(Out, v), *this; }
  void End() { Out += First ? "{}" : "}"; }

private:
  std::string& Out;
  bool First = true;
};

void AppendJsonRecord(std::string& out, const char* type, const TNmeaRec& r, int gsvSatCount) {
  TJson j(out);
  j.Str("sentence", type).Int("SatInView", r.SatInView).Str("SatInViewList", r.SatInViewList).Key("Sats");
  out += '[';
  bool first = true;
  for (const TSatInfo& s : r.Sats) {
    if (s.Prn.empty()) continue;
    if (!first) out += ',';
    first = false;
    TJson(out).Str("Prn", s.Prn).Int("Elevation", s.Elevation).Int("Azimuth", s.Azimuth).Int("Snr", s.Snr)
        .Bool("Used", s.Used).End();
  }
  out += ']';
  j.Bool("FixValid", r.FixValid).Str("SatUsedList", r.SatUsedList).Chr("FixMode", r.FixMode)
      .Int("SatUsed", r.SatUsed).Flt("GgaHdop", r.GgaHdop).Flt("Pdop", r.Pdop).Flt("Hdop", r.Hdop)
      .Flt("Vdop", r.Vdop).Str("FixQuality", r.FixQuality).Str("FixTime", r.FixTime).Str("FixDate", r.FixDate)
      .Dbl("Lat", r.Lat).Str("LatNS", r.LatNS).Dbl("Lon", r.Lon).Str("LonEW", r.LonEW)
      .Dbl("Altitude", r.Altitude).Dbl("Geoid", r.Geoid).Chr("AltUnit", r.AltUnit).Chr("GeoidUnit", r.GeoidUnit)
      .Dbl("Speed", r.Speed).Dbl("Course", r.Course).Dbl("MagVar", r.MagVar).Str("MagVarEW", r.MagVarEW)
      .Str("GllTime", r.GllTime).Dbl("GllLat", r.GllLat).Dbl("GllLon", r.GllLon).Str("GllLatNS", r.GllLatNS)
      .Str("GllLonEW", r.GllLonEW).Chr("GllStatus", r.GllStatus).Str("GpsDatum", r.GpsDatum)
      .Int("GsvSatCount", gsvSatCount)
      .End();
  out += '\n';
}

// ---- summary: what a user checks a log for --------------------------------------------------

// Text from the receiver, made safe for a terminal.
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

// hh:mm:ss as the decoders write it, in seconds of the day; -1 when it is not a time.
int SecondsOfDay(std::string_view t) {
  if (t.size() != 8 || t[2] != ':' || t[5] != ':') return -1;
  int v[3];
  for (int i = 0; i < 3; ++i) {
    const char a = t[3 * i], b = t[3 * i + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    v[i] = (a - '0') * 10 + (b - '0');
  }
  if (v[0] > 23 || v[1] > 59 || v[2] > 60) return -1;
  return v[0] * 3600 + v[1] * 60 + v[2];
}

std::string Duration(int64_t s) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  return buf;
}

std::string Percent(int64_t part, int64_t whole) { return FormatFixed(100.0 * static_cast<double>(part) / static_cast<double>(whole), 1) + "%"; }

class TSummary {
public:
  TSummary(const TNmeaRec& rec, const TNmeaProc& proc) : Rec(rec), Proc(proc) {}

  void Add(const TSentenceInfo& info) {
    ++Framed;
    switch (info.outcome) {
      case TSentenceOutcome::Dropped: ++Dropped; return;
      case TSentenceOutcome::Ignored: Ignore(info.address); return;
      case TSentenceOutcome::TooFewFields: ++Types[TypeIndex(info.type)].tooFew; return;
      case TSentenceOutcome::Decoded: break;
    }
    const std::string_view type = info.type;
    ++Types[TypeIndex(info.type)].decoded;
    const std::vector<std::string>& f = Proc.Fields();
    if (type == "GSV") {
      MaxInView = std::max(MaxInView, Rec.SatInView);
      MaxStored = std::max(MaxStored, Proc.GsvSatCount());
    } else if (type == "GSA") {
      if (Rec.FixValid && !f[2].empty() && static_cast<unsigned char>(f[2][0]) > '1') {
        int used = 0;
        for (size_t k = 3; k <= 14; ++k) used += !f[k].empty();
        MaxUsedGsa = std::max(MaxUsedGsa, used);
      }
    } else if (type == "GGA") {
      ++Quality[f[6].empty() ? std::string() : f[6].substr(0, 1)];
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
        if (it == Datums.end()) Datums.emplace_back(f[1], 1);
        else ++it->second;
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
      if (more) out += std::string(sep) + "and " + std::to_string(more) + " more";
      out += '\n';
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
           " stored), " + std::to_string(MaxUsedGga) + " used (GGA), " + std::to_string(MaxUsedGsa) +
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
    const std::string key(address);
    auto it = IgnoredBy.find(key);
    if (it != IgnoredBy.end()) ++it->second;
    else if (IgnoredBy.size() < kMaxAddresses) IgnoredBy.emplace(key, 1);
    else {
      ++IgnoredOther;
      OtherAddresses.insert(std::hash<std::string>{}(key));
    }
  }

  // The span adds up the steps from fix to fix, so that it runs on across midnight; a step back
  // (a repeated or reordered time) adds nothing.
  void Time(const std::string& field) {
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
  int64_t Framed = 0, Dropped = 0, IgnoredOther = 0;
  std::array<TTypeCount, std::size(kTypes)> Types{};
  std::map<std::string, int64_t> IgnoredBy;
  // Beyond kMaxAddresses only told apart, for the count of those not listed.
  std::unordered_set<size_t> OtherAddresses;
  std::map<std::string, int64_t> Quality;
  std::string FirstTime, LastTime, FirstDate, LastDate;
  int PrevSeconds = -1;
  int64_t Span = 0;
  int64_t Positions = 0;
  double MinLat = 0, MaxLat = 0, MinLon = 0, MaxLon = 0;
  int MaxInView = 0, MaxStored = 0, MaxUsedGga = 0, MaxUsedGsa = 0;
  std::vector<std::pair<std::string, int64_t>> Datums;
};

// ---- command line ---------------------------------------------------------------------------

enum class TMode { Text, Json, Summary };

int Usage(const std::string& message) { return UsageError("orvane-nmea", message); }

int Run(int argc, char** argv) {
  TMode mode = TMode::Text;
  bool modeSet = false;
  std::string gpsFix = "$GPGSA";
  size_t chunk = 4096;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    } else if (a == "--version") {
      std::printf("orvane-nmea %s\n", ORVANE_VERSION);
      return std::fflush(stdout) == 0 ? 0 : 1;
    } else if (a == "--json" || a == "--summary") {
      const TMode m = a == "--json" ? TMode::Json : TMode::Summary;
      if (modeSet && m != mode) return Usage("--json and --summary exclude each other");
      mode = m;
      modeSet = true;
    } else if (a == "--gpsfix") {
      const char* v = value();
      if (!v) return Usage("--gpsfix needs GSA or RMC");
      const std::string_view s = v;
      if (s == "GSA" || s == "$GPGSA") gpsFix = "$GPGSA";
      else if (s == "RMC" || s == "$GPRMC") gpsFix = "$GPRMC";
      else return Usage("--gpsfix takes GSA or RMC, not '" + std::string(s) + "'");
    } else if (a == "--chunk-size") {
      const char* v = value();
      int32_t n = 0;
      if (!v || !TryStrToInt(v, n) || n < 1 || n > (1 << 24))
        return Usage("--chunk-size needs a number of bytes from 1 to 16777216");
      chunk = static_cast<size_t>(n);
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage("unknown option '" + std::string(a) + "'");
    } else if (path) {
      return Usage("one log at a time");
    } else {
      path = argv[i];
    }
  }
  const bool useStdin = !path || std::string_view(path) == "-";
  const std::string name = useStdin ? "standard input" : std::string(path);

  int fd = 0;
  if (!useStdin) {
    fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      std::fprintf(stderr, "orvane-nmea: cannot open \"%s\": %s\n", path, std::strerror(errno));
      return 1;
    }
  }

  TNmeaRec rec;
  // The program's defaults of the two settings the decoders read.
  rec.GpsFix = gpsFix;
  rec.GpsDatum = "WGS 84";
  TOut out;
  TTextDisplay text(rec, out);
  TNullDisplay none;
  TNmeaProc proc(rec, mode == TMode::Text ? static_cast<TNmeaDisplay&>(text) : none);
  TSummary summary(rec, proc);
  if (mode == TMode::Json) {
    proc.OnSentence = [&](const TSentenceInfo& info) {
      if (info.outcome != TSentenceOutcome::Decoded) return;
      AppendJsonRecord(out.buf, info.type, rec, proc.GsvSatCount());
      out.MaybeFlush();
    };
  } else if (mode == TMode::Summary) {
    proc.OnSentence = [&](const TSentenceInfo& info) { summary.Add(info); };
  }

  std::vector<uint8_t> buf(chunk + 1);
  size_t carry = 0;
  uint64_t bytes = 0;
  bool sawCr = false;
  int status = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buf.data() + carry, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      std::fprintf(stderr, "orvane-nmea: cannot read \"%s\": %s\n", name.c_str(), std::strerror(errno));
      status = 1;
      break;
    }
    if (n == 0) break;
    bytes += static_cast<uint64_t>(n);
    const size_t len = carry + static_cast<size_t>(n);
    sawCr = sawCr || std::memchr(buf.data() + carry, '\r', static_cast<size_t>(n));
    // A delivery that ended between CR and LF would leave the LF to begin, and so spoil, the
    // next sentence. Where a file is cut into reads is chance, so the CR waits for its LF.
    carry = buf[len - 1] == '\r' ? 1 : 0;
    proc.ProcessReceivedBytes(buf.data(), len - carry);
    if (carry) buf[0] = '\r';
  }
  if (carry) proc.ProcessReceivedBytes(buf.data(), 1);
  if (fd != 0) ::close(fd);

  if (status == 0 && !proc.PendingText().empty()) {
    if (!sawCr)
      std::fprintf(stderr, "orvane-nmea: \"%s\": no carriage return anywhere, so no sentence was framed "
                   "(NMEA lines end in CR LF)\n", name.c_str());
    else
      std::fprintf(stderr, "orvane-nmea: \"%s\": %zu bytes at the end are not ended by CR LF and were not decoded\n",
                   name.c_str(), proc.PendingText().size());
  }
  if (mode == TMode::Summary && status == 0) summary.Print(out.buf, name, bytes);
  if (!out.Finish()) {
    std::fprintf(stderr, "orvane-nmea: cannot write standard output: %s\n", std::strerror(errno));
    return 1;
  }
  return status;
}

}  // namespace
}  // namespace orvane

int main(int argc, char** argv) { return orvane::Run(argc, argv); }
