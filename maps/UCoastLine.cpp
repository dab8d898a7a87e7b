// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/UCoastLine.h"

#include <algorithm>

#include "common/SplitCommaText.h"
#include "maps/MapFile.h"
#include "maps/ViewMap.h"

namespace orvane {

void TCoastLine::Widen(const TCoastPoint& p) {
  if (!hasBox_) {
    minLon_ = maxLon_ = p.Lon;
    minLat_ = maxLat_ = p.Lat;
    hasBox_ = true;
    return;
  }
  minLon_ = std::min(minLon_, p.Lon);
  maxLon_ = std::max(maxLon_, p.Lon);
  minLat_ = std::min(minLat_, p.Lat);
  maxLat_ = std::max(maxLat_, p.Lat);
}

bool TCoastLine::Load(const std::string& path) {
  if (!MapFileExists(path)) return false;
  const std::string data = ReadMapFile(path);
  segments_.clear();
  hasBox_ = false;

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
    Widen(p);
  }
  fileName_ = path;
  return true;
}

TLayerDescription TCoastLine::Describe() const {
  TLayerDescription d;
  size_t points = 0;
  for (const auto& s : segments_) points += s.size();
  d.Counts = {{"segments", std::to_string(segments_.size())}, {"points", std::to_string(points)}};
  if (hasBox_) d.Extent = TViewBox{minLon_, minLat_, maxLon_, maxLat_};
  d.Datum = kDrawnAsRead;
  return d;
}

void TCoastLine::Draw(TCanvas& canvas, const TViewBox& box) {
  if (!hasBox_) return;
  if (!box.Meets({minLon_, minLat_, maxLon_, maxLat_})) return;
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

}  // namespace orvane
