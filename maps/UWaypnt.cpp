// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/UWaypnt.h"

#include <algorithm>
#include <filesystem>

#include "common/LoadCancel.h"
#include "common/ShiftJis.h"
#include "common/SplitCommaText.h"
#include "common/TextHelpers.h"
#include "geodrel.h"
#include "maps/GpxFile.h"
#include "maps/MapFile.h"
#include "maps/ShiftGrid.h"
#include "maps/ViewMap.h"

namespace orvane {
namespace {

// Tagged files by their extension; GPX by its extension or, whatever the name, by XML content
// (no record of the text formats begins with "<").
TWayPntFormat FormatOf(const std::string& path, std::string_view data) {
  const std::string ext = Extension(path);
  if (ext == "GPX" || LooksLikeXml(data)) return TWayPntFormat::Gpx;
  return ext == "WPT" || ext == "TRK" ? TWayPntFormat::Tagged : TWayPntFormat::Word;
}

class TRecord {
public:
  TRecord(const std::vector<std::string>& items, const TFilePlace& at, std::string_view line)
      : items_(items), at_(at), line_(line) {}

  const std::string& Item(size_t i) const {
    if (i >= items_.size()) ThrowAt(at_, "item " + std::to_string(i) + " missing in " + QuoteFound(line_));
    return items_[i];
  }
  double Real(size_t i) const { return FieldToFloat(Item(i), at_); }
  // A hemisphere letter, then degrees: S and W make the value negative, any other letter not.
  double Hemisphere(size_t i, char negative) const {
    const std::string& item = Item(i);
    const double v = FieldToFloat(std::string_view(item).substr(item.empty() ? 0 : 1), at_);
    return !item.empty() && item[0] == negative ? -v : v;
  }

private:
  const std::vector<std::string>& items_;
  const TFilePlace& at_;
  std::string_view line_;
};

// How each kind of line is drawn, all in WpLineColor. A recorded track is a solid line; a
// planned route is dotted, thicker than the one-pixel dotted grid, with a hollow diamond on
// each route point, so a plan reads apart from a record over any map. The diamond is drawn
// with the pen alone and leaves the brush, which the waypoint circles use, as it was.
struct TLineLook {
  TPenStyle Style;
  int Width;
  int MarkRadius;  // of the diamond on each point; 0 for none
};
constexpr int kMarkPenWidth = 2;

const TLineLook& LookOf(TGpxLineKind kind) {
  static constexpr TLineLook kTrack{TPenStyle::Solid, 3, 0}, kRoute{TPenStyle::Dot, 3, 4};
  return kind == TGpxLineKind::Route ? kRoute : kTrack;
}

void SetPen(TCanvas& canvas, TColor color, TPenStyle style, int width) {
  canvas.SetPenColor(color);
  canvas.SetPenStyle(style);
  canvas.SetPenWidth(width);
}

}  // namespace

bool TWayPnt::Converts() const { return !datum_.empty() && datum_ != mapDatum_; }

void TWayPnt::ToMapDatum(double& lon, double& lat) const {
  // Records before the file's datum record stay as read.
  if (Converts()) CarryThroughGeodrel(datum_, mapDatum_, lon, lat);
}

void TWayPnt::Widen(double lon, double lat, bool first) {
  if (first) {
    west_ = east_ = lon;
    south_ = north_ = lat;
  } else {
    west_ = std::min(west_, lon);
    east_ = std::max(east_, lon);
    south_ = std::min(south_, lat);
    north_ = std::max(north_, lat);
  }
}

void TWayPnt::AddTrackPoint(double lon, double lat) {
  ToMapDatum(lon, lat);
  Widen(lon, lat, trackPoints_.empty());
  trackPoints_.push_back({lon, lat});
}

bool TWayPnt::Load(const std::string& path) {
  if (!MapFileExists(path)) return false;
  // A ".gpx" file is read in pieces, however large; any other is read whole.
  const bool gpxByName = Extension(path) == "GPX";
  const std::string data = gpxByName ? std::string() : ReadMapFile(path);
  format_ = FormatOf(path, data);
  const bool tagged = format_ == TWayPntFormat::Tagged;
  wayPoints_.clear();
  trackPoints_.clear();
  lines_.assign(1, TWayPntLine{});
  datum_.clear();
  if (format_ == TWayPntFormat::Gpx) {
    LoadGpx(path, gpxByName ? nullptr : &data);
    fileName_ = path;
    return true;
  }
  // A track point takes at least a dozen bytes of the file.
  trackPoints_.reserve(data.size() / 12);

  TLineReader in(data);
  std::string_view line;
  std::vector<std::string> items;
  while (in.Next(line)) {
    SplitCommaText(line, items);
    if (items.empty()) continue;
    const TFilePlace at{path, in.LineNo()};
    const TRecord r(items, at, line);
    const std::string& tag = items[0];
    if (tagged) {
      if (tag == "M") {
        datum_ = r.Item(2) == "WGS" ? "WGS 84" : r.Item(2);
      } else if (tag == "W") {
        TWayPointRec w{r.Hemisphere(3, 'W'), r.Hemisphere(2, 'S'), SjisToUtf8(r.Item(7))};
        ToMapDatum(w.Lon, w.Lat);
        wayPoints_.push_back(std::move(w));
      } else if (tag == "T") {
        AddTrackPoint(r.Hemisphere(2, 'W'), r.Hemisphere(1, 'S'));
      }
    } else {
      if (Upper(tag) == "DATUM") {
        datum_ = r.Item(1) == "WGS84" ? "WGS 84" : r.Item(1);
      } else if (tag == "WP") {
        const std::string& name = r.Item(2);
        TWayPointRec w{r.Real(4), r.Real(3), SjisToUtf8(name)};
        ToMapDatum(w.Lon, w.Lat);
        wayPoints_.push_back(std::move(w));
      } else if (tag == "TP") {
        AddTrackPoint(r.Real(3), r.Real(2));
      }
    }
  }
  trackPoints_.shrink_to_fit();
  fileName_ = path;
  return true;
}

void TWayPnt::LoadGpx(const std::string& path, const std::string* data) {
  // What the file holds goes straight into the layer, as read; nothing of a file that proves
  // broken is kept.
  struct TFill : TGpxSink {
    std::vector<TWayPointRec>& WayPoints;
    std::vector<TTrackFilePoint>& Points;
    std::vector<TWayPntLine>& Lines;
    TFill(std::vector<TWayPointRec>& w, std::vector<TTrackFilePoint>& p, std::vector<TWayPntLine>& l)
        : WayPoints(w), Points(p), Lines(l) {}
    void Waypoint(TGpxWaypoint&& w) override { WayPoints.push_back({w.Lon, w.Lat, std::move(w.Name)}); }
    void Line(TGpxLineKind kind) override { Lines.push_back({Points.size(), kind}); }
    void Vertex(double lat, double lon) override { Points.push_back({lon, lat}); }
  } fill(wayPoints_, trackPoints_, lines_);
  lines_.clear();
  // A track point takes at least 24 bytes of the file; the room not used is never touched.
  std::error_code ec;
  const uintmax_t size = data ? data->size() : std::filesystem::file_size(path, ec);
  if (!ec) trackPoints_.reserve(static_cast<size_t>(size / 24));
  try {
    if (data)
      ReadGpx(*data, path, fill);
    else
      ReadGpxFile(path, fill);
  } catch (...) {
    wayPoints_.clear();
    trackPoints_.clear();
    trackPoints_.shrink_to_fit();
    lines_.assign(1, TWayPntLine{});
    throw;
  }
  if (trackPoints_.capacity() > 2 * trackPoints_.size()) trackPoints_.shrink_to_fit();
  // GPX positions are WGS 84 by definition.
  datum_ = "WGS 84";
  for (TWayPointRec& w : wayPoints_) ToMapDatum(w.Lon, w.Lat);
  // A GPX track is often millions of points, each a microsecond through Geodrel.
  if (Converts()) {
    TShiftGrid grid(datum_, mapDatum_);
    for (size_t i = 0; i < trackPoints_.size(); ++i) {
      if (i % 65536 == 0) ThrowIfCancelled();
      grid.Carry(trackPoints_[i].Lon, trackPoints_[i].Lat);
    }
  }
  for (size_t i = 0; i < trackPoints_.size(); ++i) Widen(trackPoints_[i].Lon, trackPoints_[i].Lat, i == 0);
}

TLayerDescription TWayPnt::Describe() const {
  TLayerDescription d;
  d.Counts = {{"waypoints", std::to_string(wayPoints_.size())}};
  if (format_ == TWayPntFormat::Gpx) {
    size_t count[2] = {}, points[2] = {};  // by kind: tracks, routes
    for (size_t l = 0; l < lines_.size(); ++l) {
      const size_t k = lines_[l].Kind == TGpxLineKind::Route;
      ++count[k];
      points[k] += LineEnd(l) - lines_[l].Start;
    }
    d.Counts.push_back({"routes", std::to_string(count[1])});
    d.Counts.push_back({"route points", std::to_string(points[1])});
    d.Counts.push_back({"track segments", std::to_string(count[0])});
    d.Counts.push_back({"track points", std::to_string(points[0])});
    d.Details.push_back({"format", "GPX (routes drawn dotted with their points marked, track segments solid)"});
  } else {
    d.Counts.push_back({"track points", std::to_string(trackPoints_.size())});
  }
  for (const TWayPointRec& p : wayPoints_) WidenExtent(d.Extent, p.Lon, p.Lat);
  for (const TTrackFilePoint& p : trackPoints_) WidenExtent(d.Extent, p.Lon, p.Lat);
  d.ExtentDatum = mapDatum_;
  d.Datum = datum_.empty()        ? "none named (read as the map datum)"
            : datum_ == mapDatum_ ? datum_ + " (the map datum)"
                                  : datum_ + " (converted to " + mapDatum_ + ")";
  return d;
}

size_t TWayPnt::LineEnd(size_t line) const {
  return line + 1 < lines_.size() ? lines_[line + 1].Start : trackPoints_.size();
}

void TWayPnt::Draw(TCanvas& canvas, const TViewBox& box) {
  const TViewMap view(canvas.ClipRect(), box);
  if (!trackPoints_.empty() && box.Meets({west_, south_, east_, north_})) {
    pixels_.resize(trackPoints_.size());
    for (size_t i = 0; i < trackPoints_.size(); ++i) pixels_[i] = view.At(trackPoints_[i].Lon, trackPoints_[i].Lat);
    for (size_t l = 0; l < lines_.size(); ++l) {
      const size_t from = lines_[l].Start, to = LineEnd(l);
      const TLineLook& look = LookOf(lines_[l].Kind);
      if (to > from + 1) {
        SetPen(canvas, wpLineColor_, look.Style, look.Width);
        canvas.Polyline(pixels_.data() + from, static_cast<int>(to - from));
      }
      if (look.MarkRadius == 0) continue;
      SetPen(canvas, wpLineColor_, TPenStyle::Solid, kMarkPenWidth);
      for (size_t i = from; i < to; ++i) {
        const int x = pixels_[i].x, y = pixels_[i].y, r = look.MarkRadius;
        const TPoint diamond[] = {{x, y - r}, {x + r, y}, {x, y + r}, {x - r, y}, {x, y - r}};
        canvas.Polyline(diamond, 5);
      }
    }
    // The waypoints keep the pen of the track.
    const TLineLook& track = LookOf(TGpxLineKind::Track);
    SetPen(canvas, wpLineColor_, track.Style, track.Width);
  }
  for (const TWayPointRec& w : wayPoints_) {
    if (!box.Holds(w.Lon, w.Lat)) continue;
    const int x = view.X(w.Lon), y = view.Y(w.Lat);
    const int width = canvas.TextExtent(w.Name).cx;
    canvas.TextOut(x - width / 2, y + 3, w.Name);
    canvas.Ellipse(x - 2, y - 2, x + 2, y + 2);
  }
}

bool LooksLikeWayPntFile(std::string_view head) {
  if (LooksLikeXml(head)) return true;
  TLineReader in(head);
  std::string_view line;
  std::vector<std::string> items;
  while (in.Next(line)) {
    SplitCommaText(line, items);
    if (items.empty()) continue;
    const std::string tag = Upper(items[0]);
    if (tag == "DATUM" || tag == "WP" || tag == "TP") return true;
  }
  return false;
}

}  // namespace orvane
