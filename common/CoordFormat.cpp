// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/CoordFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/HostConv.h"
#include "geodrel.h"

namespace orvane {
namespace {

char Hemisphere(double degrees, TAxis axis) {
  if (axis == TAxis::Lat) return degrees < 0 ? 'S' : 'N';
  return degrees < 0 ? 'W' : 'E';
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// Degrees, minutes and tenths of seconds of |degrees| rounded to `unit` tenths of an arc-second,
// so that rounding carries through the seconds and minutes at once. Integers throughout: printf's
// decimals would follow the user's locale.
struct TDms {
  long long deg, min, tenths;
};
TDms Split(double degrees, long long unit) {
  if (!(std::fabs(degrees) < 1e9)) return {0, 0, 0};
  const long long tenths = std::llround(std::fabs(degrees) * 36000 / static_cast<double>(unit)) * unit;
  return {tenths / 36000, tenths / 600 % 60, tenths % 600};
}

}  // namespace

const char* CoordFormatName(TCoordFormat format) {
  for (const TCoordFormatName& f : kCoordFormats)
    if (f.Format == format) return f.Name;
  return kCoordFormats[0].Name;
}

TCoordFormat CoordFormatFromName(std::string_view name) {
  for (const TCoordFormatName& f : kCoordFormats)
    if (SameName(f.Name, name)) return f.Format;
  return TCoordFormat::DMmss;
}

const char* PlaneDatumName(TPlaneDatum datum) {
  for (const TPlaneDatumName& d : kPlaneDatums)
    if (d.Datum == datum) return d.Name;
  return kPlaneDatums[0].Name;
}

TPlaneDatum PlaneDatumFromName(std::string_view name) {
  for (const TPlaneDatumName& d : kPlaneDatums)
    if (SameName(d.Name, name)) return d.Datum;
  return TPlaneDatum::Jgd2011;
}

std::string DmsText(double degrees, TAxis axis) {
  const TDms d = Split(degrees, 1);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%lld\u00B0%02lld'%02lld.%lld\"%c", d.deg, d.min, d.tenths / 10, d.tenths % 10,
                Hemisphere(degrees, axis));
  return buf;
}

std::string MonitorCoord(double dms, const std::string& hemisphere, TCoordFormat format) {
  switch (format) {
    case TCoordFormat::Degrees:
    case TCoordFormat::Plane:
      return hemisphere + " " + FormatFixed(DmsToDeg(dms), 6);
    case TCoordFormat::Dms: {
      // The letter as the receiver sent it, after the value as DMS writes it.
      std::string text = DmsText(std::fabs(DmsToDeg(dms)), TAxis::Lat);
      text.pop_back();
      return text + hemisphere;
    }
    case TCoordFormat::DMmss:
      break;
  }
  return hemisphere + " " + FormatFixed(dms, 5);
}

std::string ReadoutCoord(double dms, TAxis axis, TCoordFormat format) {
  const std::string h = {Hemisphere(dms, axis), ' '};
  switch (format) {
    case TCoordFormat::Degrees:
    case TCoordFormat::Plane:
      return h + FormatFixed(DmsToDeg(std::fabs(dms)), 6);
    case TCoordFormat::Dms:
      return DmsText(DmsToDeg(dms), axis);
    case TCoordFormat::DMmss:
      break;
  }
  return h + FormatFixed(std::fabs(dms), 5);
}

std::string PreciseCoord(double degrees, TAxis axis, TCoordFormat format) {
  const std::string h = {Hemisphere(degrees, axis), ' '};
  switch (format) {
    case TCoordFormat::Degrees:
    case TCoordFormat::Plane:
      return h + FormatFixed(std::fabs(degrees), 9);
    case TCoordFormat::Dms: {
      // Ten-thousandths of an arc-second, in integers as Split does.
      if (!(std::fabs(degrees) < 1e6)) return h;
      const long long u = std::llround(std::fabs(degrees) * 36000000.0);
      char buf[64];
      std::snprintf(buf, sizeof buf, "%lld\u00B0%02lld'%02lld.%04lld\"%c", u / 36000000, u / 600000 % 60,
                    u / 10000 % 60, u % 10000, h[0]);
      return buf;
    }
    case TCoordFormat::DMmss:
      break;
  }
  return h + FormatFixed(DegToDms(std::fabs(degrees)), 8);
}

std::string GridCoord(double degrees, int gridStep, TAxis axis, TCoordFormat format) {
  switch (format) {
    case TCoordFormat::Degrees:
    case TCoordFormat::Plane:
      // Enough decimals that neighbouring lines differ: 1' is 0.0167, 10" 0.00278, 1" 0.000278.
      return FormatFixed(degrees, gridStep >= 60 ? 4 : gridStep >= 10 ? 5 : 6);
    case TCoordFormat::Dms: {
      const char h = Hemisphere(degrees, axis);
      char buf[64];
      if (gridStep >= 3600) {
        std::snprintf(buf, sizeof buf, "%lld\u00B0%c", Split(degrees, 36000).deg, h);
      } else if (gridStep >= 60) {
        const TDms d = Split(degrees, 600);
        std::snprintf(buf, sizeof buf, "%lld\u00B0%02lld'%c", d.deg, d.min, h);
      } else {
        const TDms d = Split(degrees, 10);
        std::snprintf(buf, sizeof buf, "%lld\u00B0%02lld'%02lld\"%c", d.deg, d.min, d.tenths / 10, h);
      }
      return buf;
    }
    case TCoordFormat::DMmss:
      break;
  }
  return FormatFixed(DegToDms(degrees), 4);
}

}  // namespace orvane
