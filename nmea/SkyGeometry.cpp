// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/SkyGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace orvane {

bool TSkyRect::Intersects(const TSkyRect& o) const {
  return Left < o.Right() && o.Left < Right() && Top < o.Bottom() && o.Top < Bottom() && Width > 0 && Height > 0 &&
         o.Width > 0 && o.Height > 0;
}

double SkyScale(int w, int h) { return std::sqrt(std::max(1.0, std::min(w, h) / static_cast<double>(kSkyBaseSide))); }

int SatSymbolSide(double scale) { return 2 * static_cast<int>(std::lround(kSatSymbolSize / 2 * scale)) + 1; }

int Scaled(int length, double scale) { return static_cast<int>(std::lround(length * scale)); }

TSkyLayout SkyLayout(int w, int h) {
  TSkyLayout s;
  s.D = (w < h ? w : h) * 9 / 10;
  s.Left = (w - s.D) / 2;
  s.Top = (h - s.D) / 2;
  s.CenterX = w / 2;
  s.CenterY = h / 2;
  s.Radius = s.D / 2;
  s.cirElv1 = {s.Left, s.Top, s.D, s.D};
  s.linElvV = {s.Left + s.Radius, s.Top, 2, s.D};
  s.linElvH = {s.Left, s.Top + s.Radius, s.D, 2};
  s.cirElv2 = {(w - s.Radius) / 2, (h - s.Radius) / 2, s.Radius, s.Radius};
  s.Scale = SkyScale(w, h);
  s.Symbol = SatSymbolSide(s.Scale);
  return s;
}

TSatPlace PlaceSat(const TSkyLayout& sky, int elevation, int azimuth, int prnW, int prnH, int snrW, int snrH) {
  const double r = (90.0 - elevation) / 90.0 * sky.Radius;
  const double a = (180.0 - azimuth) * std::numbers::pi / 180.0;
  TSatPlace p;
  p.X = static_cast<int>(std::trunc(std::sin(a) * r + sky.CenterX));
  p.Y = static_cast<int>(std::trunc(std::cos(a) * r + sky.CenterY));
  const TLabelPlace laid = LabelsOn(TLabelSide::Laid, {p.X, p.Y, prnW, prnH, snrW, snrH, 0}, sky.Symbol);
  p.Prn = laid.Prn;
  p.Snr = laid.Snr;
  const int half = sky.Symbol / 2;
  p.Symbol = {p.X - half, p.Y - half, sky.Symbol, sky.Symbol};
  return p;
}

std::string FormatSnr(int snr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", snr);
  return buf;
}

TLabelPlace LabelsOn(TLabelSide side, const TSatLabels& s, int symbol) {
  const int half = symbol / 2;
  // Beside the symbol the two labels stand one over the other, centred on its middle.
  const int besideTop = s.Y - (s.PrnH + s.SnrH) / 2;
  TLabelPlace p{side, {}, {}};
  switch (side) {
    case TLabelSide::Laid:
      p.Prn = {s.X - s.PrnW / 2, s.Y - s.PrnH - half, s.PrnW, s.PrnH};
      // The SNR label is aligned with the PRN label's left edge, not centred on its own width.
      p.Snr = {p.Prn.Left, s.Y + half, s.SnrW, s.SnrH};
      break;
    case TLabelSide::Right:
      p.Prn = {s.X + half + 1, besideTop, s.PrnW, s.PrnH};
      p.Snr = {s.X + half + 1, besideTop + s.PrnH, s.SnrW, s.SnrH};
      break;
    case TLabelSide::Left:
      p.Prn = {s.X - half - s.PrnW, besideTop, s.PrnW, s.PrnH};
      p.Snr = {s.X - half - s.SnrW, besideTop + s.PrnH, s.SnrW, s.SnrH};
      break;
    case TLabelSide::Above:
      p.Snr = {s.X - s.SnrW / 2, s.Y - half - s.SnrH, s.SnrW, s.SnrH};
      p.Prn = {s.X - s.PrnW / 2, p.Snr.Top - s.PrnH, s.PrnW, s.PrnH};
      break;
    case TLabelSide::Below:
      p.Prn = {s.X - s.PrnW / 2, s.Y + half + 1, s.PrnW, s.PrnH};
      p.Snr = {s.X - s.SnrW / 2, p.Prn.Bottom(), s.SnrW, s.SnrH};
      break;
    case TLabelSide::None:
      break;
  }
  return p;
}

std::vector<TLabelPlace> PlaceLabels(const std::vector<TSatLabels>& sats, int symbol, int w, int h,
                                     const std::vector<TSkyRect>& fixed) {
  const int half = symbol / 2;
  std::vector<TSkyRect> symbols;
  symbols.reserve(sats.size());
  for (const TSatLabels& s : sats) symbols.push_back({s.X - half, s.Y - half, symbol, symbol});
  std::vector<size_t> order(sats.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return sats[a].Snr > sats[b].Snr; });

  std::vector<TSkyRect> taken = fixed;
  std::vector<TLabelPlace> places(sats.size());
  const auto free = [&](const TSkyRect& r, size_t own) {
    if (r.Left < 0 || r.Top < 0 || r.Right() > w || r.Bottom() > h) return false;
    for (size_t i = 0; i < symbols.size(); ++i)
      if (i != own && r.Intersects(symbols[i])) return false;
    return std::none_of(taken.begin(), taken.end(), [&](const TSkyRect& t) { return r.Intersects(t); });
  };
  for (const size_t i : order) {
    for (const TLabelSide side :
         {TLabelSide::Laid, TLabelSide::Right, TLabelSide::Left, TLabelSide::Above, TLabelSide::Below}) {
      const TLabelPlace p = LabelsOn(side, sats[i], symbol);
      if (!free(p.Prn, i) || !free(p.Snr, i)) continue;
      places[i] = p;
      taken.push_back(p.Prn);
      taken.push_back(p.Snr);
      break;
    }
  }
  return places;
}

std::optional<TSkyRect> LegendPlace(const TSkyLayout& sky, int w, int h, int legendW, int legendH, int compassH) {
  constexpr int gap = 2;
  const int top = h - legendH - gap;
  const int clear = sky.CenterY + sky.Radius + sky.Symbol / 2 + gap + compassH + gap;
  if (legendW > w || top < clear) return std::nullopt;
  return TSkyRect{(w - legendW) / 2, top, legendW, legendH};
}

}  // namespace orvane
