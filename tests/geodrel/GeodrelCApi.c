// SPDX-License-Identifier: GPL-3.0-or-later
/* Compiled as C: the public header must stay plain C, and the interface must
 * work from a C caller (one-byte bools, 16-bit indices, the record layout). */
#include "geodrel.h"

#include <math.h>
#include <string.h>

int GeodrelCApiCheck(void);

/* Returns 0 when every check holds, otherwise the number of the first that
 * failed. */
int GeodrelCApiCheck(void) {
  TDatumParam param;
  double raw[5];
  const TGeoPoint in = {35.0, 135.0, 0.0};
  TGeoPoint out;
  const char* name;
  bool found;

  if (GetDatumCount() != 3) return 1;

  name = GetDatumByNum(0, &param);
  if (name == NULL || strcmp(name, "Tokyo") != 0) return 2;
  /* Five doubles in the documented order, no padding. */
  memcpy(raw, &param, sizeof raw);
  if (raw[0] != 6377397.155 || raw[1] != 299.152813 || raw[2] != -147.54 || raw[3] != 507.26 || raw[4] != 680.47)
    return 3;

  found = GetDatum("wgs 84", &param);
  if (!found || param.a != 6378137.0 || param.invF != 298.257223563) return 4;

  name = GetEllipse("Tokyo");
  if (name == NULL || strcmp(name, "Bessel-1841") != 0) return 6;
  name = GetEllipseByNum(2);
  if (name == NULL || strcmp(name, "GRS-83") != 0) return 7;

  if (fabs(DmsToDeg(35.30) - 35.5) > 1e-12 || fabs(DegToDms(35.5) - 35.3) > 1e-12) return 9;

  if (!DmsConv("Tokyo", "WGS 84", &in, &out)) return 10;
  if (fabs(out.lat - 35.0011495) > 1e-7 || fabs(out.lon - 134.5949969) > 1e-7 || fabs(out.height - 51.58) > 0.01)
    return 11;
  return 0;
}
