// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/ReportStats.h"

#include <cstdio>
#include <utility>

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

void Field(std::string& out, const char* key, double v) {
  out += ",\"";
  out += key;
  out += "\":" + FormatPlain(v);
}

// The figures of a block, in the order the JSON gives them.
constexpr std::pair<const char*, double TFixStats::*> kJsonFigures[] = {
    {"mean_lat", &TFixStats::MeanLat},   {"mean_lon", &TFixStats::MeanLon}, {"mean_height", &TFixStats::MeanHeight},
    {"cep50", &TFixStats::Cep50},        {"cep95", &TFixStats::Cep95},      {"drms2", &TFixStats::Drms2},
    {"sigma_e", &TFixStats::SigmaE},     {"sigma_n", &TFixStats::SigmaN},   {"sigma_u", &TFixStats::SigmaU},
    {"span_e", &TFixStats::SpanE},       {"span_n", &TFixStats::SpanN},     {"span_u", &TFixStats::SpanU},
    {"span_time", &TFixStats::SpanTime},
};

void JsonBlock(std::string& out, const TFixStats& s) {
  out += "\"count\":" + std::to_string(s.Count);
  for (const auto& [key, figure] : kJsonFigures) Field(out, key, s.*figure);
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
  out += "\"";
  Field(out, "lat", origin.Lat);
  Field(out, "lon", origin.Lon);
  Field(out, "height", origin.Height);
  out += "},\"all\":{";
  JsonBlock(out, set.Stats(origin));
  out += "},\"qualities\":[";
  bool first = true;
  for (const char q : set.Qualities()) {
    out += first ? "{" : ",{";
    first = false;
    const TFix own = set.ReferencePoint(ref, q);
    out += "\"quality\":\"" + std::string(1, q) + "\",\"name\":\"" + QualityWords(q) + "\"";
    Field(out, "reference_lat", own.Lat);
    Field(out, "reference_lon", own.Lon);
    out += ",";
    JsonBlock(out, set.Stats(own, q));
    out += "}";
  }
  out += "]}\n";
}

}  // namespace orvane
