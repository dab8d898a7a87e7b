// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/FixStats.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/HostConv.h"
#include "geodrel.h"
#include "nmea/GpxWriter.h"
#include "nmea/ReportFix.h"

namespace orvane {
namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;

struct TEllipsoid {
  double A, E2;
};

const TEllipsoid& Wgs84() {
  static const TEllipsoid e = [] {
    TDatumParam p{};
    GetDatum("WGS 84", &p);
    const double f = 1.0 / p.invF;
    return TEllipsoid{p.a, f * (2.0 - f)};
  }();
  return e;
}

using TEcef = TFixSet::TEcef;

TEcef Geocentric(double lat, double lon, double h) {
  const TEllipsoid& e = Wgs84();
  const double sp = std::sin(lat * kDegToRad), cp = std::cos(lat * kDegToRad);
  const double n = e.A / std::sqrt(1.0 - e.E2 * sp * sp);
  return {(n + h) * cp * std::cos(lon * kDegToRad), (n + h) * cp * std::sin(lon * kDegToRad),
          (n * (1.0 - e.E2) + h) * sp};
}

// The local east-north-up frame at a point: the rotation out of geocentric axes.
struct TFrame {
  TEcef Origin;
  double Sl, Cl, Sp, Cp;
  TFrame(double lat, double lon, double h)
      : Origin(Geocentric(lat, lon, h)),
        Sl(std::sin(lon * kDegToRad)),
        Cl(std::cos(lon * kDegToRad)),
        Sp(std::sin(lat * kDegToRad)),
        Cp(std::cos(lat * kDegToRad)) {}
  TEnu Of(const TEcef& p) const {
    const double dx = p.X - Origin.X, dy = p.Y - Origin.Y, dz = p.Z - Origin.Z;
    return {-Sl * dx + Cl * dy, -Sp * Cl * dx - Sp * Sl * dy + Cp * dz, Cp * Cl * dx + Cp * Sl * dy + Sp * dz};
  }
};

// A longitude brought within 180 degrees of `near`, so that means do not break at 180.
double Unwrapped(double lon, double near) {
  while (lon - near > 180) lon -= 360;
  while (lon - near < -180) lon += 360;
  return lon;
}

// The smallest radius that at least `share` of the sorted-on-demand distances do not exceed.
double OrderRadius(std::vector<double>& d, double share) {
  const size_t k = static_cast<size_t>(std::ceil(share * static_cast<double>(d.size()) - 1e-9));
  const auto at = d.begin() + static_cast<std::ptrdiff_t>(std::max<size_t>(k, 1) - 1);
  std::nth_element(d.begin(), at, d.end());
  return *at;
}

}  // namespace

std::optional<TReference> ParseReference(std::string_view text) {
  if (text == "mean") return TReference{TReferenceKind::Mean};
  if (text == "first") return TReference{TReferenceKind::First};
  const size_t comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  TReference r{TReferenceKind::Given};
  if (!TryStrToFloat(std::string(text.substr(0, comma)), r.Lat) ||
      !TryStrToFloat(std::string(text.substr(comma + 1)), r.Lon) || !(std::fabs(r.Lat) <= 90) ||
      !(std::fabs(r.Lon) <= 180))
    return std::nullopt;
  return r;
}

TEnu EnuOffset(double lat0, double lon0, double h0, double lat, double lon, double h) {
  return TFrame(lat0, lon0, h0).Of(Geocentric(lat, lon, h));
}

void TFixSet::Add(const TFix& fix) {
  if (Fixes_.size() >= kMaxFixes) {
    const auto drop = static_cast<std::ptrdiff_t>(kMaxFixes / 10);
    Fixes_.erase(Fixes_.begin(), Fixes_.begin() + drop);
    Ecef_.erase(Ecef_.begin(), Ecef_.begin() + drop);
    SumLat = SumLon = SumHeight = 0;
    for (const TFix& f : Fixes_) SumLat += f.Lat, SumLon += f.Lon, SumHeight += f.Height;
  }
  TFix f = fix;
  if (!Fixes_.empty()) f.Lon = Unwrapped(f.Lon, Fixes_.front().Lon);
  Fixes_.push_back(f);
  Ecef_.push_back(Geocentric(f.Lat, f.Lon, f.Height));
  SumLat += f.Lat;
  SumLon += f.Lon;
  SumHeight += f.Height;
}

void TFixSet::Clear() { *this = TFixSet(); }

std::vector<char> TFixSet::Qualities() const {
  bool seen[256] = {};
  for (const TFix& f : Fixes_) seen[static_cast<unsigned char>(f.Quality)] = true;
  std::vector<char> out;
  for (const char q : kQualityOrder)
    if (seen[static_cast<unsigned char>(q)]) out.push_back(q);
  return out;
}

TFix TFixSet::ReferencePoint(const TReference& ref, char quality) const {
  const TFix* first = nullptr;
  double sumLat = SumLat, sumLon = SumLon, sumHeight = SumHeight;
  size_t count = Fixes_.size();
  if (quality) {
    sumLat = sumLon = sumHeight = 0;
    count = 0;
    for (const TFix& f : Fixes_) {
      if (f.Quality != quality) continue;
      if (!first) first = &f;
      sumLat += f.Lat, sumLon += f.Lon, sumHeight += f.Height;
      ++count;
    }
  } else if (!Fixes_.empty()) {
    first = &Fixes_.front();
  }
  if (!count) return {ref.Lat, ref.Lon, ref.Height};
  const double n = static_cast<double>(count);
  const TFix mean{sumLat / n, Unwrapped(sumLon / n, 0), sumHeight / n};
  switch (ref.Kind) {
    case TReferenceKind::First:
      return *first;
    case TReferenceKind::Given:
      // A position typed in has no height of its own: the heights are judged about their mean.
      return {ref.Lat, ref.Lon, mean.Height};
    case TReferenceKind::Mean:
      break;
  }
  return mean;
}

std::vector<TEnu> TFixSet::Offsets(const TFix& origin) const {
  const TFrame frame(origin.Lat, origin.Lon, origin.Height);
  std::vector<TEnu> out;
  out.reserve(Fixes_.size());
  for (const TEcef& e : Ecef_) out.push_back(frame.Of(e));
  return out;
}

TFixStats TFixSet::Stats(const TFix& origin, char quality) const {
  const TFrame frame(origin.Lat, origin.Lon, origin.Height);
  TFixStats s;
  std::vector<double> radii;
  double sumE = 0, sumN = 0, sumU = 0, sumLat = 0, sumLon = 0, sumH = 0;
  double minE = 0, maxE = 0, minN = 0, maxN = 0, minU = 0, maxU = 0, first = 0, last = 0;
  std::vector<TEnu> offsets;
  for (size_t i = 0; i < Fixes_.size(); ++i) {
    const TFix& f = Fixes_[i];
    if (quality && f.Quality != quality) continue;
    const TEnu o = frame.Of(Ecef_[i]);
    if (offsets.empty()) {
      minE = maxE = o.E, minN = maxN = o.N, minU = maxU = o.U;
      first = f.Time;
    }
    minE = std::min(minE, o.E), maxE = std::max(maxE, o.E);
    minN = std::min(minN, o.N), maxN = std::max(maxN, o.N);
    minU = std::min(minU, o.U), maxU = std::max(maxU, o.U);
    last = f.Time;
    offsets.push_back(o);
    radii.push_back(std::hypot(o.E, o.N));
    sumE += o.E, sumN += o.N, sumU += o.U;
    sumLat += f.Lat, sumLon += f.Lon, sumH += f.Height;
  }
  s.Count = static_cast<int64_t>(offsets.size());
  if (offsets.empty()) return s;
  const double n = static_cast<double>(offsets.size());
  s.MeanLat = sumLat / n;
  s.MeanLon = Unwrapped(sumLon / n, 0);
  s.MeanHeight = sumH / n;
  const double mE = sumE / n, mN = sumN / n, mU = sumU / n;
  // The squares about the mean, in a second pass: one pass of sums of squares loses the figures
  // of a tight cloud far from its reference.
  double vE = 0, vN = 0, vU = 0;
  for (const TEnu& o : offsets) {
    vE += (o.E - mE) * (o.E - mE);
    vN += (o.N - mN) * (o.N - mN);
    vU += (o.U - mU) * (o.U - mU);
  }
  s.SigmaE = std::sqrt(vE / n);
  s.SigmaN = std::sqrt(vN / n);
  s.SigmaU = std::sqrt(vU / n);
  s.Drms2 = 2.0 * std::hypot(s.SigmaE, s.SigmaN);
  s.Cep50 = OrderRadius(radii, 0.50);
  s.Cep95 = OrderRadius(radii, 0.95);
  s.SpanE = maxE - minE;
  s.SpanN = maxN - minN;
  s.SpanU = maxU - minU;
  s.SpanTime = last - first;
  return s;
}

std::optional<TFix> GgaFix(const TSentenceInfo& info, const TNmeaRec& rec, const std::vector<std::string_view>& f) {
  if (info.outcome != TSentenceOutcome::Decoded || !info.type || std::string_view(info.type) != "GGA") return {};
  if (!SentenceHasFix("GGA", f)) return {};
  TFix fix;
  DmsToWgs84(rec.GpsDatum, rec.LatNS == "S" ? -rec.Lat : rec.Lat, rec.LonEW == "W" ? -rec.Lon : rec.Lon, fix.Lat,
             fix.Lon);
  fix.Height = rec.Altitude;
  fix.Quality = rec.GgaQuality;
  fix.Time = SecondsOfDay(rec.FixTime);
  return fix;
}

bool TFixCollector::Add(const TSentenceInfo& info, const TNmeaRec& rec, const std::vector<std::string_view>& fields) {
  std::optional<TFix> fix = GgaFix(info, rec, fields);
  if (!fix) return false;
  // Steps forward add up, so that a run goes on across midnight; a fix without a time, or a
  // step back, keeps the time where it was.
  const int seconds = static_cast<int>(fix->Time);
  if (seconds >= 0) {
    const int step = ((seconds - PrevSeconds) % 86400 + 86400) % 86400;
    if (PrevSeconds >= 0 && step <= 43200) Elapsed += step;
    PrevSeconds = seconds;
  }
  fix->Time = Elapsed;
  Set.Add(*fix);
  return true;
}

void TFixCollector::Clear() { *this = TFixCollector(); }

}  // namespace orvane
