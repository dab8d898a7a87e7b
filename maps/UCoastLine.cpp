// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/UCoastLine.h"

#include <algorithm>

#include "common/HostConv.h"
#include "common/SplitCommaText.h"
#include "maps/MapFile.h"
#include "maps/ViewMap.h"

namespace orvane {

bool TCoastLine::Load(const std::string& path) {
  if (!MapFileExists(path)) return false;
  const std::string data = ReadMapFile(path);
  segments_.clear();
  box_.reset();

  TLineReader in(data);
  std::string_view line;
  // The first line opens the first segment without being read, whether it is a separator or
  // not; so there is one segment more than there are separators after it, and every point line
  // after the first, the file's last included, belongs to one.
  size_t separators = 0;
  for (TLineReader count = in; count.Next(line);)
    if (count.LineNo() > 1 && !line.empty() && line[0] == '#') ++separators;
  if (!in.Next(line)) {
    fileName_ = path;  // an empty file: no segment, nothing to draw
    return true;
  }
  segments_.reserve(separators + 1);
  segments_.emplace_back();

  std::vector<std::string> fields;
  while (in.Next(line)) {
    if (!line.empty() && line[0] == '#') {
      segments_.emplace_back();
      continue;
    }
    const TFilePlace at{path, in.LineNo()};
    SplitCommaText(line, fields);
    if (fields.size() < 2) ThrowAt(at, "a longitude and a latitude wanted, found " + QuoteFound(line));
    const TCoastPoint p{FieldToFloat(fields[0], at), FieldToFloat(fields[1], at)};
    segments_.back().push_back(p);
    WidenExtent(box_, p.Lon, p.Lat);
  }
  fileName_ = path;
  return true;
}

TLayerDescription TCoastLine::Describe() const {
  TLayerDescription d;
  size_t points = 0;
  for (const auto& s : segments_) points += s.size();
  d.Counts = {{"segments", std::to_string(segments_.size())}, {"points", std::to_string(points)}};
  d.Extent = box_;
  d.Datum = kDrawnAsRead;
  return d;
}

void TCoastLine::Draw(TCanvas& canvas, const TViewBox& box) {
  if (!box_ || !box.Meets(*box_)) return;
  const TViewMap view(canvas.ClipRect(), box);
  canvas.SetPenColor(coLineColor_);
  canvas.SetPenStyle(TPenStyle::Solid);
  canvas.SetPenWidth(1);
  for (const auto& segment : segments_) {
    if (segment.size() < 2) continue;
    pixels_.resize(segment.size());
    for (size_t i = 0; i < segment.size(); ++i) pixels_[i] = view.At(segment[i].Lon, segment[i].Lat);
    canvas.Polyline(pixels_.data(), static_cast<int>(pixels_.size()));
  }
}

bool LooksLikeCoastFile(std::string_view head) {
  TLineReader in(head);
  std::string_view line;
  std::vector<std::string> fields;
  bool points = false;
  in.Next(line);  // the first line is never read
  while (in.Next(line)) {
    if (line.empty() || line[0] == '#') continue;
    SplitCommaText(line, fields);
    if (fields.size() < 2) return false;
    for (size_t i = 0; i < 2; ++i) {
      double v = 0;
      if (!TryStrToFloat(fields[i], v)) return false;
    }
    points = true;
  }
  return points;
}

}  // namespace orvane
