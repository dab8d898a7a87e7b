// SPDX-License-Identifier: LGPL-3.0-or-later
// UCnvPriv: datum table, D.MMSS conversions and the datum transformation.
//
// Intermediates are long double (80-bit x87 extended on x86-64); every value
// stored in a record or returned is rounded to double. The casts to double in
// the middle of the D.MMSS conversions are part of the result, not noise: they
// decide which side of a whole minute a value such as 35.30 (held as
// 35.2999...97) falls on, so this file must not be built with -ffast-math.
#include "UCnvPriv.h"

#include <strings.h>
#include <cmath>

namespace geodrel {

namespace {

using ld = long double;

constexpr ld kDegToRad = 0.017453292519943295769L;  // pi / 180
constexpr ld kRadToDeg = 57.295779513082320877L;    // 180 / pi

// Latitude iteration stops once a pass moves it by no more than this
// (radians; about 6 micrometres on the ground).
constexpr ld kConvergence = 1e-12L;

// A value this close below the next whole minute or degree is taken to be on
// it: binary doubles hold most written D.MMSS values a hair low.
constexpr ld kSixtyCarry = 59.999999999L;
constexpr ld kUnitCarry = 0.999999999L;

// Below this cosine of the latitude (within about 6 km of a pole) the height
// is taken from the closed form; see Transform.
constexpr ld kPolarCos = 1e-3L;

// First eccentricity squared from the inverse flattening, e^2 = 2f - f^2.
ld Ecc2(double invF) {
  const ld f = 1.0L / invF;
  return 2.0L * f - f * f;
}

}  // namespace

const DatumRow kDatums[kDatumCount] = {
    {"Tokyo", "Bessel-1841", {6377397.155, 299.152813, -147.54, 507.26, 680.47}},
    {"WGS 84", "WGS-84", {6378137.0, 298.257223563, 0.0, 0.0, 0.0}},
    {"GRS-83", "GRS-83", {6378136.0, 298.257222101, 0.0, 0.0, 0.0}},
};

int FindDatum(const char* name) noexcept {
  if (name == nullptr) name = "";
  for (int i = 0; i < kDatumCount; ++i) {
    if (strcasecmp(kDatums[i].datum, name) == 0) return i;
  }
  return -1;
}

const DatumRow* RowAt(std::int16_t index) noexcept {
  if (index < 0 || index > kDatumCount - 1) return nullptr;
  return &kDatums[index];
}

// D.MMSS to degrees: D + MM/60 + SS.sss/3600, all with the sign of the value.
// std::trunc (not an integer cast) keeps any finite or non-finite input
// defined.
double DmsToDegImpl(double x) noexcept {
  const double d = std::trunc(x);
  const double minutes = static_cast<double>((static_cast<ld>(x) - d) * 100.0L);
  double m = std::trunc(minutes);
  // 35.30 scales to 29.99999999999972 minutes: that is minute 30. Valid
  // seconds never come this close to a whole minute.
  if (std::fabs(static_cast<ld>(minutes)) - std::fabs(m) > kUnitCarry) {
    m += minutes < 0.0 ? -1.0 : 1.0;
  }
  const double seconds = static_cast<double>((static_cast<ld>(minutes) - m) * 100.0L);
  // Only that carry reaches 100 minutes: the value is a hair below the next
  // whole degree, as DegToDms writes 36 (35.99999999999996). Read as 100
  // minutes it would come out 40 minutes too far.
  double deg = d;
  if (std::fabs(m) >= 100.0) {
    deg += m < 0.0 ? -1.0 : 1.0;
    m = 0.0;
  }
  return static_cast<double>(deg + m / 60.0L + seconds / 3600.0L);
}

// Degrees to D.MMSS. Seconds or minutes a hair below 60 carry into the next
// unit, so no result shows 60 minutes or 60 seconds.
double DegToDmsImpl(double x) noexcept {
  const double sign = x >= 0.0 ? 1.0 : -1.0;
  x = x * sign;
  ld d = std::trunc(x);
  const double minutes = static_cast<double>((static_cast<ld>(x) - d) * 60.0L);
  ld m = std::trunc(minutes);
  ld s = (minutes - m) * 60.0L;
  if (s > kSixtyCarry) {
    m += 1.0L;
    s -= 60.0L;
  }
  if (m > kSixtyCarry) {
    d += 1.0L;
    m -= 60.0L;
  }
  return static_cast<double>(sign * (d + m / 100.0L + s / 10000.0L));
}

// Forward: the standard geodetic-to-geocentric conversion on the source
// ellipsoid, X = (N+h) cos(phi) cos(lam), Y = (N+h) cos(phi) sin(lam),
// Z = (N(1-e^2)+h) sin(phi), shifted into the WGS 84 frame.
// Inverse: back to geodetic on the target ellipsoid by the classical
// fixed-point iteration tan(phi) = Z / (p - e^2 N(phi) cos(phi)), with
// h = p / cos(phi) - N.
TransformResult Transform(const TDatumParam& src, const TDatumParam& dst, TGeoPoint in, TGeoPoint& out) noexcept {
  const double latDeg = DmsToDegImpl(in.lat);
  const ld phiIn = latDeg * kDegToRad;
  const ld lamIn = DmsToDegImpl(in.lon) * kDegToRad;
  const ld hIn = in.height;

  const ld e2Src = Ecc2(src.invF);
  const ld sinIn = std::sin(phiIn);
  // cos(pi/2) in extended precision is about -5e-20, not 0: a pole would
  // land a hair beyond the axis, on the opposite meridian.
  const ld cosIn = std::fabs(latDeg) == 90.0 ? 0.0L : std::cos(phiIn);
  const ld nIn = src.a / std::sqrt(1.0L - e2Src * sinIn * sinIn);
  const double x = static_cast<double>((nIn + hIn) * cosIn * std::cos(lamIn) + src.dX);
  const double y = static_cast<double>((nIn + hIn) * cosIn * std::sin(lamIn) + src.dY);
  const double z = static_cast<double>((nIn * (1.0L - e2Src) + hIn) * sinIn + src.dZ);

  const double xt = static_cast<double>(static_cast<ld>(x) - dst.dX);
  const double yt = static_cast<double>(static_cast<ld>(y) - dst.dY);
  const double zt = static_cast<double>(static_cast<ld>(z) - dst.dZ);
  const ld e2 = Ecc2(dst.invF);
  const ld p = std::sqrt(static_cast<ld>(xt) * xt + static_cast<ld>(yt) * yt);

  // On the polar axis the iteration divides by p = 0. The answer there is
  // the pole itself at |Z| minus the semi-minor axis b = a(1 - f); every
  // longitude names that point, so the input's (already in `out`) stays.
  // The geocentre has no answer at all.
  if (p == 0.0L) {
    if (zt == 0.0) return {false, 0};
    const ld b = dst.a * (1.0L - 1.0L / dst.invF);
    out.lat = zt > 0.0 ? 90.0 : -90.0;
    out.height = static_cast<double>(std::fabs(static_cast<ld>(zt)) - b);
    return {true, 0};
  }

  // The iteration is carried on t = tan(phi), which spares it every
  // transcendental call: with q = 1 + t^2, cos(phi) = 1 / sqrt(q) and
  // sin^2(phi) = t^2 / q, so N = a sqrt(q) / w and e^2 N cos(phi) = e^2 a / w,
  // where w = sqrt(1 + (1 - e^2) t^2). Each pass is then
  //   t' = Z / (p - e^2 a / w),   h = p sqrt(1 + t'^2) - N,
  // the same map as phi' = atan(Z / (p - e^2 N cos(phi))), h = p / cos(phi') - N.
  // Only the final latitude needs the arctangent.
  ld t = zt / p;
  int passes = 0;
  for (;;) {
    const ld aw = dst.a / std::sqrt(1.0L + (1.0L - e2) * t * t);
    const ld n = aw * std::sqrt(1.0L + t * t);
    const ld next = zt / (p - e2 * aw);
    // N of the latitude this pass started from, as the iteration defines h.
    out.height = static_cast<double>(p * std::sqrt(1.0L + next * next) - n);
    // |phi' - phi| <= 1e-12 through tan(phi' - phi) = (t' - t) / (1 + t t');
    // tan(1e-12) and 1e-12 are the same extended-precision number. A NaN
    // or an infinite t (a zero denominator) never counts as converged, so
    // it runs into the pass limit instead.
    const ld den = 1.0L + t * next;
    const bool converged = std::isfinite(den) && den > 0.0L && std::fabs(next - t) <= kConvergence * den;
    t = next;
    if (++passes > kMaxPasses) return {false, passes};
    if (converged) break;
  }
  const ld phi = std::atan(t);

  // Near the axis h = p / cos(phi) - N amplifies what the absolute stopping
  // rule leaves of the latitude error by N / cos(phi): 0.1 mm within 2 km of
  // a pole, metres within centimetres of it. There the standard closed form
  // h = p cos(phi) + Z sin(phi) - a sqrt(1 - e^2 sin^2(phi)), insensitive to
  // small latitude errors, takes over; elsewhere the two agree to 1 um.
  const ld cosPhi = 1.0L / std::sqrt(1.0L + t * t);
  if (cosPhi < kPolarCos) {
    const ld sinPhi = t * cosPhi;
    out.height = static_cast<double>(p * cosPhi + zt * sinPhi - dst.a * std::sqrt(1.0L - e2 * sinPhi * sinPhi));
  }

  out.lat = DegToDmsImpl(static_cast<double>(phi * kRadToDeg));
  out.lon = DegToDmsImpl(static_cast<double>(std::atan2(static_cast<ld>(yt), xt) * kRadToDeg));
  return {true, passes};
}

}  // namespace geodrel
