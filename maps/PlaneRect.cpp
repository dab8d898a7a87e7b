// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/PlaneRect.h"

#include <array>
#include <cmath>
#include <string>

#include "common/HostConv.h"
#include "geodrel.h"

namespace orvane {
namespace {

using ld = long double;

constexpr ld kPi = 3.141592653589793238462643383279502884L;
constexpr ld kDegToRad = kPi / 180.0L;
constexpr ld kRadToDeg = 180.0L / kPi;

constexpr ld kM0 = 0.9999L;
constexpr ld kThreshold = 1e-14L;
constexpr int kMaxPasses = 101;

// One ellipsoid's constants: its axis, eccentricities, polar radius of curvature a / sqrt(1 - e^2)
// and the meridian arc coefficients A to I, polynomials in e^2 up to e^16.
struct TSeries {
  ld A, E2, Ep2, PolarRadius;
  ld ArcA, ArcB, ArcC, ArcD, ArcE, ArcF, ArcG, ArcH, ArcI;
};

TSeries MakeSeries(ld a, ld invF) {
  TSeries e{};
  e.A = a;
  e.E2 = (2.0L * invF - 1.0L) / (invF * invF);
  e.Ep2 = e.E2 / (1.0L - e.E2);
  e.PolarRadius = a / std::sqrt(1.0L - e.E2);
  ld p[9] = {1.0L};
  for (int i = 1; i < 9; ++i) p[i] = p[i - 1] * e.E2;
  e.ArcA = 1.0L + 3.0L / 4 * p[1] + 45.0L / 64 * p[2] + 175.0L / 256 * p[3] + 11025.0L / 16384 * p[4] +
           43659.0L / 65536 * p[5] + 693693.0L / 1048576 * p[6] + 19324305.0L / 29360128 * p[7] +
           4927697775.0L / 7516192768 * p[8];
  e.ArcB = 3.0L / 4 * p[1] + 15.0L / 16 * p[2] + 525.0L / 512 * p[3] + 2205.0L / 2048 * p[4] + 72765.0L / 65536 * p[5] +
           297297.0L / 262144 * p[6] + 135270135.0L / 117440512 * p[7] + 547521975.0L / 469762048 * p[8];
  e.ArcC = 15.0L / 64 * p[2] + 105.0L / 256 * p[3] + 2205.0L / 4096 * p[4] + 10395.0L / 16384 * p[5] +
           1486485.0L / 2097152 * p[6] + 45090045.0L / 58720256 * p[7] + 766530765.0L / 939524096 * p[8];
  e.ArcD = 35.0L / 512 * p[3] + 315.0L / 2048 * p[4] + 31185.0L / 131072 * p[5] + 165165.0L / 524288 * p[6] +
           45090045.0L / 117440512 * p[7] + 209053845.0L / 469762048 * p[8];
  e.ArcE = 315.0L / 16384 * p[4] + 3465.0L / 65536 * p[5] + 99099.0L / 1048576 * p[6] + 4099095.0L / 29360128 * p[7] +
           348423075.0L / 1879048192 * p[8];
  e.ArcF =
      693.0L / 131072 * p[5] + 9009.0L / 524288 * p[6] + 4099095.0L / 117440512 * p[7] + 26801775.0L / 469762048 * p[8];
  e.ArcG = 3003.0L / 2097152 * p[6] + 315315.0L / 58720256 * p[7] + 11486475.0L / 939524096 * p[8];
  e.ArcH = 45045.0L / 117440512 * p[7] + 765765.0L / 469762048 * p[8];
  e.ArcI = 765765.0L / 7516192768 * p[8];
  return e;
}

const TSeries& Series(TPlaneEllipsoid ellipsoid) {
  // Bessel 1841 for the Tokyo datum, GRS80 for JGD2000 and JGD2011.
  static const TSeries bessel = MakeSeries(6377397.155L, 299.152813L);
  static const TSeries grs80 = MakeSeries(6378137.0L, 298.257222101L);
  return ellipsoid == TPlaneEllipsoid::Grs80 ? grs80 : bessel;
}

// Zone origins in D.MMSS as the regulations list them; row 0 is no zone.
constexpr std::array<std::array<double, 2>, kPlaneZoneCount + 1> kZoneDms{{
    {0, 0},      {33, 129.3}, {33, 131.0}, {36, 132.1}, {33, 133.3},  {36, 134.2},  {36, 136.0},
    {36, 137.1}, {36, 138.3}, {36, 139.5}, {40, 140.5}, {44, 140.15}, {44, 142.15}, {44, 144.15},
    {26, 142.0}, {26, 127.3}, {26, 124.0}, {26, 131.0}, {20, 136.0},  {26, 154.0},
}};

struct TZone {
  double LatDeg = 0, LonDeg = 0;
  ld Phi0 = 0, Lambda0 = 0;
  ld Sin0 = 0, Cos0 = 0;
  ld S0[2] = {0, 0};  // meridian arc to the origin on each ellipsoid, needed by every conversion
};

const TZone& Zone(int zone) {
  static const std::array<TZone, kPlaneZoneCount + 1> zones = [] {
    std::array<TZone, kPlaneZoneCount + 1> z{};
    for (size_t i = 1; i < z.size(); ++i) {
      z[i].LatDeg = DmsToDeg(kZoneDms[i][0]);
      z[i].LonDeg = DmsToDeg(kZoneDms[i][1]);
      z[i].Phi0 = z[i].LatDeg * kDegToRad;
      z[i].Lambda0 = z[i].LonDeg * kDegToRad;
      z[i].Sin0 = std::sin(z[i].Phi0);
      z[i].Cos0 = std::cos(z[i].Phi0);
      z[i].S0[0] = MeridianArc(z[i].Phi0, TPlaneEllipsoid::Bessel);
      z[i].S0[1] = MeridianArc(z[i].Phi0, TPlaneEllipsoid::Grs80);
    }
    return z;
  }();
  if (zone < 1 || zone > kPlaneZoneCount) throw EPlaneZoneError(zone);
  return zones[static_cast<size_t>(zone)];
}

}  // namespace

EPlaneZoneError::EPlaneZoneError(int zone)
    : std::out_of_range("Plane rectangular zone " + std::to_string(zone) + " does not exist (zones are 1 to 19)"),
      zone_(zone) {}

void PlaneZoneOrigin(int zone, double& latitude, double& longitude) {
  const TZone& z = Zone(zone);
  latitude = z.LatDeg;
  longitude = z.LonDeg;
}

namespace {

// The arc from the sine and cosine of phi, which the footpoint iteration has at hand anyway.
ld ArcOf(const TSeries& e, ld phi, ld sinPhi, ld cosPhi) {
  // sin 2k phi by the recurrence sin((k+1)u) = 2 cos u sin(ku) - sin((k-1)u), u = 2 phi: no
  // further sines, and the same value to far below a micrometre.
  const ld s1 = 2.0L * sinPhi * cosPhi, c2 = 2.0L * (cosPhi - sinPhi) * (cosPhi + sinPhi);
  const ld s2 = c2 * s1;
  const ld s3 = c2 * s2 - s1;
  const ld s4 = c2 * s3 - s2;
  const ld s5 = c2 * s4 - s3;
  const ld s6 = c2 * s5 - s4;
  const ld s7 = c2 * s6 - s5;
  const ld s8 = c2 * s7 - s6;
  // Smallest term first.
  ld sum = e.ArcI / 16 * s8;
  sum -= e.ArcH / 14 * s7;
  sum += e.ArcG / 12 * s6;
  sum -= e.ArcF / 10 * s5;
  sum += e.ArcE / 8 * s4;
  sum -= e.ArcD / 6 * s3;
  sum += e.ArcC / 4 * s2;
  sum -= e.ArcB / 2 * s1;
  sum += e.ArcA * phi;
  return e.A * (1.0L - e.E2) * sum;
}

// Moves sin and cos of an angle on by a step of the footpoint iteration. Steps after the first
// are tiny, and short series for sin d and cos d (the next terms below 1e-22) replace a full
// sine and cosine, which would cost more than the rest of a conversion.
void Advance(ld& s, ld& c, ld phi, ld d) {
  constexpr ld kSmallStep = 0.05L;
  if (!(std::fabs(d) <= kSmallStep)) {
    s = std::sin(phi);
    c = std::cos(phi);
    return;
  }
  const ld d2 = d * d;
  constexpr ld k3 = 1.0L / 6, k5 = 1.0L / 20, k7 = 1.0L / 42, k9 = 1.0L / 72, k11 = 1.0L / 110;
  constexpr ld k2 = 1.0L / 2, k4 = 1.0L / 12, k6 = 1.0L / 30, k8 = 1.0L / 56, k10 = 1.0L / 90;
  const ld sd = d * (1 - d2 * k3 * (1 - d2 * k5 * (1 - d2 * k7 * (1 - d2 * k9 * (1 - d2 * k11)))));
  const ld cd = 1 - d2 * k2 * (1 - d2 * k4 * (1 - d2 * k6 * (1 - d2 * k8 * (1 - d2 * k10))));
  const ld s1 = s * cd + c * sd;
  c = c * cd - s * sd;
  s = s1;
}

}  // namespace

long double MeridianArc(long double phi, TPlaneEllipsoid ellipsoid) {
  return ArcOf(Series(ellipsoid), phi, std::sin(phi), std::cos(phi));
}

namespace {

[[noreturn]] void Refuse(const std::string& what) { throw EPlaneValueError(what); }

void NeedFinite(const char* name, double v) {
  if (!std::isfinite(v)) Refuse(std::string(name) + " " + FormatShortest(v) + " is not a finite number");
}

void NeedWithin(const char* name, double v, int limit) {
  NeedFinite(name, v);
  if (std::fabs(v) > limit)
    Refuse(std::string(name) + " " + FormatShortest(v) + " is outside -" + std::to_string(limit) + " to " +
           std::to_string(limit));
}

}  // namespace

void PlaneToGeodetic(int zone, double& latitude, double& longitude, double X, double Y, TPlaneEllipsoid ellipsoid) {
  const TZone& z = Zone(zone);
  const TSeries& e = Series(ellipsoid);
  const ld s0 = z.S0[ellipsoid == TPlaneEllipsoid::Grs80];
  NeedFinite("X", X);
  NeedFinite("Y", Y);
  const ld target = X / kM0 + s0;
  const ld y = Y / kM0;

  // Footpoint latitude: the latitude whose meridian arc is the target.
  ld phi = z.Phi0;
  ld s = z.Sin0, c = z.Cos0;  // of phi throughout
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    const ld previous = phi;
    const ld d = ArcOf(e, phi, s, c) - target;
    const ld k = 1.0L - e.E2 * s * s;
    const ld rootK = std::sqrt(k);
    const ld numerator = 2.0L * d * k * rootK;
    const ld denominator = rootK * 3.0L * e.E2 * s * c * d - 2.0L * e.A * (1.0L - e.E2);
    phi += numerator / denominator;
    Advance(s, c, phi, phi - previous);
    if (std::fabs(phi - previous) < kThreshold) break;
  }

  const ld cosPhi = c;
  const ld t = s / c;
  const ld t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
  const ld n2 = e.Ep2 * cosPhi * cosPhi;  // eta squared
  const ld n4 = n2 * n2;
  const ld N = e.PolarRadius / std::sqrt(1.0L + n2);
  // Every term is a power of y over the same power of N (times N cos phi for the longitude), so
  // the series run in u = y / N: two divisions instead of eight.
  const ld u = y / N;
  const ld u2 = u * u, u3 = u2 * u, u4 = u2 * u2, u5 = u4 * u, u6 = u4 * u2, u7 = u6 * u, u8 = u4 * u4;

  // Highest power first, as published.
  ld lat = (1385 + 3633 * t2 + 4095 * t4 + 1575 * t6) * (1.0L / 40320) * u8;
  lat -= (61 + 90 * t2 + 45 * t4 + 107 * n2 - 162 * t2 * n2 - 45 * t4 * n2) * (1.0L / 720) * u6;
  lat += (5 + 3 * t2 + 6 * n2 - 6 * t2 * n2 - 3 * n4 - 9 * t2 * n4) * (1.0L / 24) * u4;
  lat -= (1 + n2) * 0.5L * u2;
  const ld phiOut = phi + t * lat;

  ld lon = -(61 + 662 * t2 + 1320 * t4 + 720 * t6) * (1.0L / 5040) * u7;
  lon += (5 + 28 * t2 + 24 * t4 + 6 * n2 + 8 * t2 * n2) * (1.0L / 120) * u5;
  lon -= (1 + 2 * t2 + n2) * (1.0L / 6) * u3;
  lon += u;
  const ld lambdaOut = z.Lambda0 + lon / cosPhi;

  const double latOut = static_cast<double>(phiOut * kRadToDeg);
  const double lonOut = static_cast<double>(lambdaOut * kRadToDeg);
  // Far from the zone the series run away: past the pole, or past what a double holds.
  if (!std::isfinite(latOut) || !std::isfinite(lonOut) || std::fabs(latOut) > 90)
    Refuse("X " + FormatShortest(X) + ", Y " + FormatShortest(Y) + " of zone " + std::to_string(zone) +
           " are too far from the zone to give a position");
  latitude = latOut;
  longitude = lonOut;
}

void GeodeticToPlane(int zone, double latitude, double longitude, double& X, double& Y, TPlaneEllipsoid ellipsoid) {
  const TZone& z = Zone(zone);
  const TSeries& e = Series(ellipsoid);
  const ld s0 = z.S0[ellipsoid == TPlaneEllipsoid::Grs80];
  NeedWithin("latitude", latitude, 90);
  NeedWithin("longitude", longitude, 180);
  const ld phi = latitude * kDegToRad;
  const ld dl = longitude * kDegToRad - z.Lambda0;
  const ld s = std::sin(phi), c = std::cos(phi);
  const ld t = s / c;
  const ld t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
  const ld n2 = e.Ep2 * c * c;
  const ld n4 = n2 * n2;
  const ld N = e.PolarRadius / std::sqrt(1.0L + n2);
  const ld c2 = c * c, c3 = c2 * c, c5 = c3 * c2, c7 = c5 * c2;
  const ld l2 = dl * dl, l3 = l2 * dl, l4 = l2 * l2, l5 = l4 * dl, l6 = l4 * l2, l7 = l6 * dl, l8 = l4 * l4;

  ld x = -N / 40320 * s * c7 * (-1385 + 3111 * t2 - 543 * t4 + t6) * l8;
  x -= N / 720 * s * c5 * (-61 + 58 * t2 - t4 - 270 * n2 + 330 * t2 * n2) * l6;
  x += N / 24 * s * c3 * (5 - t2 + 9 * n2 + 4 * n4) * l4;
  x += N / 2 * s * c * l2;
  x += ArcOf(e, phi, s, c) - s0;

  ld y = -N / 5040 * c7 * (-61 + 479 * t2 - 179 * t4 + t6) * l7;
  y -= N / 120 * c5 * (-5 + 18 * t2 - t4 - 14 * n2 + 58 * t2 * n2) * l5;
  y -= N / 6 * c3 * (-1 + t2 - n2) * l3;
  y += N * c * dl;

  const double outX = static_cast<double>(x * kM0), outY = static_cast<double>(y * kM0);
  if (!std::isfinite(outX) || !std::isfinite(outY))
    Refuse("latitude " + FormatShortest(latitude) + ", longitude " + FormatShortest(longitude) +
           " give no finite X and Y in zone " + std::to_string(zone));
  X = outX;
  Y = outY;
}

}  // namespace orvane
