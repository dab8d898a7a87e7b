#include "track/TrackView.h"

#include <algorithm>
#include <cmath>

#include "common/HostConv.h"
#include "geodrel.h"
#include "common/NmeaConv.h"
#include "track/TrackState.h"

namespace orvane {

const double ScaleTable[kZoomMax + 1] = {0,   0.001, 0.002, 0.004, 0.01, 0.02, 0.05, 0.1, 0.2,
                                         0.5, 1,     2,     4,     8,    16,   32,   64,  100};
const int32_t GridTable[kZoomMax + 1] = {3600, 36000, 36000, 36000, 3600, 3600, 600, 600, 600,
                                         60,   60,    60,    10,    10,   10,   1,   1,   1};

int32_t ClampZoom(int32_t zoom) { return zoom < kZoomMin ? kZoomMin : zoom > kZoomMax ? kZoomMax : zoom; }

std::string ReadoutCaption(double lonDms, double latDms, double scale) {
  return FormatFixed(lonDms, 5) + " " + FormatFixed(latDms, 5) + " [" + FormatFixed(scale, 3) + "]";
}

std::string GridLabel(double dms) { return FormatFixed(dms, 4); }

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
  const int rowHeight = canvas.TextExtent("0").cy;
  int lastRight = -kLabelGap;
  const double firstX = first(West);
  for (int i = 0, n = TruncToInt(spanX / GridStep); i <= n; ++i) {
    const double s = static_cast<double>(i) * GridStep + firstX;
    const int x = TruncToInt(s * Scale);
    canvas.MoveTo(x, 0);
    canvas.LineTo(x, H);
    if (x < 0 || x >= W) continue;
    const std::string label = GridLabel(DegToDms(s / 3600 + West));
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
    const std::string label = GridLabel(DegToDms(s / 3600 + South));
    const TSize ext = canvas.TextExtent(label);
    const int top = std::max(0, y - ext.cy / 2);
    if (top + ext.cy > lastTop - kLabelGap || ext.cx > W) continue;
    canvas.TextOut(0, top, label);
    lastTop = top;
  }
}

void TTrackView::ZoomBy(int delta) {
  State.Zoom = ClampZoom(ClampZoom(State.Zoom) + delta);
  Scale = ScaleTable[State.Zoom];
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
