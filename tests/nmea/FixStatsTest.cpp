// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/FixStats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>

#include "geodrel.h"
#include "nmea/UNmeaProc.h"

namespace orvane {
namespace {

constexpr double kLat0 = 35.681236, kLon0 = 139.767125, kH0 = 40;

// Radii of curvature of WGS 84 at kLat0 and height kH0, from Geodrel's parameters: metres per
// radian north (meridian) and east (prime vertical times the cosine).
struct TRadii {
  double North, East;
};
TRadii Radii() {
  TDatumParam p{};
  GetDatum("WGS 84", &p);
  const double f = 1 / p.invF, e2 = f * (2 - f), phi = kLat0 * std::numbers::pi / 180;
  const double w = 1 - e2 * std::sin(phi) * std::sin(phi);
  return {p.a * (1 - e2) / (w * std::sqrt(w)) + kH0, (p.a / std::sqrt(w) + kH0) * std::cos(phi)};
}

// The one fixture writer: fixes `east`, `north` metres from kLat0, kLon0, of quality `q`.
struct TPoint {
  double E, N, U = 0;
  char Q = '1';
};
TFixSet SetOf(const std::vector<TPoint>& points) {
  const TRadii r = Radii();
  TFixSet set;
  double t = 0;
  for (const TPoint& p : points)
    set.Add({kLat0 + p.N / r.North * 180 / std::numbers::pi, kLon0 + p.E / r.East * 180 / std::numbers::pi, kH0 + p.U,
             p.Q, t++});
  return set;
}
const TFix kOrigin{kLat0, kLon0, kH0};
// The fixture places points by the radii at the origin: 10 m off it, 0.01 mm off the ellipsoid.
constexpr double kTol = 1e-5;

std::vector<TPoint> Ring(double radius, int n) {
  std::vector<TPoint> out;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    out.push_back({radius * std::cos(a), radius * std::sin(a)});
  }
  return out;
}

std::vector<TPoint> Square3x3() {
  std::vector<TPoint> out;
  for (int x = -1; x <= 1; ++x)
    for (int y = -1; y <= 1; ++y) out.push_back({double(x), double(y), double(x + y)});
  return out;
}

TEST(FixStats, MetricOffsetsMatchTheEllipsoidsRadii) {
  const TRadii r = Radii();
  struct {
    double dLat, dLon, dH, e, n, u;
  } const cases[] = {
      {100 / r.North * 180 / std::numbers::pi, 0, 0, 0, 100, 0},
      {-100 / r.North * 180 / std::numbers::pi, 0, 0, 0, -100, 0},
      {0, 100 / r.East * 180 / std::numbers::pi, 0, 100, 0, 0},
      {0, 0, 100, 0, 0, 100},
  };
  for (const auto& c : cases) {
    const TEnu o = EnuOffset(kLat0, kLon0, kH0, kLat0 + c.dLat, kLon0 + c.dLon, kH0 + c.dH);
    EXPECT_NEAR(o.E, c.e, 1e-3);
    EXPECT_NEAR(o.N, c.n, 1e-3);
    // A chord 100 m long dips 0.8 mm below the tangent plane.
    EXPECT_NEAR(o.U, c.u, 1e-3);
  }
}

TEST(FixStats, FixedSetsGiveTheFiguresWorkedOutByHand) {
  struct {
    const char* name;
    std::vector<TPoint> points;
    double cep50, cep95, sigmaE, sigmaN, sigmaU, drms2, spanE;
  } const cases[] = {
      // Eight points on a 10 m ring: every radius is 10, each axis holds half the variance.
      {"ring", Ring(10, 8), 10, 10, 10 / std::sqrt(2.0), 10 / std::sqrt(2.0), 0, 20, 20},
      // A 3 x 3 grid 1 m apart: radii 0, 1 (four), sqrt 2 (four); the fifth is 1, the ninth sqrt 2.
      {"square", Square3x3(), 1, std::sqrt(2.0), std::sqrt(6.0 / 9), std::sqrt(6.0 / 9), std::sqrt(12.0 / 9),
       2 * std::sqrt(12.0 / 9), 2},
      // One point: no spread, the radius of its own distance.
      {"single", {{3, 4}}, 5, 5, 0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TFixStats s = SetOf(c.points).Stats(kOrigin);
    EXPECT_EQ(s.Count, static_cast<int64_t>(c.points.size()));
    EXPECT_NEAR(s.Cep50, c.cep50, kTol);
    EXPECT_NEAR(s.Cep95, c.cep95, kTol);
    EXPECT_NEAR(s.SigmaE, c.sigmaE, kTol);
    EXPECT_NEAR(s.SigmaN, c.sigmaN, kTol);
    EXPECT_NEAR(s.SigmaU, c.sigmaU, kTol);
    EXPECT_NEAR(s.Drms2, c.drms2, kTol);
    EXPECT_NEAR(s.SpanE, c.spanE, kTol);
  }
}

TEST(FixStats, GaussianCloudMatchesOrderStatisticsAndTheory) {
  std::mt19937 gen(20261209);
  std::normal_distribution<double> e(0.0, 2.0), n(0.0, 2.0);
  std::vector<TPoint> points;
  for (int i = 0; i < 20000; ++i) points.push_back({e(gen), n(gen)});
  // The order statistics worked out apart: the k-th smallest radius, k = ceil(share x count).
  std::vector<double> radii;
  for (const TPoint& p : points) radii.push_back(std::hypot(p.E, p.N));
  std::sort(radii.begin(), radii.end());
  const TFixStats s = SetOf(points).Stats(kOrigin);
  EXPECT_NEAR(s.Cep50, radii[9999], 1e-6);
  EXPECT_NEAR(s.Cep95, radii[18999], 1e-6);
  // A circular normal of sigma 2: CEP50 = 1.1774 sigma, CEP95 = 2.4477 sigma, 2DRMS = 2 sqrt 2 sigma.
  EXPECT_NEAR(s.Cep50, 2 * 1.1774, 0.05);
  EXPECT_NEAR(s.Cep95, 2 * 2.4477, 0.1);
  EXPECT_NEAR(s.SigmaE, 2, 0.05);
  EXPECT_NEAR(s.Drms2, 2 * std::hypot(s.SigmaE, s.SigmaN), 1e-9);
}

TEST(FixStats, ReferenceAndQualityChooseWhatIsJudged) {
  // Two RTK fixed points 1 m either side of the origin and a DGPS point 10 m north.
  const TFixSet set = SetOf({{-1, 0, 0, '4'}, {1, 0, 0, '4'}, {0, 10, 3, '2'}});
  EXPECT_EQ(set.Qualities(), (std::vector<char>{'4', '2'}));
  const TFix mean = set.ReferencePoint({TReferenceKind::Mean});
  const TFix first = set.ReferencePoint({TReferenceKind::First});
  const TFix given = set.ReferencePoint(*ParseReference("35.681236,139.767125"));
  EXPECT_NEAR(EnuOffset(kLat0, kLon0, kH0, mean.Lat, mean.Lon, mean.Height).N, 10.0 / 3, kTol);
  EXPECT_NEAR(mean.Height, kH0 + 1, 1e-9);
  EXPECT_NEAR(set.Stats(first, '4').Cep95, 2, kTol);
  EXPECT_NEAR(set.Stats(given, '4').Cep95, 1, kTol);
  EXPECT_NEAR(set.Stats(given, '2').Cep50, 10, kTol);
  EXPECT_EQ(set.Stats(given, '5').Count, 0);
  EXPECT_NEAR(set.Stats(given).SpanN, 10, kTol);
  EXPECT_NEAR(set.Stats(given).SpanTime, 2, 1e-9);
}

// A run past the limit loses its oldest tenth, and the mean follows the fixes kept.
TEST(FixStats, ALongRunKeepsItsNewestFixesAndTheirMean) {
  TFixSet set;
  for (size_t i = 0; i <= TFixSet::kMaxFixes; ++i)
    set.Add({i < TFixSet::kMaxFixes / 10 ? 10.0 : 35.0, 139.0, 40, '1', static_cast<double>(i)});
  EXPECT_EQ(set.Fixes().size(), TFixSet::kMaxFixes - TFixSet::kMaxFixes / 10 + 1);
  EXPECT_DOUBLE_EQ(set.Fixes().front().Time, static_cast<double>(TFixSet::kMaxFixes / 10));
  EXPECT_NEAR(set.ReferencePoint({}).Lat, 35.0, 1e-9);
}

TEST(FixStats, ReferenceTextsAreReadOrRefused) {
  for (const char* bad : {"", "Mean", "35.5", "x,139", "91,0", "35,181", "35,139,1"})
    EXPECT_FALSE(ParseReference(bad)) << bad;
  EXPECT_EQ(ParseReference("first")->Kind, TReferenceKind::First);
  EXPECT_DOUBLE_EQ(ParseReference("-33.5,-70.25")->Lon, -70.25);
}

// The collector over the decoders: only GGA with a fix counts, the time runs on past midnight.
TEST(FixStats, CollectorTakesGgaFixesWithTheirQualityAcrossMidnight) {
  TNmeaRec rec;
  rec.GpsDatum = "WGS 84";
  TNullDisplay display;
  TNmeaProc proc(rec, display);
  TFixCollector fixes;
  proc.OnSentence = [&](const TSentenceInfo& info) { fixes.Add(info, rec, proc.Fields()); };
  auto gga = [&](const char* time, const char* lat, char q) {
    char body[160];
    std::snprintf(body, sizeof body, "GPGGA,%s,%s,N,13946.0275,E,%c,12,0.8,40.0,M,39.0,M,,", time, lat, q);
    unsigned sum = 0;
    for (const char* p = body; *p; ++p) sum ^= static_cast<unsigned char>(*p);
    char line[200];
    std::snprintf(line, sizeof line, "$%s*%02X\r\n", body, sum);
    proc.ProcessNmea(line);
  };
  gga("235958", "3540.8742", '4');
  gga("235959", "3540.8742", '0');  // no fix
  gga("000000", "", '5');           // no latitude
  gga("000001", "3540.8742", '5');
  proc.ProcessNmea("$GPRMC,000002,A,3540.8742,N,13946.0275,E,0.0,0.0,091226,,\r\n");
  const std::vector<TFix>& f = fixes.Set.Fixes();
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[0].Quality, '4');
  EXPECT_EQ(f[1].Quality, '5');
  EXPECT_DOUBLE_EQ(f[1].Time, 3);
  EXPECT_NEAR(f[0].Lat, 35 + 40.8742 / 60, 1e-9);
  EXPECT_NEAR(f[0].Height, 40, 1e-9);
}

}  // namespace
}  // namespace orvane
