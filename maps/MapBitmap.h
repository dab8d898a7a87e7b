// SPDX-License-Identifier: GPL-3.0-or-later
// The georeferenced bitmap under the track: a picture file with a text header beside it that
// gives the longitude and latitude of its top-left corner and the size of one pixel in degrees.
// The reading of the header and the placement arithmetic live here; reading the pixels is the
// image's own job (TImage), so the display side only converts and stretches what it is given.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include "maps/LayerDescription.h"
#include "maps/MapLayer.h"
#include "maps/TCanvas.h"
#include "maps/ViewBox.h"

namespace orvane {

// Decimal degrees of the map datum; rows run south.
struct TBitmapGeoref {
  double UlxMap = 0;  // longitude of the left edge
  double UlyMap = 0;  // latitude of the top edge
  double XDim = 0;    // degrees of longitude per pixel column
  double YDim = 0;    // degrees of latitude per pixel row
  double LrxMap = 0;  // longitude of the right edge
  double LryMap = 0;  // latitude of the bottom edge
};

// The header's name: the bitmap's path with its last four characters replaced by ".HDR", so
// area.bmp has area.HDR and area.bitmap has area.biHDR.
std::string HdrFileName(const std::string& bitmapPath);

// Reads header lines to the end: "KEY value", the key before the first space (any case), the
// value cut at its first comma. ULXMAP, ULYMAP, XDIM and YDIM set their field; other keys, lines
// without a space and empty values are skipped; a key given twice keeps its last value. A value
// that is not a number throws EConvertError naming `fileName` and the line.
void ReadHdr(std::istream& in, const std::string& fileName, TBitmapGeoref& georef);

// A stretched plain copy of `Source` (bitmap pixels) onto `Dest` (surface pixels).
struct TStretchCopy {
  TRect Source;
  TRect Dest;
  bool operator==(const TStretchCopy&) const = default;
};

// Where a bitmap of bw x bh pixels goes on a W x H surface showing the view box at `scale`
// pixels per arc-second. A bitmap no larger than the view in both directions is stretched whole
// onto its own rectangle; otherwise the part under the view fills the surface. Where that part
// reaches past the bitmap's edge, only the pixels that exist are copied, onto the share of the
// surface they cover, and the rest keeps the background. Nothing when nothing would show.
std::optional<TStretchCopy> BitmapPlacement(const TBitmapGeoref& georef, int bw, int bh, const TViewBox& view, int W,
                                            int H, double scale);

enum class TBitmapLoad { Loaded, HdrNotFound, WrongHdr };

class TMapBitmap {
public:
  explicit TMapBitmap(TImage& image) : image_(image) {}

  // Header first, then the picture, kept at 8 bits per pixel. HdrNotFound and WrongHdr leave the
  // picture as it was; errors of the header's numbers and of the picture file throw.
  TBitmapLoad Load(const std::string& bitmapPath);
  void Draw(TCanvas& canvas, const TViewBox& view, double scale) const;
  // The header's figures, the size in pixels and the extent; the picture is drawn in `mapDatum`.
  TLayerDescription Describe(const std::string& mapDatum) const;

  const TBitmapGeoref& Georef() const { return georef_; }
  const TImage& Image() const { return image_; }

private:
  TImage& image_;
  // The corner survives a header that leaves it out: it keeps the value of an earlier load.
  TBitmapGeoref georef_;
  std::string hdrName_;  // of the last picture loaded
};

// The picture as a layer of the set: it loads last and draws first by its row's ranks, stays out
// of the set while it loads, and a missing header turns the whole map off until the next load.
class TBitmapLayer : public TMapLayer {
public:
  // `mapDatum` is read when the layer describes itself, so it outlives the layer.
  TBitmapLayer(TImage& image, const std::string& mapDatum) : bitmap_(image), mapDatum_(mapDatum) {}

  bool Load(const std::string& path) override { return LoadInSet(path).End == TLayerLoad::Shown; }
  // The messages name the header after their own text, so the user knows which file to mend.
  TLayerLoad LoadInSet(const std::string& path) override;
  bool OffWhileLoading() const override { return true; }
  // At the scale that spreads the view box over the canvas's width.
  void Draw(TCanvas& canvas, const TViewBox& view) override;
  void DrawScaled(TCanvas& canvas, const TViewBox& view, double scale) override { bitmap_.Draw(canvas, view, scale); }
  TLayerDescription Describe() const override { return bitmap_.Describe(mapDatum_); }

  const TMapBitmap& Bitmap() const { return bitmap_; }

private:
  TMapBitmap bitmap_;
  const std::string& mapDatum_;
};

// True for the first bytes of a picture file the image reader knows (BMP, PNG, JPEG, GIF, TIFF).
bool LooksLikePicture(std::string_view head);

}  // namespace orvane
