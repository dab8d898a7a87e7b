// SPDX-License-Identifier: GPL-3.0-or-later
// The raster map layer: one or more rasters GDAL reads (a list, drawn in its order), warped into
// the view in the map datum. The warped picture is kept: a redraw of the same view only copies
// it, and a pan warps only the strips it uncovers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "maps/LatticePicture.h"
#include "maps/MapLayer.h"
#include "maps/RasterFile.h"
#include "maps/TileFetcher.h"

namespace orvane {

// The rasters of a RasterMap setting: paths or tile addresses separated by "|", blanks around
// each trimmed.
std::vector<std::string> RasterPaths(const std::string& setting);

class TRasterLayer : public TMapLayer {
public:
  // `mapDatum` is read at every draw, so it outlives the layer.
  explicit TRasterLayer(const std::string& mapDatum) : mapDatum_(mapDatum) {}

  bool Load(const std::string& path) override { return LoadInSet(path).End == TLayerLoad::Shown; }
  // Every raster of the list, or none: a file that cannot be read is named with the cause and
  // the layer stays out, its setting kept for the user to mend.
  TLayerLoad LoadInSet(const std::string& path) override;
  void Draw(TCanvas& canvas, const TViewBox& view) override;
  void DrawScaled(TCanvas& canvas, const TViewBox& view, double scale) override;
  TLayerDescription Describe() const override;
  // Tiles came into the cache since the last draw, and a tile server's fault, once.
  TLayerNews TakeNews() override;

  const std::vector<std::unique_ptr<TRasterFile>>& Files() const { return files_; }
  // The fetchers of the tile servers in the list (null for a file), in its order.
  const std::vector<std::unique_ptr<TTileFetcher>>& Fetchers() const { return fetchers_; }

private:
  void DrawAt(TCanvas& canvas, const TViewBox& view, double sx, double sy);
  void DrawAttributions(TCanvas& canvas);

  const std::string& mapDatum_;
  std::vector<std::unique_ptr<TRasterFile>> files_;  // a tile server's reads its cache alone
  std::vector<std::unique_ptr<TTileFetcher>> fetchers_;
  std::vector<std::string> attributions_;
  TLatticePicture picture_;
};

}  // namespace orvane
