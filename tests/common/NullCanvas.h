// SPDX-License-Identifier: GPL-3.0-or-later
// A drawing surface of 1000 x 700 pixels that draws nothing: benchmarks and fuzz targets derive
// from it and count or check only the calls they care about.
#pragma once

#include <string>

#include "maps/TCanvas.h"

namespace orvane {

class TNullCanvas : public TCanvas {
public:
  TRect ClipRect() const override { return {0, 0, 1000, 700}; }
  void SetPenColor(TColor) override {}
  void SetPenStyle(TPenStyle) override {}
  void SetPenWidth(int) override {}
  void SetBrushColor(TColor) override {}
  void SetBrushStyle(TBrushStyle) override {}
  void MoveTo(int, int) override {}
  void LineTo(int, int) override {}
  void Polyline(const TPoint*, int) override {}
  void Polygon(const TPoint*, int) override {}
  void Ellipse(int, int, int, int) override {}
  void FillRect(const TRect&) override {}
  void TextOut(int, int, const std::string&) override {}
  TSize TextExtent(const std::string& text) override { return {static_cast<int>(text.size()) * 6, 12}; }
  void CopyFromImage(const TRect&, const TImage&, const TRect&) override {}
  void CopyToImage(TImage&, const TRect&) override {}
  void DrawTransparent(int, int, const TImage&) override {}
  void DrawPicture(int, int, const TArgbPicture&) override {}
  void DrawSymbol(int, int, int) override {}
  TSize SymbolSize() const override { return {16, 16}; }
};

}  // namespace orvane
