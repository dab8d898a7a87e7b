// SPDX-License-Identifier: GPL-3.0-or-later
// One raster map read through GDAL: any file GDAL opens with a georeferencing (GeoTIFF, MBTiles,
// BSB/KAP, JPEG 2000, a picture with a world file, a virtual file). It warps the part under a
// view into pixels of the map datum's longitude and latitude, reading from the overview that
// fits the view's scale; the file itself is only read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "maps/LatticePicture.h"
#include "maps/LayerDescription.h"
#include "maps/ViewBox.h"

namespace orvane {

class TRasterFile {
public:
  // Opens `path` read-only; throws EMapFileError naming the file and the cause when GDAL cannot
  // read it or it has no georeferencing.
  TRasterFile(const std::string& path, const std::string& mapDatum) : TRasterFile(path, mapDatum, path) {}
  // What GDAL opens (a tile server's description) named in messages as `shownName`.
  TRasterFile(const std::string& openName, const std::string& mapDatum, const std::string& shownName);
  ~TRasterFile();
  TRasterFile(const TRasterFile&) = delete;
  TRasterFile& operator=(const TRasterFile&) = delete;

  // Positions are taken in `mapDatum` (a datum of Geodrel's table) from now on; throws
  // EMapFileError for a name the table does not have.
  void SetMapDatum(const std::string& mapDatum);
  const std::string& MapDatum() const { return mapDatum_; }

  // Writes the pixels of `rect` on the lattice of (sx, sy) pixels per degree as 0xAARRGGBB,
  // blended over what `out` holds; pixels off the raster are left as they are.
  void Warp(double sx, double sy, const TLatticeRect& rect, uint32_t* out, int stride) const;

  // In decimal degrees of the map datum.
  const TViewBox& Extent() const { return extent_; }
  TLayerDescription Describe() const;
  const std::string& Path() const { return path_; }

private:
  struct TGdal;
  void Transform(std::vector<double>& x, std::vector<double>& y, std::vector<int>& ok) const;
  void ComputeExtent();

  std::string path_;
  std::string mapDatum_;
  std::unique_ptr<TGdal> gdal_;
  TViewBox extent_;
};

// The map datum as PROJ takes it: Geodrel's ellipsoid and its shift to WGS 84, so that a raster
// lines up with what the other layers convert through Geodrel. Empty for a name not in the table.
std::string MapDatumProj(const std::string& mapDatum);

}  // namespace orvane
