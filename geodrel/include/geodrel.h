// SPDX-License-Identifier: LGPL-3.0-or-later
/* Geodrel: geodetic datum table and datum transformation, plain C interface.
 *
 * Angles that cross this interface as latitude or longitude are in packed
 * D.MMSS notation: 35 deg 30 min 45.5 s is 35.30455, and the sign belongs to
 * the whole value. DmsToDeg and DegToDms convert to and from decimal degrees.
 *
 * Every function works on its arguments and on a table that never changes
 * after the library is loaded, so all of them may be called from any thread.
 * Name strings passed in are zero-terminated 8-bit strings; a null pointer
 * counts as the empty name. Name strings passed out belong to the library and
 * stay valid while it is loaded; never free or modify them.
 */
#ifndef GEODREL_H
#define GEODREL_H

#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(GEODREL_BUILDING)
#define GEODREL_API __attribute__((visibility("default")))
#else
#define GEODREL_API
#endif

#ifdef __cplusplus
#define GEODREL_NOEXCEPT noexcept
extern "C" {
#else
#define GEODREL_NOEXCEPT
#endif

/* One datum: its reference ellipsoid and the translation from geocentric
 * coordinates on this datum to the WGS 84 frame. Five doubles, 40 bytes. */
typedef struct TDatumParam {
  double a;    /* semi-major axis, metres */
  double invF; /* inverse flattening 1/f */
  double dX;   /* added to geocentric X on this datum to reach WGS 84, metres */
  double dY;
  double dZ;
} TDatumParam;

/* One position. Three doubles, 24 bytes. */
typedef struct TGeoPoint {
  double lat;    /* D.MMSS, north positive */
  double lon;    /* D.MMSS, east positive */
  double height; /* ellipsoidal height, metres */
} TGeoPoint;

#ifdef __cplusplus
static_assert(sizeof(TDatumParam) == 40, "TDatumParam is five packed doubles");
static_assert(sizeof(TGeoPoint) == 24, "TGeoPoint is three packed doubles");
#else
_Static_assert(sizeof(TDatumParam) == 40, "TDatumParam is five packed doubles");
_Static_assert(sizeof(TGeoPoint) == 24, "TGeoPoint is three packed doubles");
#endif

/* D.MMSS to decimal degrees and back. */
GEODREL_API double DmsToDeg(double dms) GEODREL_NOEXCEPT;
GEODREL_API double DegToDms(double deg) GEODREL_NOEXCEPT;

/* Looks a datum up by name, ignoring letter case. On success copies its
 * record into *param and returns true; otherwise leaves *param alone. */
GEODREL_API bool GetDatum(const char* name, TDatumParam* param) GEODREL_NOEXCEPT;

/* Row `index` of the table (0 .. GetDatumCount() - 1): fills *param and
 * returns the datum name, or returns null for any other index. */
GEODREL_API const char* GetDatumByNum(int16_t index, TDatumParam* param) GEODREL_NOEXCEPT;

/* Number of rows in the datum table. */
GEODREL_API int16_t GetDatumCount(void) GEODREL_NOEXCEPT;

/* Name of the ellipsoid of the named datum (case-insensitive), or null. */
GEODREL_API const char* GetEllipse(const char* datum) GEODREL_NOEXCEPT;

/* Name of the ellipsoid of row `index`, or null when out of range. */
GEODREL_API const char* GetEllipseByNum(int16_t index) GEODREL_NOEXCEPT;

/* Carries *in from datum `src` to datum `dst`. *out first receives a copy of
 * *in; if the names are byte-for-byte identical that copy is the result and
 * the call returns true. An unknown name returns false with the copy in
 * place. Otherwise the position is transformed; when the latitude iteration
 * fails to converge the call returns false and *out keeps the input's
 * latitude and longitude. `in` and `out` may point to the same record. */
GEODREL_API bool DmsConv(const char* src, const char* dst, const TGeoPoint* in, TGeoPoint* out) GEODREL_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif /* GEODREL_H */
