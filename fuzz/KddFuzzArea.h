// SPDX-License-Identifier: GPL-3.0-or-later
// A small valid Digital Map 2500 area in a private folder, for the fuzz targets: each input
// replaces one of its files (or its sections), then the area is loaded and drawn. Only the
// reader's own errors may escape the load, and whatever was read must hang together.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "maps/TCanvas.h"
#include "maps/UKddMap.h"

namespace kddfuzz {

// Counts nothing, checks what a layer hands over.
class TNullCanvas : public orvane::TCanvas {
public:
  orvane::TRect ClipRect() const override { return {0, 0, 1000, 700}; }
  void SetPenColor(orvane::TColor) override {}
  void SetPenStyle(orvane::TPenStyle) override {}
  void SetPenWidth(int) override {}
  void SetBrushColor(orvane::TColor) override {}
  void SetBrushStyle(orvane::TBrushStyle) override {}
  void MoveTo(int, int) override {}
  void LineTo(int, int) override {}
  void Polyline(const orvane::TPoint* p, int n) override { Touch(p, n); }
  void Polygon(const orvane::TPoint* p, int n) override { Touch(p, n); }
  void Ellipse(int, int, int, int) override {}
  void FillRect(const orvane::TRect&) override {}
  void TextOut(int, int, const std::string&) override {}
  orvane::TSize TextExtent(const std::string&) override { return {}; }
  void CopyFromImage(const orvane::TRect&, const orvane::TImage&, const orvane::TRect&) override {}
  void CopyToImage(orvane::TImage&, const orvane::TRect&) override {}
  void DrawTransparent(int, int, const orvane::TImage&) override {}
  void DrawPicture(int, int, const orvane::TArgbPicture&) override {}
  void DrawSymbol(int, int, int) override {}
  orvane::TSize SymbolSize() const override { return {}; }

  long long Sum = 0;

private:
  void Touch(const orvane::TPoint* p, int n) {
    if (n < 0) std::abort();
    for (int i = 0; i < n; ++i) Sum += p[i].x ^ p[i].y;  // every point handed over must be readable
  }
};

// Header of an area file: count in field 4, offsets in fields 8 and 9.
inline const std::map<std::string, std::string>& StandardFiles() {
  static const std::map<std::string, std::string> files = {
      {"13101.txt", "1\n2\n3\n4\n5\n6\n9,-,-,-,-,-,-,-,-,1\n8\n9\n"},
      {"arc.txt",
       "H,-,-,-,0,-,-,-,-1000,20000\nL1101,1,12,3\n1000,0\n1100,50\n1200,-30\n"
       "N,skipped\nL1102,5,13,2\n1200,-30\n1000,0\n"},
      {"arcatr.txt", "header\nE1101,12,name\n"},
      {"pgn.txt", "H,-,-,-,2,-,-,-,0,20000\nA1101,1,3,1100,0\n12\n-13\n77\nX,skipped\n"},
      {"pgnatr.txt", "header\nA1101,1,\"\x93\x8c\x8b\x9e\",x\n"},
      {"pnt.txt", "H,-,-,-,2,-,-,-,0,20000\nP1101,1,1000,0\nP1101,2,1100,10\n"},
      {"pntatr.txt", "header\nP1101,1,Tokyo,station\nP1101,2,\"two words\",x\n"},
  };
  return files;
}

struct TSections {
  std::vector<std::string> Arc = {"ARC00=none,,0,0,0", "ARC01=Edge,\\arc.txt,0,1,$FF00"};
  std::vector<std::string> Atr = {"ATR00=EdgeAttr,\\arcatr.txt,0,-,9,-,-,0,1"};
  std::vector<std::string> Pgn = {"PGN00=none,,0,0,0,0,-,-,-,-,-,2,0,\"\"",
                                  "PGN01=Town,\\pgn.txt,0,1,$C0C0C0,0,-,-,-,-,-,2,0,\\pgnatr.txt"};
  std::vector<std::string> Pnt = {"PNT01=Place,\\pnt.txt,0,-,9,-,-,0,2,\\pntatr.txt", "no equals sign"};
};

inline const std::string& Folder() {
  static const std::string folder = [] {
    // Every input writes the area anew: in memory where the system offers it, as disks are slow.
    struct stat st {};
    std::string tmpl = std::string(::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp") +
                       "/orvane-fuzz-kdd-XXXXXX";
    if (!mkdtemp(tmpl.data())) std::abort();
    static const std::string root = tmpl.c_str();
    std::atexit([] { std::filesystem::remove_all(root); });
    std::string f = root + "/13101";
    if (mkdir(f.c_str(), 0700) != 0) std::abort();
    return f;
  }();
  return folder;
}

inline void WriteFile(const std::string& name, const std::string& text) {
  std::FILE* f = std::fopen((Folder() + "/" + name).c_str(), "wb");
  if (!f) std::abort();
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

// Loads the area with `replaced` in place of its standard file, then draws it at a few zooms.
inline void LoadAndDraw(const std::map<std::string, std::string>& replaced, const TSections& sections = {}) {
  for (const auto& [name, text] : StandardFiles()) {
    const auto it = replaced.find(name);
    WriteFile(name, it != replaced.end() ? it->second : text);
  }
  static const std::string mapDatum = "Tokyo";
  static const orvane::TColor bg = 0;
  orvane::TKddMap map({sections.Arc, sections.Atr, sections.Pgn, sections.Pnt, mapDatum, bg});
  try {
    map.Load(Folder());
  } catch (const std::runtime_error&) {
    // The reader's errors (conversion, format, zone) end the load; what was read stays drawable.
  }
  for (const auto& table : map.Polygons())
    for (const orvane::TKddPgn& p : table) {
      if (p.Points.size() != static_cast<size_t>(p.PointCount)) std::abort();
      if (p.Arcs.size() != p.Reversed.size()) std::abort();
      for (const int32_t ref : p.Arcs)
        if (ref < -1 || ref >= static_cast<int32_t>(map.Arcs().size())) std::abort();
    }
  TNullCanvas canvas;
  map.Draw(canvas, {139.0, 35.5, 141.0, 36.5});
  map.Draw(canvas, {139.99, 36.0, 140.01, 36.01});
  map.Draw(canvas, {-180, -90, 180, 90});
  map.Draw(canvas, {140, 36, 140, 36});  // an empty view
}

}  // namespace kddfuzz
