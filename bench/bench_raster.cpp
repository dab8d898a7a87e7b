// SPDX-License-Identifier: GPL-3.0-or-later
// The track window's redraw with a raster layer, on the window's own Qt canvas: the same view
// again, the view following a receiver (a few pixels a second), and a view never seen (a zoom),
// over a 20,000 x 20,000 GeoTIFF with overviews and over an MBTiles file at zoom 14. The files
// are made once with GDAL's tools in $ORVANE_BENCH_DATA (else a folder under /tmp) and kept.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QImage>

#include "gui/QtCanvas.h"
#include "maps/RasterMap.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

fs::path DataFolder() {
  const char* given = std::getenv("ORVANE_BENCH_DATA");
  return given && *given ? fs::path(given) : fs::temp_directory_path() / "orvane-bench-raster";
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "bench_raster: failed: %s\n", command.c_str());
    std::exit(1);
  }
}

// 134..136 E, 33..35 N in WGS 84, 0.0001 degree pixels, a pattern that does not compress away.
const std::string& GeoTiff() {
  static const std::string path = [] {
    const fs::path dir = DataFolder(), tif = dir / "big.tif";
    if (fs::exists(tif)) return tif.string();
    fs::create_directories(dir);
    const fs::path seed = dir / "seed.ppm", part = dir / "big.part.tif";
    {
      std::ofstream out(seed, std::ios::binary);
      out << "P6\n1000 1000\n255\n";
      for (int y = 0; y < 1000; ++y)
        for (int x = 0; x < 1000; ++x) {
          const char rgb[3] = {static_cast<char>((x * 7) ^ (y * 3)), static_cast<char>(x + y),
                               static_cast<char>((x / 50 + y / 50) % 2 ? 230 : 30)};
          out.write(rgb, 3);
        }
    }
    std::fprintf(stderr, "bench_raster: making %s (about a minute, once)\n", tif.c_str());
    Run("gdal_translate -q -of GTiff -a_srs EPSG:4326 -a_ullr 134 35 136 33 -outsize 20000 20000 -r nearest "
        "-co TILED=YES -co COMPRESS=DEFLATE " +
        seed.string() + " " + part.string());
    Run("gdaladdo -q -r nearest " + part.string() + " 2 4 8 16 32 64");
    fs::rename(part, tif);
    return tif.string();
  }();
  return path;
}

// Part of the GeoTIFF as web tiles: its pixel size picks zoom 14.
const std::string& MbTiles() {
  static const std::string path = [] {
    const fs::path tiles = DataFolder() / "z14.mbtiles", part = DataFolder() / "z14.part.mbtiles";
    if (fs::exists(tiles)) return tiles.string();
    const std::string tif = GeoTiff();
    fs::remove(part);
    Run("gdal_translate -q -of MBTILES -co TILE_FORMAT=PNG -projwin 134.8 34.4 135.2 34.0 " + tif + " " +
        part.string());
    fs::rename(part, tiles);
    return tiles.string();
  }();
  return path;
}

constexpr int kW = 1280, kH = 800;

struct TBench {
  explicit TBench(const std::string& path) : layer(datum), surface(kW, kH, QImage::Format_RGB32) {
    if (layer.LoadInSet(path).End != TLayerLoad::Shown) std::exit(1);
  }
  void Draw(double lon, double lat, double scale) {
    const double spanX = kW / scale / 3600, spanY = kH / scale / 3600;
    const TViewBox view{lon - spanX / 2, lat - spanY / 2, lon + spanX / 2, lat + spanY / 2};
    surface.fill(Qt::white);
    TQtCanvas canvas(surface);
    layer.DrawScaled(canvas, view, scale);
  }
  std::string datum = "Tokyo";
  TRasterLayer layer;
  QImage surface;
};

// Zoom 12 draws the GeoTIFF at about its own pixels, zoom 9 from an overview; zoom 14 is the
// tiles' own level.
void SameView(benchmark::State& state, const std::string& (*file)(), double scale) {
  TBench b(file());
  b.Draw(135.05, 34.2, scale);
  for (auto _ : state) b.Draw(135.05, 34.2, scale);
}

void Following(benchmark::State& state, const std::string& (*file)(), double scale) {
  TBench b(file());
  double lon = 135.05, lat = 34.2;
  b.Draw(lon, lat, scale);
  // About three pixels east and two north each second, as a car at zoom 14 moves.
  const double step = 1 / scale / 3600;
  for (auto _ : state) {
    lon += 3 * step, lat += 2 * step;
    b.Draw(lon, lat, scale);
  }
}

// Two views far enough apart to share no pixel, drawn in turn.
void NewView(benchmark::State& state, const std::string& (*file)(), double scale, double lon1, double lon2) {
  TBench b(file());
  bool first = true;
  for (auto _ : state) {
    b.Draw(first ? lon1 : lon2, 34.2, scale);
    first = !first;
  }
}

BENCHMARK_CAPTURE(SameView, GeoTiffZoom12, GeoTiff, 4.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Following, GeoTiffZoom12, GeoTiff, 4.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Following, GeoTiffZoom9, GeoTiff, 0.5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(NewView, GeoTiffZoom12, GeoTiff, 4.0, 134.6, 135.4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(NewView, GeoTiffZoom9, GeoTiff, 0.5, 134.6, 135.4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SameView, MbTilesZoom14, MbTiles, 16.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Following, MbTilesZoom14, MbTiles, 16.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(NewView, MbTilesZoom14, MbTiles, 16.0, 134.95, 135.05)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvane
