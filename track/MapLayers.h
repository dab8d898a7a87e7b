// The track window's map layers: which are active (MapSet, one letter each), loading them from
// their path settings and drawing them in a fixed order under the grid.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "maps/MapBitmap.h"
#include "maps/MapLayer.h"
#include "track/TrackState.h"

namespace orvane {

// The letters in the order a fresh set is filled, the load order and the draw order of the
// vector layers. The bitmap (B) loads after them and draws before them.
inline constexpr const char* kMapSetLetters = "BRPOMKWCE";
inline constexpr const char* kLayerLoadOrder = "ROPMKWCE";
inline constexpr const char* kLayerDrawOrder = "KPROMWCE";

class TMapLayers {
public:
  // The layer paths are read from `state`, and a path that gives nothing is cleared there.
  TMapLayers(TMapBitmap& bitmap, TTrackState& state) : State(state), bitmap_(bitmap) {}

  // The object behind a vector layer's letter; a letter without one keeps its path and is
  // neither loaded nor drawn.
  void SetLayer(char letter, TMapLayer* layer);
  TMapLayer* Layer(char letter) const;
  // The path setting behind a letter (BmpMap, RoadMap, ...).
  std::string& PathOf(char letter) const;

  bool Has(char letter) const { return MapSet.find(letter) != std::string::npos; }
  // Every letter whose path is set, none other.
  void BuildMapSet();
  // Loads the active layers. A layer that finds nothing to draw loses its path and its letter.
  // The bitmap's header problems are reported through `message`; errors thrown by a layer, a
  // header number or a picture file end the load there, MapReady keeping its value.
  void LoadMapSet(const std::function<void(const std::string&)>& message);
  // The bitmap, then the vector layers in draw order.
  void DrawMapLayers(TCanvas& canvas, const TViewBox& view, double scale) const;

  TTrackState& State;
  std::string MapSet;
  bool MapReady = false;

private:
  void Remove(char letter);
  TMapBitmap& bitmap_;
  std::array<TMapLayer*, 26> layers_{};
};

}  // namespace orvane
