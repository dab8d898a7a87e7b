// SPDX-License-Identifier: GPL-3.0-or-later
// The georeferenced bitmap: the header's name and reading, loading, and where the picture goes
// on the surface.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "common/HostConv.h"
#include "maps/MapBitmap.h"
#include "tests/common/TempFiles.h"
#include "tests/track/RecordingCanvas.h"

namespace orvane {
namespace {

using test::FakeImage;
using test::RecordingCanvas;
using test::TCanvasOp;

TBitmapGeoref Read(const std::string& text, TBitmapGeoref g = {}) {
  std::istringstream in(text);
  ReadHdr(in, "area.HDR", g);
  return g;
}

TEST(MapBitmapTest, HeaderNameReplacesTheLastFourCharacters) {
  EXPECT_EQ(HdrFileName("area.bmp"), "area.HDR");
  // Exactly four characters go, whatever they are.
  EXPECT_EQ(HdrFileName("/maps/area.bitmap"), "/maps/area.bi.HDR");
  EXPECT_EQ(HdrFileName("/maps/area.jpeg"), "/maps/area..HDR");
  EXPECT_EQ(HdrFileName("/maps/AREA.BMP"), "/maps/AREA.HDR");
  EXPECT_EQ(HdrFileName("a.b"), ".HDR");
}

TEST(MapBitmapTest, HeaderKeysValuesAndWhatIsSkipped) {
  const TBitmapGeoref g = Read("ULXMAP 139.5\nULYMAP 36.0\nXDIM 0.0001\nYDIM 0.0002\n");
  EXPECT_DOUBLE_EQ(g.UlxMap, 139.5);
  EXPECT_DOUBLE_EQ(g.UlyMap, 36.0);
  EXPECT_DOUBLE_EQ(g.XDim, 0.0001);
  EXPECT_DOUBLE_EQ(g.YDim, 0.0002);

  // Keys in any case; CR LF lines; a value cut at its first comma; the last of two wins.
  const TBitmapGeoref h = Read("ulxmap 139.5\r\nYdim 0.5\r\nXDIM 0.0001,0\r\nYDIM 0.25,x,y\r\nULXMAP 140\r\n");
  EXPECT_DOUBLE_EQ(h.UlxMap, 140);
  EXPECT_DOUBLE_EQ(h.XDim, 0.0001);
  EXPECT_DOUBLE_EQ(h.YDim, 0.25);

  // Tabs, lines without a space, empty values, unknown keys and a key with leading blanks are
  // all passed over; the values keep what they had.
  TBitmapGeoref before;
  before.XDim = 7;
  before.UlyMap = 8;
  const TBitmapGeoref s =
      Read("XDIM\t0.0001\nULYMAP\nULYMAP \nULYMAP ,5\nNROWS 1000\n XDIM 3\nBYTEORDER I\n\nULXMAP   12.5  \n", before);
  EXPECT_DOUBLE_EQ(s.XDim, 7);
  EXPECT_DOUBLE_EQ(s.UlyMap, 8);
  EXPECT_DOUBLE_EQ(s.UlxMap, 12.5);
  // Signs and exponents are read as numbers are everywhere in the maps.
  EXPECT_DOUBLE_EQ(Read("YDIM -1.5e-4\n").YDim, -1.5e-4);
}

TEST(MapBitmapTest, HeaderValueThatIsNoNumberNamesTheFileAndLine) {
  try {
    Read("ULXMAP 139.5\nXDIM 0.0001\nYDIM 0,0001x\nULYMAP abc\n");
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("area.HDR"), std::string::npos) << what;
    EXPECT_NE(what.find("line 4"), std::string::npos) << what;
  }
  // The text before a comma is all that counts: "0,0001x" reads 0.
  EXPECT_DOUBLE_EQ(Read("YDIM 0,0001x\n").YDim, 0);
}

class MapBitmapLoadTest : public TempDir {
protected:
  std::string Bitmap(const std::string& name, const std::string& hdrName, const std::string& hdr,
                     TSize size = {2000, 1000}) {
    const std::string path = (dir / name).string();
    WriteAll(dir / hdrName, hdr);
    image.Files[path] = size;
    return path;
  }
  FakeImage image;
  TMapBitmap bitmap{image};
};

TEST_F(MapBitmapLoadTest, GoodHeaderLoadsThePictureAtEightBits) {
  const std::string path =
      Bitmap("area.bitmap", "area.bi.HDR", "ULXMAP 139.5\nULYMAP 36.0\nXDIM 0.0001\nYDIM 0.0001\n");
  ASSERT_EQ(bitmap.Load(path), TBitmapLoad::Loaded);
  EXPECT_EQ(image.Loads, (std::vector<FakeImage::Load>{{path, TImageKind::Palette8}}));
  const TBitmapGeoref& g = bitmap.Georef();
  EXPECT_DOUBLE_EQ(g.UlxMap, 139.5);
  EXPECT_DOUBLE_EQ(g.UlyMap, 36.0);
  EXPECT_NEAR(g.LrxMap, 139.7, 1e-12);  // 2000 columns of 0.0001°
  EXPECT_NEAR(g.LryMap, 35.9, 1e-12);   // 1000 rows south
}

TEST_F(MapBitmapLoadTest, MissingOrWrongHeader) {
  const std::string path = (dir / "area.bmp").string();
  image.Files[path] = {10, 10};
  EXPECT_EQ(bitmap.Load(path), TBitmapLoad::HdrNotFound);
  // A folder of that name is no header either.
  std::filesystem::create_directory(dir / "area.HDR");
  EXPECT_EQ(bitmap.Load(path), TBitmapLoad::HdrNotFound);
  std::filesystem::remove(dir / "area.HDR");

  for (const char* hdr : {"ULXMAP\t139.5\nULYMAP\t36.0\nXDIM\t0.0001\nYDIM\t0.0001\n",
                          "ULXMAP 139.5\nULYMAP 36.0\nXDIM 0.0001\n", "XDIM 0\nYDIM 0.0001\n", "",
                          // A negative size would mirror the picture.
                          "XDIM -0.0001\nYDIM 0.0001\n", "XDIM 0.0001\nYDIM -0.0001\n"}) {
    WriteAll(dir / "area.HDR", hdr);
    EXPECT_EQ(bitmap.Load(path), TBitmapLoad::WrongHdr) << hdr;
  }
  EXPECT_TRUE(image.Loads.empty());
}

TEST_F(MapBitmapLoadTest, SizesStartAtZeroButTheCornerKeepsItsEarlierValue) {
  const std::string first = Bitmap("a.bmp", "a.HDR", "ULXMAP 139.5\nULYMAP 36.0\nXDIM 0.001\nYDIM 0.001\n", {100, 50});
  ASSERT_EQ(bitmap.Load(first), TBitmapLoad::Loaded);
  const std::string second = Bitmap("b.bmp", "b.HDR", "ULYMAP 35.0\nXDIM 0.002\nYDIM 0.002\n", {100, 50});
  ASSERT_EQ(bitmap.Load(second), TBitmapLoad::Loaded);
  EXPECT_DOUBLE_EQ(bitmap.Georef().UlxMap, 139.5);
  EXPECT_DOUBLE_EQ(bitmap.Georef().UlyMap, 35.0);
  EXPECT_NEAR(bitmap.Georef().LrxMap, 139.7, 1e-12);
  EXPECT_NEAR(bitmap.Georef().LryMap, 34.9, 1e-12);
  // A header that only sets the sizes does not carry the last ones over.
  const std::string third = Bitmap("c.bmp", "c.HDR", "ULXMAP 1\nXDIM 0.002\n");
  EXPECT_EQ(bitmap.Load(third), TBitmapLoad::WrongHdr);
}

TEST_F(MapBitmapLoadTest, PictureThatCannotBeReadThrows) {
  const std::string path = Bitmap("area.bmp", "area.HDR", "XDIM 0.001\nYDIM 0.001\n");
  image.Files.clear();
  EXPECT_THROW(bitmap.Load(path), std::runtime_error);
}

// The default view: 485 x 305 at 0.05 px/" around 34°, 134°, so 180 px per degree and the box
// 132.6528 .. 135.3472 by 33.1528 .. 34.8472.
const TViewBox kView{134.0 - 9700.0 / 7200, 34.0 - 6100.0 / 7200, 134.0 + 9700.0 / 7200, 34.0 + 6100.0 / 7200};

TBitmapGeoref Georef(double ulx, double uly, double dim, int bw, int bh) {
  return {ulx, uly, dim, dim, ulx + bw * dim, uly - bh * dim};
}

TEST(MapBitmapPlacementTest, SmallBitmapIsStretchedWholeOntoItsOwnRectangle) {
  // 600 x 400 pixels of 0.001° from 133.5025° E, 34.5025° N: its left edge 0.4975° (89.55 px) west
  // of the view's middle, its right edge 0.1025° (18.45 px) east; top 90.45 px north, bottom
  // 18.45 px north.
  const auto copy = BitmapPlacement(Georef(133.5025, 34.5025, 0.001, 600, 400), 600, 400, kView, 485, 305, 0.05);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Source, (TRect{0, 0, 600, 400}));
  EXPECT_EQ(copy->Dest, (TRect{242 - 89, 305 - (152 + 90), 242 + 18, 305 - (152 + 18)}));

  // Zoomed out (0.02 px/", 72 px per degree) it shrinks around the same middle.
  const double sx = 485 / 0.02 / 3600 / 2, sy = 305 / 0.02 / 3600 / 2;
  const auto small = BitmapPlacement(Georef(133.5025, 34.5025, 0.001, 600, 400), 600, 400,
                                     {134 - sx, 34 - sy, 134 + sx, 34 + sy}, 485, 305, 0.02);
  ASSERT_TRUE(small);
  EXPECT_EQ(small->Dest, (TRect{242 - 35, 305 - (152 + 36), 242 + 7, 305 - (152 + 7)}));
}

TEST(MapBitmapPlacementTest, LargeBitmapFillsTheSurfaceWithThePartUnderTheView) {
  // 10000 x 10000 pixels of 0.001° from 130° E, 38° N; its middle is 135°, 33°.
  const auto copy = BitmapPlacement(Georef(130, 38, 0.001, 10000, 10000), 10000, 10000, kView, 485, 305, 0.05);
  ASSERT_TRUE(copy);
  // Columns 5000 - 2347 to 5000 + 347, rows 10000 - (5000 + 1847) to 10000 - (5000 + 152).
  EXPECT_EQ(copy->Source, (TRect{2653, 3153, 5347, 4848}));
  EXPECT_EQ(copy->Dest, (TRect{0, 0, 485, 305}));

  // Taller than the view only: still the second case.
  const auto tall = BitmapPlacement(Georef(133.0, 35.0, 0.001, 2000, 2000), 2000, 2000, kView, 485, 305, 0.05);
  ASSERT_TRUE(tall);
  // The view reaches 347 columns west of the bitmap: only the pixels that exist are copied,
  // onto the share of the surface they cover (347 of 2694 columns, 62.5 px); the rest keeps
  // the background.
  EXPECT_EQ(tall->Source, (TRect{0, 153, 2000, 1847}));
  EXPECT_EQ(tall->Dest, (TRect{62, 0, 423, 305}));
}

TEST(MapBitmapPlacementTest, NothingWhenNothingShows) {
  // A large bitmap wholly east of the view.
  EXPECT_FALSE(BitmapPlacement(Georef(136, 38, 0.001, 10000, 10000), 10000, 10000, kView, 485, 305, 0.05));
  // Far away, beyond what 32-bit pixel offsets hold: a small bitmap 11930464° east of the view's
  // middle is 2147483520 px off (once an overflow), a large one 10° west at 1e-9° per pixel is
  // 1e10 columns off (once read as 0, the bitmap's middle).
  EXPECT_FALSE(BitmapPlacement(Georef(11930598, 34.5, 1e-7, 10, 10), 10, 10, kView, 485, 305, 0.05));
  const double half = 1.0 / 100 / 3600 / 2;
  EXPECT_FALSE(BitmapPlacement(Georef(134, 35, 1e-9, 10000, 10000), 10000, 10000,
                               {124 - half, 35 - half, 124 + half, 35 + half}, 1, 1, 100));
  // An empty picture or surface.
  EXPECT_FALSE(BitmapPlacement(Georef(133.5, 34.5, 0.001, 0, 0), 0, 0, kView, 485, 305, 0.05));
  EXPECT_FALSE(BitmapPlacement(Georef(133.5, 34.5, 0.001, 10, 10), 10, 10, kView, 0, 0, 0.05));
}

TEST_F(MapBitmapLoadTest, DrawCopiesFromItsPictureOntoTheCanvas) {
  const std::string path =
      Bitmap("area.bmp", "area.HDR", "ULXMAP 130\nULYMAP 38\nXDIM 0.001\nYDIM 0.001\n", {10000, 10000});
  ASSERT_EQ(bitmap.Load(path), TBitmapLoad::Loaded);
  RecordingCanvas c(485, 305);
  bitmap.Draw(c, kView, 0.05);
  ASSERT_EQ(c.Calls.size(), 1u);
  EXPECT_EQ(c.Calls[0].Op, TCanvasOp::CopyFromImage);
  EXPECT_EQ(c.Calls[0].Image, &image);
  EXPECT_EQ(c.Calls[0].Source, (TRect{2653, 3153, 5347, 4848}));
  EXPECT_EQ(c.Calls[0].Rect, (TRect{0, 0, 485, 305}));
}

}  // namespace
}  // namespace orvane
