// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/ReportStats.h"

#include <cstdio>

#include "common/HostConv.h"
#include "nmea/FixQuality.h"

namespace orvane {
namespace {

// Metres to a tenth of a millimetre: RTK sigmas are a centimetre or less.
constexpr int kMetreDecimals = 4;
constexpr int kDegreeDecimals = 9;

std::string Metres(double m) { return FormatFixed(m, kMetreDecimals) + " m"; }

std::string Clock(double seconds) {
  const long long s = static_cast<long long>(seconds);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  return buf;
}

void TextBlock(std::string& out, const std::string& title, const TFix& origin, const TFixStats& s) {
  out += title + "\n";
  out += "  Count     " + std::to_string(s.Count) + "\n";
  out += "  Reference " + FormatFixed(origin.Lat, kDegreeDecimals) + " " + FormatFixed(origin.Lon, kDegreeDecimals) +
         ", height " + Metres(origin.Height) + "\n";
  out += "  Mean      " + FormatFixed(s.MeanLat, kDegreeDecimals) + " " + FormatFixed(s.MeanLon, kDegreeDecimals) +
         ", height " + Metres(s.MeanHeight) + "\n";
  out += "  CEP50     " + Metres(s.Cep50) + "\n";
  out += "  CEP95     " + Metres(s.Cep95) + "\n";
  out += "  2DRMS     " + Metres(s.Drms2) + "\n";
  out += "  Sigma     E " + Metres(s.SigmaE) + ", N " + Metres(s.SigmaN) + ", U " + Metres(s.SigmaU) + "\n";
  out += "  Span      E " + Metres(s.SpanE) + ", N " + Metres(s.SpanN) + ", U " + Metres(s.SpanU) + ", time " +
         Clock(s.SpanTime) + "\n";
}

void Field(std::string& out, const char* key, double v, bool last = false) {
  out += "\"";
  out += key;
  out += "\":" + FormatPlain(v) + (last ? "" : ",");
}

void JsonBlock(std::string& out, const TFixStats& s) {
  out += "\"count\":" + std::to_string(s.Count) + ",";
  Field(out, "mean_lat", s.MeanLat);
  Field(out, "mean_lon", s.MeanLon);
  Field(out, "mean_height", s.MeanHeight);
  Field(out, "cep50", s.Cep50);
  Field(out, "cep95", s.Cep95);
  Field(out, "drms2", s.Drms2);
  Field(out, "sigma_e", s.SigmaE);
  Field(out, "sigma_n", s.SigmaN);
  Field(out, "sigma_u", s.SigmaU);
  Field(out, "span_e", s.SpanE);
  Field(out, "span_n", s.SpanN);
  Field(out, "span_u", s.SpanU);
  Field(out, "span_time", s.SpanTime, true);
}

const char* KindKey(TReferenceKind kind) {
  return kind == TReferenceKind::Mean ? "mean" : kind == TReferenceKind::First ? "first" : "given";
}

}  // namespace

const char* ReferenceName(TReferenceKind kind) {
  switch (kind) {
    case TReferenceKind::First:
      return "first fix";
    case TReferenceKind::Given:
      return "given position";
    case TReferenceKind::Mean:
      break;
  }
  return "mean";
}

std::string QualityWords(char quality) {
  const TFixQuality* q = FixQualityOf(quality);
  return q ? q->Name : "Quality " + std::string(1, quality);
}

void PrintStatsText(std::string& out, const TFixSet& set, const TReference& ref) {
  const char* const whose = ref.Kind == TReferenceKind::Mean    ? "the mean of its fixes"
                            : ref.Kind == TReferenceKind::First ? "its first fix"
                                                                : "the given position";
  out += std::string("Offsets in metres east, north and up of each block's reference (") + whose +
         "), in WGS 84; sigmas about the block's mean.\n\n";
  const TFix origin = set.ReferencePoint(ref);
  TextBlock(out, "All fixes", origin, set.Stats(origin));
  for (const char q : set.Qualities()) {
    out += "\n";
    const TFix own = set.ReferencePoint(ref, q);
    TextBlock(out, QualityWords(q) + " (quality " + std::string(1, q) + ")", own, set.Stats(own, q));
  }
}

void PrintStatsJson(std::string& out, const TFixSet& set, const TReference& ref) {
  const TFix origin = set.ReferencePoint(ref);
  out += "{\"reference\":{\"kind\":\"";
  out += KindKey(ref.Kind);
  out += "\",";
  Field(out, "lat", origin.Lat);
  Field(out, "lon", origin.Lon);
  Field(out, "height", origin.Height, true);
  out += "},\"all\":{";
  JsonBlock(out, set.Stats(origin));
  out += "},\"qualities\":[";
  bool first = true;
  for (const char q : set.Qualities()) {
    out += first ? "{" : ",{";
    first = false;
    out += "\"quality\":\"" + std::string(1, q) + "\",\"name\":\"" + QualityWords(q) + "\",";
    const TFix own = set.ReferencePoint(ref, q);
    out += "\"reference_lat\":" + FormatPlain(own.Lat) + ",\"reference_lon\":" + FormatPlain(own.Lon) + ",";
    JsonBlock(out, set.Stats(own, q));
    out += "}";
  }
  out += "]}\n";
}

}  // namespace orvane
