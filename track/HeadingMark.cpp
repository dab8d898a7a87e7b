// SPDX-License-Identifier: GPL-3.0-or-later
#include "track/HeadingMark.h"

#include <cmath>
#include <numbers>

#include "common/HostConv.h"
#include "common/NmeaConv.h"

namespace orvane {

THeadingMark HeadingMarkGeometry(int markX, int markY, int radius, double course) {
  const int cx = markX + radius, cy = markY + radius;
  const double r = radius;
  const double rad = std::numbers::pi / 180;
  // Screen y runs down, so 180 - course turns a compass bearing into sine/cosine offsets.
  const double theta = (180 - course) * rad;
  const double tx = cx + r * std::sin(theta), ty = cy + r * std::cos(theta);
  const double t1 = theta - 30 * rad, t2 = theta + 30 * rad;
  THeadingMark m;
  m.Circle = {cx - radius, cy - radius, cx + radius, cy + radius};
  m.Tip = {TruncToInt(tx), TruncToInt(ty)};
  m.Tail = {TruncToInt(cx - r * std::sin(theta)), TruncToInt(cy - r * std::cos(theta))};
  m.Barb1 = {TruncToInt(tx - r * std::sin(t1)), TruncToInt(ty - r * std::cos(t1))};
  m.Barb2 = {TruncToInt(tx - r * std::sin(t2)), TruncToInt(ty - r * std::cos(t2))};
  m.Label = {cx - radius, cy + radius + 2};
  return m;
}

std::string HeadingCaption(double course) {
  std::string s = FormatFixed(course, 3);
  if (s.size() < 7) s.insert(0, 7 - s.size(), ' ');
  return s + " ";
}

void DrawHeadingMark(TCanvas& canvas, const THeadingMark& m) {
  canvas.SetPenColor(RGBColor(255, 0, 0));
  canvas.SetPenStyle(TPenStyle::Solid);
  canvas.SetPenWidth(2);
  canvas.SetBrushStyle(TBrushStyle::Clear);
  canvas.Ellipse(m.Circle.Left, m.Circle.Top, m.Circle.Right, m.Circle.Bottom);
  canvas.MoveTo(m.Tip.x, m.Tip.y);
  canvas.LineTo(m.Tail.x, m.Tail.y);
  canvas.MoveTo(m.Tip.x, m.Tip.y);
  canvas.LineTo(m.Barb1.x, m.Barb1.y);
  canvas.MoveTo(m.Tip.x, m.Tip.y);
  canvas.LineTo(m.Barb2.x, m.Barb2.y);
}

}  // namespace orvane
