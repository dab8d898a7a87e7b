// SPDX-License-Identifier: GPL-3.0-or-later
#include "track/LayerKinds.h"

#include <sys/stat.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "common/TextHelpers.h"
#include "maps/MapBitmap.h"
#include "maps/MapFile.h"
#include "maps/MetaStyle.h"
#include "maps/RasterMap.h"
#include "maps/UCoastLine.h"
#include "maps/UEncMap.h"
#include "maps/UKddMap.h"
#include "maps/UVectLine.h"
#include "maps/UVectPoint.h"
#include "maps/UWaypnt.h"
#include "track/LayerDescriptions.h"

namespace orvane {
namespace {

std::unique_ptr<TMapLayer> MakeBitmap(const TLayerMakers& m) {
  if (!m.MapImage) return nullptr;
  return std::make_unique<TBitmapLayer>(*m.MapImage, m.State.MapDatum);
}
std::unique_ptr<TMapLayer> MakeRaster(const TLayerMakers& m) {
  return std::make_unique<TRasterLayer>(m.State.MapDatum);
}
std::unique_ptr<TMapLayer> MakeVectLine(const TLayerMakers& m) {
  return std::make_unique<TVectLine>(m.State.MetaDefList, m.Notice);
}
std::unique_ptr<TMapLayer> MakeVectPoint(const TLayerMakers& m) {
  return std::make_unique<TVectPoint>(m.State.MetaDefList);
}
std::unique_ptr<TMapLayer> MakeKdd(const TLayerMakers& m) {
  return std::make_unique<TKddMap>(TKddSettings{m.State.KddArcList, m.State.KddAtrList, m.State.KddPgnList,
                                                m.State.KddPntList, m.State.MapDatum, m.Rec.BGColor});
}
std::unique_ptr<TMapLayer> MakeWayPnt(const TLayerMakers& m) {
  return std::make_unique<TWayPnt>(m.State.MapDatum, m.Rec.WpLineColor);
}
std::unique_ptr<TMapLayer> MakeCoastLine(const TLayerMakers& m) {
  return std::make_unique<TCoastLine>(m.Rec.CoLineColor);
}
std::unique_ptr<TMapLayer> MakeEnc(const TLayerMakers& m) {
  if (!m.Converter) return nullptr;
  return std::make_unique<TEncMap>(*m.Converter, m.EncClassTable);
}

constexpr const char* kKokudo = "Kokudo";  // the national land numerical information layers
constexpr const char* kPictures = "BMP PNG JPG JPEG GIF TIF TIFF";

using R = TNmeaRec;
// Room for the rows a test or a build adds, so that a row's place never moves.
constexpr size_t kMaxKinds = 32;

std::vector<TLayerKind>& Kinds() {
  static std::vector<TLayerKind> kinds = [] {
    std::vector<TLayerKind> k{
        {'B', "BmpMap", "Bitmap", "Windows Bitmap|*.bmp", nullptr, nullptr, nullptr, 9, 0, MakeBitmap, "bitmap", 5,
         kPictures, nullptr, LooksLikePicture, nullptr},
        {'R', "RoadMap", "Road", "N01*.txt|N01*.txt", kKokudo, nullptr, nullptr, 1, 3, MakeVectLine, "line", 1, nullptr,
         "N01", LooksLikeLineFile, DescribeStyledLayer},
        {'O', "BorderMap", "Border", "N03*.txt|N03*.txt", kKokudo, nullptr, nullptr, 2, 4, MakeVectLine, "line", 1,
         nullptr, "N03", LooksLikeLineFile, DescribeStyledLayer},
        {'P', "PointMap", "Point", "P02*.txt|P02*.txt", kKokudo, nullptr, nullptr, 3, 2, MakeVectPoint, "point", 2,
         nullptr, "P02", LooksLikePointFile, DescribeStyledLayer},
        {'M', "KkCoastMap", "Coast", "C23*.txt|C23*.txt", kKokudo, nullptr, nullptr, 4, 5, MakeVectLine, "line", 1,
         nullptr, "C23", LooksLikeLineFile, DescribeStyledLayer},
        {'K', "KddMap", "Kukan2500", nullptr, nullptr, nullptr, nullptr, 5, 1, MakeKdd, "kdd", 6, nullptr, nullptr,
         nullptr, DescribeKddLayer},
        {'W', "WayPntMap", "WayPoint", "WayPoint|*.*", nullptr, &R::WpLineColor, "WpLineColor", 6, 6, MakeWayPnt,
         "waypoint", 3, "WPT TRK GPX", nullptr, LooksLikeWayPntFile, nullptr},
        {'C', "CoastLine", "Coast Line", "Coast Line|*.*", nullptr, &R::CoLineColor, "LineCOlor", 7, 7, MakeCoastLine,
         "coastline", 4, nullptr, nullptr, LooksLikeCoastFile, nullptr},
        {'E', "EncMap", "ENC", "Converted ENC|*.00?", nullptr, nullptr, nullptr, 8, 8, MakeEnc, "enc", 7, "000",
         nullptr, nullptr, DescribeEncLayer},
        {'T', "RasterMap", "Raster map (GeoTIFF, MBTiles, ...)",
         "Raster maps|*.tif *.tiff *.mbtiles *.kap *.jp2 *.vrt *.png *.jpg|All files|*", nullptr, nullptr, nullptr, 10,
         -1, MakeRaster, "raster", 4, "TIF TIFF MBTILES KAP JP2 VRT", nullptr, nullptr, nullptr},
    };
    k.reserve(kMaxKinds);
    return k;
  }();
  return kinds;
}

std::string LettersBy(int TLayerKind::*rank) {
  std::vector<TLayerKind> sorted(Kinds().begin(), Kinds().end());
  std::stable_sort(sorted.begin(), sorted.end(), [rank](const auto& a, const auto& b) { return a.*rank < b.*rank; });
  std::string letters;
  for (const TLayerKind& k : sorted) letters += k.Letter;
  return letters;
}

size_t RowOf(const TLayerKind& kind) {
  const std::span<const TLayerKind> all = LayerKinds();
  if (&kind < all.data() || &kind >= all.data() + all.size()) throw std::invalid_argument("not a row of the table");
  return static_cast<size_t>(&kind - all.data());
}

bool HasWord(const char* words, const std::string& word) {
  if (!words || word.empty()) return false;
  const std::string_view all(words);
  for (size_t at = 0; at < all.size();) {
    const size_t end = std::min(all.find(' ', at), all.size());
    if (all.substr(at, end - at) == word) return true;
    at = end + 1;
  }
  return false;
}

// Cut at its last line end, so that a sniff never judges a line cut in the middle.
std::string_view WholeLines(std::string_view head, size_t limit) {
  if (head.size() < limit) return head;
  const size_t end = head.find_last_of('\n');
  return end == std::string_view::npos ? head : head.substr(0, end + 1);
}

}  // namespace

std::span<const TLayerKind> LayerKinds() { return Kinds(); }

const TLayerKind& LayerKindOf(char letter) {
  for (const TLayerKind& k : Kinds())
    if (k.Letter == letter) return k;
  throw std::invalid_argument(std::string("no map layer letter ") + letter);
}

std::string LettersInLoadOrder() { return LettersBy(&TLayerKind::LoadRank); }
std::string LettersInDrawOrder() { return LettersBy(&TLayerKind::DrawRank); }

std::string& LayerPath(TTrackState& state, const TLayerKind& kind) {
  const size_t row = RowOf(kind);
  if (state.LayerPaths.size() <= row) state.LayerPaths.resize(LayerKinds().size());
  return state.LayerPaths[row];
}

const std::string& LayerPath(const TTrackState& state, const TLayerKind& kind) {
  static const std::string none;
  const size_t row = RowOf(kind);
  return row < state.LayerPaths.size() ? state.LayerPaths[row] : none;
}

const TLayerKind* RunLayerKindOf(const std::string& path) {
  const TLayerKind& waypoints = LayerKindOf('W');
  return HasWord(waypoints.Extensions, Extension(path)) ? &waypoints : nullptr;
}

void OpenLayerForRun(TTrackState& state, const TLayerKind& kind, const std::string& path) {
  std::string& current = LayerPath(state, kind);
  const int row = static_cast<int>(RowOf(kind));
  // A second file for the same row still stands in for the row's own path.
  const bool again = state.RunLayer.Row == row && current == state.RunLayer.Path;
  state.RunLayer = {row, path, again ? state.RunLayer.Saved : current};
  current = path;
}

const std::string& LayerPathToSave(const TTrackState& state, const TLayerKind& kind) {
  const std::string& current = LayerPath(state, kind);
  const bool shown = state.RunLayer.Row == static_cast<int>(RowOf(kind)) && current == state.RunLayer.Path;
  return shown ? state.RunLayer.Saved : current;
}

bool EndRunLayer(TTrackState& state) {
  if (state.RunLayer.Row < 0) return false;
  std::string& current = LayerPath(state, LayerKinds()[static_cast<size_t>(state.RunLayer.Row)]);
  const bool held = current.empty() || current == state.RunLayer.Path;
  if (held) current = state.RunLayer.Saved;
  state.RunLayer = {};
  return held;
}

std::vector<const TLayerKind*> ToolKinds() {
  std::vector<const TLayerKind*> kinds;
  for (const TLayerKind& k : Kinds())
    if (k.Kind && std::none_of(kinds.begin(), kinds.end(),
                               [&](const TLayerKind* o) { return o->Kind == std::string_view(k.Kind); }))
      kinds.push_back(&k);
  std::stable_sort(kinds.begin(), kinds.end(),
                   [](const TLayerKind* a, const TLayerKind* b) { return a->KindRank < b->KindRank; });
  return kinds;
}

std::string KindNames(const char* separator, const char* last) {
  const std::vector<const TLayerKind*> kinds = ToolKinds();
  std::string names;
  for (size_t i = 0; i < kinds.size(); ++i) {
    if (i > 0) names += i + 1 == kinds.size() ? last : separator;
    names += kinds[i]->Kind;
  }
  return names;
}

const TLayerKind* KindNamed(std::string_view name) {
  for (const TLayerKind* k : ToolKinds())
    if (name == k->Kind) return k;
  return nullptr;
}

const TLayerKind* KindOfPath(const std::string& path) {
  const std::vector<const TLayerKind*> kinds = ToolKinds();
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    for (const TLayerKind* k : kinds)
      if (k->IsFolder()) return k;
    return nullptr;
  }
  const std::string ext = Extension(path);
  for (const TLayerKind* k : kinds)
    if (HasWord(k->Extensions, ext)) return k;
  // Rows of one kind name their own prefixes, so every row is asked, not only the first.
  const std::string prefix = Upper(MetaPrefix(path));
  for (const TLayerKind& k : Kinds())
    if (k.NamePrefix && prefix == k.NamePrefix) return KindNamed(k.Kind);
  // The first 64 KB say enough; a large file is read whole only once, by its layer.
  constexpr size_t kHead = 1 << 16;
  const std::string data = ReadMapFile(path, kHead);
  const std::string_view head = WholeLines(data, kHead);
  for (const TLayerKind* k : kinds)
    if (k->Sniff && k->Sniff(head)) return k;
  return nullptr;
}

TAddedLayerKind::TAddedLayerKind(const TLayerKind& kind) : letter_(kind.Letter) {
  if (Kinds().size() == kMaxKinds) throw std::length_error("no room for another map layer kind");
  for (const TLayerKind& k : Kinds())
    if (k.Letter == kind.Letter) throw std::invalid_argument(std::string("map layer letter ") + kind.Letter + " taken");
  Kinds().push_back(kind);
}

TAddedLayerKind::~TAddedLayerKind() {
  std::vector<TLayerKind>& kinds = Kinds();
  kinds.erase(std::remove_if(kinds.begin(), kinds.end(), [this](const TLayerKind& k) { return k.Letter == letter_; }),
              kinds.end());
}

}  // namespace orvane
