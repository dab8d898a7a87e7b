// The Japanese plane rectangular coordinate system: nineteen zones, each a transverse Mercator
// projection of the Bessel 1841 ellipsoid (the Tokyo datum) about its own origin, X counted
// northward and Y eastward in metres, scale 0.9999 on the central meridian. The Digital Map 2500
// files give their coordinates this way.
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

constexpr int kPlaneZoneCount = 19;

// The zone's origin in decimal degrees (Tokyo datum). Throws EPlaneZoneError.
void PlaneZoneOrigin(int zone, double& latitude, double& longitude);

// Meridian arc length in metres from the equator to latitude `phi` (radians) on the Bessel
// ellipsoid.
long double MeridianArc(long double phi);

// (zone, X northing, Y easting in metres) to latitude and longitude in decimal degrees, north and
// east positive, on the Bessel ellipsoid. Throws EPlaneZoneError and leaves the outputs alone.
void PlaneToGeodetic(int zone, double& latitude, double& longitude, double X, double Y);

// The forward conversion: latitude and longitude in decimal degrees on the Bessel ellipsoid to X
// and Y of the zone. Throws EPlaneZoneError and leaves the outputs alone.
void GeodeticToPlane(int zone, double latitude, double longitude, double& X, double& Y);

}  // namespace orvane
