// SPDX-License-Identifier: GPL-3.0-or-later
// The signal levels window's geometry: one bar per satellite in view, as high as its SNR on a
// fixed 0..60 dB-Hz scale, sorted by system then PRN, each labelled under its bar.
#pragma once

#include <string>
#include <vector>

#include "nmea/SkyGeometry.h"

namespace orvane {

constexpr int kSignalMaxDb = 60;
constexpr int kSignalTickDb = 10;

// One satellite as the sky view labels it ("G12" with multi-GNSS talkers, "12" without).
struct TSignalSat {
  std::string Label;
  int Snr = 0;
  bool Used = false;
  bool operator==(const TSignalSat&) const = default;
};

// By system (in the order GPS, GLONASS, Galileo, BeiDou, QZSS, NavIC, SBAS, then none) and then by PRN
// as a number.
void SortSignalSats(std::vector<TSignalSat>& sats);

struct TSignalBar {
  TSkyRect Bar, Label;
};

struct TSignalTick {
  int Db = 0, Y = 0;
};

struct TSignalLayout {
  TSkyRect Plot;  // the scale's full height, 0 dB-Hz at its foot
  std::vector<TSignalBar> Bars;
  std::vector<TSignalTick> Ticks;  // every kSignalTickDb from 0 to kSignalMaxDb
};

// The layout of the bars on a w x h window, the scale's numbers axisW wide and numberH high at
// the left, centred on their ticks, and the labels labelH high under the bars. An SNR outside
// 0..60 is drawn at the nearer end.
TSignalLayout SignalLayout(int w, int h, const std::vector<TSignalSat>& sats, int axisW, int numberH, int labelH);

}  // namespace orvane
