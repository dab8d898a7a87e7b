// SPDX-License-Identifier: GPL-3.0-or-later
#include "track/TrackView.h"

#include <algorithm>
#include <cmath>

#include "common/HostConv.h"
#include "common/NmeaConv.h"
#include "geodrel.h"
#include "maps/PlaneCoord.h"
#include "track/TrackState.h"

namespace orvane {

const double ScaleTable[kZoomMax + 1] = {0,   0.001, 0.002, 0.004, 0.01, 0.02, 0.05, 0.1, 0.2,
                                         0.5, 1,     2,     4,     8,    16,   32,   64,  100};
const int32_t GridTable[kZoomMax + 1] = {3600, 36000, 36000, 36000, 3600, 3600, 600, 600, 600,
                                         60,   60,    60,    10,    10,   10,   1,   1,   1};

int32_t ClampZoom(int32_t zoom) { return zoom < kZoomMin ? kZoomMin : zoom > kZoomMax ? kZoomMax : zoom; }

std::string ReadoutCaption(double lonDms, double latDms, double scale, TCoordFormat format, const TPlaneChoice& plane,
                           const std::string& datum) {
  std::string text = ReadoutCoord(latDms, TAxis::Lat, format) + " " + ReadoutCoord(lonDms, TAxis::Lon, format);
  if (format == TCoordFormat::Plane) text += " " + PlaneReadout(latDms, lonDms, datum, plane);
  return text + " [" + FormatFixed(scale, 3) + "]";
}

std::string TTrackView::Caption() const {
  return ReadoutCaption(MouseLon, MouseLat, Scale, CoordFormat, Plane, State.MapDatum);
}

TScaleBar ScaleBarFor(double latDeg, double scale, int maxPixels) {
  // Metres per degree of longitude on the GRS 80 ellipsoid: close enough to every datum the
  // program knows for a bar drawn to the pixel.
  constexpr double kA = 6378137.0, kE2 = 0.00669438002290, kPi = 3.14159265358979323846;
  const double phi = latDeg * kPi / 180;
  const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
  const double metresPerDegree = kPi / 180 * kA * cosPhi / std::sqrt(1 - kE2 * sinPhi * sinPhi);
  const double pixelsPerMetre = scale * 3600 / metresPerDegree;
  if (!(metresPerDegree > 1e-6) || !(pixelsPerMetre > 0) || !std::isfinite(pixelsPerMetre)) return {};
  TScaleBar bar;
  for (double decade = 10; decade <= 1e6; decade *= 10) {
    for (const double step : {1.0, 2.0, 5.0}) {
      const double metres = decade * step;
      if (metres > 1e6) break;
      const double pixels = metres * pixelsPerMetre;
      if (bar.Metres > 0 && pixels > maxPixels) return bar;
      bar.Metres = metres;
      bar.Pixels = static_cast<int>(std::lround(pixels));
      bar.Label = metres >= 1000 ? std::to_string(static_cast<long long>(metres / 1000)) + " km"
                                 : std::to_string(static_cast<long long>(metres)) + " m";
    }
  }
  return bar;
}

void TTrackView::ApplyZoom() {
  State.Zoom = ClampZoom(State.Zoom);
  Scale = ScaleTable[State.Zoom];
}

void TTrackView::ComputeViewBox(int width, int height) {
  W = width;
  H = height;
  GridStep = GridTable[ClampZoom(State.Zoom)];
  const double spanX = W / Scale, spanY = H / Scale;
  West = DmsToDeg(State.CenterL) - spanX / 3600 / 2;
  South = DmsToDeg(State.CenterB) - spanY / 3600 / 2;
  East = West + spanX / 3600;
  North = South + spanY / 3600;
}

TPoint TTrackView::Project(double latDms, double lonDms) const {
  const int dx = TruncToInt((DmsToDeg(State.CenterL) - DmsToDeg(lonDms)) * 3600 * Scale);
  const int dy = TruncToInt((DmsToDeg(State.CenterB) - DmsToDeg(latDms)) * 3600 * Scale);
  return {W / 2 - dx, H - (H / 2 - dy)};
}

std::string TTrackView::MouseMove(int X, int Y) {
  if (W > 0 && H > 0) {
    MouseLon = DegToDms((East - West) / W * X + West);
    MouseLat = DegToDms(-(North - South) / H * Y + North);
  }
  return Caption();
}

void TTrackView::DrawBase(TCanvas& canvas, TColor background, TColor gridColor,
                          const std::function<void(TCanvas&)>& layers) {
  const TRect clip = canvas.ClipRect();
  ComputeViewBox(clip.Width(), clip.Height());
  canvas.SetBrushColor(background);
  canvas.SetBrushStyle(TBrushStyle::Solid);
  canvas.FillRect({0, 0, W, H});
  if (layers) layers(canvas);
  DrawGrid(canvas, gridColor);
  DrawScaleBar(canvas);
}

void TTrackView::DrawGrid(TCanvas& canvas, TColor gridColor) const {
  canvas.SetPenStyle(TPenStyle::Dot);
  canvas.SetPenColor(gridColor);
  canvas.SetPenWidth(1);
  const double spanX = W / Scale, spanY = H / Scale;
  // The first line lies one interval inside an edge that sits on a grid line. The edge's
  // multiple is taken with floor, not truncation: truncation toward zero would skip the line
  // nearest to a western or southern edge (the prime meridian or the equator among them).
  const auto first = [this](double edge) { return (std::floor(edge * 3600 / GridStep) + 1) * GridStep - edge * 3600; };

  // Lines are drawn at every interval; a label only where it stays inside the surface and clear
  // of the one before it on its edge, so that close lines at a coarse zoom stay readable. The
  // latitudes keep above the longitude row along the bottom.
  constexpr int kLabelGap = 4;
  canvas.SetBrushColor(kLabelBackground);
  canvas.SetBrushStyle(TBrushStyle::Solid);
  const int rowHeight = canvas.TextExtent("0").cy;
  int lastRight = -kLabelGap;
  const double firstX = first(West);
  for (int i = 0, n = TruncToInt(spanX / GridStep); i <= n; ++i) {
    const double s = static_cast<double>(i) * GridStep + firstX;
    const int x = TruncToInt(s * Scale);
    canvas.MoveTo(x, 0);
    canvas.LineTo(x, H);
    if (x < 0 || x >= W) continue;
    const std::string label = GridCoord(s / 3600 + West, GridStep, TAxis::Lon, CoordFormat);
    const TSize ext = canvas.TextExtent(label);
    const int left = std::max(0, std::min(x - ext.cx / 2, W - ext.cx));
    if (left < lastRight + kLabelGap || left + ext.cx > W) continue;
    canvas.TextOut(left, H - ext.cy, label);
    lastRight = left + ext.cx;
  }
  int lastTop = H - rowHeight + kLabelGap;
  const double firstY = first(South);
  for (int i = 0, n = TruncToInt(spanY / GridStep); i <= n; ++i) {
    const double s = static_cast<double>(i) * GridStep + firstY;
    const int y = H - TruncToInt(s * Scale);
    canvas.MoveTo(0, y);
    canvas.LineTo(W, y);
    if (y < 0 || y >= H) continue;
    const std::string label = GridCoord(s / 3600 + South, GridStep, TAxis::Lat, CoordFormat);
    const TSize ext = canvas.TextExtent(label);
    const int top = std::max(0, y - ext.cy / 2);
    if (top + ext.cy > lastTop - kLabelGap || ext.cx > W) continue;
    canvas.TextOut(0, top, label);
    lastTop = top;
  }
}

void TTrackView::DrawScaleBar(TCanvas& canvas) const {
  constexpr int kMargin = 6, kPad = 3, kBar = 3;
  const TScaleBar bar = ScaleBarFor(DmsToDeg(State.CenterB), Scale, std::max(20, std::min(W / 3, 150)));
  if (bar.Pixels <= 0) return;
  const TSize text = canvas.TextExtent(bar.Label);
  const int rowHeight = canvas.TextExtent("0").cy;
  const int boxW = std::max(bar.Pixels, text.cx) + 2 * kPad;
  const int boxH = text.cy + kBar + 3 * kPad;
  // Right corner, above the row of longitude labels; filled shapes only, so that nothing of it
  // reads as a grid line.
  const int right = W - kMargin, bottom = H - rowHeight - kMargin;
  const int left = right - boxW, top = bottom - boxH;
  canvas.SetPenStyle(TPenStyle::Clear);
  canvas.SetBrushStyle(TBrushStyle::Solid);
  canvas.SetBrushColor(kLabelBackground);
  const TPoint box[] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
  canvas.Polygon(box, 4);
  const int x1 = right - kPad, x0 = x1 - bar.Pixels, y1 = bottom - kPad, y0 = y1 - kBar;
  canvas.SetBrushColor(0x000000);
  const TPoint line[] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
  canvas.Polygon(line, 4);
  canvas.SetBrushColor(kLabelBackground);
  canvas.TextOut(x1 - text.cx, top + kPad, bar.Label);
}

void TTrackView::ZoomBy(int delta) {
  State.Zoom = ClampZoom(ClampZoom(State.Zoom) + delta);
  Scale = ScaleTable[State.Zoom];
}

bool TTrackView::ZoomAt(int steps, int X, int Y) {
  const int32_t before = ClampZoom(State.Zoom);
  const int32_t after = ClampZoom(before + steps);
  if (after == before) return false;
  // Degrees from the centre pixel to the pointer, before and after: the centre moves by the
  // difference so that the pointer's position stays put.
  const double ox = X - W / 2, oy = (H - H / 2) - Y;
  const double oldScale = ScaleTable[before] * 3600, newScale = ScaleTable[after] * 3600;
  State.CenterL = DegToDms(DmsToDeg(State.CenterL) + ox / oldScale - ox / newScale);
  State.CenterB = DegToDms(DmsToDeg(State.CenterB) + oy / oldScale - oy / newScale);
  State.Zoom = after;
  Scale = ScaleTable[after];
  return true;
}

void TTrackView::DragFrom(double fromB, double fromL, int dx, int dy) {
  const double perDegree = Scale * 3600;
  State.CenterL = DegToDms(DmsToDeg(fromL) - dx / perDegree);
  State.CenterB = DegToDms(DmsToDeg(fromB) + dy / perDegree);
}

void TTrackView::FitBox(double west, double south, double east, double north) {
  int32_t zoom = kZoomMin;
  for (int32_t z = kZoomMax; z > kZoomMin; --z) {
    const double perDegree = ScaleTable[z] * 3600;
    if (east - west <= W / perDegree && north - south <= H / perDegree) {
      zoom = z;
      break;
    }
  }
  State.Zoom = zoom;
  Scale = ScaleTable[zoom];
  State.CenterL = DegToDms((west + east) / 2);
  State.CenterB = DegToDms((south + north) / 2);
}

double TTrackView::PanStep() const { return DegToDms(GridStep / 3600.0); }

bool TTrackView::KeyDown(int key) {
  switch (key) {
    case vkPageUp:
      ZoomOut();
      return true;
    case vkPageDown:
      ZoomIn();
      return true;
    case vkLeft:
      State.CenterL = DegToDms(DmsToDeg(State.CenterL) - PanStep());
      return true;
    case vkUp:
      State.CenterB = DegToDms(DmsToDeg(State.CenterB) + PanStep());
      return true;
    case vkRight:
      State.CenterL = DegToDms(DmsToDeg(State.CenterL) + PanStep());
      return true;
    case vkDown:
      State.CenterB = DegToDms(DmsToDeg(State.CenterB) - PanStep());
      return true;
    default:
      return false;
  }
}

}  // namespace orvane
