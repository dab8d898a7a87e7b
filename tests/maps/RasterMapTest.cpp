// SPDX-License-Identifier: GPL-3.0-or-later
// The raster layer over files GDAL's own tools make from a picture with marks at known places:
// each mark must land within a pixel of where its coordinates say, in either map datum. And the
// kept picture: a pan warps only what it uncovers, without drift.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "geodrel.h"
#include "maps/LatticePicture.h"
#include "maps/RasterMap.h"
#include "tests/common/NullCanvas.h"
#include "tests/common/TempFiles.h"

namespace orvane {
namespace {

// Keeps the last picture drawn, on a surface of W x H.
class TPictureCanvas : public TNullCanvas {
public:
  TPictureCanvas(int w, int h) : w_(w), h_(h) {}
  TRect ClipRect() const override { return {0, 0, w_, h_}; }
  void DrawPicture(int x, int y, const TArgbPicture& p) override {
    ASSERT_EQ(x, 0);
    ASSERT_EQ(y, 0);
    Pixels.assign(p.Pixels, p.Pixels + static_cast<size_t>(p.Stride) * p.Height);
    ++Draws;
  }
  std::vector<uint32_t> Pixels;
  int Draws = 0;

private:
  int w_, h_;
};

// A 200 x 200 picture of 0.0001 degree pixels from 135.0 E, 35.02 N (WGS 84), white with red
// 3 x 3 marks centred on these pixels.
constexpr double kWest = 135.0, kNorth = 35.02, kPixel = 0.0001;
constexpr int kSide = 200;
const std::vector<std::pair<int, int>> kMarks = {{40, 40}, {150, 60}, {100, 170}};

struct TRasterCase {
  const char* Name;
  const char* Command;  // makes OUT from the GeoTIFF IN
  const char* MapDatum;
};

class RasterMapTest : public TempDir {
protected:
  // The picture as a PPM, then the GeoTIFF gdal_translate makes of it.
  std::string GeoTiff() {
    const std::string ppm = (dir / "marks.ppm").string(), tif = (dir / "marks.tif").string();
    std::string data = "P6\n" + std::to_string(kSide) + " " + std::to_string(kSide) + "\n255\n";
    std::string rgb(static_cast<size_t>(kSide) * kSide * 3, '\xff');
    for (const auto& [c, r] : kMarks)
      for (int y = r - 1; y <= r + 1; ++y)
        for (int x = c - 1; x <= c + 1; ++x) rgb[(y * kSide + x) * 3 + 1] = rgb[(y * kSide + x) * 3 + 2] = 0;
    WriteAll(ppm, data + rgb);
    Run("gdal_translate -q -of GTiff -a_srs EPSG:4326 -a_ullr " + std::to_string(kWest) + " " + std::to_string(kNorth) +
        " " + std::to_string(kWest + kSide * kPixel) + " " + std::to_string(kNorth - kSide * kPixel) + " " + ppm + " " +
        tif);
    return tif;
  }
  void Run(const std::string& command) { ASSERT_EQ(std::system((command + " 2>&1").c_str()), 0) << command; }
};

// Centre of the red pixels within `radius` of (x, y).
std::pair<double, double> RedNear(const std::vector<uint32_t>& px, int w, int h, double x, double y, int radius) {
  double sx = 0, sy = 0;
  int n = 0;
  for (int j = std::max(0, int(y) - radius); j < std::min(h, int(y) + radius); ++j)
    for (int i = std::max(0, int(x) - radius); i < std::min(w, int(x) + radius); ++i) {
      const uint32_t v = px[j * w + i];
      if ((v >> 24) > 200 && (v >> 16 & 0xFF) > 200 && (v >> 8 & 0xFF) < 80 && (v & 0xFF) < 80)
        sx += i + 0.5, sy += j + 0.5, ++n;
    }
  return n ? std::pair{sx / n, sy / n} : std::pair{double(NAN), double(NAN)};
}

TEST_F(RasterMapTest, MarksLandWhereTheirCoordinatesSayInEitherMapDatum) {
  const std::string tif = GeoTiff();
  const TRasterCase cases[] = {
      {"GeoTIFF", "cp {in} {out}.tif", "WGS 84"},
      {"GeoTIFF", "cp {in} {out}.tif", "Tokyo"},
      {"MBTiles", "gdal_translate -q -of MBTILES -co RESAMPLING=NEAREST -co TILE_FORMAT=PNG {in} {out}.mbtiles",
       "Tokyo"},
      {"MBTiles", "gdal_translate -q -of MBTILES -co RESAMPLING=NEAREST -co TILE_FORMAT=PNG {in} {out}.mbtiles",
       "WGS 84"},
      {"PNG with a world file", "gdal_translate -q -of PNG -co WORLDFILE=YES {in} {out}.png", "Tokyo"},
  };
  int n = 0;
  for (const TRasterCase& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + " in " + c.MapDatum);
    std::string command = c.Command, out = (dir / ("r" + std::to_string(n++))).string();
    command.replace(command.find("{in}"), 4, tif);
    command.replace(command.find("{out}"), 5, out);
    Run(command);
    out += command.substr(command.rfind('.'));
    std::string datum = c.MapDatum;
    TRasterLayer layer(datum);
    const TLayerLoad load = layer.LoadInSet(out);
    ASSERT_EQ(load.End, TLayerLoad::Shown) << load.Message;
    // The extent is the picture's, a datum shift (well under 0.01 degree here) away.
    const std::optional<TViewBox> extent = layer.Describe().Extent;
    ASSERT_TRUE(extent.has_value());
    EXPECT_NEAR(extent->West, kWest, 0.01);
    EXPECT_NEAR(extent->East, kWest + kSide * kPixel, 0.01);
    // About one view pixel per raster pixel, the view around the picture.
    const double scale = 1 / kPixel / 3600;
    const int W = 320, H = 300;
    const TViewBox view{kWest - 0.005, kNorth - 0.025, kWest - 0.005 + W * kPixel, kNorth - 0.025 + H * kPixel};
    TPictureCanvas canvas(W, H);
    layer.DrawScaled(canvas, view, scale);
    ASSERT_EQ(canvas.Pixels.size(), size_t(W * H));
    for (const auto& [col, row] : kMarks) {
      TGeoPoint wgs{DegToDms(kNorth - (row + 0.5) * kPixel), DegToDms(kWest + (col + 0.5) * kPixel), 0}, map = wgs;
      ASSERT_TRUE(DmsConv("WGS 84", c.MapDatum, &wgs, &map));
      const double x = (DmsToDeg(map.lon) - view.West) / kPixel, y = (view.North - DmsToDeg(map.lat)) / kPixel;
      const auto [fx, fy] = RedNear(canvas.Pixels, W, H, x, y, 8);
      EXPECT_NEAR(fx, x, 1.0) << "mark " << col << "," << row;
      EXPECT_NEAR(fy, y, 1.0) << "mark " << col << "," << row;
    }
  }
}

TEST_F(RasterMapTest, WhatCannotBeReadIsRefusedNamingTheFileAndTheCause) {
  const std::string tif = GeoTiff();
  const std::string text = (dir / "notes.tif").string(), plain = (dir / "plain.png").string();
  WriteAll(text, "not a raster\n");
  Run("gdal_translate -q -of PNG " + (dir / "marks.ppm").string() + " " + plain);
  std::filesystem::remove(plain + ".aux.xml");
  std::string datum = "Tokyo";
  TRasterLayer layer(datum);
  for (const std::string& bad :
       {text, plain, (dir / "missing.tif").string(), std::string("https://tile.example.org/map.png")}) {
    const TLayerLoad load = layer.LoadInSet(tif + " | " + bad);
    EXPECT_EQ(load.End, TLayerLoad::Refused) << bad;
    EXPECT_NE(load.Message.find(bad), std::string::npos) << load.Message;
    EXPECT_TRUE(layer.Files().empty());
  }
  EXPECT_NE(layer.LoadInSet(plain).Message.find("no georeferencing"), std::string::npos);
  EXPECT_EQ(layer.LoadInSet(" | ").End, TLayerLoad::Nothing);
  ASSERT_EQ(layer.LoadInSet(tif + "|" + tif).End, TLayerLoad::Shown);
  EXPECT_EQ(layer.Files().size(), 2u);
}

// Lattice cell (x, y) as a pixel, to see where every pixel came from.
uint32_t Cell(int64_t x, int64_t y) { return static_cast<uint32_t>(x * 7919 + y * 104729) | 0xFF000000u; }

TEST(LatticePicture, APanWarpsOnlyTheUncoveredStripsAndKeepsEveryPixelInPlace) {
  TLatticePicture picture;
  int64_t filled = 0;
  const TLatticeFill fill = [&](const TLatticeRect& r, uint32_t* out, int stride) {
    filled += int64_t(r.W) * r.H;
    for (int j = 0; j < r.H; ++j)
      for (int i = 0; i < r.W; ++i) out[j * stride + i] = Cell(r.X + i, r.Y + j);
  };
  const auto check = [&](const TLatticeRect& r) {
    const TArgbPicture p = picture.Picture();
    ASSERT_EQ(p.Width, r.W);
    ASSERT_EQ(p.Height, r.H);
    for (int j = 0; j < r.H; ++j)
      for (int i = 0; i < r.W; ++i) ASSERT_EQ(p.Pixels[j * p.Stride + i], Cell(r.X + i, r.Y + j)) << i << "," << j;
  };
  struct {
    double S;
    TLatticeRect Rect;
    int64_t Filled;
  } steps[] = {
      {10, {100, -50, 40, 30}, 40 * 30},            // first: everything
      {10, {100, -50, 40, 30}, 0},                  // the same view: nothing
      {10, {107, -53, 40, 30}, 40 * 30 - 33 * 27},  // a pan: the L-shaped rest
      {10, {90, -40, 40, 30}, 40 * 30 - 23 * 17},   // back past the start
      {10, {500, 500, 40, 30}, 40 * 30},            // nothing shared
      {20, {500, 500, 40, 30}, 40 * 30},            // another scale
      {20, {500, 500, 50, 20}, 50 * 20 - 40 * 20},  // a resized surface
  };
  for (const auto& s : steps) {
    filled = 0;
    picture.Cover(s.S, s.S, s.Rect, fill);
    EXPECT_EQ(filled, s.Filled) << s.Rect.X << "," << s.Rect.Y;
    check(s.Rect);
  }
  picture.Clear();
  filled = 0;
  picture.Cover(20, 20, steps[6].Rect, fill);
  EXPECT_EQ(filled, 50 * 20);
}

TEST(RasterPaths, AListSeparatedByBarsWithBlanksTrimmed) {
  EXPECT_EQ(RasterPaths(""), std::vector<std::string>{});
  EXPECT_EQ(RasterPaths(" /a b.tif | /c.mbtiles|| "), (std::vector<std::string>{"/a b.tif", "/c.mbtiles"}));
}

}  // namespace
}  // namespace orvane
