// SPDX-License-Identifier: GPL-3.0-or-later
// The series the charts window draws over time: one sample per GGA of what the record holds then
// (satellites in view and used, mean and strongest SNR, the dilutions, height, speed, the GST
// sigmas), kept for the whole run, with the reading at a time, the thinning for drawing, and the
// export as CSV.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "nmea/NmeaDisplay.h"
#include "nmea/NmeaRec.h"

namespace orvane {

class TNmeaProc;

enum class TChartQuantity {
  InView,
  Used,
  MeanSnr,
  MaxSnr,
  Hdop,
  Pdop,
  Vdop,
  Height,
  Speed,
  SigmaLat,
  SigmaLon,
  SigmaAlt,
};
constexpr size_t kChartQuantities = 12;

struct TChartQuantityName {
  TChartQuantity Quantity;
  const char* Caption;  // as the window lists it
  const char* Column;   // the CSV header's
};
extern const std::array<TChartQuantityName, kChartQuantities> kChartQuantityNames;

struct TChartSample {
  double Time = 0;  // seconds since the first sample, on across midnight
  std::string Utc;  // the GGA's hh:mm:ss
  std::array<double, kChartQuantities> Values{};
};

// A value and the sample's time, for drawing.
struct TChartPoint {
  double Time, Value;
};

class TChartSeries {
public:
  // Past this many samples (11 days at 1 Hz, about 130 MB) the oldest tenth goes, so that a
  // receiver left running does not fill the memory.
  static constexpr size_t kMaxSamples = 1000000;

  // Takes a sample after each decoded GGA. True when one was taken.
  bool Add(const TSentenceInfo& info, const TNmeaRec& rec, const TNmeaProc& proc);
  void Clear();
  const std::vector<TChartSample>& Samples() const { return Samples_; }

  // The sample nearest to `time`, or null when there is none.
  const TChartSample* At(double time) const;
  // The values of `q` from `from` seconds on, thinned to the first, lowest, highest and last of
  // each of `buckets` equal spans, so that a day draws as fast as a minute and keeps its peaks.
  std::vector<TChartPoint> Points(TChartQuantity q, double from, size_t buckets) const;
  // One line per sample from `from` seconds on: time, UTC, then the chosen quantities.
  std::string Csv(const std::vector<TChartQuantity>& quantities, double from = 0) const;

private:
  std::vector<TChartSample> Samples_;
  int PrevSeconds = -1;
  double Elapsed = 0;
};

}  // namespace orvane
