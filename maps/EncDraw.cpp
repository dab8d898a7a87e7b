// SPDX-License-Identifier: GPL-3.0-or-later
// The chart layer's drawing: areas largest first, lines, symbols, then the soundings' figures.
#include "maps/UEncMap.h"
#include "maps/ViewMap.h"

namespace orvane {
namespace {

// Depth figures are small and grey, as on a paper chart.
constexpr TColor kSoundingColor = 0x808080;

}  // namespace

void TEncMap::Draw(TCanvas& canvas, const TViewBox& box) {
  if (!(box.East > box.West) || !(box.North > box.South)) return;
  const TViewMap view(canvas.ClipRect(), box);
  auto meets = [&](const TEncBox& b) { return box.Meets({b.LeastLon, b.LeastLat, b.GreatestLon, b.GreatestLat}); };
  auto map = [&](const std::vector<TEncCoord>& points) {
    mapped_.resize(points.size());
    for (size_t i = 0; i < points.size(); ++i) mapped_[i] = view.At(points[i].Lon, points[i].Lat);
    return static_cast<int>(mapped_.size());
  };

  // Largest boxes first, so that smaller areas lie on top of the ones around them.
  canvas.SetPenColor(clBlack);
  canvas.SetPenStyle(TPenStyle::Clear);
  canvas.SetBrushStyle(TBrushStyle::Solid);
  for (auto it = areas_.rbegin(); it != areas_.rend(); ++it) {
    const TEncShape& s = it->Shape;
    if (!meets(s.Box)) continue;
    const std::optional<TColor> band = DepthBandColor(bands_, s.Attributes.Drval1, s.Attributes.Drval2);
    canvas.SetBrushColor(band ? *band : classes_[static_cast<size_t>(s.ObjClass)].Color);
    const int n = map(s.Points);
    canvas.Polygon(mapped_.data(), n);
  }

  canvas.SetPenStyle(TPenStyle::Solid);
  for (const TEncShape& s : lines_) {
    if (!meets(s.Box)) continue;
    const TEncObjClass& cls = classes_[static_cast<size_t>(s.ObjClass)];
    canvas.SetPenColor(cls.Color);
    canvas.SetPenWidth(cls.PenWidth);
    const int n = map(s.Points);
    int from = 0;
    for (const size_t at : s.Breaks) {
      canvas.Polyline(mapped_.data() + from, static_cast<int>(at) - from);
      from = static_cast<int>(at);
    }
    canvas.Polyline(mapped_.data() + from, n - from);
  }

  canvas.SetPenColor(clBlack);
  canvas.SetBrushStyle(TBrushStyle::Clear);
  const TSize symbol = canvas.SymbolSize();
  // With depth bands the chart is drawn as a mariner reads it: soundings as figures, not symbols.
  const bool figures = !bands_.empty();
  for (const TEncSpot& p : spots_) {
    if (!box.Holds(p.Lon, p.Lat) || (figures && p.Sounding)) continue;
    const TPoint at = view.At(p.Lon, p.Lat);
    canvas.DrawSymbol(at.x - symbol.cx / 2, at.y - symbol.cy / 2, classes_[static_cast<size_t>(p.ObjClass)].Symbol);
  }
  if (!figures) return;
  canvas.SetFontColor(kSoundingColor);
  canvas.SetPenColor(kSoundingColor);
  canvas.SetPenWidth(1);
  canvas.SetPenStyle(TPenStyle::Solid);
  for (const TEncSpot& p : soundings_) {
    if (!box.Holds(p.Lon, p.Lat)) continue;
    const TSoundingFigure figure = SoundingFigure(p.Depth);
    const TSize size = canvas.TextExtent(figure.Text);
    const TPoint at = view.At(p.Lon, p.Lat);
    const int x = at.x - size.cx / 2, y = at.y - size.cy / 2;
    canvas.TextOut(x, y, figure.Text);
    // A drying height is underlined along the text's last row, below the figures' baseline; a
    // plain line, so that every canvas draws it alike.
    if (figure.Drying && size.cx > 0) {
      canvas.MoveTo(x, y + size.cy - 1);
      canvas.LineTo(x + size.cx - 1, y + size.cy - 1);
    }
  }
  canvas.SetFontColor(clBlack);
  canvas.SetPenColor(clBlack);
}
}  // namespace orvane
