// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/UVectPoint.h"

#include "common/ShiftJis.h"
#include "maps/MapFile.h"
#include "maps/ViewMap.h"

namespace orvane {
namespace {

constexpr double kUnitsPerDegree = 36000;

}  // namespace

std::string TVectPoint::NameOf(std::string_view field) {
  // The full-width blank parts the name from its reading; it is found on character boundaries
  // only, so a trail byte 0x81 followed by 0x40 does not cut a name short.
  if (const size_t blank = FindSjisChar(field, 0x81, 0x40); blank != std::string_view::npos)
    field = field.substr(0, blank);
  return SjisToUtf8(TrimControls(field));
}

bool TVectPoint::Load(const std::string& path) {
  const std::string data = ReadMapFile(path);
  points_.clear();
  pointCount_ = 0;

  TLineReader in(data);
  std::string_view line;
  in.Next(line);
  TLineReader first = in;
  while (first.Next(line)) pointCount_ += !line.empty() && line[0] == 'P' ? 1 : 0;
  points_.reserve(static_cast<size_t>(pointCount_));

  in.Next(line);
  while (in.Next(line)) {
    if (line.empty() || line[0] != 'P') continue;
    const TFilePlace at{path, in.LineNo()};
    TPointRec p;
    p.X = FieldToInt(Columns(line, 10, 17), at);
    p.Y = FieldToInt(Columns(line, 18, 25), at);
    p.ClassCode = static_cast<uint16_t>(FieldToInt(Columns(line, 36, 37), at));
    p.Name = NameOf(Columns(line, 73, 132));
    points_.push_back(std::move(p));
  }
  fileName_ = path;
  styles_ = BuildMetaStyles(metaDef_, MetaPrefix(path));
  return true;
}

TLayerDescription TVectPoint::Describe() const {
  TLayerDescription d;
  for (const TPointRec& p : points_) {
    ++d.StyleUse[p.ClassCode];
    WidenExtent(d.Extent, p.X / kUnitsPerDegree, p.Y / kUnitsPerDegree);
  }
  d.Counts = {{"points", std::to_string(points_.size())}};
  d.Datum = kDrawnAsRead;
  return d;
}

void TVectPoint::Draw(TCanvas& canvas, const TViewBox& box) {
  const TViewBox units = box.Scaled(kUnitsPerDegree);
  const TViewMap view(canvas.ClipRect(), units);
  for (const TPointRec& p : points_) {
    if (!units.Holds(p.X, p.Y)) continue;
    const TMetaStyle* style = StyleAt(styles_, p.ClassCode);
    if (!style || !(view.Sx >= style->MinScale)) continue;
    canvas.TextOut(view.X(p.X), view.Y(p.Y), p.Name);
  }
}

bool LooksLikePointFile(std::string_view head) {
  const TNationalLandRecords r = CountNationalLandRecords(head);
  return r.Points > r.Lines;
}

}  // namespace orvane
