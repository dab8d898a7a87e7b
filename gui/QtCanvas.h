// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing surface of the track window over Qt: pictures are QImages, the canvas paints on
// the window's image with QPainter.
#pragma once

#include <string>

#include <QImage>
#include <QPainter>

#include "maps/TCanvas.h"

namespace orvane {

class TQtImage : public TImage {
public:
  TQtImage() = default;
  // A picture drawn transparently by the bitmap rule (the lower-left pixel's colour), or through
  // its own alpha when it is an icon.
  explicit TQtImage(QImage image, bool icon = false) : image_(std::move(image)), icon_(icon) {}

  int Width() const override { return image_.width(); }
  int Height() const override { return image_.height(); }
  void SetSize(int width, int height) override;
  // Picture: a BMP is kept as it is, an icon with its transparency. Palette8: any picture Qt
  // reads, reduced to 8 bits per pixel with a colour table.
  void LoadFromFile(const std::string& path, TImageKind kind) override;

  QImage& Image() { return image_; }
  const QImage& Image() const { return image_; }
  // True when the picture came from an icon file: it is drawn through its own alpha.
  bool IsIcon() const { return icon_; }
  // Replaces the picture; `icon` chooses the transparency rule.
  void SetImage(QImage image, bool icon);
  // The picture as DrawTransparent puts it down: an icon as it is, a bitmap with every pixel of
  // its lower-left pixel's colour made transparent. Built once per picture.
  const QImage& TransparentImage() const;

private:
  QImage image_;
  bool icon_ = false;
  // Rebuilt when the picture changes, also through Image().
  mutable QImage transparent_;
  mutable qint64 transparentKey_ = 0;
};

class TQtCanvas : public TCanvas {
public:
  // Paints on `surface` from now until the canvas is destroyed.
  explicit TQtCanvas(QImage& surface);
  ~TQtCanvas() override;
  TQtCanvas(const TQtCanvas&) = delete;
  TQtCanvas& operator=(const TQtCanvas&) = delete;

  TRect ClipRect() const override;

  void SetPenColor(TColor color) override;
  void SetPenStyle(TPenStyle style) override;
  void SetPenWidth(int width) override;
  void SetBrushColor(TColor color) override;
  void SetBrushStyle(TBrushStyle style) override;

  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Polyline(const TPoint* points, int count) override;
  void Polygon(const TPoint* points, int count) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  void FillRect(const TRect& rect) override;

  void TextOut(int x, int y, const std::string& text) override;
  TSize TextExtent(const std::string& text) override;
  void SetFontColor(TColor color) override;

  void CopyFromImage(const TRect& dest, const TImage& image, const TRect& source) override;
  void CopyToImage(TImage& image, const TRect& source) override;
  void DrawTransparent(int x, int y, const TImage& image) override;
  // The six 16 x 16 chart symbols: 0 a red diagonal cross, 1 a yellow disc with a small black
  // cross, 2 a small black ring, 3 a black rectangle with crossed diagonals, 4 a black ring with
  // a dot at its centre, 5 the same in grey. Other indexes draw nothing.
  void DrawPicture(int x, int y, const TArgbPicture& picture) override;
  void DrawSymbol(int x, int y, int index) override;
  TSize SymbolSize() const override { return {16, 16}; }

  // The font of texts and labels.
  QFont Font;
  TPoint PenPos() const { return penPos_; }

private:
  void ApplyPen();
  void ApplyBrush();
  QImage& surface_;
  QPainter painter_;
  QColor penColor_{Qt::black}, brushColor_{Qt::white}, fontColor_{Qt::black};
  TPenStyle penStyle_ = TPenStyle::Solid;
  int penWidth_ = 1;
  TBrushStyle brushStyle_ = TBrushStyle::Solid;
  TPoint penPos_;
};

// A canvas text (UTF-8) as Qt shows it; a byte that is not UTF-8 shows as U+FFFD.
QString CanvasText(const std::string& text);

// A picture at 8 bits per pixel with a 256-entry colour table: exact when it has at most 256
// colours, else its most frequent colours, every other colour taking its nearest. Null when
// memory runs out.
QImage ToPalette8(QImage picture);

// The chart symbol list, built once.
const QImage& ChartSymbol(int index);

}  // namespace orvane
