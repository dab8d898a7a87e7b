// SPDX-License-Identifier: GPL-3.0-or-later
// Which kind of map file a path is, from its name or its first bytes, as the map tool decides it,
// and a layer row added to the table showing up wherever the table is read.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "maps/MapFile.h"
#include "tests/common/TempFiles.h"
#include "track/LayerKinds.h"

namespace orvane {
namespace {

class LayerKindsTest : public TempDir {};

TEST_F(LayerKindsTest, KindFromTheNameOrElseTheContentOrNone) {
  const std::string lineRecord = "L" + std::string(60, ' ');
  const std::string pointRecord = "P" + std::string(80, ' ');
  struct TCase {
    const char* Name;
    std::string Content;
    const char* Kind;  // none: nothing says
  } cases[] = {
      // The name says it for sure, whatever the content.
      {"trip.GPX", "#\n1,2\n", "waypoint"},
      {"cell.000", "", "enc"},
      {"area.png", "", "bitmap"},
      {"N0313.TXT", "$GPGGA,1\n", "line"},
      {"C2301.txt", "", "line"},
      {"p0213.txt", "", "point"},
      // Else the first bytes.
      {"a.txt", "   NLA-N01-01\r\n", "line"},
      {"b.txt", lineRecord + "\r\n" + pointRecord + "\r\n", "line"},
      {"c.txt", pointRecord + "\r\n" + pointRecord + "\r\n" + lineRecord + "\r\n", "point"},
      {"d.dat", "<?xml version=\"1.0\"?><gpx/>", "waypoint"},
      {"e.dat", "DATUM,Tokyo\r\nWP,1,Mark,35.02,134.98\r\n", "waypoint"},
      {"f.dat", "#\n135.5,35.5\n135.6 35.7\n#\n", "coastline"},
      {"g.bin", std::string("\x89PNG\r\n\x1a\n", 8) + "rest", "bitmap"},
      {"h.pic", "BM....", "bitmap"},
      // An NMEA log is no coastline; nor is text without a number pair, nor an empty file.
      {"drive.log", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n$GPRMC,1\r\n", nullptr},
      {"notes.txt", "a shopping list\n135.5\n", nullptr},
      {"empty.txt", "", nullptr},
  };
  for (const TCase& c : cases) {
    const std::string path = (dir / c.Name).string();
    WriteAll(path, c.Content);
    const TLayerKind* kind = KindOfPath(path);
    SCOPED_TRACE(c.Name);
    if (!c.Kind) {
      EXPECT_EQ(kind, nullptr) << kind->Kind;
    } else {
      ASSERT_NE(kind, nullptr);
      EXPECT_STREQ(kind->Kind, c.Kind);
    }
  }
  std::filesystem::create_directory(dir / "13101");
  ASSERT_NE(KindOfPath((dir / "13101").string()), nullptr);
  EXPECT_STREQ(KindOfPath((dir / "13101").string())->Kind, "kdd");
  EXPECT_THROW(KindOfPath((dir / "missing.txt").string()), EMapFileError);
}

TEST(LayerKindsAddedTest, AnAddedRowIsAKindWithItsPathAndLetterUntilItGoes) {
  EXPECT_EQ(KindNames(", ", " or "), "line, point, waypoint, coastline, raster, bitmap, kdd or enc");
  TTrackState state;
  {
    const TAddedLayerKind tiff({'G', "GeoTiffMap", "GeoTIFF", "GeoTIFF|*.tif", nullptr, nullptr, nullptr, 10, 9,
                                nullptr, "geotiff", 8, "GTIF", nullptr, nullptr, nullptr});
    EXPECT_EQ(KindNames("|", "|"), "line|point|waypoint|coastline|raster|bitmap|kdd|enc|geotiff");
    ASSERT_NE(KindNamed("geotiff"), nullptr);
    EXPECT_EQ(KindNamed("geotiff")->Letter, 'G');
    EXPECT_EQ(LettersInLoadOrder(), "ROPMKWCEBTG");
    EXPECT_EQ(LettersInDrawOrder(), "TBKPROMWCEG");
    LayerPath(state, 'G') = "/maps/a.gtif";
    EXPECT_EQ(LayerPath(state, LayerKinds().back()), "/maps/a.gtif");
    TLayerKind taken = LayerKinds().back();
    EXPECT_THROW((void)TAddedLayerKind(taken), std::invalid_argument);
  }
  EXPECT_EQ(KindNamed("geotiff"), nullptr);
  EXPECT_THROW(LayerKindOf('G'), std::invalid_argument);
}

}  // namespace
}  // namespace orvane
