// SPDX-License-Identifier: LGPL-3.0-or-later
// UCnvPriv: the datum table and the arithmetic behind the exports of UCnvPub.
// Nothing here is exported from the shared library; the tests compile this
// module directly to reach the pass count of the latitude iteration.
#pragma once

#include "geodrel.h"

#include <cstdint>

namespace geodrel {

struct DatumRow {
  const char* datum;    // datum name, as the menus show it
  const char* ellipse;  // name of its reference ellipsoid
  TDatumParam param;
};

// The fixed table, in its published order. Never changes after load.
inline constexpr int kDatumCount = 3;
extern const DatumRow kDatums[kDatumCount];

// Index of the first row whose datum name equals `name` ignoring letter case
// (the current locale's comparison), or -1. A null name is the empty name.
int FindDatum(const char* name) noexcept;

// Row for a 16-bit index, or null when the index is out of range.
const DatumRow* RowAt(std::int16_t index) noexcept;

double DmsToDegImpl(double dms) noexcept;
double DegToDmsImpl(double deg) noexcept;

// Most passes of the latitude iteration that may still succeed.
inline constexpr int kMaxPasses = 10;

struct TransformResult {
  bool ok;
  int passes;  // passes of the latitude iteration that ran (0 when none ran)
};

// Three-parameter geocentric translation of `in` from datum `src` to datum
// `dst`. Writes the height of every pass into out.height, and latitude and
// longitude only on success; the caller has already copied `in` to `out`
// (`in` is taken by value so that the two may be the same record).
TransformResult Transform(const TDatumParam& src, const TDatumParam& dst, TGeoPoint in, TGeoPoint& out) noexcept;

}  // namespace geodrel
