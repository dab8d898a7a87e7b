// The sky view's geometry: where the grid goes for a panel size and where a satellite's symbol
// and labels go for its elevation and azimuth. Pure integer arithmetic, so it is tested exactly.
#pragma once

#include <string>

namespace orvane {

struct TSkyRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TSkyRect&) const = default;
};

struct TSkyLayout {
  int D = 0, Left = 0, Top = 0;
  int CenterX = 0, CenterY = 0, Radius = 0;  // SkyCenterX, SkyCenterY, SkyRadius
  TSkyRect cirElv1, cirElv2, linElvV, linElvH;
};

// FormPaint's layout for a panel of w x h pixels; every division truncates toward zero.
TSkyLayout SkyLayout(int w, int h);

constexpr int kSatSymbolSize = 15;

struct TSatPlace {
  int X = 0, Y = 0;  // the symbol's centre
  TSkyRect Prn, Snr, Symbol;
};

// PlaceSatellite's positions, given the label sizes measured after their captions were set.
TSatPlace PlaceSat(const TSkyLayout& sky, int elevation, int azimuth, int prnW, int prnH, int snrW, int snrH);

// The SNR label's caption: at least two digits, zero-padded.
std::string FormatSnr(int snr);

}  // namespace orvane
