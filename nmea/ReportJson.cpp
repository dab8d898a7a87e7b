// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/ReportJson.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "common/HostConv.h"
#include "geodrel.h"
#include "nmea/GnssSystems.h"
#include "nmea/SignalBands.h"

namespace orvane {
namespace {

// Writes through a pointer into a scratch buffer that keeps its size from record to record, and
// appends the record to `out` at once: a record has some sixty small pieces, and appending them
// one by one costs more than the decoding.
class TJsonWriter {
public:
  explicit TJsonWriter(std::string& out) : Out(out), Buf(Scratch()), Data(Buf.data()), Size(Buf.size()) {}
  ~TJsonWriter() { Out.append(Data, Used); }
  TJsonWriter(const TJsonWriter&) = delete;
  TJsonWriter& operator=(const TJsonWriter&) = delete;

  void Put(char c) {
    *Room(1) = c;
    ++Used;
  }
  void Put(std::string_view s) {
    std::memcpy(Room(s.size()), s.data(), s.size());
    Used += s.size();
  }
  // Bytes are taken one by one as the receiver sent them; control characters and bytes of 0x80
  // and above are escaped so that the output is valid JSON whatever arrived.
  void String(std::string_view s) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    char* const start = Room(6 * s.size() + 2);
    char* p = start;
    *p++ = '"';
    for (char ch : s) {
      const auto c = static_cast<unsigned char>(ch);
      if (c == '"' || c == '\\') {
        *p++ = '\\';
        *p++ = ch;
      } else if (c < 0x20 || c >= 0x7F) {
        std::memcpy(p, "\\u00", 4);
        p[4] = kHex[c >> 4];
        p[5] = kHex[c & 15];
        p += 6;
      } else {
        *p++ = ch;
      }
    }
    *p++ = '"';
    Used += static_cast<size_t>(p - start);
  }
  // The shortest text that reads back to the same value; JSON has no infinity (a speed of 1e308
  // knots times 1.583 overflows), so non-finite values are null. A double is first rounded to the
  // 15 significant digits it carries exactly: a course of 153.8 degrees stored as D.MMSS is
  // 153.48000000000002 in binary and prints as 153.48.
  template <typename T>
  void Number(T v) {
    if constexpr (std::is_floating_point_v<T>) {
      if (!std::isfinite(v)) return Put("null");
    }
    if constexpr (std::is_same_v<T, double>) {
      char digits[32];
      auto [end, ec] = std::to_chars(digits, digits + sizeof digits, v, std::chars_format::scientific, 14);
      if (ec == std::errc()) std::from_chars(digits, end, v);
    }
    char* const start = Room(64);
    auto [end, ec] = std::to_chars(start, start + 64, v);
    if (ec == std::errc()) Used += static_cast<size_t>(end - start);
  }

  // At least n bytes to write at; Advance says how many were written.
  char* Room(size_t n) {
    if (Size - Used < n) Grow(n);
    return Data + Used;
  }
  void Advance(size_t n) { Used += n; }

private:
  [[gnu::noinline]] void Grow(size_t n) {
    Buf.resize(std::max(2 * Size, Used + n));
    Data = Buf.data();
    Size = Buf.size();
  }
  static std::string& Scratch() {
    thread_local std::string buf(4096, '\0');
    return buf;
  }

  std::string& Out;
  std::string& Buf;
  char* Data;
  size_t Size;
  size_t Used = 0;
};

// One object; keys are literals.
class TJson {
public:
  explicit TJson(TJsonWriter& w) : W(w) {}
  template <size_t N>
  TJson& Key(const char (&name)[N]) {
    char* p = W.Room(N + 3);
    *p++ = First ? '{' : ',';
    *p++ = '"';
    std::memcpy(p, name, N - 1);
    p += N - 1;
    *p++ = '"';
    *p = ':';
    W.Advance(N + 3);
    First = false;
    return *this;
  }
  template <size_t N>
  TJson& Str(const char (&name)[N], std::string_view v) {
    return Key(name), W.String(v), *this;
  }
  // A character field: code 0 means "none" and is the empty text.
  template <size_t N>
  TJson& Chr(const char (&name)[N], char v) {
    return Key(name), W.String(v ? std::string_view(&v, 1) : std::string_view()), *this;
  }
  template <size_t N>
  TJson& Int(const char (&name)[N], int64_t v) {
    return Key(name), W.Number(v), *this;
  }
  template <size_t N>
  TJson& Bool(const char (&name)[N], bool v) {
    return Key(name), W.Put(v ? "true" : "false"), *this;
  }
  template <size_t N>
  TJson& Dbl(const char (&name)[N], double v) {
    return Key(name), W.Number(v), *this;
  }
  template <size_t N>
  TJson& Flt(const char (&name)[N], float v) {
    return Key(name), W.Number(v), *this;
  }
  void End() { W.Put(First ? "{}" : "}"); }

private:
  TJsonWriter& W;
  bool First = true;
};

// An unsigned D.MMSS value as signed decimal degrees: negative for the southern or western
// hemisphere letter.
double SignedDegrees(double dms, const std::string& hemisphere, const char* negative) {
  const double deg = DmsToDeg(dms);
  return hemisphere == negative ? -deg : deg;
}

}  // namespace

void AppendJsonRecord(std::string& out, const char* type, const TNmeaRec& r, int gsvSatCount) {
  TJsonWriter w(out);
  TJson j(w);
  j.Str("sentence", type).Int("SatInView", r.SatInView);
  // Only a receiver that names the signals of its cycles counts them apart from its satellites.
  if (std::any_of(r.Sats.begin(), r.Sats.end(), [](const TSatInfo& s) { return !s.Signals.empty(); }))
    j.Int("SignalsInView", r.SignalsInView);
  j.Str("SatInViewList", r.SatInViewList).Key("Sats");
  w.Put('[');
  bool first = true;
  for (const TSatInfo& s : r.Sats) {
    if (s.Prn.empty()) continue;
    if (!first) w.Put(',');
    first = false;
    TJson sat(w);
    sat.Str("Prn", s.Prn)
        .Int("Elevation", s.Elevation)
        .Int("Azimuth", s.Azimuth)
        .Int("Snr", s.Snr)
        .Bool("Used", s.Used);
    if (r.Gnss) sat.Str("System", SystemName(s.System));
    if (!s.Signals.empty()) {
      sat.Key("Signals");
      w.Put('[');
      for (size_t i = 0; i < s.Signals.size(); ++i) {
        if (i) w.Put(',');
        TJson sig(w);
        sig.Str("Id", s.Signals[i].Id).Str("Band", BandName(s.System, s.Signals[i].Id)).Int("Snr", s.Signals[i].Snr);
        sig.End();
      }
      w.Put(']');
    }
    sat.End();
  }
  w.Put(']');
  j.Bool("FixValid", r.FixValid)
      .Str("SatUsedList", r.SatUsedList)
      .Chr("FixMode", r.FixMode)
      .Int("SatUsed", r.SatUsed)
      .Flt("GgaHdop", r.GgaHdop)
      .Flt("Pdop", r.Pdop)
      .Flt("Hdop", r.Hdop)
      .Flt("Vdop", r.Vdop)
      .Str("FixQuality", r.FixQuality)
      .Str("FixTime", r.FixTime)
      .Str("FixDate", r.FixDate)
      .Dbl("Lat", r.Lat)
      .Str("LatNS", r.LatNS)
      .Dbl("Lon", r.Lon)
      .Str("LonEW", r.LonEW)
      .Dbl("LatDeg", SignedDegrees(r.Lat, r.LatNS, "S"))
      .Dbl("LonDeg", SignedDegrees(r.Lon, r.LonEW, "W"))
      .Dbl("Altitude", r.Altitude)
      .Dbl("Geoid", r.Geoid)
      .Chr("AltUnit", r.AltUnit)
      .Chr("GeoidUnit", r.GeoidUnit)
      .Dbl("Speed", r.Speed)
      .Dbl("Course", r.Course)
      .Dbl("MagVar", r.MagVar)
      .Str("MagVarEW", r.MagVarEW)
      .Str("GllTime", r.GllTime)
      .Dbl("GllLat", r.GllLat)
      .Dbl("GllLon", r.GllLon)
      .Str("GllLatNS", r.GllLatNS)
      .Str("GllLonEW", r.GllLonEW)
      .Dbl("GllLatDeg", SignedDegrees(r.GllLat, r.GllLatNS, "S"))
      .Dbl("GllLonDeg", SignedDegrees(r.GllLon, r.GllLonEW, "W"))
      .Chr("GllStatus", r.GllStatus)
      .Str("GpsDatum", r.GpsDatum)
      .Int("GsvSatCount", gsvSatCount)
      .Dbl("GstRms", r.GstRms)
      .Dbl("GstMajor", r.GstMajor)
      .Dbl("GstMinor", r.GstMinor)
      .Dbl("GstOrient", r.GstOrient)
      .Dbl("GstLatSigma", r.GstLatSigma)
      .Dbl("GstLonSigma", r.GstLonSigma)
      .Dbl("GstAltSigma", r.GstAltSigma)
      .Dbl("VtgCourseTrue", r.VtgCourseTrue)
      .Dbl("VtgCourseMag", r.VtgCourseMag)
      .Dbl("VtgSpeedKn", r.VtgSpeedKn)
      .Dbl("VtgSpeedKmh", r.VtgSpeedKmh)
      .Chr("VtgMode", r.VtgMode)
      .Str("ZdaDate", r.ZdaDate)
      .Str("ZdaTime", r.ZdaTime)
      .Str("ZdaZone", r.ZdaZone)
      .Str("GnsMode", r.GnsMode)
      .Chr("GnsNavStatus", r.GnsNavStatus)
      .Chr("RmcMode", r.RmcMode)
      .Chr("RmcNavStatus", r.RmcNavStatus)
      .Dbl("DgpsAge", r.DgpsAge)
      .Str("DgpsStation", r.DgpsStation)
      .Dbl("GbsLatError", r.GbsLatError)
      .Dbl("GbsLonError", r.GbsLonError)
      .Dbl("GbsAltError", r.GbsAltError)
      .Str("GbsFailedSat", r.GbsFailedSat)
      .Dbl("GbsProbability", r.GbsProbability)
      .Dbl("GbsBias", r.GbsBias)
      .Dbl("GbsBiasSigma", r.GbsBiasSigma)
      .Key("Texts");
  w.Put('[');
  for (size_t i = 0; i < r.Texts.size(); ++i) {
    if (i) w.Put(',');
    TJson text(w);
    text.Str("Time", r.Texts[i].Time).Str("Type", r.Texts[i].Type).Str("Text", r.Texts[i].Text).End();
  }
  w.Put(']');
  j.End();
  w.Put('\n');
}

}  // namespace orvane
