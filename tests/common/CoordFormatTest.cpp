// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/CoordFormat.h"

#include <gtest/gtest.h>

#include "tests/common/CommaLocale.h"

namespace orvane {
namespace {

TEST(CoordFormat, NamesReadInAnyCaseAndUnknownIsDMmss) {
  struct Row {
    const char* name;
    TCoordFormat format;
  } rows[] = {{"D.MMSS", TCoordFormat::DMmss}, {"degrees", TCoordFormat::Degrees}, {"DMS", TCoordFormat::Dms},
              {"dms", TCoordFormat::Dms},      {"", TCoordFormat::DMmss},          {"UTM", TCoordFormat::DMmss}};
  for (const Row& r : rows) EXPECT_EQ(CoordFormatFromName(r.name), r.format) << r.name;
  for (const TCoordFormatName& f : kCoordFormats) EXPECT_EQ(CoordFormatFromName(CoordFormatName(f.Format)), f.Format);
}

TEST(CoordFormat, DmsCarriesRoundedSecondsAndNamesTheHemisphere) {
  struct Row {
    double degrees;
    TAxis axis;
    const char* text;
  } rows[] = {
      {34.08675, TAxis::Lat, "34\u00B005'12.3\"N"},
      {-33.5, TAxis::Lat, "33\u00B030'00.0\"S"},
      {-70.25, TAxis::Lon, "70\u00B015'00.0\"W"},
      {134.0, TAxis::Lon, "134\u00B000'00.0\"E"},
      // 59.96 seconds rounds to 60.0: it carries into the minutes, and 60 minutes into degrees.
      {34 + 5 / 60.0 + 59.96 / 3600, TAxis::Lat, "34\u00B006'00.0\"N"},
      {35 + 59 / 60.0 + 59.97 / 3600, TAxis::Lat, "36\u00B000'00.0\"N"},
      {0.0, TAxis::Lon, "0\u00B000'00.0\"E"},
  };
  for (const Row& r : rows) EXPECT_EQ(DmsText(r.degrees, r.axis), r.text) << r.degrees;
}

TEST(CoordFormat, MonitorLinesInEachFormat) {
  test::CommaLocale comma;  // decimals stay periods whatever the locale
  struct Row {
    TCoordFormat format;
    const char* hemisphere;
    const char* text;
  } rows[] = {
      {TCoordFormat::DMmss, "N", "N 35.39074"},
      {TCoordFormat::Degrees, "N", "N 35.652056"},
      {TCoordFormat::Dms, "N", "35\u00B039'07.4\"N"},
      {TCoordFormat::Dms, "", "35\u00B039'07.4\""},
  };
  for (const Row& r : rows) EXPECT_EQ(MonitorCoord(35.39074, r.hemisphere, r.format), r.text);
}

TEST(CoordFormat, ReadoutNamesItsHemisphere) {
  EXPECT_EQ(ReadoutCoord(-35.233012, TAxis::Lat, TCoordFormat::DMmss), "S 35.23301");
  EXPECT_EQ(ReadoutCoord(-139.452201, TAxis::Lon, TCoordFormat::DMmss), "W 139.45220");
  EXPECT_EQ(ReadoutCoord(0, TAxis::Lon, TCoordFormat::Degrees), "E 0.000000");
  EXPECT_EQ(ReadoutCoord(-35.233012, TAxis::Lat, TCoordFormat::Degrees), "S 35.391700");
  EXPECT_EQ(ReadoutCoord(-35.233012, TAxis::Lat, TCoordFormat::Dms), "35\u00B023'30.1\"S");
  EXPECT_EQ(ReadoutCoord(139.452201, TAxis::Lon, TCoordFormat::Dms), "139\u00B045'22.0\"E");
}

TEST(CoordFormat, GridLabelsFollowTheInterval) {
  struct Row {
    double degrees;
    int step;
    TAxis axis;
    TCoordFormat format;
    const char* text;
  } rows[] = {
      {134.5, 600, TAxis::Lon, TCoordFormat::DMmss, "134.3000"},
      {134.5, 600, TAxis::Lon, TCoordFormat::Degrees, "134.5000"},
      {34 + 10 / 3600.0, 10, TAxis::Lat, TCoordFormat::Degrees, "34.00278"},
      {34 + 1 / 3600.0, 1, TAxis::Lat, TCoordFormat::Degrees, "34.000278"},
      {-10.0, 36000, TAxis::Lon, TCoordFormat::Dms, "10\u00B0W"},
      {134 + 10 / 60.0, 600, TAxis::Lon, TCoordFormat::Dms, "134\u00B010'E"},
      {34 + 5 / 60.0 + 10 / 3600.0, 10, TAxis::Lat, TCoordFormat::Dms, "34\u00B005'10\"N"},
      // A line computed a hair below its minute still reads as that minute.
      {34 + 10 / 60.0 - 1e-12, 60, TAxis::Lat, TCoordFormat::Dms, "34\u00B010'N"},
  };
  for (const Row& r : rows) EXPECT_EQ(GridCoord(r.degrees, r.step, r.axis, r.format), r.text) << r.text;
}

// The fix's figures to about a millimetre: 1e-9 degree, 1e-8 of D.MMSS, 1e-4 arc-second.
TEST(CoordFormat, PreciseCoordsKeepMillimetres) {
  struct {
    double degrees;
    TAxis axis;
    TCoordFormat format;
    const char* text;
  } const cases[] = {
      {35.658581234, TAxis::Lat, TCoordFormat::Degrees, "N 35.658581234"},
      {-122.5, TAxis::Lon, TCoordFormat::Plane, "W 122.500000000"},
      {35.5, TAxis::Lat, TCoordFormat::DMmss, "N 35.30000000"},
      {35.658581234, TAxis::Lat, TCoordFormat::Dms, "35\u00B039'30.8924\"N"},
      {-0.99999999999, TAxis::Lat, TCoordFormat::Dms, "1\u00B000'00.0000\"S"},
  };
  for (const auto& c : cases) EXPECT_EQ(PreciseCoord(c.degrees, c.axis, c.format), c.text);
}

}  // namespace
}  // namespace orvane
