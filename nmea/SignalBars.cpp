// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/SignalBars.h"

#include <algorithm>
#include <cctype>
#include <tuple>

#include "nmea/GnssSystems.h"

namespace orvane {

namespace {

constexpr TGnssSystem kSystemOrder[] = {TGnssSystem::Gps,    TGnssSystem::Glonass, TGnssSystem::Galileo,
                                        TGnssSystem::BeiDou, TGnssSystem::Qzss,    TGnssSystem::NavIC,
                                        TGnssSystem::Sbas};

// The system's place in kSystemOrder (past its end for a label without a system letter), the
// PRN's number, and the label itself for PRNs that are not numbers.
std::tuple<int, long, std::string> SortKey(const std::string& label) {
  int rank = static_cast<int>(std::size(kSystemOrder));
  std::string prn = label;
  if (!label.empty() && std::isalpha(static_cast<unsigned char>(label[0]))) {
    for (int i = 0; i < static_cast<int>(std::size(kSystemOrder)); ++i)
      if (SystemLetter(kSystemOrder[i]) == label[0]) rank = i;
    prn = label.substr(1);
  }
  long number = 0;
  for (const char c : prn) {
    if (!std::isdigit(static_cast<unsigned char>(c)) || number > 1000000) break;
    number = number * 10 + (c - '0');
  }
  return {rank, number, label};
}

}  // namespace

void SortSignalSats(std::vector<TSignalSat>& sats) {
  std::stable_sort(sats.begin(), sats.end(),
                   [](const TSignalSat& a, const TSignalSat& b) { return SortKey(a.Label) < SortKey(b.Label); });
}

TSignalLayout SignalLayout(int w, int h, const std::vector<TSignalSat>& sats, int axisW, int numberH, int labelH) {
  constexpr int margin = 4;
  TSignalLayout l;
  // Room for the top number above the top tick, and for the bottom one or the labels below the foot.
  const int top = margin + numberH / 2;
  const int bottom = h - margin - std::max(labelH, numberH / 2);
  const int left = margin + axisW + margin;
  l.Plot = {left, top, std::max(0, w - margin - left), std::max(0, bottom - top)};
  for (int db = 0; db <= kSignalMaxDb; db += kSignalTickDb)
    l.Ticks.push_back({db, l.Plot.Bottom() - l.Plot.Height * db / kSignalMaxDb});
  if (sats.empty()) return l;
  const int n = static_cast<int>(sats.size());
  for (int i = 0; i < n; ++i) {
    // Each bar in its own slot of the plot's width, a quarter of the slot left free between bars.
    const int slotLeft = l.Plot.Left + l.Plot.Width * i / n;
    const int slotWidth = l.Plot.Left + l.Plot.Width * (i + 1) / n - slotLeft;
    const int gap = slotWidth / 8;
    const int snr = std::clamp(sats[static_cast<size_t>(i)].Snr, 0, kSignalMaxDb);
    const int height = l.Plot.Height * snr / kSignalMaxDb;
    TSignalBar b;
    b.Bar = {slotLeft + gap, l.Plot.Bottom() - height, std::max(1, slotWidth - 2 * gap), height};
    b.Label = {slotLeft, l.Plot.Bottom(), slotWidth, labelH};
    l.Bars.push_back(b);
  }
  return l;
}

}  // namespace orvane
