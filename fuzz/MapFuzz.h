// SPDX-License-Identifier: GPL-3.0-or-later
// What the map layer targets share: the input written to a file in a private folder, and a
// canvas that checks what it is given instead of painting.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "maps/MapLayer.h"
#include "tests/common/NullCanvas.h"

namespace orvane::fuzz {

// A private folder for one input, removed with everything in it when the run ends (libFuzzer
// may leave through _Exit, so nothing is left for exit handlers).
class TInputFolder {
public:
  TInputFolder() {
    // Memory-backed when the system has it: every input is written and read back.
    char shm[] = "/dev/shm/orvane-fuzz-map-XXXXXX";
    char tmp[] = "/tmp/orvane-fuzz-map-XXXXXX";
    if (mkdtemp(shm))
      folder_ = shm;
    else if (mkdtemp(tmp))
      folder_ = tmp;
    else
      std::abort();
  }
  ~TInputFolder() { std::filesystem::remove_all(folder_); }
  TInputFolder(const TInputFolder&) = delete;
  TInputFolder& operator=(const TInputFolder&) = delete;

  std::string Write(const std::string& name, const uint8_t* data, size_t size) const {
    const std::string path = folder_ + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || (size && std::fwrite(data, 1, size, f) != size)) std::abort();
    std::fclose(f);
    return path;
  }

private:
  std::string folder_;
};

class CheckingCanvas : public TNullCanvas {
public:
  void Polyline(const TPoint* points, int count) override {
    if (!points || count < 2) std::abort();
    for (int i = 0; i < count; ++i) sum_ += static_cast<int64_t>(points[i].x) + points[i].y;
  }
  void Ellipse(int x1, int y1, int x2, int y2) override {
    if (x2 - x1 != 4 || y2 - y1 != 4) std::abort();
  }
  void TextOut(int, int, const std::string& text) override { sum_ += static_cast<int64_t>(text.size()); }

private:
  int64_t sum_ = 0;
};

// Draws the layer for the whole world, for Japan, for a tiny box and for a degenerate view.
inline void DrawViews(TMapLayer& layer) {
  CheckingCanvas canvas;
  layer.Draw(canvas, {-180, -90, 180, 90});
  layer.Draw(canvas, {135, 34, 136, 35});
  layer.Draw(canvas, {135.5, 34.5, 135.5001, 34.5001});
  layer.Draw(canvas, {135, 35, 135, 35});
}

}  // namespace orvane::fuzz
