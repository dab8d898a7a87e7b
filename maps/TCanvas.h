// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing surface that the track window and every map layer paint on. The program draws on
// an image through QPainter; tests record the calls. Coordinates are integer pixels with the
// origin at the top left; rectangles are half-open, Right and Bottom lie just outside.
#pragma once

#include <cstdint>
#include <string>

#include "common/Color.h"

namespace orvane {

struct TPoint {
  int x = 0;
  int y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  bool operator==(const TSize&) const = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

inline TRect Bounds(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

// Pixels in memory as 0xAARRGGBB words, rows top to bottom, `Stride` words apart; straight (not
// premultiplied) alpha. A warped raster map is handed to the canvas this way.
struct TArgbPicture {
  int Width = 0;
  int Height = 0;
  int Stride = 0;
  const uint32_t* Pixels = nullptr;
};

enum class TPenStyle { Solid, Dot, Clear };
enum class TBrushStyle { Solid, Clear };

// How a picture file is kept once read: as it is (the position mark: a bitmap or an icon, drawn
// transparently), or reduced to 8 bits per pixel with a 256-entry palette (the map bitmap).
enum class TImageKind { Picture, Palette8 };

// An off-screen picture the canvas can copy from and into: the mark picture, the pixels kept
// under the mark, the map bitmap.
class TImage {
public:
  virtual ~TImage() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Resizes; the content is undefined afterwards.
  virtual void SetSize(int width, int height) = 0;
  // Replaces the picture with the file's. Throws, naming the file and the cause, when the file
  // is missing or not a picture; the old picture is kept then.
  virtual void LoadFromFile(const std::string& path, TImageKind kind) = 0;
};

class TCanvas {
public:
  virtual ~TCanvas() = default;

  // The whole drawing surface; layers map their view onto it.
  virtual TRect ClipRect() const = 0;

  virtual void SetPenColor(TColor color) = 0;
  virtual void SetPenStyle(TPenStyle style) = 0;
  virtual void SetPenWidth(int width) = 0;
  virtual void SetBrushColor(TColor color) = 0;
  virtual void SetBrushStyle(TBrushStyle style) = 0;

  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  // One call per line, whatever its length; leaves the pen at the last point.
  virtual void Polyline(const TPoint* points, int count) = 0;
  // Filled with the brush and outlined with the pen.
  virtual void Polygon(const TPoint* points, int count) = 0;
  // Inside the box (x1, y1)-(x2, y2), with the pen and the brush.
  virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
  // With the brush, no outline.
  virtual void FillRect(const TRect& rect) = 0;

  // Top-left corner at (x, y), in the current font, on the brush colour unless the brush is
  // clear. Texts are UTF-8: a layer decodes its file's code page once, when it loads.
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  virtual TSize TextExtent(const std::string& text) = 0;
  // The colour of texts, black unless set; a layer that changes it sets it back to black.
  virtual void SetFontColor(TColor color) { (void)color; }

  // Plain pixel copies: the source rectangle of the image stretched onto the destination
  // rectangle of the surface, and a surface rectangle copied into the image at (0, 0).
  virtual void CopyFromImage(const TRect& dest, const TImage& image, const TRect& source) = 0;
  virtual void CopyToImage(TImage& image, const TRect& source) = 0;
  // The picture at its own size, transparently: an icon through its mask, a bitmap with the
  // colour of its lower-left pixel as the transparent colour.
  virtual void DrawTransparent(int x, int y, const TImage& image) = 0;
  // The picture at its own size, top-left corner at (x, y), blended over the surface by its alpha.
  virtual void DrawPicture(int x, int y, const TArgbPicture& picture) = 0;
  // Symbol `index` of the chart symbol list, top-left corner at (x, y).
  virtual void DrawSymbol(int x, int y, int index) = 0;
  virtual TSize SymbolSize() const = 0;
};

}  // namespace orvane
