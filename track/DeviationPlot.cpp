// SPDX-License-Identifier: GPL-3.0-or-later
#include "track/DeviationPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "common/HostConv.h"
#include "nmea/ReportStats.h"

namespace orvane {
namespace {

constexpr TColor kRingColor = RGBColor(170, 170, 170);
constexpr TColor kAxisColor = RGBColor(120, 120, 120);
constexpr int kMargin = 14;
constexpr int kDot = 3;  // side of a dot in pixels

// Draw order of the qualities: the worst first, so that the best stays on top; rank 0 is none.
int Rank(char quality) {
  int r = 1;
  for (auto q = std::rbegin(kQualityOrder); q != std::rend(kQualityOrder); ++q, ++r)
    if (*q == quality) return r;
  return 1;  // a digit no receiver should send: under everything
}
constexpr int kRanks = static_cast<int>(std::size(kQualityOrder)) + 1;
char QualityOfRank(int rank) { return kQualityOrder[std::size(kQualityOrder) - static_cast<size_t>(rank)]; }

std::string MetresText(double m) { return FormatPlain(m) + " m"; }

void Line(TCanvas& c, int x1, int y1, int x2, int y2) {
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
}

void DrawRings(TCanvas& c, const TDeviationLayout& l) {
  c.SetBrushStyle(TBrushStyle::Clear);
  c.SetPenWidth(1);
  c.SetPenStyle(TPenStyle::Dot);
  c.SetPenColor(kAxisColor);
  Line(c, l.Plot.Left, l.CentreY, l.Plot.Right, l.CentreY);
  Line(c, l.CentreX, l.Plot.Top, l.CentreX, l.Plot.Bottom);
  c.SetPenStyle(TPenStyle::Solid);
  c.SetPenColor(kRingColor);
  for (int k = 1; k <= l.Rings; ++k) {
    const int r = static_cast<int>(std::lround(k * l.Step * l.PixelsPerMetre));
    c.Ellipse(l.CentreX - r, l.CentreY - r, l.CentreX + r + 1, l.CentreY + r + 1);
  }
}

// Over the dots: the rings' figures, the axis letters and the scale bar.
void DrawFigures(TCanvas& c, const TDeviationLayout& l) {
  c.SetBrushStyle(TBrushStyle::Clear);
  for (int k = 1; k <= l.Rings; ++k) {
    // The figure where the ring crosses the line north-east of the centre.
    const int d = static_cast<int>(static_cast<double>(std::lround(k * l.Step * l.PixelsPerMetre)) * 0.7071);
    c.TextOut(l.CentreX + d + 2, l.CentreY - d - c.TextExtent("0").cy, MetresText(k * l.Step));
  }
  c.SetFontColor(clBlack);
  c.TextOut(l.CentreX + 3, l.Plot.Top, "N");
  c.TextOut(l.Plot.Right - c.TextExtent("E").cx - 2, l.CentreY + 2, "E");
  // The scale bar: one ring step, bottom left.
  const int len = static_cast<int>(std::lround(l.Step * l.PixelsPerMetre));
  const int y = l.Plot.Bottom - 6, x = l.Plot.Left + 8;
  c.SetPenColor(clBlack);
  c.SetPenWidth(2);
  Line(c, x, y, x + len, y);
  Line(c, x, y - 4, x, y + 1);
  Line(c, x + len, y - 4, x + len, y + 1);
  c.SetPenWidth(1);
  c.TextOut(x, y - 6 - c.TextExtent("0").cy, MetresText(l.Step));
}

// One pixel cell per dot position, holding the best rank that fell on it.
void DrawDots(TCanvas& c, const TDeviationLayout& l, const std::vector<TFix>& fixes, const std::vector<TEnu>& offsets) {
  const int w = l.Plot.Width(), h = l.Plot.Height();
  if (w <= 0 || h <= 0) return;
  std::vector<uint8_t> cells(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
  const double ox = l.CentreX - l.Plot.Left, oy = l.CentreY - l.Plot.Top;
  const size_t n = std::min(fixes.size(), offsets.size());
  for (size_t i = 0; i < n; ++i) {
    const double x = ox + offsets[i].E * l.PixelsPerMetre, y = oy - offsets[i].N * l.PixelsPerMetre;
    if (!(x >= 0 && x < w && y >= 0 && y < h)) continue;
    uint8_t& cell = cells[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
    cell = std::max<uint8_t>(cell, static_cast<uint8_t>(Rank(fixes[i].Quality)));
  }
  std::vector<std::vector<int>> byRank(kRanks);
  for (size_t i = 0; i < cells.size(); ++i)
    if (cells[i]) byRank[cells[i]].push_back(static_cast<int>(i));
  c.SetBrushStyle(TBrushStyle::Solid);
  for (int r = 1; r < kRanks; ++r) {
    if (byRank[static_cast<size_t>(r)].empty()) continue;
    c.SetBrushColor(QualityColor(QualityOfRank(r)));
    for (const int i : byRank[static_cast<size_t>(r)]) {
      const int x = l.Plot.Left + i % w - kDot / 2, y = l.Plot.Top + i / w - kDot / 2;
      c.FillRect({x, y, x + kDot, y + kDot});
    }
  }
}

// The height strip: per pixel column the lowest and highest height of its fixes, in the colour
// of the best quality among them.
void DrawStrip(TCanvas& c, const TRect& s, const std::vector<TFix>& fixes) {
  c.SetPenStyle(TPenStyle::Solid);
  c.SetPenWidth(1);
  c.SetPenColor(kAxisColor);
  c.SetBrushStyle(TBrushStyle::Clear);
  Line(c, s.Left, s.Top, s.Right, s.Top);
  if (fixes.empty() || s.Width() <= 2 || s.Height() <= 4) return;
  double t0 = fixes.front().Time, t1 = fixes.back().Time, lo = fixes.front().Height, hi = lo;
  for (const TFix& f : fixes) lo = std::min(lo, f.Height), hi = std::max(hi, f.Height);
  if (hi - lo < 0.01) lo -= 0.005, hi += 0.005;
  if (t1 <= t0) t1 = t0 + 1;
  const int textH = c.TextExtent("0").cy;
  const int top = s.Top + textH + 2, bottom = s.Bottom - 3, w = s.Width();
  struct TColumn {
    double Lo, Hi;
    int Rank = 0;
  };
  std::vector<TColumn> cols(static_cast<size_t>(w));
  for (const TFix& f : fixes) {
    const int x = std::clamp(static_cast<int>((f.Time - t0) / (t1 - t0) * (w - 1)), 0, w - 1);
    TColumn& col = cols[static_cast<size_t>(x)];
    if (!col.Rank) col.Lo = col.Hi = f.Height;
    col.Lo = std::min(col.Lo, f.Height), col.Hi = std::max(col.Hi, f.Height);
    col.Rank = std::max(col.Rank, Rank(f.Quality));
  }
  auto y = [&](double height) { return bottom - static_cast<int>((height - lo) / (hi - lo) * (bottom - top)); };
  for (int x = 0; x < w; ++x) {
    const TColumn& col = cols[static_cast<size_t>(x)];
    if (!col.Rank) continue;
    c.SetPenColor(QualityColor(QualityOfRank(col.Rank)));
    Line(c, s.Left + x, y(col.Hi), s.Left + x, y(col.Lo) + 1);
  }
  c.TextOut(s.Left + 4, s.Top + 2,
            "Height " + FormatFixed(lo, 2) + " to " + FormatFixed(hi, 2) + " m over " +
                FormatPlain(std::round(t1 - t0)) + " s");
}

// A square of each quality's colour and its name, top left.
void DrawLegend(TCanvas& c, const TRect& plot, const std::vector<char>& qualities) {
  const int h = c.TextExtent("0").cy;
  int y = plot.Top + 2;
  for (const char q : qualities) {
    c.SetBrushStyle(TBrushStyle::Solid);
    c.SetBrushColor(QualityColor(q));
    c.FillRect({plot.Left + 4, y + h / 2 - 4, plot.Left + 12, y + h / 2 + 4});
    c.SetBrushStyle(TBrushStyle::Clear);
    c.TextOut(plot.Left + 16, y, QualityWords(q));
    y += h;
  }
}

}  // namespace

TColor QualityColor(char quality) {
  switch (quality) {
    case '4':
      return RGBColor(0, 160, 0);
    case '5':
      return RGBColor(240, 140, 0);
    case '2':
      return RGBColor(0, 90, 230);
    case '1':
      return RGBColor(220, 0, 0);
    case '6':
      return RGBColor(128, 128, 128);
    default:
      return RGBColor(150, 0, 170);
  }
}

double RingStep(double radius) {
  if (!(radius > 0) || !std::isfinite(radius)) return 1;
  const double rough = radius / 4;
  const double p = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double m : {1.0, 2.0, 5.0})
    if (m * p >= rough) return m * p;
  return 10 * p;
}

TDeviationLayout DeviationLayout(const TRect& area, double farthest) {
  TDeviationLayout l;
  const int strip = std::clamp(area.Height() / 4, 40, 160);
  l.Plot = {area.Left, area.Top, area.Right, std::max(area.Top, area.Bottom - strip)};
  l.Strip = {area.Left, l.Plot.Bottom, area.Right, area.Bottom};
  l.CentreX = (l.Plot.Left + l.Plot.Right) / 2;
  l.CentreY = (l.Plot.Top + l.Plot.Bottom) / 2;
  l.Step = RingStep(farthest);
  l.Rings = std::max(1, static_cast<int>(std::ceil(farthest / l.Step - 1e-9)));
  const int radius = std::max(1, std::min(l.Plot.Width(), l.Plot.Height()) / 2 - kMargin);
  l.PixelsPerMetre = radius / (l.Rings * l.Step);
  return l;
}

void DrawDeviation(TCanvas& canvas, const std::vector<TFix>& fixes, const std::vector<TEnu>& offsets,
                   TColor background) {
  const TRect area = canvas.ClipRect();
  canvas.SetBrushStyle(TBrushStyle::Solid);
  canvas.SetBrushColor(background);
  canvas.FillRect(area);
  double farthest = 0;
  for (const TEnu& o : offsets) farthest = std::max(farthest, std::hypot(o.E, o.N));
  const TDeviationLayout l = DeviationLayout(area, farthest);
  DrawRings(canvas, l);
  DrawDots(canvas, l, fixes, offsets);
  DrawFigures(canvas, l);
  DrawStrip(canvas, l.Strip, fixes);
  std::vector<char> present;
  for (const char q : kQualityOrder)
    if (std::any_of(fixes.begin(), fixes.end(), [q](const TFix& f) { return f.Quality == q; })) present.push_back(q);
  DrawLegend(canvas, l.Plot, present);
}

}  // namespace orvane
