// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/ChartSeries.h"

#include <algorithm>
#include <charconv>

#include "common/HostConv.h"
#include "nmea/ReportFix.h"
#include "nmea/UNmeaProc.h"

namespace orvane {

const std::array<TChartQuantityName, kChartQuantities> kChartQuantityNames{{
    {TChartQuantity::InView, "Satellites in view", "in_view"},
    {TChartQuantity::Used, "Satellites used", "used"},
    {TChartQuantity::MeanSnr, "Mean SNR (dB-Hz)", "mean_snr"},
    {TChartQuantity::MaxSnr, "Strongest SNR (dB-Hz)", "max_snr"},
    {TChartQuantity::Hdop, "HDOP", "hdop"},
    {TChartQuantity::Pdop, "PDOP", "pdop"},
    {TChartQuantity::Vdop, "VDOP", "vdop"},
    {TChartQuantity::Height, "Height (m)", "height_m"},
    {TChartQuantity::Speed, "Speed (km/h)", "speed_kmh"},
    {TChartQuantity::SigmaLat, "GST sigma lat (m)", "gst_lat_m"},
    {TChartQuantity::SigmaLon, "GST sigma lon (m)", "gst_lon_m"},
    {TChartQuantity::SigmaAlt, "GST sigma alt (m)", "gst_alt_m"},
}};

namespace {

size_t Index(TChartQuantity q) { return static_cast<size_t>(q); }

// A float of the record as the decimal the receiver sent (0.9, not 0.899999976).
double AsSent(float f) {
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, f);
  double d = f;
  if (ec == std::errc()) std::from_chars(buf, end, d);
  return d;
}

}  // namespace

bool TChartSeries::Add(const TSentenceInfo& info, const TNmeaRec& rec, const TNmeaProc& proc) {
  if (info.outcome != TSentenceOutcome::Decoded || !info.type || std::string_view(info.type) != "GGA") return false;
  const int seconds = SecondsOfDay(rec.FixTime);
  if (seconds < 0) return false;
  // Steps forward add up across midnight; a repeated or earlier time stays where it was.
  if (PrevSeconds >= 0) {
    const int step = ((seconds - PrevSeconds) % 86400 + 86400) % 86400;
    if (step <= 43200) Elapsed += step;
  }
  PrevSeconds = seconds;
  TChartSample s;
  s.Time = Elapsed;
  s.Utc = rec.FixTime;
  int snrCount = 0, snrSum = 0, snrMax = 0;
  for (int i = 0; i < SatLimit(rec); ++i) {
    const TSatInfo& sat = rec.Sats[static_cast<size_t>(i)];
    if (sat.Prn.empty() || sat.Snr <= 0) continue;
    ++snrCount;
    snrSum += sat.Snr;
    snrMax = std::max(snrMax, sat.Snr);
  }
  auto& v = s.Values;
  v[Index(TChartQuantity::InView)] = rec.SatInView;
  // The GSA's list when the receiver sends one, else the GGA's count.
  const size_t used = proc.UsedSatCount();
  v[Index(TChartQuantity::Used)] = used ? static_cast<double>(used) : rec.SatUsed;
  v[Index(TChartQuantity::MeanSnr)] = snrCount ? static_cast<double>(snrSum) / snrCount : 0;
  v[Index(TChartQuantity::MaxSnr)] = snrMax;
  // The GSA's HDOP, else the GGA's for a receiver that sends no GSA.
  v[Index(TChartQuantity::Hdop)] = AsSent(rec.Hdop != 0 ? rec.Hdop : rec.GgaHdop);
  v[Index(TChartQuantity::Pdop)] = AsSent(rec.Pdop);
  v[Index(TChartQuantity::Vdop)] = AsSent(rec.Vdop);
  v[Index(TChartQuantity::Height)] = rec.Altitude;
  v[Index(TChartQuantity::Speed)] = rec.Speed;
  v[Index(TChartQuantity::SigmaLat)] = rec.GstLatSigma;
  v[Index(TChartQuantity::SigmaLon)] = rec.GstLonSigma;
  v[Index(TChartQuantity::SigmaAlt)] = rec.GstAltSigma;
  if (Samples_.size() >= kMaxSamples)
    Samples_.erase(Samples_.begin(), Samples_.begin() + static_cast<std::ptrdiff_t>(kMaxSamples / 10));
  Samples_.push_back(std::move(s));
  return true;
}

void TChartSeries::Clear() { *this = TChartSeries(); }

const TChartSample* TChartSeries::At(double time) const {
  if (Samples_.empty()) return nullptr;
  const auto after = std::lower_bound(Samples_.begin(), Samples_.end(), time,
                                      [](const TChartSample& s, double t) { return s.Time < t; });
  if (after == Samples_.begin()) return &*after;
  if (after == Samples_.end()) return &Samples_.back();
  const auto before = after - 1;
  return time - before->Time <= after->Time - time ? &*before : &*after;
}

std::vector<TChartPoint> TChartSeries::Points(TChartQuantity q, double from, size_t buckets) const {
  const size_t k = Index(q);
  const auto first = std::lower_bound(Samples_.begin(), Samples_.end(), from,
                                      [](const TChartSample& s, double t) { return s.Time < t; });
  std::vector<TChartPoint> out;
  if (first == Samples_.end()) return out;
  const size_t n = static_cast<size_t>(Samples_.end() - first);
  if (buckets < 1 || n <= 4 * buckets) {
    for (auto s = first; s != Samples_.end(); ++s) out.push_back({s->Time, s->Values[k]});
    return out;
  }
  const double t0 = first->Time, span = std::max(Samples_.back().Time - t0, 1.0);
  size_t i = static_cast<size_t>(first - Samples_.begin());
  for (size_t b = 0; b < buckets && i < Samples_.size(); ++b) {
    const double end = t0 + span * static_cast<double>(b + 1) / static_cast<double>(buckets);
    const size_t start = i;
    size_t lo = i, hi = i;
    for (; i < Samples_.size() && (Samples_[i].Time < end || b + 1 == buckets); ++i) {
      if (Samples_[i].Values[k] < Samples_[lo].Values[k]) lo = i;
      if (Samples_[i].Values[k] > Samples_[hi].Values[k]) hi = i;
    }
    if (i == start) continue;  // a span without samples
    // The bucket's first, lowest, highest and last, in time order, each once.
    std::array<size_t, 4> keep{start, lo, hi, i - 1};
    std::sort(keep.begin(), keep.end());
    for (size_t j = 0; j < keep.size(); ++j)
      if (j == 0 || keep[j] != keep[j - 1]) out.push_back({Samples_[keep[j]].Time, Samples_[keep[j]].Values[k]});
  }
  return out;
}

std::string TChartSeries::Csv(const std::vector<TChartQuantity>& quantities, double from) const {
  std::string out = "time_s,utc";
  for (const TChartQuantity q : quantities) out += std::string(",") + kChartQuantityNames[Index(q)].Column;
  out += "\n";
  for (const TChartSample& s : Samples_) {
    if (s.Time < from) continue;
    out += FormatPlain(s.Time) + "," + s.Utc;
    for (const TChartQuantity q : quantities) out += "," + FormatPlain(s.Values[Index(q)]);
    out += "\n";
  }
  return out;
}

}  // namespace orvane
