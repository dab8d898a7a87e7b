// SPDX-License-Identifier: GPL-3.0-or-later
// A canvas that remembers every call with the pen and brush it was made with, and an image that
// remembers what was loaded into it, for asserting what the track window drew.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "maps/TCanvas.h"

namespace orvane::test {

// An image without pixels: its size, and the files and sizes asked of it. A file that is not in
// `Files` fails as a missing picture does.
class FakeImage : public TImage {
public:
  FakeImage(int width = 0, int height = 0) : width_(width), height_(height) {}

  struct Load {
    std::string path;
    TImageKind kind;
    bool operator==(const Load&) const = default;
  };
  std::map<std::string, TSize> Files;
  std::vector<Load> Loads;
  std::vector<TSize> Resizes;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetSize(int width, int height) override {
    Resizes.push_back({width, height});
    width_ = width;
    height_ = height;
  }
  void LoadFromFile(const std::string& path, TImageKind kind) override {
    Loads.push_back({path, kind});
    const auto it = Files.find(path);
    if (it == Files.end()) throw std::runtime_error("Cannot read picture \"" + path + "\"");
    width_ = it->second.cx;
    height_ = it->second.cy;
  }

private:
  int width_, height_;
};

enum class TCanvasOp {
  MoveTo,
  LineTo,
  Polyline,
  Polygon,
  Ellipse,
  FillRect,
  TextOut,
  CopyFromImage,
  CopyToImage,
  DrawTransparent,
  DrawPicture,
  DrawSymbol,
};

// The state of the canvas when a call was made.
struct TCanvasState {
  TColor PenColor = clBlack;
  TPenStyle PenStyle = TPenStyle::Solid;
  int PenWidth = 1;
  TColor BrushColor = clWhite;
  TBrushStyle BrushStyle = TBrushStyle::Solid;
  TPoint PenPos;
  TColor FontColor = clBlack;
};

struct TCanvasCall {
  TCanvasOp Op;
  TCanvasState State;  // before the call (PenPos is where a LineTo starts)
  TRect Rect;          // Ellipse box, FillRect, CopyFromImage destination, CopyToImage source
  TRect Source;        // CopyFromImage source
  TPoint At;           // MoveTo, LineTo, TextOut, DrawTransparent, DrawPicture, DrawSymbol
  std::vector<TPoint> Points;
  std::string Text;
  const TImage* Image = nullptr;
  int Index = 0;  // DrawSymbol
};

struct TLine {
  TPoint From, To;
  TCanvasState State;
  bool operator==(const TLine& o) const { return From == o.From && To == o.To; }
};

class RecordingCanvas : public TCanvas {
public:
  RecordingCanvas(int width, int height) : width_(width), height_(height) {}

  // Text metrics of a fixed-pitch font: CharWidth per character of the UTF-8 text.
  int CharWidth = 6;
  int TextHeight = 12;

  std::vector<TCanvasCall> Calls;
  TCanvasState State;

  void Reset() { Calls.clear(); }
  std::vector<const TCanvasCall*> Of(TCanvasOp op) const {
    std::vector<const TCanvasCall*> out;
    for (const TCanvasCall& c : Calls)
      if (c.Op == op) out.push_back(&c);
    return out;
  }
  // Every straight segment: LineTo from the pen position, and the pieces of each polyline.
  std::vector<TLine> Lines() const {
    std::vector<TLine> out;
    for (const TCanvasCall& c : Calls) {
      if (c.Op == TCanvasOp::LineTo) out.push_back({c.State.PenPos, c.At, c.State});
      if (c.Op == TCanvasOp::Polyline)
        for (size_t i = 1; i < c.Points.size(); ++i) out.push_back({c.Points[i - 1], c.Points[i], c.State});
    }
    return out;
  }
  std::vector<std::pair<TPoint, std::string>> Texts() const {
    std::vector<std::pair<TPoint, std::string>> out;
    for (const TCanvasCall& c : Calls)
      if (c.Op == TCanvasOp::TextOut) out.emplace_back(c.At, c.Text);
    return out;
  }

  TRect ClipRect() const override { return {0, 0, width_, height_}; }

  void SetPenColor(TColor color) override { State.PenColor = color; }
  void SetPenStyle(TPenStyle style) override { State.PenStyle = style; }
  void SetPenWidth(int width) override { State.PenWidth = width; }
  void SetBrushColor(TColor color) override { State.BrushColor = color; }
  void SetBrushStyle(TBrushStyle style) override { State.BrushStyle = style; }
  void SetFontColor(TColor color) override { State.FontColor = color; }

  void MoveTo(int x, int y) override {
    Record(TCanvasOp::MoveTo).At = {x, y};
    State.PenPos = {x, y};
  }
  void LineTo(int x, int y) override {
    Record(TCanvasOp::LineTo).At = {x, y};
    State.PenPos = {x, y};
  }
  void Polyline(const TPoint* points, int count) override {
    Record(TCanvasOp::Polyline).Points.assign(points, points + count);
    if (count > 0) State.PenPos = points[count - 1];
  }
  void Polygon(const TPoint* points, int count) override {
    Record(TCanvasOp::Polygon).Points.assign(points, points + count);
  }
  void Ellipse(int x1, int y1, int x2, int y2) override { Record(TCanvasOp::Ellipse).Rect = {x1, y1, x2, y2}; }
  void FillRect(const TRect& rect) override { Record(TCanvasOp::FillRect).Rect = rect; }
  void TextOut(int x, int y, const std::string& text) override {
    TCanvasCall& c = Record(TCanvasOp::TextOut);
    c.At = {x, y};
    c.Text = text;
  }
  TSize TextExtent(const std::string& text) override {
    int chars = 0;
    for (const char c : text) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return {CharWidth * chars, TextHeight};
  }
  void CopyFromImage(const TRect& dest, const TImage& image, const TRect& source) override {
    TCanvasCall& c = Record(TCanvasOp::CopyFromImage);
    c.Rect = dest;
    c.Source = source;
    c.Image = &image;
  }
  void CopyToImage(TImage& image, const TRect& source) override {
    TCanvasCall& c = Record(TCanvasOp::CopyToImage);
    c.Rect = source;
    c.Image = &image;
  }
  void DrawTransparent(int x, int y, const TImage& image) override {
    TCanvasCall& c = Record(TCanvasOp::DrawTransparent);
    c.At = {x, y};
    c.Image = &image;
  }
  void DrawPicture(int x, int y, const TArgbPicture& picture) override {
    TCanvasCall& c = Record(TCanvasOp::DrawPicture);
    c.At = {x, y};
    c.Rect = Bounds(x, y, picture.Width, picture.Height);
  }
  void DrawSymbol(int x, int y, int index) override {
    TCanvasCall& c = Record(TCanvasOp::DrawSymbol);
    c.At = {x, y};
    c.Index = index;
  }
  TSize SymbolSize() const override { return {16, 16}; }

private:
  TCanvasCall& Record(TCanvasOp op) {
    Calls.push_back({op, State, {}, {}, {}, {}, {}, nullptr, 0});
    return Calls.back();
  }
  int width_, height_;
};

}  // namespace orvane::test
