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

TSignalLayout SignalLayout(int w, int h, const std::vector<TSignalSat>& sats, int axisW, int numberH, int labelH,
                           int bandH) {
  constexpr int margin = 4;
  TSignalLayout l;
  const bool bands = std::any_of(sats.begin(), sats.end(), [](const TSignalSat& s) { return !s.Bands.empty(); });
  if (!bands) bandH = 0;
  // Room for the top number above the top tick, and for the bottom one or the labels below the foot.
  const int top = margin + numberH / 2;
  const int bottom = h - margin - std::max(labelH + bandH, numberH / 2);
  const int left = margin + axisW + margin;
  l.Plot = {left, top, std::max(0, w - margin - left), std::max(0, bottom - top)};
  for (int db = 0; db <= kSignalMaxDb; db += kSignalTickDb)
    l.Ticks.push_back({db, l.Plot.Bottom() - l.Plot.Height * db / kSignalMaxDb});
  int slots = 0;
  for (const TSignalSat& s : sats) slots += std::max<int>(1, static_cast<int>(s.Bands.size()));
  if (slots == 0) return l;
  const auto slotX = [&](int i) { return l.Plot.Left + l.Plot.Width * i / slots; };
  int slot = 0;
  for (size_t i = 0; i < sats.size(); ++i) {
    const TSignalSat& sat = sats[i];
    const int k = std::max<int>(1, static_cast<int>(sat.Bands.size()));
    // Each satellite in its own slots of the plot's width, a quarter of a slot left free between
    // satellites; the bars of one satellite stand a pixel apart.
    const int groupLeft = slotX(slot), groupWidth = slotX(slot + k) - groupLeft;
    const int gap = groupWidth / k / 8;
    const int inner = groupWidth - 2 * gap;
    const TSkyRect label = {groupLeft, l.Plot.Bottom() + bandH, groupWidth, labelH};
    for (int j = 0; j < k; ++j) {
      const int snr = std::clamp(sat.Bands.empty() ? sat.Snr : sat.Bands[static_cast<size_t>(j)].Snr, 0, kSignalMaxDb);
      const int height = l.Plot.Height * snr / kSignalMaxDb;
      const int barLeft = groupLeft + gap + inner * j / k;
      const int barRight = groupLeft + gap + inner * (j + 1) / k - (j + 1 < k ? 1 : 0);
      // The band names tile the group, each under its own bar.
      const int bandLeft = j == 0 ? groupLeft : barLeft;
      const int bandRight = j + 1 == k ? groupLeft + groupWidth : barRight + 1;
      TSignalBar b;
      b.Bar = {barLeft, l.Plot.Bottom() - height, std::max(1, barRight - barLeft), height};
      b.Label = label;
      b.Band = {bandLeft, l.Plot.Bottom(), bandRight - bandLeft, sat.Bands.empty() ? 0 : bandH};
      b.Sat = i;
      b.BandIndex = sat.Bands.empty() ? -1 : j;
      l.Bars.push_back(b);
    }
    slot += k;
  }
  return l;
}

}  // namespace orvane
