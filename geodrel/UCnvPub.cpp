// SPDX-License-Identifier: LGPL-3.0-or-later
// UCnvPub: the eight exported functions, thin wrappers over UCnvPriv.
//
// Null record pointers are not part of the contract; rather than crash, a
// lookup then still answers (found / the name) without filling anything and
// DmsConv reports failure.
#include "UCnvPriv.h"

#include <cmath>
#include <cstring>

using geodrel::DatumRow;

namespace {

// A position the transformation can use: finite, its latitude within the poles and its
// longitude within -180 to 180 degrees. A longitude of 1e93 would come back unchanged from the
// polar axis and unusable from anywhere else.
bool OnTheGlobe(const TGeoPoint& p) noexcept {
  if (!std::isfinite(p.lat) || !std::isfinite(p.lon) || !std::isfinite(p.height)) return false;
  return std::fabs(geodrel::DmsToDegImpl(p.lat)) <= 90.0 && std::fabs(geodrel::DmsToDegImpl(p.lon)) <= 180.0;
}

}  // namespace

extern "C" {

double DmsToDeg(double dms) noexcept { return geodrel::DmsToDegImpl(dms); }

double DegToDms(double deg) noexcept { return geodrel::DegToDmsImpl(deg); }

bool GetDatum(const char* name, TDatumParam* param) noexcept {
  const int row = geodrel::FindDatum(name);
  if (row < 0) return false;
  if (param != nullptr) *param = geodrel::kDatums[row].param;
  return true;
}

const char* GetDatumByNum(int16_t index, TDatumParam* param) noexcept {
  const DatumRow* row = geodrel::RowAt(index);
  if (row == nullptr) return nullptr;
  // Filled through the name lookup, so the first row of that name wins.
  GetDatum(row->datum, param);
  return row->datum;
}

int16_t GetDatumCount(void) noexcept { return geodrel::kDatumCount; }

const char* GetEllipse(const char* datum) noexcept {
  const int row = geodrel::FindDatum(datum);
  return row < 0 ? nullptr : geodrel::kDatums[row].ellipse;
}

const char* GetEllipseByNum(int16_t index) noexcept {
  const DatumRow* row = geodrel::RowAt(index);
  return row == nullptr ? nullptr : row->ellipse;
}

bool DmsConv(const char* src, const char* dst, const TGeoPoint* in, TGeoPoint* out) noexcept {
  if (in == nullptr || out == nullptr) return false;
  // Callers use *out whatever the result, so it holds the input first.
  std::memmove(out, in, sizeof *out);
  const char* srcName = src != nullptr ? src : "";
  const char* dstName = dst != nullptr ? dst : "";
  if (std::strcmp(srcName, dstName) == 0) return true;

  const int from = geodrel::FindDatum(srcName);
  if (from < 0) return false;
  const int to = geodrel::FindDatum(dstName);
  if (to < 0) return false;
  if (!OnTheGlobe(*out)) return false;
  return geodrel::Transform(geodrel::kDatums[from].param, geodrel::kDatums[to].param, *out, *out).ok;
}

}  // extern "C"
