// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/MapBitmap.h"

#include <sys/stat.h>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <fstream>

#include "common/HostConv.h"
#include "common/NmeaConv.h"
#include "common/TextHelpers.h"

namespace orvane {
namespace {

bool IsBlankOnly(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

// Truncation toward zero that cannot overflow: a header may put the bitmap at any distance, and
// the pixel offsets of a far bitmap do not fit 32 bits.
int64_t Trunc64(double v) {
  constexpr double kLimit = 1.0e18;
  if (!(v > -kLimit && v < kLimit))
    return v > 0 ? static_cast<int64_t>(kLimit) : v < 0 ? -static_cast<int64_t>(kLimit) : 0;
  return static_cast<int64_t>(v);
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string HdrFileName(const std::string& bitmapPath) {
  return bitmapPath.substr(0, bitmapPath.size() >= 4 ? bitmapPath.size() - 4 : 0) + ".HDR";
}

void ReadHdr(std::istream& in, const std::string& fileName, TBitmapGeoref& georef) {
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    const size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    const std::string key = Upper(line.substr(0, space));
    std::string value = line.substr(space + 1);
    if (const size_t comma = value.find(','); comma != std::string::npos) value.resize(comma);
    // A CR LF file leaves a CR behind the value; blanks alone are no value either.
    if (IsBlankOnly(value)) continue;
    double* target = key == "ULXMAP"   ? &georef.UlxMap
                     : key == "ULYMAP" ? &georef.UlyMap
                     : key == "XDIM"   ? &georef.XDim
                     : key == "YDIM"   ? &georef.YDim
                                       : nullptr;
    if (!target) continue;
    try {
      *target = HostStrToFloat(value);
    } catch (const EConvertError& e) {
      throw EConvertError(fileName + ", line " + std::to_string(lineNo) + ": " + e.what());
    }
  }
}

std::optional<TStretchCopy> BitmapPlacement(const TBitmapGeoref& g, int bw, int bh, const TViewBox& view, int W, int H,
                                            double scale) {
  const double West = view.West, South = view.South, East = view.East, North = view.North;
  if (bw <= 0 || bh <= 0 || W <= 0 || H <= 0) return std::nullopt;
  const double bmpW = g.LrxMap - g.UlxMap, bmpH = g.UlyMap - g.LryMap;
  const double viewW = East - West, viewH = North - South;
  const double midBX = (g.UlxMap + g.LrxMap) / 2, midBY = (g.UlyMap + g.LryMap) / 2;
  const double midVX = (West + East) / 2, midVY = (South + North) / 2;

  if (bmpW <= viewW && bmpH <= viewH) {
    const int64_t x1 = W / 2 - Trunc64((midVX - g.UlxMap) * 3600 * scale);
    const int64_t x2 = W / 2 - Trunc64((midVX - g.LrxMap) * 3600 * scale);
    const int64_t y1 = H - (H / 2 - Trunc64((midVY - g.UlyMap) * 3600 * scale));
    const int64_t y2 = H - (H / 2 - Trunc64((midVY - g.LryMap) * 3600 * scale));
    if (x2 <= x1 || y2 <= y1) return std::nullopt;                      // smaller than a pixel
    if (x2 <= 0 || x1 >= W || y2 <= 0 || y1 >= H) return std::nullopt;  // beside the surface
    // No larger than the view, so a rectangle that touches the surface lies near it.
    const auto px = [](int64_t v) {
      return static_cast<int>(std::clamp<int64_t>(v, -(int64_t{1} << 30), int64_t{1} << 30));
    };
    return TStretchCopy{{0, 0, bw, bh}, {px(x1), px(y1), px(x2), px(y2)}};
  }

  const int64_t sx1 = bw / 2 - Trunc64((midBX - West) / g.XDim);
  int64_t sx2 = bw / 2 - Trunc64((midBX - East) / g.XDim);
  const int64_t sy1 = bh - (bh / 2 - Trunc64((midBY - North) / g.YDim));
  int64_t sy2 = bh - (bh / 2 - Trunc64((midBY - South) / g.YDim));
  // Zoomed in below one bitmap pixel: that one pixel still covers the view.
  if (sx2 == sx1) ++sx2;
  if (sy2 == sy1) ++sy2;
  if (sx2 < sx1 || sy2 < sy1) return std::nullopt;

  const int cx1 = static_cast<int>(std::clamp<int64_t>(sx1, 0, bw));
  const int cx2 = static_cast<int>(std::clamp<int64_t>(sx2, 0, bw));
  const int cy1 = static_cast<int>(std::clamp<int64_t>(sy1, 0, bh));
  const int cy2 = static_cast<int>(std::clamp<int64_t>(sy2, 0, bh));
  if (cx2 <= cx1 || cy2 <= cy1) return std::nullopt;  // the view lies beside the bitmap
  const double kx = static_cast<double>(W) / static_cast<double>(sx2 - sx1);
  const double ky = static_cast<double>(H) / static_cast<double>(sy2 - sy1);
  const auto at = [](double v) { return static_cast<int>(std::lround(v)); };
  const auto from = [](int64_t edge, int64_t origin, double k) { return static_cast<double>(edge - origin) * k; };
  TRect dest{at(from(cx1, sx1, kx)), at(from(cy1, sy1, ky)), at(from(cx2, sx1, kx)), at(from(cy2, sy1, ky))};
  if (dest.Right <= dest.Left || dest.Bottom <= dest.Top) return std::nullopt;
  return TStretchCopy{{cx1, cy1, cx2, cy2}, dest};
}

TBitmapLoad TMapBitmap::Load(const std::string& bitmapPath) {
  const std::string hdr = HdrFileName(bitmapPath);
  if (!IsRegularFile(hdr)) return TBitmapLoad::HdrNotFound;
  TBitmapGeoref g = georef_;
  g.XDim = 0;
  g.YDim = 0;
  {
    std::ifstream in(hdr, std::ios::binary);
    if (!in) throw std::runtime_error("Cannot open file \"" + hdr + "\"");
    ReadHdr(in, hdr, g);
  }
  // A negative or zero pixel size would place the picture mirrored or nowhere.
  if (!(g.XDim > 0) || !(g.YDim > 0)) {
    georef_.UlxMap = g.UlxMap;
    georef_.UlyMap = g.UlyMap;
    return TBitmapLoad::WrongHdr;
  }
  image_.LoadFromFile(bitmapPath, TImageKind::Palette8);
  g.LrxMap = g.UlxMap + image_.Width() * g.XDim;
  g.LryMap = g.UlyMap - image_.Height() * g.YDim;
  georef_ = g;
  hdrName_ = hdr;
  return TBitmapLoad::Loaded;
}

TLayerDescription TMapBitmap::Describe(const std::string& mapDatum) const {
  const TBitmapGeoref& g = georef_;
  TLayerDescription d;
  d.Counts = {{"header", hdrName_ + ": ULXMAP " + FormatShortest(g.UlxMap) + ", ULYMAP " + FormatShortest(g.UlyMap) +
                             ", XDIM " + FormatShortest(g.XDim) + ", YDIM " + FormatShortest(g.YDim)},
              {"pixels", std::to_string(image_.Width()) + " x " + std::to_string(image_.Height())}};
  d.Extent = TViewBox{g.UlxMap, g.LryMap, g.LrxMap, g.UlyMap};
  d.Datum = "the map datum (" + mapDatum + ")";
  return d;
}

void TMapBitmap::Draw(TCanvas& canvas, const TViewBox& view, double scale) const {
  const TRect clip = canvas.ClipRect();
  const auto copy = BitmapPlacement(georef_, image_.Width(), image_.Height(), view, clip.Width(), clip.Height(), scale);
  if (copy) canvas.CopyFromImage(copy->Dest, image_, copy->Source);
}

TLayerLoad TBitmapLayer::LoadInSet(const std::string& path) {
  const std::string hdr = HdrFileName(path);
  switch (bitmap_.Load(path)) {
    case TBitmapLoad::HdrNotFound:
      return {TLayerLoad::MapOff, ".HDR File not found: " + hdr};
    case TBitmapLoad::WrongHdr:
      return {TLayerLoad::Refused, "Wrong HDR: " + hdr};
    case TBitmapLoad::Loaded:
      break;
  }
  return {};
}

void TBitmapLayer::Draw(TCanvas& canvas, const TViewBox& view) {
  const double width = (view.East - view.West) * 3600;
  if (width > 0) DrawScaled(canvas, view, canvas.ClipRect().Width() / width);
}

bool LooksLikePicture(std::string_view head) {
  for (const std::string_view magic :
       {std::string_view("BM"), std::string_view("\x89PNG\r\n\x1a\n"), std::string_view("\xff\xd8\xff"),
        std::string_view("GIF87a"), std::string_view("GIF89a"), std::string_view("II*\0", 4),
        std::string_view("MM\0*", 4)})
    if (head.starts_with(magic)) return true;
  return false;
}

}  // namespace orvane
