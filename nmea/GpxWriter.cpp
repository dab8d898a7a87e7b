// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/GpxWriter.h"

#include <cmath>
#include <cstdio>

#include "common/CivilDate.h"
#include "common/HostConv.h"
#include "geodrel.h"

namespace orvane {
namespace {

bool TwoDigits(std::string_view s, size_t at, int& v) {
  if (at + 2 > s.size() || s[at] < '0' || s[at] > '9' || s[at + 1] < '0' || s[at + 1] > '9') return false;
  v = (s[at] - '0') * 10 + (s[at + 1] - '0');
  return true;
}

struct TDateTime {
  int year, month, day, hour, minute, second;
};

bool Parse(std::string_view ddmmyy, std::string_view hhmmss, TDateTime& t) {
  int yy = 0;
  if (ddmmyy.size() != 6 || !TwoDigits(ddmmyy, 0, t.day) || !TwoDigits(ddmmyy, 2, t.month) || !TwoDigits(ddmmyy, 4, yy))
    return false;
  if (hhmmss.size() != 8 || hhmmss[2] != ':' || hhmmss[5] != ':' || !TwoDigits(hhmmss, 0, t.hour) ||
      !TwoDigits(hhmmss, 3, t.minute) || !TwoDigits(hhmmss, 6, t.second))
    return false;
  t.year = yy >= 80 ? 1900 + yy : 2000 + yy;
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > kDays[t.month - 1] || (t.month == 2 && t.day == 29 && !leap))
    return false;
  // A leap second (60) is a valid UTC time.
  return t.hour <= 23 && t.minute <= 59 && t.second <= 60;
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int y, int m, int d) { return orvane::DaysFromCivil(int64_t{y}, m, d); }

// Enough decimals for a millimetre. GPX numbers are xsd:decimal: no exponent.
std::string Degrees(double v) { return FormatFixed(v, 9); }

// Metres to the millimetre, without trailing zeros.
std::string Metres(double v) {
  std::string s = FormatFixed(v, 3);
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

// The length of the UTF-8 character `s` begins with, 0 when it begins with none that XML allows
// (a stray byte, a truncated or overlong sequence, a surrogate, U+FFFE, U+FFFF, beyond U+10FFFF).
size_t Utf8Length(std::string_view s) {
  const auto byte = [&](size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0u; };
  const unsigned lead = byte(0);
  const size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (n == 0 || lead > 0xF4) return 0;
  uint32_t cp = lead & (0x7F >> n);
  for (size_t i = 1; i < n; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i) & 0x3F);
  }
  static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF) return 0;
  return n;
}

}  // namespace

std::string GpxTime(std::string_view ddmmyy, std::string_view hhmmss) {
  TDateTime t{};
  if (!Parse(ddmmyy, hhmmss, t)) return {};
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return buf;
}

int64_t GpxSeconds(std::string_view ddmmyy, std::string_view hhmmss) {
  TDateTime t{};
  if (!Parse(ddmmyy, hhmmss, t)) return -1;
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

std::string XmlEscape(std::string_view text) {
  static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        if (static_cast<unsigned char>(c) >= 0x80) {
          const size_t n = Utf8Length(text.substr(i));
          out += n ? text.substr(i, n) : kReplacement;
          i += n ? n : 1;
          continue;
        }
        // Control characters other than tab and line ends are not allowed in XML 1.0.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') break;
        out += c;
    }
    ++i;
  }
  return out;
}

TGpxWriter::TGpxWriter(std::string& out, std::string_view trackName) : out_(out) {
  out_ +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"Orvane\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
      "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
      "  <trk>\n";
  if (!trackName.empty()) out_ += "    <name>" + XmlEscape(trackName) + "</name>\n";
}

void TGpxWriter::Point(const TGpxPoint& p) {
  if (finished_ || !std::isfinite(p.Lat) || !std::isfinite(p.Lon)) return;
  if (inSegment_ && breakPending_) {
    out_ += "    </trkseg>\n";
    inSegment_ = false;
  }
  breakPending_ = false;
  if (!inSegment_) {
    out_ += "    <trkseg>\n";
    inSegment_ = true;
  }
  out_ += "      <trkpt lat=\"" + Degrees(p.Lat) + "\" lon=\"" + Degrees(p.Lon) + "\">";
  if (p.HasEle && std::isfinite(p.Ele)) out_ += "<ele>" + Metres(p.Ele) + "</ele>";
  if (!p.Time.empty()) out_ += "<time>" + p.Time + "</time>";
  out_ += "</trkpt>\n";
}

void TGpxWriter::Finish() {
  if (finished_) return;
  finished_ = true;
  if (inSegment_) out_ += "    </trkseg>\n";
  out_ += "  </trk>\n</gpx>\n";
}

void DmsToWgs84(const std::string& datum, double latDms, double lonDms, double& latDeg, double& lonDeg) {
  // The conversion works on unsigned values; the hemisphere comes back after it.
  const TGeoPoint in{std::fabs(latDms), std::fabs(lonDms), 0};
  TGeoPoint out = in;
  DmsConv(datum.c_str(), "WGS 84", &in, &out);
  latDeg = DmsToDeg(out.lat) * (latDms < 0 ? -1 : 1);
  lonDeg = DmsToDeg(out.lon) * (lonDms < 0 ? -1 : 1);
}

}  // namespace orvane
