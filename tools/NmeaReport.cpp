#include "tools/NmeaReport.h"

#include <charconv>
#include <cmath>

namespace orvane {
namespace {

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

}  // namespace

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

std::string Percent(int64_t part, int64_t whole) {
  return FormatFixed(100.0 * static_cast<double>(part) / static_cast<double>(whole), 1) + "%";
}

}  // namespace orvane
