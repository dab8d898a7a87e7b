// SPDX-License-Identifier: GPL-3.0-or-later
// The latitude iteration of the datum transformation, seen from inside: its
// pass count and its limits, with datums the fixed table does not hold.
#include "geodrel/UCnvPriv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

const TDatumParam& Tokyo() { return geodrel::kDatums[0].param; }
const TDatumParam& Wgs84() { return geodrel::kDatums[1].param; }

TEST(Transform, ReferencePointsConvergeInFivePasses) {
  const TGeoPoint in{35.0, 135.0, 0.0};
  TGeoPoint out = in;
  geodrel::TransformResult r = geodrel::Transform(Tokyo(), Wgs84(), in, out);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.passes, 5);
  out = in;
  r = geodrel::Transform(Wgs84(), Tokyo(), in, out);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.passes, 5);
}

TEST(Transform, TenPassesMaySucceedTheEleventhFails) {
  // On an ellipsoid with flattening 1/2 the iteration contracts slowly:
  // 4 deg 10 min converges on the 10th pass, 4 deg 20 min only on the 11th,
  // which is one too many.
  const TDatumParam flat{6378137.0, 2.0, 0.0, 0.0, 0.0};
  const struct {
    double lat;
    int passes;
    bool ok;
  } cases[] = {{4.10, 10, true}, {4.20, 11, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lat);
    const TGeoPoint in{c.lat, 10.0, 0.0};
    TGeoPoint out = in;
    const geodrel::TransformResult r = geodrel::Transform(Wgs84(), flat, in, out);
    EXPECT_EQ(r.passes, c.passes);
    EXPECT_EQ(r.ok, c.ok);
    EXPECT_NE(out.height, in.height) << "every pass writes its height";
    EXPECT_TRUE(std::isfinite(out.height));
    if (c.ok) {
      EXPECT_NE(out.lat, in.lat);
    } else {
      EXPECT_EQ(out.lat, in.lat) << "a failed call keeps the input's latitude";
      EXPECT_EQ(out.lon, in.lon);
    }
  }
}

TEST(Transform, GeocentreHasNoAnswer) {
  // A pole at depth -a on a sphere (infinite inverse flattening) is the
  // centre: no latitude, no height, nothing written.
  const TDatumParam sphere{1000.0, std::numeric_limits<double>::infinity(), 0.0, 0.0, 0.0};
  const TGeoPoint in{90.0, 12.0, -1000.0};
  TGeoPoint out = in;
  const geodrel::TransformResult r = geodrel::Transform(sphere, sphere, in, out);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.passes, 0);
  EXPECT_EQ(std::memcmp(&out, &in, sizeof out), 0);
}

}  // namespace
