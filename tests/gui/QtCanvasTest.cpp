// SPDX-License-Identifier: GPL-3.0-or-later
// The canvas over QPainter and the pictures over QImage, checked on their pixels: loading
// bitmaps and icons, the transparency rules, stretched and clipped copies, pens, texts and the
// chart symbols.
#include "gui/QtCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "tests/common/TempFiles.h"
#include "tests/gui/WindowTest.h"

namespace orvane {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

QImage Surface(int w, int h, QRgb fill = kWhite) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(fill);
  return img;
}

int CountColour(const QImage& img, QRgb colour, QRect r = QRect()) {
  if (r.isNull()) r = img.rect();
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (img.pixel(x, y) == colour) ++n;
  return n;
}

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

class QtCanvasTest : public TempDir {
protected:
  void SetUp() override {
    TempDir::SetUp();
    EnsureApp();
  }
  std::string PathOf(const char* name) const { return (dir / name).string(); }
};

TEST_F(QtCanvasTest, LoadErrorsNameTheFileAndKeepTheOldPicture) {
  TQtImage image(Surface(3, 2, 0xFF102030));
  const std::string missing = PathOf("missing.bmp");
  std::string err = ErrorOf([&] { image.LoadFromFile(missing, TImageKind::Picture); });
  EXPECT_NE(err.find(missing), std::string::npos) << err;
  EXPECT_NE(err.find("No such file"), std::string::npos) << err;

  const std::string text = PathOf("notes.bmp");
  WriteAll(text, "this is not a picture\n");
  err = ErrorOf([&] { image.LoadFromFile(text, TImageKind::Palette8); });
  EXPECT_NE(err.find(text), std::string::npos) << err;
  EXPECT_NE(err.find("not a readable bitmap"), std::string::npos) << err;

  err = ErrorOf([&] { image.LoadFromFile(dir.string(), TImageKind::Picture); });
  EXPECT_NE(err.find("Is a directory"), std::string::npos) << err;

  EXPECT_EQ(image.Width(), 3);
  EXPECT_EQ(image.Image().pixel(0, 0), 0xFF102030u);
}

TEST_F(QtCanvasTest, PictureKeepsABitmapAsItIsAndPalette8ReducesIt) {
  QImage rgb(4, 3, QImage::Format_RGB32);
  rgb.fill(0xFF0000FF);
  rgb.setPixel(1, 1, 0xFFFF8000);
  const std::string bmp = PathOf("area.bmp");
  ASSERT_TRUE(rgb.save(QString::fromStdString(bmp), "BMP"));

  TQtImage picture;
  picture.LoadFromFile(bmp, TImageKind::Picture);
  EXPECT_FALSE(picture.IsIcon());
  EXPECT_EQ(picture.Width(), 4);
  EXPECT_EQ(picture.Height(), 3);
  EXPECT_EQ(picture.Image().pixel(1, 1), 0xFFFF8000u);

  TQtImage map;
  map.LoadFromFile(bmp, TImageKind::Palette8);
  EXPECT_EQ(map.Image().format(), QImage::Format_Indexed8);
  EXPECT_LE(map.Image().colorCount(), 256);
  // Two colours survive the reduction exactly.
  EXPECT_EQ(map.Image().pixel(1, 1), 0xFFFF8000u);
  EXPECT_EQ(map.Image().pixel(3, 2), 0xFF0000FFu);
}

TEST_F(QtCanvasTest, Palette8KeepsFlatColoursOfAManyColouredMapWithoutDitherNoise) {
  // A flat land colour, a flat water colour and a 40 x 40 block of 1600 different colours.
  QImage rgb(100, 100, QImage::Format_RGB32);
  rgb.fill(qRgb(0xE8, 0xF0, 0xD8));
  for (int y = 50; y < 100; ++y)
    for (int x = 0; x < 50; ++x) rgb.setPixel(x, y, qRgb(0xA0, 0xC8, 0xF0));
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) rgb.setPixel(60 + x, 60 + y, qRgb(x * 6, y * 6, 128));
  const QImage p8 = ToPalette8(rgb);
  ASSERT_EQ(p8.format(), QImage::Format_Indexed8);
  EXPECT_LE(p8.colorCount(), 256);
  EXPECT_EQ(CountColour(p8, qRgb(0xE8, 0xF0, 0xD8), QRect(0, 0, 100, 50)), 100 * 50);
  EXPECT_EQ(CountColour(p8, qRgb(0xA0, 0xC8, 0xF0), QRect(0, 50, 50, 50)), 50 * 50);
  // The rare colours land near where they were.
  const QRgb c = p8.pixel(60 + 20, 60 + 30);
  EXPECT_NEAR(qRed(c), 120, 24);
  EXPECT_NEAR(qGreen(c), 180, 24);
  EXPECT_NEAR(qBlue(c), 128, 24);
  // Few colours stay exact, an indexed picture stays as it is.
  QImage two(3, 1, QImage::Format_RGB32);
  two.fill(qRgb(1, 2, 3));
  two.setPixel(2, 0, qRgb(1, 2, 4));
  const QImage e = ToPalette8(two);
  EXPECT_EQ(e.pixel(0, 0), qRgb(1, 2, 3));
  EXPECT_EQ(e.pixel(2, 0), qRgb(1, 2, 4));
  EXPECT_EQ(ToPalette8(e).cacheKey(), e.cacheKey());
}

TEST_F(QtCanvasTest, BitmapIsTransparentInItsLowerLeftColourAndIconThroughItsAlpha) {
  // A 3 x 3 bitmap: green key in the lower-left corner and along the bottom row, red elsewhere.
  QImage bmp(3, 3, QImage::Format_RGB32);
  bmp.fill(0xFFFF0000);
  for (int x = 0; x < 3; ++x) bmp.setPixel(x, 2, 0xFF00FF00);
  const std::string bmpPath = PathOf("mark.bmp");
  ASSERT_TRUE(bmp.save(QString::fromStdString(bmpPath), "BMP"));
  TQtImage mark;
  mark.LoadFromFile(bmpPath, TImageKind::Picture);

  QImage surface = Surface(6, 6, 0xFF000080);
  {
    TQtCanvas canvas(surface);
    canvas.DrawTransparent(1, 1, mark);
  }
  EXPECT_EQ(surface.pixel(1, 1), 0xFFFF0000u);
  EXPECT_EQ(surface.pixel(3, 2), 0xFFFF0000u);
  EXPECT_EQ(surface.pixel(1, 3), 0xFF000080u);  // the key colour let the surface through
  EXPECT_EQ(surface.pixel(0, 0), 0xFF000080u);
  EXPECT_EQ(CountColour(surface, 0xFFFF0000u), 6);

  // An icon: its transparent pixels stay transparent, whatever colour its corner has.
  QImage ico(16, 16, QImage::Format_ARGB32);
  ico.fill(Qt::transparent);
  for (int i = 0; i < 16; ++i) ico.setPixel(i, i, 0xFF0000FF);
  const std::string icoPath = PathOf("mark.ico");
  ASSERT_TRUE(ico.save(QString::fromStdString(icoPath), "ICO"));
  TQtImage icon;
  icon.LoadFromFile(icoPath, TImageKind::Picture);
  EXPECT_TRUE(icon.IsIcon());
  QImage surface2 = Surface(20, 20);
  {
    TQtCanvas canvas(surface2);
    canvas.DrawTransparent(2, 2, icon);
  }
  EXPECT_EQ(surface2.pixel(2, 2), 0xFF0000FFu);
  EXPECT_EQ(surface2.pixel(17, 17), 0xFF0000FFu);
  EXPECT_EQ(surface2.pixel(3, 2), kWhite);
  EXPECT_EQ(CountColour(surface2, 0xFF0000FFu), 16);
}

TEST_F(QtCanvasTest, TransparencyFollowsAPictureChangedThroughImage) {
  TQtImage mark(Surface(2, 2, 0xFF00FF00));
  QImage surface = Surface(4, 4);
  {
    TQtCanvas canvas(surface);
    canvas.DrawTransparent(0, 0, mark);  // all key colour: nothing drawn
  }
  EXPECT_EQ(CountColour(surface, kWhite), 16);
  mark.Image().setPixel(1, 0, 0xFFFF0000);
  {
    TQtCanvas canvas(surface);
    canvas.DrawTransparent(0, 0, mark);
  }
  EXPECT_EQ(surface.pixel(1, 0), 0xFFFF0000u);
  EXPECT_EQ(CountColour(surface, kWhite), 15);
}

TEST_F(QtCanvasTest, CopyFromImageStretchesTheSourceRectangleAndClipsAtTheSurface) {
  // A 2 x 2 palette picture with four colours.
  QImage src(2, 2, QImage::Format_Indexed8);
  src.setColorTable({0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00});
  src.setPixel(0, 0, 0);
  src.setPixel(1, 0, 1);
  src.setPixel(0, 1, 2);
  src.setPixel(1, 1, 3);
  TQtImage image;
  image.SetImage(src, false);

  QImage surface = Surface(8, 8);
  {
    TQtCanvas canvas(surface);
    canvas.CopyFromImage(Bounds(2, 2, 4, 4), image, Bounds(0, 0, 2, 2));
  }
  EXPECT_EQ(CountColour(surface, 0xFFFF0000u, QRect(2, 2, 2, 2)), 4);
  EXPECT_EQ(CountColour(surface, 0xFF00FF00u, QRect(4, 2, 2, 2)), 4);
  EXPECT_EQ(CountColour(surface, 0xFF0000FFu, QRect(2, 4, 2, 2)), 4);
  EXPECT_EQ(CountColour(surface, 0xFFFFFF00u, QRect(4, 4, 2, 2)), 4);
  EXPECT_EQ(CountColour(surface, kWhite), 64 - 16);

  // Only one source column, stretched over the surface; a destination hanging off the top-left.
  QImage surface2 = Surface(4, 4);
  {
    TQtCanvas canvas(surface2);
    canvas.CopyFromImage(Bounds(0, 0, 4, 4), image, Bounds(1, 0, 1, 2));
  }
  EXPECT_EQ(CountColour(surface2, 0xFF00FF00u, QRect(0, 0, 4, 2)), 8);
  EXPECT_EQ(CountColour(surface2, 0xFFFFFF00u, QRect(0, 2, 4, 2)), 8);
  QImage surface3 = Surface(4, 4);
  {
    TQtCanvas canvas(surface3);
    canvas.CopyFromImage(Bounds(-4, -4, 8, 8), image, Bounds(0, 0, 2, 2));
  }
  // Only the lower-right source pixel lands on the surface.
  EXPECT_EQ(CountColour(surface3, 0xFFFFFF00u), 16);

  // A source reaching past the picture copies the pixels that exist, onto their share.
  QImage surface4 = Surface(4, 4);
  {
    TQtCanvas canvas(surface4);
    canvas.CopyFromImage(Bounds(0, 0, 4, 4), image, Bounds(1, 1, 2, 2));
  }
  EXPECT_EQ(CountColour(surface4, 0xFFFFFF00u, QRect(0, 0, 2, 2)), 4);
  EXPECT_EQ(CountColour(surface4, kWhite), 12);
}

// Samples every third pixel of the surface after a stretched copy: inside the destination each
// must be a pixel of the source stretch that lands on it (give or take one source pixel for the
// rounding), outside it the surface stays white. Returns how many samples break that.
int WrongPixels(const QImage& surface, const TRect& dest, const QImage& src, const TRect& source) {
  const double fx = static_cast<double>(dest.Width()) / source.Width();
  const double fy = static_cast<double>(dest.Height()) / source.Height();
  int wrong = 0;
  for (int y = 0; y < surface.height(); y += 3)
    for (int x = 0; x < surface.width(); x += 3) {
      const QRgb got = surface.pixel(x, y);
      if (x < dest.Left || x >= dest.Right || y < dest.Top || y >= dest.Bottom) {
        wrong += got != kWhite;
        continue;
      }
      const int sxLo = std::max(source.Left + static_cast<int>(std::floor((x - dest.Left) / fx)) - 1, 0);
      const int sxHi = std::min(source.Left + static_cast<int>(std::ceil((x + 1 - dest.Left) / fx)), src.width() - 1);
      const int syLo = std::max(source.Top + static_cast<int>(std::floor((y - dest.Top) / fy)) - 1, 0);
      const int syHi = std::min(source.Top + static_cast<int>(std::ceil((y + 1 - dest.Top) / fy)), src.height() - 1);
      bool found = false;
      for (int sy = syLo; sy <= syHi && !found; ++sy)
        for (int sx = sxLo; sx <= sxHi && !found; ++sx) found = src.pixel(sx, sy) == got;
      wrong += !found;
    }
  return wrong;
}

TEST_F(QtCanvasTest, CopyFromImageOfALargeMapLeavesThePixelsOfTheCopiedPart) {
  // The track window's 10000 x 10000 map on its 1000 x 700 view: whole at zoom 4, a part at
  // zoom 6, and a part hanging off the top-left.
  constexpr int kSide = 10000;
  QImage indexed(kSide, kSide, QImage::Format_Indexed8);
  QList<QRgb> colours;
  for (int i = 0; i < 256; ++i) colours.push_back(qRgb(i, (i * 37) & 255, (i * 101) & 255));
  indexed.setColorTable(colours);
  for (int y = 0; y < kSide; ++y) {
    uchar* row = indexed.scanLine(y);
    for (int x = 0; x < kSide; ++x) row[x] = static_cast<uchar>(x * 7 + y * 13);
  }
  const QImage rgb = indexed.copy(0, 0, 3000, 3000).convertToFormat(QImage::Format_RGB32);
  struct Row {
    const char* what;
    const QImage& src;
    TRect dest, source;
  } rows[] = {
      {"zoom 4", indexed, {320, 170, 680, 530}, {0, 0, kSide, kSide}},
      {"zoom 6", indexed, {0, 0, 1000, 700}, {2223, 3056, 7777, 6944}},
      {"off the top-left", indexed, {-613, -411, 900, 650}, {120, 75, 9000, 8000}},
      {"32 bits", rgb, {-17, 5, 990, 640}, {301, 7, 2999, 2000}},
  };
  for (const Row& r : rows) {
    TQtImage image;
    image.SetImage(r.src, false);
    QImage actual = Surface(1000, 700);
    {
      TQtCanvas canvas(actual);
      canvas.CopyFromImage(r.dest, image, r.source);
    }
    EXPECT_EQ(WrongPixels(actual, r.dest, r.src, r.source), 0) << r.what;
    // A picture of the source rectangle alone, so that the part starts at its corner, leaves the
    // very same pixels.
    const QRect cut = QRect(r.source.Left, r.source.Top, r.source.Width(), r.source.Height()) & r.src.rect();
    TQtImage alone;
    alone.SetImage(r.src.copy(cut), false);
    QImage fromAlone = Surface(1000, 700);
    {
      TQtCanvas canvas(fromAlone);
      canvas.CopyFromImage(r.dest, alone,
                           {r.source.Left - cut.left(), r.source.Top - cut.top(), r.source.Right - cut.left(),
                            r.source.Bottom - cut.top()});
    }
    EXPECT_TRUE(fromAlone == actual) << r.what;
    EXPECT_LT(CountColour(actual, kWhite), 1000 * 700) << r.what;
  }
}

TEST_F(QtCanvasTest, CopyToImageAndBackRestoresThePixels) {
  QImage surface = Surface(10, 10);
  surface.setPixel(4, 4, 0xFF123456);
  surface.setPixel(0, 0, 0xFF654321);
  TQtImage under;
  under.SetSize(3, 3);
  {
    TQtCanvas canvas(surface);
    canvas.CopyToImage(under, Bounds(3, 3, 3, 3));
    canvas.SetBrushColor(clBlack);
    canvas.FillRect({0, 0, 10, 10});
    canvas.CopyFromImage(Bounds(3, 3, 3, 3), under, Bounds(0, 0, 3, 3));
  }
  EXPECT_EQ(surface.pixel(4, 4), 0xFF123456u);
  EXPECT_EQ(CountColour(surface, kWhite), 8);
  // A rectangle reaching over the edge keeps the part that exists in place.
  TQtImage corner;
  corner.SetSize(3, 3);
  QImage surface2 = Surface(10, 10);
  surface2.setPixel(0, 0, 0xFF654321);
  {
    TQtCanvas canvas(surface2);
    canvas.CopyToImage(corner, Bounds(-1, -1, 3, 3));
  }
  EXPECT_EQ(corner.Image().pixel(1, 1), 0xFF654321u);
}

TEST_F(QtCanvasTest, PensLinesAndPolylines) {
  QImage surface = Surface(40, 20);
  TQtCanvas canvas(surface);
  canvas.SetPenColor(clRed);
  canvas.SetPenStyle(TPenStyle::Dot);
  canvas.SetPenWidth(1);
  canvas.MoveTo(0, 2);
  canvas.LineTo(30, 2);
  EXPECT_EQ(canvas.PenPos(), (TPoint{30, 2}));
  const int dots = CountColour(surface, 0xFFFF0000u, QRect(0, 2, 30, 1));
  EXPECT_GT(dots, 5);
  EXPECT_LT(dots, 25);  // dotted: gaps between the dots

  canvas.SetPenStyle(TPenStyle::Solid);
  canvas.SetPenColor(clBlue);
  const TPoint pts[] = {{0, 10}, {10, 10}, {10, 18}};
  canvas.Polyline(pts, 3);
  EXPECT_EQ(canvas.PenPos(), (TPoint{10, 18}));
  EXPECT_EQ(surface.pixel(5, 10), 0xFF0000FFu);
  EXPECT_EQ(surface.pixel(10, 14), 0xFF0000FFu);

  canvas.SetPenStyle(TPenStyle::Clear);
  canvas.MoveTo(20, 15);
  canvas.LineTo(39, 15);
  EXPECT_EQ(CountColour(surface, kWhite, QRect(20, 15, 19, 1)), 19);
}

TEST_F(QtCanvasTest, ShapesStayInsideTheirBoxAndFillRectFollowsTheBrush) {
  QImage surface = Surface(30, 30);
  {
    TQtCanvas canvas(surface);
    canvas.SetPenColor(clRed);
    canvas.SetBrushColor(clBlue);
    canvas.Ellipse(5, 5, 25, 25);
    canvas.SetBrushStyle(TBrushStyle::Clear);
    canvas.FillRect({0, 0, 30, 30});  // a clear brush fills nothing
    canvas.SetBrushStyle(TBrushStyle::Solid);
    canvas.SetBrushColor(clBlack);
    const TPoint tri[] = {{0, 0}, {4, 0}, {0, 4}};
    canvas.Polygon(tri, 3);
  }
  EXPECT_EQ(surface.pixel(15, 15), 0xFF0000FFu);  // filled
  EXPECT_EQ(surface.pixel(15, 5), 0xFFFF0000u);   // outlined
  // Nothing right of or below the box, whose right and bottom lie outside.
  EXPECT_EQ(CountColour(surface, kWhite, QRect(25, 0, 5, 30)), 150);
  EXPECT_EQ(CountColour(surface, kWhite, QRect(0, 25, 30, 5)), 150);
  EXPECT_EQ(surface.pixel(1, 1), 0xFF000000u);
}

TEST_F(QtCanvasTest, TextOnTheBrushUnlessTheBrushIsClear) {
  QImage surface = Surface(120, 40);
  TQtCanvas canvas(surface);
  const TSize ext = canvas.TextExtent("134.3000");
  EXPECT_GT(ext.cx, 20);
  EXPECT_GT(ext.cy, 8);
  canvas.SetBrushColor(RGBColor(255, 255, 0));
  canvas.TextOut(0, 0, "134.3000");
  // The background box covers the extent; the text itself is black.
  EXPECT_EQ(surface.pixel(0, 0), 0xFFFFFF00u);
  EXPECT_EQ(surface.pixel(ext.cx - 1, ext.cy - 1), 0xFFFFFF00u);
  int dark = 0;
  for (int y = 0; y < ext.cy; ++y)
    for (int x = 0; x < ext.cx; ++x) dark += qGray(surface.pixel(x, y)) < 128;
  EXPECT_GT(dark, 10);
  EXPECT_EQ(surface.pixel(ext.cx + 2, 2), kWhite);

  canvas.SetBrushStyle(TBrushStyle::Clear);
  canvas.TextOut(0, 20, "134.3000");
  EXPECT_EQ(CountColour(surface, 0xFFFFFF00u, QRect(0, 20, ext.cx, ext.cy)), 0);
}

TEST_F(QtCanvasTest, CanvasTextsAreUtf8) {
  // The layers decode their files' Shift_JIS at load; the canvas takes UTF-8 as it is.
  EXPECT_EQ(CanvasText("134.3000"), QString("134.3000"));
  EXPECT_EQ(CanvasText("東京"), QString::fromUtf8("東京"));
  // A byte that is not UTF-8 shows as one replacement character; nothing before it is lost.
  const QString broken = CanvasText("A\x93");
  EXPECT_EQ(broken.size(), 2);
  EXPECT_EQ(broken[0], QChar('A'));
  QImage surface = Surface(120, 40);
  TQtCanvas canvas(surface);
  EXPECT_EQ(canvas.TextExtent("東京").cx, QFontMetrics(canvas.Font).horizontalAdvance(QString::fromUtf8("東京")));
}

TEST_F(QtCanvasTest, ChartSymbols) {
  QImage surface = Surface(40, 20);
  {
    TQtCanvas canvas(surface);
    EXPECT_EQ(canvas.SymbolSize(), (TSize{16, 16}));
    canvas.DrawSymbol(0, 0, 0);
    canvas.DrawSymbol(20, 0, 2);
    canvas.DrawSymbol(20, 0, 6);  // not in the list: nothing
    canvas.DrawSymbol(20, 0, -1);
  }
  EXPECT_GT(CountColour(surface, 0xFFFF0000u, QRect(0, 0, 16, 16)), 20);
  EXPECT_GT(CountColour(surface, 0xFF000000u, QRect(20, 0, 16, 16)), 10);
  // The ring's inside and corners are transparent.
  EXPECT_EQ(surface.pixel(28, 8), kWhite);
  EXPECT_EQ(surface.pixel(20, 0), kWhite);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(ChartSymbol(i).size(), QSize(16, 16)) << i;
  const QImage& grey = ChartSymbol(5);
  EXPECT_EQ(grey.pixel(8, 8), 0xFF808080u);
  EXPECT_EQ(qAlpha(grey.pixel(3, 3)), 0);
  // The buoy: a yellow disc without an outline, a black cross at the symbol's centre.
  const QImage& buoy = ChartSymbol(1);
  EXPECT_EQ(buoy.pixel(8, 8), 0xFF000000u);
  EXPECT_EQ(buoy.pixel(8, 2), 0xFFFFFF00u);
  EXPECT_EQ(buoy.pixel(2, 8), 0xFFFFFF00u);
  EXPECT_EQ(qAlpha(buoy.pixel(0, 0)), 0);
}

TEST_F(QtCanvasTest, ANullSurfaceDrawsNothingAndDoesNotFail) {
  QImage none;
  TQtCanvas canvas(none);
  EXPECT_EQ(canvas.ClipRect(), (TRect{0, 0, 0, 0}));
  canvas.FillRect({0, 0, 10, 10});
  canvas.LineTo(5, 5);
  canvas.TextOut(0, 0, "x");
  TQtImage under;
  under.SetSize(2, 2);
  canvas.CopyToImage(under, Bounds(0, 0, 2, 2));
  canvas.CopyFromImage(Bounds(0, 0, 2, 2), under, Bounds(0, 0, 2, 2));
  EXPECT_EQ(canvas.PenPos(), (TPoint{5, 5}));
}

}  // namespace
}  // namespace orvane
