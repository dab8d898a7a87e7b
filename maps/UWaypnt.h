// SPDX-License-Identifier: GPL-3.0-or-later
// Waypoints and a stored track from the text files of GPS software: the tagged format of ".WPT"
// and ".TRK" files (M, W, T records, coordinates with hemisphere letters) and the word format of
// every other file (DATUM, WP, TP records, signed degrees), and GPX (by its ".gpx" extension or
// XML content: waypoints, routes and track segments in WGS 84). Positions are carried from the
// datum the file names to the map datum as they are read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/Color.h"
#include "maps/GpxFile.h"
#include "maps/MapLayer.h"

namespace orvane {

struct TWayPointRec {
  double Lon = 0;    // decimal degrees of the map datum, east positive
  double Lat = 0;    // north positive
  std::string Name;  // UTF-8, decoded from the file's Shift_JIS once at load
};

struct TTrackFilePoint {
  double Lon = 0;
  double Lat = 0;
};

enum class TWayPntFormat { Tagged, Word, Gpx };

// One separate line of TrackPoints: where it begins, and whether it is a route or a track.
struct TWayPntLine {
  size_t Start = 0;
  TGpxLineKind Kind = TGpxLineKind::Track;
  bool operator==(const TWayPntLine&) const = default;
};

class TWayPnt : public TMapLayer {
public:
  // `mapDatum` (the MapDatum setting) is read at every Load, `wpLineColor` at every Draw.
  TWayPnt(const std::string& mapDatum, const TColor& wpLineColor) : mapDatum_(mapDatum), wpLineColor_(wpLineColor) {}

  // False, changing nothing, when no file is at the path. A record that lacks an item it reads
  // or whose coordinate does not convert throws; the records read up to there stay.
  bool Load(const std::string& path) override;
  // When their extent meets the view, the lines in WpLineColor, width 3: tracks solid, routes
  // dotted with a small diamond on each route point; then each waypoint in the view as a small
  // circle with its name centred below, in the canvas's current font.
  void Draw(TCanvas& canvas, const TViewBox& view) override;
  TLayerDescription Describe() const override;

  const std::string& FileName() const { return fileName_; }
  // The datum the file names ("WGS" and "WGS84" read as "WGS 84"); empty when it names none.
  const std::string& Datum() const { return datum_; }
  const std::vector<TWayPointRec>& WayPoints() const { return wayPoints_; }
  const std::vector<TTrackFilePoint>& TrackPoints() const { return trackPoints_; }
  // The separate lines of TrackPoints: one track for the text formats, one per route and track
  // segment of a GPX file, in file order.
  const std::vector<TWayPntLine>& Lines() const { return lines_; }
  TWayPntFormat Format() const { return format_; }
  // Extent of the track points; meaningful while there are any.
  double West() const { return west_; }
  double South() const { return south_; }
  double East() const { return east_; }
  double North() const { return north_; }

private:
  bool Converts() const;
  void ToMapDatum(double& lon, double& lat) const;
  void Widen(double lon, double lat, bool first);
  void AddTrackPoint(double lon, double lat);
  // From `data` when the file has been read already, else from the file in pieces.
  void LoadGpx(const std::string& path, const std::string* data);
  size_t LineEnd(size_t line) const;

  const std::string& mapDatum_;
  const TColor& wpLineColor_;
  std::string fileName_;
  double west_ = 0, south_ = 0, east_ = 0, north_ = 0;
  std::string datum_;
  std::vector<TWayPointRec> wayPoints_;
  std::vector<TTrackFilePoint> trackPoints_;
  std::vector<TWayPntLine> lines_;
  TWayPntFormat format_ = TWayPntFormat::Word;
  std::vector<TPoint> pixels_;
};

// A waypoint file by its first bytes: XML (GPX), or a DATUM, WP or TP record.
bool LooksLikeWayPntFile(std::string_view head);

}  // namespace orvane
