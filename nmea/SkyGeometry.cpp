#include "nmea/SkyGeometry.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace orvane {

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
  return s;
}

TSatPlace PlaceSat(const TSkyLayout& sky, int elevation, int azimuth, int prnW, int prnH, int snrW, int snrH) {
  const double r = (90.0 - elevation) / 90.0 * sky.Radius;
  const double a = (180.0 - azimuth) * std::numbers::pi / 180.0;
  TSatPlace p;
  p.X = static_cast<int>(std::trunc(std::sin(a) * r + sky.CenterX));
  p.Y = static_cast<int>(std::trunc(std::cos(a) * r + sky.CenterY));
  constexpr int half = kSatSymbolSize / 2;
  p.Prn = {p.X - prnW / 2, p.Y - prnH - half, prnW, prnH};
  // The SNR label is aligned with the PRN label's left edge, not centred on its own width.
  p.Snr = {p.Prn.Left, p.Y + half, snrW, snrH};
  p.Symbol = {p.X - half, p.Y - half, kSatSymbolSize, kSatSymbolSize};
  return p;
}

std::string FormatSnr(int snr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", snr);
  return buf;
}

}  // namespace orvane
