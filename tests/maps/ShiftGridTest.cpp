// SPDX-License-Identifier: GPL-3.0-or-later
// The grid's shift against Geodrel's conversion of the same positions.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "maps/ShiftGrid.h"

namespace orvane {
namespace {

struct TCarried {
  double Lon, Lat;
};

TCarried ByGeodrel(const std::string& from, const std::string& to, double lon, double lat) {
  CarryThroughGeodrel(from, to, lon, lat);
  return {lon, lat};
}

TEST(ShiftGridTest, WithinAMicrometreOfGeodrelAndExactOnACorner) {
  const std::string wgs = "WGS 84", tokyo = "Tokyo";
  struct Row {
    const std::string &from, &to;
    double west, south;  // of a two-degree square walked in uneven steps
  } rows[] = {{wgs, tokyo, 139.0, 35.0}, {tokyo, wgs, 129.5, 26.1}, {wgs, tokyo, -71.3, -34.0}, {wgs, tokyo, 10, 60}};
  for (const Row& r : rows) {
    TShiftGrid grid(r.from, r.to);
    double worst = 0;
    for (double lat = r.south; lat < r.south + 2; lat += 0.0137)
      for (double lon = r.west; lon < r.west + 2; lon += 0.0291) {
        const TCarried exact = ByGeodrel(r.from, r.to, lon, lat);
        double glon = lon, glat = lat;
        grid.Carry(glon, glat);
        worst = std::max({worst, std::fabs(glon - exact.Lon), std::fabs(glat - exact.Lat)});
      }
    EXPECT_LT(worst, 1e-10) << r.west << " " << r.south << " " << worst;  // 1e-10 degree is about 11 micrometres
    const double cornerLon = std::floor(r.west) + 1, cornerLat = std::floor(r.south) + 1 + 3.0 / TShiftGrid::kPerDegree;
    const TCarried exact = ByGeodrel(r.from, r.to, cornerLon, cornerLat);
    double lon = cornerLon, lat = cornerLat;
    grid.Carry(lon, lat);
    EXPECT_EQ(lon, exact.Lon);
    EXPECT_EQ(lat, exact.Lat);
  }
}

TEST(ShiftGridTest, NearAPoleOrTheDateLineAndForAnUnknownDatumAsGeodrelCarriesIt) {
  const std::string wgs = "WGS 84", tokyo = "Tokyo", none = "Atlantis";
  struct Row {
    const std::string& to;
    double lon, lat;
  } rows[] = {{tokyo, 179.7, 10.3}, {tokyo, -179.9, -5}, {tokyo, 20.1, 89.6}, {none, 139.7, 35.3}};
  for (const Row& r : rows) {
    TShiftGrid grid(wgs, r.to);
    double lon = r.lon, lat = r.lat;
    grid.Carry(lon, lat);
    const TCarried exact = ByGeodrel(wgs, r.to, r.lon, r.lat);
    EXPECT_EQ(lon, exact.Lon) << r.lon;
    EXPECT_EQ(lat, exact.Lat) << r.lat;
  }
}

}  // namespace
}  // namespace orvane
