// SPDX-License-Identifier: GPL-3.0-or-later
// The sky view's geometry: where the grid goes for a panel size, where a satellite's symbol and
// labels go for its elevation and azimuth, how large symbols and fonts are drawn, where labels go
// in a crowded sky and where the legend fits. Pure integer arithmetic, so it is tested exactly.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvane {

struct TSkyRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TSkyRect&) const = default;
  int Right() const { return Left + Width; }  // one past the last column
  int Bottom() const { return Top + Height; }
  bool Intersects(const TSkyRect& o) const;
};

constexpr int kSatSymbolSize = 15;
// The laid-out main window's shorter side: up to it, symbols and fonts keep their laid-out sizes.
constexpr int kSkyBaseSide = 292;

struct TSkyLayout {
  int D = 0, Left = 0, Top = 0;
  int CenterX = 0, CenterY = 0, Radius = 0;  // SkyCenterX, SkyCenterY, SkyRadius
  TSkyRect cirElv1, cirElv2, linElvV, linElvH;
  double Scale = 1;             // of symbols and fonts
  int Symbol = kSatSymbolSize;  // a satellite symbol's side
};

// FormPaint's layout for a panel of w x h pixels; every division truncates toward zero.
TSkyLayout SkyLayout(int w, int h);

// 1 up to kSkyBaseSide, then the square root of the shorter side over it: symbols and labels grow
// with the window, but slower than the plot, so a larger window also leaves more room between them.
double SkyScale(int w, int h);
// A symbol's side at a scale: odd, so that it centres on a pixel; 15 at scale 1.
int SatSymbolSide(double scale);
// A length of the laid-out drawing (a font's size, a caption's box) at a scale.
int Scaled(int length, double scale);

struct TSatPlace {
  int X = 0, Y = 0;  // the symbol's centre
  TSkyRect Prn, Snr, Symbol;
};

// PlaceSatellite's positions, given the label sizes measured after their captions were set.
TSatPlace PlaceSat(const TSkyLayout& sky, int elevation, int azimuth, int prnW, int prnH, int snrW, int snrH);

// The SNR label's caption: at least two digits, zero-padded.
std::string FormatSnr(int snr);

// ---- labels in a crowded sky ----

// Where a satellite's two labels go: PRN above and SNR below (as laid out), both beside the
// symbol on its right or left, both above or both below it; or left out.
enum class TLabelSide { Laid, Right, Left, Above, Below, None };

struct TSatLabels {
  int X = 0, Y = 0;  // the symbol's centre
  int PrnW = 0, PrnH = 0, SnrW = 0, SnrH = 0;
  int Snr = 0;  // the stronger is placed first
};

struct TLabelPlace {
  TLabelSide Side = TLabelSide::None;
  TSkyRect Prn, Snr;  // empty for None
};

// The two labels' boxes on one side of a symbol of side `symbol`.
TLabelPlace LabelsOn(TLabelSide side, const TSatLabels& sat, int symbol);

// Every satellite's labels, strongest first: each takes the first side of Laid, Right, Left,
// Above, Below on which its labels stay inside the w x h panel and clear of every other symbol,
// every label placed before and the `fixed` boxes (captions, compass letters, legend); with no
// such side its labels are left out. So a sky that is not crowded is drawn as laid out, and what
// a crowded one loses is the weakest satellites' numbers, never a symbol.
std::vector<TLabelPlace> PlaceLabels(const std::vector<TSatLabels>& sats, int symbol, int w, int h,
                                     const std::vector<TSkyRect>& fixed);

// The one-line legend's box, centred at the panel's foot, when it fits below the horizon, a
// satellite symbol on it and the compass letter under it (compassH high); else none.
std::optional<TSkyRect> LegendPlace(const TSkyLayout& sky, int w, int h, int legendW, int legendH, int compassH);

}  // namespace orvane
