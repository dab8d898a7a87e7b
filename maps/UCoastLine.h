// SPDX-License-Identifier: GPL-3.0-or-later
// A coastline file: polylines of longitude and latitude in decimal degrees, one point per line,
// segments parted by lines that begin with "#". Drawn as read, in the CoLineColor setting, with
// no datum conversion.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/Color.h"
#include "maps/MapLayer.h"

namespace orvane {

struct TCoastPoint {
  double Lon = 0;
  double Lat = 0;
  bool operator==(const TCoastPoint&) const = default;
};

class TCoastLine : public TMapLayer {
public:
  // `coLineColor` is the setting, read at every Draw.
  explicit TCoastLine(const TColor& coLineColor) : coLineColor_(coLineColor) {}

  // False, keeping what the layer held, when no file is at the path. A point line that does
  // not hold two numbers throws; the segments read up to there stay.
  bool Load(const std::string& path) override;
  void Draw(TCanvas& canvas, const TViewBox& view) override;
  TLayerDescription Describe() const override;

  const std::string& FileName() const { return fileName_; }
  const std::vector<std::vector<TCoastPoint>>& Segments() const { return segments_; }
  // Over every point; false for a layer without any.
  bool HasBox() const { return box_.has_value(); }
  double MinLon() const { return box_ ? box_->West : 0; }
  double MinLat() const { return box_ ? box_->South : 0; }
  double MaxLon() const { return box_ ? box_->East : 0; }
  double MaxLat() const { return box_ ? box_->North : 0; }

private:
  const TColor& coLineColor_;
  std::string fileName_;
  std::vector<std::vector<TCoastPoint>> segments_;
  std::optional<TViewBox> box_;
  std::vector<TPoint> pixels_;
};

// A coastline file by its first bytes: after the first line, every line a "#" or at least two
// numbers, and one of them numbers.
bool LooksLikeCoastFile(std::string_view head);

}  // namespace orvane
