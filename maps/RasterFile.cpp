// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/RasterFile.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <optional>

#include "common/HostConv.h"
#include "geodrel.h"
#include "maps/MapFile.h"

namespace orvane {
namespace {

// Source positions are worked out exactly on a coarse grid of this many pixels and between its
// nodes linearly: well under a pixel off for any view the window shows, and far faster.
constexpr int kGrid = 16;

void RegisterDrivers() {
  static std::once_flag once;
  std::call_once(once, [] { GDALAllRegister(); });
}

// GDAL's last message of this thread, or `fallback`.
std::string GdalMessage(const char* fallback) {
  const char* m = CPLGetLastErrorMsg();
  return m && *m ? std::string(m) : std::string(fallback);
}

// GDAL's errors come back as messages of ours, not printed on standard error.
struct TQuietGdal {
  TQuietGdal() {
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
  }
  ~TQuietGdal() { CPLPopErrorHandler(); }
};

enum class TBandMode { Gray, GrayAlpha, Palette, Rgb, Rgba };

uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b) { return a << 24 | r << 16 | g << 8 | b; }

// `src` over `dst`, straight alpha.
uint32_t Over(uint32_t src, uint32_t dst) {
  const unsigned sa = src >> 24;
  if (sa == 255) return src;
  if (sa == 0) return dst;
  const unsigned da = dst >> 24;
  const unsigned oa = sa + da * (255 - sa) / 255;
  if (oa == 0) return 0;
  const auto mix = [&](int shift) {
    const unsigned s = src >> shift & 0xFF, d = dst >> shift & 0xFF;
    return (s * sa + d * da * (255 - sa) / 255) / oa;
  };
  return Argb(oa, mix(16), mix(8), mix(0));
}

// Twelve digits: the float noise of a georeferencing written in decimal is left out.
std::string Figure(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.12g", v);
  return text;
}

}  // namespace

std::string MapDatumProj(const std::string& mapDatum) {
  for (int16_t i = 0; i < GetDatumCount(); ++i) {
    TDatumParam p{};
    const char* name = GetDatumByNum(i, &p);
    if (name && mapDatum == name) {
      char text[256];
      std::snprintf(text, sizeof text, "+proj=longlat +a=%.17g +rf=%.17g +towgs84=%.17g,%.17g,%.17g +no_defs", p.a,
                    p.invF, p.dX, p.dY, p.dZ);
      return text;
    }
  }
  return {};
}

struct TRasterFile::TGdal {
  GDALDatasetH Ds = nullptr;
  OGRSpatialReferenceH RasterSrs = nullptr;  // none: the raster's numbers are the map datum's degrees
  OGRCoordinateTransformationH ToRaster = nullptr, ToMap = nullptr;
  double Gt[6] = {0, 1, 0, 0, 0, 1}, Inv[6] = {0, 1, 0, 0, 0, 1};
  int XSize = 0, YSize = 0;
  TBandMode Mode = TBandMode::Gray;
  std::vector<int> Bands;
  uint32_t Palette[256] = {};
  bool HasNoData = false;
  double NoData = 0;

  void DropTransforms() {
    if (ToRaster) OCTDestroyCoordinateTransformation(ToRaster);
    if (ToMap) OCTDestroyCoordinateTransformation(ToMap);
    ToRaster = ToMap = nullptr;
  }
  ~TGdal() {
    DropTransforms();
    if (RasterSrs) OSRDestroySpatialReference(RasterSrs);
    if (Ds) GDALClose(Ds);
  }
  uint32_t Pixel(const uint8_t* v) const {
    switch (Mode) {
      case TBandMode::Gray:
        if (HasNoData && v[0] == NoData) return 0;
        return Argb(255, v[0], v[0], v[0]);
      case TBandMode::GrayAlpha:
        return Argb(v[1], v[0], v[0], v[0]);
      case TBandMode::Palette:
        if (HasNoData && v[0] == NoData) return 0;
        return Palette[v[0]];
      case TBandMode::Rgb:
        if (HasNoData && v[0] == NoData && v[1] == NoData && v[2] == NoData) return 0;
        return Argb(255, v[0], v[1], v[2]);
      case TBandMode::Rgba:
        return Argb(v[3], v[0], v[1], v[2]);
    }
    return 0;
  }
};

TRasterFile::TRasterFile(const std::string& openName, const std::string& mapDatum, const std::string& shownName)
    : path_(shownName), gdal_(std::make_unique<TGdal>()) {
  RegisterDrivers();
  const TQuietGdal quiet;
  const auto fail = [&](const std::string& cause) -> void {
    throw EMapFileError("Cannot open raster \"" + shownName + "\": " + cause);
  };
  TGdal& g = *gdal_;
  g.Ds = GDALOpenEx(openName.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, nullptr, nullptr,
                    nullptr);
  if (!g.Ds) fail(GdalMessage("not a raster GDAL reads"));
  g.XSize = GDALGetRasterXSize(g.Ds);
  g.YSize = GDALGetRasterYSize(g.Ds);
  const int count = GDALGetRasterCount(g.Ds);
  if (count < 1 || g.XSize < 1 || g.YSize < 1) fail("no raster bands");

  // The georeferencing: the transform, else one fitted to the control points.
  const char* wkt = nullptr;
  if (GDALGetGeoTransform(g.Ds, g.Gt) == CE_None) {
    wkt = GDALGetProjectionRef(g.Ds);
  } else if (GDALGetGCPCount(g.Ds) >= 3 &&
             GDALGCPsToGeoTransform(GDALGetGCPCount(g.Ds), GDALGetGCPs(g.Ds), g.Gt, TRUE)) {
    wkt = GDALGetGCPProjection(g.Ds);
  } else {
    fail(
        "no georeferencing (no world file, geotransform or control points); a picture with a .HDR header is the "
        "bitmap layer's");
  }
  if (!GDALInvGeoTransform(g.Gt, g.Inv)) fail("its georeferencing has no inverse");
  if (wkt && *wkt) {
    g.RasterSrs = OSRNewSpatialReference(nullptr);
    if (OSRImportFromWkt(g.RasterSrs, const_cast<char**>(&wkt)) != OGRERR_NONE)
      fail("its coordinate system cannot be read");
    OSRSetAxisMappingStrategy(g.RasterSrs, OAMS_TRADITIONAL_GIS_ORDER);
  } else if (!(std::abs(g.Gt[0]) <= 360 && std::abs(g.Gt[3]) <= 90)) {
    fail("no coordinate system, and its coordinates are not degrees (a .prj or .aux.xml beside it names one)");
  }

  // The bands, as their colour interpretation says.
  const auto interp = [&](int b) { return GDALGetRasterColorInterpretation(GDALGetRasterBand(g.Ds, b)); };
  GDALRasterBandH first = GDALGetRasterBand(g.Ds, 1);
  int hasNoData = 0;
  g.NoData = GDALGetRasterNoDataValue(first, &hasNoData);
  g.HasNoData = hasNoData && g.NoData >= 0 && g.NoData <= 255 && g.NoData == std::floor(g.NoData);
  if (count >= 3) {
    int r = 1, gr = 2, b = 3, a = 0;
    for (int i = 1; i <= count; ++i) {
      const GDALColorInterp c = interp(i);
      if (c == GCI_RedBand) r = i;
      if (c == GCI_GreenBand) gr = i;
      if (c == GCI_BlueBand) b = i;
      if (c == GCI_AlphaBand) a = i;
    }
    g.Bands = {r, gr, b};
    if (a) g.Bands.push_back(a);
    g.Mode = a ? TBandMode::Rgba : TBandMode::Rgb;
  } else if (count == 2 && interp(2) == GCI_AlphaBand) {
    g.Bands = {1, 2};
    g.Mode = TBandMode::GrayAlpha;
  } else if (GDALColorTableH table = GDALGetRasterColorTable(first); table && interp(1) == GCI_PaletteIndex) {
    g.Bands = {1};
    g.Mode = TBandMode::Palette;
    const int n = std::min(GDALGetColorEntryCount(table), 256);
    for (int i = 0; i < n; ++i) {
      const GDALColorEntry* e = GDALGetColorEntry(table, i);
      g.Palette[i] =
          Argb(static_cast<unsigned>(std::clamp<int>(e->c4, 0, 255)), e->c1 & 0xFF, e->c2 & 0xFF, e->c3 & 0xFF);
    }
  } else {
    g.Bands = {1};
    g.Mode = TBandMode::Gray;
  }
  SetMapDatum(mapDatum);
}

TRasterFile::~TRasterFile() = default;

void TRasterFile::SetMapDatum(const std::string& mapDatum) {
  TGdal& g = *gdal_;
  g.DropTransforms();
  mapDatum_ = mapDatum;
  if (g.RasterSrs) {
    const std::string proj = MapDatumProj(mapDatum);
    if (proj.empty()) throw EMapFileError("\"" + path_ + "\": no map datum named \"" + mapDatum + "\"");
    const TQuietGdal quiet;
    OGRSpatialReferenceH map = OSRNewSpatialReference(nullptr);
    OSRImportFromProj4(map, proj.c_str());
    OSRSetAxisMappingStrategy(map, OAMS_TRADITIONAL_GIS_ORDER);
    g.ToRaster = OCTNewCoordinateTransformation(map, g.RasterSrs);
    g.ToMap = OCTNewCoordinateTransformation(g.RasterSrs, map);
    OSRDestroySpatialReference(map);
    if (!g.ToRaster || !g.ToMap)
      throw EMapFileError("\"" + path_ + "\": no conversion between its coordinate system and the map datum " +
                          mapDatum + ": " + GdalMessage("PROJ has none"));
  }
  ComputeExtent();
}

// Map datum degrees to the raster's coordinates, in place; `ok` says which made it.
void TRasterFile::Transform(std::vector<double>& x, std::vector<double>& y, std::vector<int>& ok) const {
  ok.assign(x.size(), TRUE);
  if (!gdal_->ToRaster || x.empty()) return;
  const TQuietGdal quiet;
  OCTTransformEx(gdal_->ToRaster, static_cast<int>(x.size()), x.data(), y.data(), nullptr, ok.data());
}

void TRasterFile::ComputeExtent() {
  const TGdal& g = *gdal_;
  // Along the four edges, since a projected raster's edges are curves in degrees.
  constexpr int kSteps = 32;
  std::vector<double> x, y;
  std::vector<int> side;  // -1 on the west edge, 1 on the east edge
  for (int i = 0; i <= kSteps; ++i) {
    const double u = static_cast<double>(i) / kSteps;
    for (const auto& [px, py] : {std::pair{u * g.XSize, 0.0}, std::pair{u * g.XSize, double(g.YSize)},
                                 std::pair{0.0, u * g.YSize}, std::pair{double(g.XSize), u * g.YSize}}) {
      x.push_back(g.Gt[0] + px * g.Gt[1] + py * g.Gt[2]);
      y.push_back(g.Gt[3] + px * g.Gt[4] + py * g.Gt[5]);
      side.push_back(px == 0 ? -1 : px == g.XSize ? 1 : 0);
    }
  }
  std::vector<int> ok(x.size(), TRUE);
  if (g.ToMap) {
    const TQuietGdal quiet;
    OCTTransformEx(g.ToMap, static_cast<int>(x.size()), x.data(), y.data(), nullptr, ok.data());
  }
  std::optional<TViewBox> box;
  for (size_t i = 0; i < x.size(); ++i) {
    if (!ok[i] || !std::isfinite(x[i]) || !std::isfinite(y[i])) continue;
    // A raster of the whole world reaches the date line, which the datum shift (a fraction of a
    // degree) may carry over: its east edge stays east. Only next to the line: a raster of Japan
    // has its west edge far east of 90 degrees.
    if (g.ToMap && side[i] == 1 && x[i] < -179) x[i] += 360;
    if (g.ToMap && side[i] == -1 && x[i] > 179) x[i] -= 360;
    WidenExtent(box, x[i], y[i]);
  }
  extent_ = box.value_or(TViewBox{});
}

void TRasterFile::Warp(double sx, double sy, const TLatticeRect& rect, uint32_t* out, int stride) const {
  const TGdal& g = *gdal_;
  if (rect.W <= 0 || rect.H <= 0 || !(sx > 0) || !(sy > 0)) return;
  // Lattice positions of the grid's nodes, then the raster's pixel coordinates there.
  const int nx = (rect.W - 1) / kGrid + 2, ny = (rect.H - 1) / kGrid + 2;
  std::vector<double> x(static_cast<size_t>(nx) * ny), y(x.size());
  for (int b = 0; b < ny; ++b)
    for (int a = 0; a < nx; ++a) {
      x[b * nx + a] = (static_cast<double>(rect.X) + a * kGrid + 0.5) / sx;
      y[b * nx + a] = -(static_cast<double>(rect.Y) + b * kGrid + 0.5) / sy;
    }
  std::vector<int> ok;
  Transform(x, y, ok);
  double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
  for (size_t i = 0; i < x.size(); ++i) {
    const double gx = x[i], gy = y[i];
    if (!ok[i] || !std::isfinite(gx) || !std::isfinite(gy)) {
      x[i] = y[i] = NAN;
      continue;
    }
    x[i] = g.Inv[0] + g.Inv[1] * gx + g.Inv[2] * gy;
    y[i] = g.Inv[3] + g.Inv[4] * gx + g.Inv[5] * gy;
    minX = std::min(minX, x[i]), maxX = std::max(maxX, x[i]);
    minY = std::min(minY, y[i]), maxY = std::max(maxY, y[i]);
  }
  if (!(minX <= maxX) || !(minY <= maxY)) return;
  // Raster pixels per lattice pixel: GDAL reads from the overview that gives about one each.
  const double spanX = (nx - 1) * kGrid, spanY = (ny - 1) * kGrid;
  const double per = std::max(1.0, std::min((maxX - minX) / spanX, (maxY - minY) / spanY));
  const int winX = static_cast<int>(std::clamp(std::floor(minX) - 1, 0.0, double(g.XSize)));
  const int winY = static_cast<int>(std::clamp(std::floor(minY) - 1, 0.0, double(g.YSize)));
  const int winR = static_cast<int>(std::clamp(std::ceil(maxX) + 1, 0.0, double(g.XSize)));
  const int winB = static_cast<int>(std::clamp(std::ceil(maxY) + 1, 0.0, double(g.YSize)));
  const int winW = winR - winX, winH = winB - winY;
  if (winW <= 0 || winH <= 0) return;
  int bufW = std::max(1, static_cast<int>(std::ceil(winW / per)));
  int bufH = std::max(1, static_cast<int>(std::ceil(winH / per)));
  // A skewed view could ask for far more than it shows: no more than four pixels per pixel.
  const double cap = 4.0 * rect.W * rect.H + 4096;
  if (static_cast<double>(bufW) * bufH > cap) {
    const double k = std::sqrt(cap / (static_cast<double>(bufW) * bufH));
    bufW = std::max(1, static_cast<int>(bufW * k));
    bufH = std::max(1, static_cast<int>(bufH * k));
  }
  const int bands = static_cast<int>(g.Bands.size());
  std::vector<uint8_t> buf(static_cast<size_t>(bufW) * bufH * bands);
  {
    const TQuietGdal quiet;
    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    extra.eResampleAlg = GRIORA_NearestNeighbour;
    std::vector<int> bandMap = g.Bands;
    if (GDALDatasetRasterIOEx(g.Ds, GF_Read, winX, winY, winW, winH, buf.data(), bufW, bufH, GDT_Byte, bands,
                              bandMap.data(), bands, static_cast<GSpacing>(bufW) * bands, 1, &extra) != CE_None)
      throw EMapFileError("Cannot read raster \"" + path_ + "\": " + GdalMessage("read error"));
  }
  // Node positions in buffer pixels.
  const double kx = static_cast<double>(bufW) / winW, ky = static_cast<double>(bufH) / winH;
  for (size_t i = 0; i < x.size(); ++i) {
    x[i] = (x[i] - winX) * kx;
    y[i] = (y[i] - winY) * ky;
  }
  std::vector<double> rowX(nx), rowY(nx);
  for (int q = 0; q < rect.H; ++q) {
    const int b = q / kGrid;
    const double fy = static_cast<double>(q - b * kGrid) / kGrid;
    for (int a = 0; a < nx; ++a) {
      rowX[a] = x[b * nx + a] + (x[(b + 1) * nx + a] - x[b * nx + a]) * fy;
      rowY[a] = y[b * nx + a] + (y[(b + 1) * nx + a] - y[b * nx + a]) * fy;
    }
    uint32_t* line = out + static_cast<size_t>(q) * stride;
    for (int a = 0; a + 1 < nx && a * kGrid < rect.W; ++a) {
      if (!std::isfinite(rowX[a]) || !std::isfinite(rowX[a + 1])) continue;
      const double dx = (rowX[a + 1] - rowX[a]) / kGrid, dy = (rowY[a + 1] - rowY[a]) / kGrid;
      double px = rowX[a], py = rowY[a];
      const int end = std::min(rect.W, (a + 1) * kGrid);
      for (int p = a * kGrid; p < end; ++p, px += dx, py += dy) {
        if (!(px >= 0 && py >= 0 && px < bufW && py < bufH)) continue;
        const uint8_t* v = buf.data() + (static_cast<size_t>(py) * bufW + static_cast<size_t>(px)) * bands;
        line[p] = Over(g.Pixel(v), line[p]);
      }
    }
  }
}

TLayerDescription TRasterFile::Describe() const {
  const TGdal& g = *gdal_;
  TLayerDescription d;
  GDALDriverH driver = GDALGetDatasetDriver(g.Ds);
  d.Counts.push_back(
      {"driver", std::string(GDALGetDriverShortName(driver)) + " (" + GDALGetDriverLongName(driver) + ")"});
  d.Counts.push_back({"pixels", std::to_string(g.XSize) + " x " + std::to_string(g.YSize)});
  std::string bands = std::to_string(GDALGetRasterCount(g.Ds)) + " (";
  for (int i = 1; i <= GDALGetRasterCount(g.Ds); ++i) {
    GDALRasterBandH band = GDALGetRasterBand(g.Ds, i);
    bands += (i > 1 ? ", " : "") + std::string(GDALGetColorInterpretationName(GDALGetRasterColorInterpretation(band))) +
             " " + GDALGetDataTypeName(GDALGetRasterDataType(band));
  }
  d.Counts.push_back({"bands", bands + ")"});
  d.Extent = extent_;
  d.ExtentDatum = mapDatum_;
  if (g.RasterSrs) {
    const char* name = OSRGetName(g.RasterSrs);
    const char* auth = OSRGetAuthorityName(g.RasterSrs, nullptr);
    const char* code = OSRGetAuthorityCode(g.RasterSrs, nullptr);
    std::string crs = name ? name : "unnamed coordinate system";
    if (auth && code) crs += std::string(" (") + auth + ":" + code + ")";
    d.Datum = crs + ", drawn in the map datum (" + mapDatum_ + ")";
  } else {
    d.Datum = "none given: degrees of the map datum (" + mapDatum_ + ")";
  }
  d.Details.push_back({"origin", Figure(g.Gt[0]) + ", " + Figure(g.Gt[3])});
  d.Details.push_back(
      {"pixel size", Figure(g.Gt[1]) + " x " + Figure(-g.Gt[5]) + (g.Gt[2] != 0 || g.Gt[4] != 0 ? " (rotated)" : "")});
  GDALRasterBandH band = GDALGetRasterBand(g.Ds, 1);
  std::string overviews;
  for (int i = 0; i < GDALGetOverviewCount(band); ++i) {
    GDALRasterBandH o = GDALGetOverview(band, i);
    overviews +=
        (i ? ", " : "") + std::to_string(GDALGetRasterBandXSize(o)) + " x " + std::to_string(GDALGetRasterBandYSize(o));
  }
  d.Details.push_back({"overviews", overviews.empty() ? "none" : overviews});
  return d;
}

}  // namespace orvane
