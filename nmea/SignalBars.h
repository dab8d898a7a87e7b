// SPDX-License-Identifier: GPL-3.0-or-later
// The signal levels window's geometry: one bar per satellite in view, or one per signal of a
// satellite received on several bands, as high as its SNR on a fixed 0..60 dB-Hz scale, sorted by
// system then PRN; each satellite labelled under its bars, each band under its own bar.
#pragma once

#include <string>
#include <vector>

#include "nmea/SkyGeometry.h"

namespace orvane {

constexpr int kSignalMaxDb = 60;
constexpr int kSignalTickDb = 10;

// One signal of a satellite: its band as displays name it ("L2C-L") and its SNR.
struct TSignalBand {
  std::string Name;
  int Snr = 0;
  bool operator==(const TSignalBand&) const = default;
};

// One satellite as the sky view labels it ("G12" with multi-GNSS talkers, "12" without), with
// its signals when its receiver names them (else one bar of Snr).
struct TSignalSat {
  std::string Label;
  int Snr = 0;
  bool Used = false;
  std::vector<TSignalBand> Bands{};
  bool operator==(const TSignalSat&) const = default;
};

// By system (in the order GPS, GLONASS, Galileo, BeiDou, QZSS, NavIC, SBAS, then none) and then by PRN
// as a number.
void SortSignalSats(std::vector<TSignalSat>& sats);

// A bar; Label is its satellite's, the same for every bar of it, and Band its own (0 high for a
// satellite without bands). Band -1 for the bar of a satellite without bands.
struct TSignalBar {
  TSkyRect Bar, Label, Band;
  size_t Sat = 0;
  int BandIndex = -1;
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
// the left, centred on their ticks, the band names bandH high under the bars when any satellite
// has bands, and the satellites' labels labelH high under those. A satellite's bars stand side by
// side in a group. An SNR outside 0..60 is drawn at the nearer end.
TSignalLayout SignalLayout(int w, int h, const std::vector<TSignalSat>& sats, int axisW, int numberH, int labelH,
                           int bandH = 0);

}  // namespace orvane
