// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/RasterMap.h"

#include <exception>

#include "maps/MapFile.h"

namespace orvane {

std::vector<std::string> RasterPaths(const std::string& setting) {
  std::vector<std::string> paths;
  size_t at = 0;
  while (at <= setting.size()) {
    const size_t bar = std::min(setting.find('|', at), setting.size());
    size_t b = at, e = bar;
    while (b < e && static_cast<unsigned char>(setting[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(setting[e - 1]) <= ' ') --e;
    if (e > b) paths.push_back(setting.substr(b, e - b));
    at = bar + 1;
  }
  return paths;
}

TLayerLoad TRasterLayer::LoadInSet(const std::string& path) {
  files_.clear();
  picture_.Clear();
  std::vector<std::unique_ptr<TRasterFile>> files;
  std::string failures;
  for (const std::string& p : RasterPaths(path)) {
    // GDAL would fetch a web address on the drawing thread, unbounded and uncached.
    if (p.find("://") != std::string::npos) {
      failures += (failures.empty() ? "" : "\n") + ("\"" + p + "\": web addresses are not read; give a raster file");
      continue;
    }
    try {
      files.push_back(std::make_unique<TRasterFile>(p, mapDatum_));
    } catch (const EMapFileError& e) {
      failures += (failures.empty() ? "" : "\n") + std::string(e.what());
    }
  }
  if (!failures.empty()) return {TLayerLoad::Refused, failures};
  if (files.empty()) return {TLayerLoad::Nothing, {}};
  files_ = std::move(files);
  return {};
}

void TRasterLayer::Draw(TCanvas& canvas, const TViewBox& view) {
  const TRect clip = canvas.ClipRect();
  if (view.Width() > 0 && view.Height() > 0)
    DrawAt(canvas, view, clip.Width() / view.Width(), clip.Height() / view.Height());
}

void TRasterLayer::DrawScaled(TCanvas& canvas, const TViewBox& view, double scale) {
  if (scale > 0) DrawAt(canvas, view, scale * 3600, scale * 3600);
}

void TRasterLayer::DrawAt(TCanvas& canvas, const TViewBox& view, double sx, double sy) {
  if (files_.empty()) return;
  // A new map datum moves every pixel: the rasters are converted afresh.
  for (const auto& f : files_)
    if (f->MapDatum() != mapDatum_) {
      f->SetMapDatum(mapDatum_);
      picture_.Clear();
    }
  const TRect clip = canvas.ClipRect();
  const TLatticeRect rect = LatticeUnder(view.West, view.North, sx, sy, clip.Width(), clip.Height());
  picture_.Cover(sx, sy, rect, [&](const TLatticeRect& part, uint32_t* out, int stride) {
    for (const auto& f : files_)
      if (f->Extent().Meets(view)) f->Warp(sx, sy, part, out, stride);
  });
  canvas.DrawPicture(clip.Left, clip.Top, picture_.Picture());
}

TLayerDescription TRasterLayer::Describe() const {
  if (files_.size() == 1) return files_.front()->Describe();
  TLayerDescription d;
  d.Counts.push_back({"rasters", std::to_string(files_.size())});
  for (const auto& f : files_) {
    const TLayerDescription one = f->Describe();
    if (one.Extent)
      WidenExtent(d.Extent, one.Extent->West, one.Extent->South),
          WidenExtent(d.Extent, one.Extent->East, one.Extent->North);
    TLayerListing l{{"raster", f->Path()}, {}};
    for (const auto* facts : {&one.Counts, &one.Details})
      for (const TLayerFact& fact : *facts) l.Lines.push_back("  " + fact.Name + ": " + fact.Value);
    l.Lines.push_back("  datum: " + one.Datum);
    d.Listings.push_back(std::move(l));
  }
  d.ExtentDatum = mapDatum_;
  d.Datum = "each raster's own, drawn in the map datum (" + mapDatum_ + ")";
  return d;
}

}  // namespace orvane
