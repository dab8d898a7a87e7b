// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/ShiftGrid.h"

#include <cmath>

#include "geodrel.h"

namespace orvane {

void CarryThroughGeodrel(const std::string& from, const std::string& to, double& lon, double& lat) {
  const TGeoPoint in{DegToDms(lat), DegToDms(lon), 0};
  TGeoPoint out{};
  DmsConv(from.c_str(), to.c_str(), &in, &out);
  lat = DmsToDeg(out.lat);
  lon = DmsToDeg(out.lon);
}

const TShiftGrid::TShift* TShiftGrid::Corner(int64_t row, int64_t column, bool add) {
  const int64_t key = row * (360 * kPerDegree + 1) + (column + 180 * kPerDegree);
  if (!add) {
    const auto at = corners_.find(key);
    return at == corners_.end() ? nullptr : &at->second;
  }
  auto [at, added] = corners_.try_emplace(key);
  if (!added) return &at->second;
  const double lat = static_cast<double>(row) / kPerDegree, lon = static_cast<double>(column) / kPerDegree;
  const TGeoPoint in{DegToDms(lat), DegToDms(lon), 0};
  TGeoPoint out{};
  if (DmsConv(from_.c_str(), to_.c_str(), &in, &out))
    at->second = {DmsToDeg(out.lat) - lat, DmsToDeg(out.lon) - lon, true};
  return &at->second;
}

void TShiftGrid::Carry(double& lon, double& lat) {
  // Clear of the poles and of the 180th meridian, where the grid would wrap.
  constexpr double kEdge = 1.0;
  if (!(std::fabs(lat) <= 90 - kEdge && std::fabs(lon) <= 180 - kEdge))
    return CarryThroughGeodrel(from_, to_, lon, lat);
  const double y = lat * kPerDegree, x = lon * kPerDegree;
  const double row = std::floor(y), column = std::floor(x);
  const auto r = static_cast<int64_t>(row), c = static_cast<int64_t>(column);
  // New corners while they stay fewer than half the points carried: four conversions for one
  // point of a sparse track would cost more than the one they replace.
  constexpr size_t kFreeCorners = 4096;
  const bool add = corners_.size() < ++carried_ / 2 + kFreeCorners;
  const TShift* a = Corner(r, c, add);
  const TShift* b = Corner(r, c + 1, add);
  const TShift* d = Corner(r + 1, c, add);
  const TShift* e = Corner(r + 1, c + 1, add);
  if (!a || !b || !d || !e || !a->Known || !b->Known || !d->Known || !e->Known)
    return CarryThroughGeodrel(from_, to_, lon, lat);
  // Each weight is exact at a corner, so a corner gets the corner's shift itself.
  const double fy = y - row, fx = x - column;
  const auto mix = [fx, fy](double sa, double sb, double sd, double se) {
    return (1 - fy) * ((1 - fx) * sa + fx * sb) + fy * ((1 - fx) * sd + fx * se);
  };
  lat += mix(a->Lat, b->Lat, d->Lat, e->Lat);
  lon += mix(a->Lon, b->Lon, d->Lon, e->Lon);
}

}  // namespace orvane
