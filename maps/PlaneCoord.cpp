// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/PlaneCoord.h"

#include <cmath>

#include "common/HostConv.h"
#include "geodrel.h"
#include "maps/PlaneRect.h"

namespace orvane {

bool PlaneOf(double latDms, double lonDms, const std::string& datum, const TPlaneChoice& plane, double& X, double& Y) {
  if (plane.Zone < 1 || plane.Zone > kPlaneZoneCount || !std::isfinite(latDms) || !std::isfinite(lonDms)) return false;
  const bool tokyo = plane.Datum == TPlaneDatum::Tokyo;
  // Geodrel works on unsigned values; the hemisphere comes back after it.
  const TGeoPoint in{std::fabs(latDms), std::fabs(lonDms), 0};
  TGeoPoint out = in;
  if (!DmsConv(datum.c_str(), tokyo ? "Tokyo" : "WGS 84", &in, &out)) return false;
  const double lat = DmsToDeg(out.lat) * (latDms < 0 ? -1 : 1), lon = DmsToDeg(out.lon) * (lonDms < 0 ? -1 : 1);
  try {
    GeodeticToPlane(plane.Zone, lat, lon, X, Y, tokyo ? TPlaneEllipsoid::Bessel : TPlaneEllipsoid::Grs80);
  } catch (const EPlaneValueError&) {
    return false;
  }
  return true;
}

std::string ZoneNumeral(int zone) {
  static const char* const kNumerals[] = {"",  "I",  "II",  "III",  "IV",  "V",  "VI",  "VII",  "VIII",  "IX",
                                          "X", "XI", "XII", "XIII", "XIV", "XV", "XVI", "XVII", "XVIII", "XIX"};
  return zone >= 1 && zone <= kPlaneZoneCount ? kNumerals[zone] : std::to_string(zone);
}

std::string PlaneReadout(double latDms, double lonDms, const std::string& datum, const TPlaneChoice& plane) {
  const std::string name = ZoneNumeral(plane.Zone) + " " + PlaneDatumName(plane.Datum);
  double X = 0, Y = 0;
  if (!PlaneOf(latDms, lonDms, datum, plane, X, Y)) return "X, Y: outside zone " + name;
  return "X " + FormatFixed(X, 3) + " m Y " + FormatFixed(Y, 3) + " m (" + name + ")";
}

}  // namespace orvane
