// SPDX-License-Identifier: GPL-3.0-or-later
// The Japanese plane rectangular coordinate system: nineteen zones, each a transverse Mercator
// projection about its own origin, X counted northward and Y eastward in metres, scale 0.9999 on
// the central meridian; of the Bessel 1841 ellipsoid on the Tokyo datum (as the Digital Map 2500
// files give their coordinates), of GRS80 on JGD2000 and JGD2011.
//
// Both directions use the Gauss-Krueger series in the form the Japanese survey regulations
// publish for this system, computed in extended precision.
#pragma once

#include <stdexcept>

namespace orvane {

// A zone number that is not one of 1 to 19.
class EPlaneZoneError : public std::out_of_range {
public:
  explicit EPlaneZoneError(int zone);
  int Zone() const { return zone_; }

private:
  int zone_;
};

// A coordinate the conversion cannot use: not a finite number, a latitude or longitude outside
// the globe, or one so far from the zone that the series give no usable position.
class EPlaneValueError : public std::domain_error {
public:
  using std::domain_error::domain_error;
};

constexpr int kPlaneZoneCount = 19;

enum class TPlaneEllipsoid { Bessel, Grs80 };

// The zone's origin in decimal degrees (Tokyo datum). Throws EPlaneZoneError.
void PlaneZoneOrigin(int zone, double& latitude, double& longitude);

// Meridian arc length in metres from the equator to latitude `phi` (radians).
long double MeridianArc(long double phi, TPlaneEllipsoid ellipsoid = TPlaneEllipsoid::Bessel);

// (zone, X northing, Y easting in metres) to latitude and longitude in decimal degrees, north and
// east positive, on the ellipsoid given (Bessel unless said). Throws EPlaneZoneError, or EPlaneValueError for an X or
// Y that is not finite or gives no finite position with a latitude within -90 to 90, and then
// leaves the outputs alone.
void PlaneToGeodetic(int zone, double& latitude, double& longitude, double X, double Y,
                     TPlaneEllipsoid ellipsoid = TPlaneEllipsoid::Bessel);

// The forward conversion: latitude and longitude in decimal degrees on the ellipsoid given to X and
// Y of the zone. Throws EPlaneZoneError, or EPlaneValueError for a latitude outside -90 to
// 90, a longitude outside -180 to 180 or a result that is not finite, and then leaves the
// outputs alone.
void GeodeticToPlane(int zone, double latitude, double longitude, double& X, double& Y,
                     TPlaneEllipsoid ellipsoid = TPlaneEllipsoid::Bessel);

}  // namespace orvane
