// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/RasterMap.h"

#include <exception>

#include "maps/MapFile.h"
#include "maps/TileService.h"

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
  fetchers_.clear();
  attributions_.clear();
  std::vector<std::unique_ptr<TTileFetcher>> fetchers;
  std::vector<std::string> attributions;
  for (const std::string& p : RasterPaths(path)) {
    try {
      if (IsTileAddress(p)) {
        TTileService service = TileServiceOf(p, TileCacheRoot());
        // The drawing thread reads the cache alone; the fetcher fills it.
        files.push_back(std::make_unique<TRasterFile>(service.Offline, mapDatum_, p));
        attributions.push_back(service.Attribution);
        fetchers.push_back(std::make_unique<TTileFetcher>(std::move(service)));
      } else if (p.find("://") != std::string::npos) {
        throw EMapFileError("\"" + p + "\": a web address is read only as a tile address with {z}, {x} and {y}");
      } else {
        files.push_back(std::make_unique<TRasterFile>(p, mapDatum_));
        fetchers.push_back(nullptr);
      }
    } catch (const EMapFileError& e) {
      failures += (failures.empty() ? "" : "\n") + std::string(e.what());
    }
  }
  if (!failures.empty()) return {TLayerLoad::Refused, failures};
  if (files.empty()) return {TLayerLoad::Nothing, {}};
  files_ = std::move(files);
  fetchers_ = std::move(fetchers);
  attributions_ = std::move(attributions);
  return {};
}

TLayerNews TRasterLayer::TakeNews() {
  TLayerNews news;
  for (size_t i = 0; i < fetchers_.size(); ++i) {
    const auto& f = fetchers_[i];
    if (!f) continue;
    if (!f->Idle()) news.Busy = true;
    if (f->TakeArrived()) {
      news.Redraw = true;
      // GDAL keeps the blocks it found missing: the cache, which has them now, is opened anew.
      files_[i] = std::make_unique<TRasterFile>(f->Service().Offline, mapDatum_, f->Service().Address);
    }
    if (std::string failure = f->TakeFailure(); !failure.empty())
      news.Message += (news.Message.empty() ? "" : "\n") + failure;
  }
  // The picture holds the cache as it was: the next draw reads it afresh.
  if (news.Redraw) picture_.Clear();
  return news;
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
    for (size_t i = 0; i < files_.size(); ++i) {
      if (!files_[i]->Extent().Meets(view)) continue;
      try {
        files_[i]->Warp(sx, sy, part, out, stride);
      } catch (const EMapFileError&) {
        // A tile the fetcher is still writing is read at the next draw; a file's fault is said.
        if (!fetchers_[i]) throw;
      }
    }
  });
  canvas.DrawPicture(clip.Left, clip.Top, picture_.Picture());
  for (const auto& f : fetchers_)
    if (f) f->Want(sx, sy, rect, mapDatum_);
  DrawAttributions(canvas);
}

void TRasterLayer::DrawAttributions(TCanvas& canvas) {
  if (attributions_.empty()) return;
  std::string text;
  for (const std::string& a : attributions_)
    if (text.find(a) == std::string::npos) text += (text.empty() ? "" : "; ") + a;
  const TRect clip = canvas.ClipRect();
  const TSize size = canvas.TextExtent(text);
  // On a white ground in the top right corner, as the tile servers ask it to be seen; the bottom
  // one holds the grid's figures and the scale.
  canvas.SetBrushColor(clWhite);
  canvas.SetBrushStyle(TBrushStyle::Solid);
  canvas.FillRect({clip.Right - size.cx - 6, clip.Top, clip.Right, clip.Top + size.cy + 2});
  canvas.SetFontColor(clBlack);
  canvas.TextOut(clip.Right - size.cx - 3, clip.Top + 1, text);
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
