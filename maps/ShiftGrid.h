// SPDX-License-Identifier: GPL-3.0-or-later
// Positions of a long track carried from one datum to another through Geodrel at the corners of
// a fine grid, and in between by bilinear interpolation of the shift. The shift from one datum
// to another changes slowly, so between corners 1/256 degree apart the interpolation stays within
// 1e-10 degree (about 10 micrometres) of the conversion itself, and a track of millions of points
// needs a few thousand conversions instead of one each. Points too far apart to share corners are
// carried one by one, so a sparse track costs no more than before.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace orvane {

class TShiftGrid {
public:
  // Corners per degree; a power of two, so that a corner's position is exact.
  static constexpr int kPerDegree = 256;

  TShiftGrid(const std::string& from, const std::string& to) : from_(from), to_(to) {}

  // Decimal degrees, east and north positive. A position on a corner gets what Geodrel gives; one that Geodrel cannot
  // carry, or near a pole or the 180th meridian, is carried by Geodrel alone (and stays as read when it cannot be).
  void Carry(double& lon, double& lat);

private:
  struct TShift {
    double Lat = 0, Lon = 0;
    bool Known = false;
  };
  const TShift* Corner(int64_t row, int64_t column, bool add);

  const std::string& from_;
  const std::string& to_;
  std::unordered_map<int64_t, TShift> corners_;
  size_t carried_ = 0;
};

// One position through Geodrel: DmsConv on D.MMSS, as every record of a map file is carried. A
// position that Geodrel cannot carry stays as read.
void CarryThroughGeodrel(const std::string& from, const std::string& to, double& lon, double& lat);

}  // namespace orvane
