// SPDX-License-Identifier: GPL-3.0-or-later
// The track window's map layers: which are active (MapSet, one letter each), loading them from
// their path settings and drawing them in a fixed order under the grid. The letters, paths and
// orders come from the layer table (LayerKinds.h); the picture is a layer like the others.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "maps/MapLayer.h"
#include "maps/ViewBox.h"
#include "track/LayerKinds.h"
#include "track/TrackState.h"

namespace orvane {

class TMapLayers {
public:
  // The layer paths are read from `state`, and a path that gives nothing is cleared there.
  explicit TMapLayers(TTrackState& state) : State(state) {}

  // The object behind a letter; a letter without one keeps its path and is neither loaded nor
  // drawn.
  void SetLayer(char letter, TMapLayer* layer);
  TMapLayer* Layer(char letter) const;
  // Why a letter has no object (its factory failed), said when the layer is wanted; else empty.
  void SetLayerError(char letter, const std::string& error);
  const std::string& LayerError(char letter) const;
  // The path setting behind a letter (BmpMap, RoadMap, ...).
  std::string& PathOf(char letter) const { return LayerPath(State, LayerKindOf(letter)); }

  bool Has(char letter) const { return MapSet.find(letter) != std::string::npos; }
  // Every letter whose path is set, none other, in the table's order.
  void BuildMapSet();
  // Loads the active layers in load order. A layer that finds nothing to draw loses its path
  // and its letter; one that refuses its file, or turns the map off, says why through
  // `message`. A layer whose load throws (a file that cannot be read, a header number, a picture
  // file) is left out and the others loaded; once the set is loaded its error is thrown again
  // (several: one EMapFileError, one a line). A load called off (ELoadCancelled), between layers or
  // inside a long one, ends there, MapReady keeping its value.
  void LoadMapSet(const std::function<void(const std::string&)>& message);
  // Takes the objects, their errors, the set and MapReady of another set, a load made away from
  // this one; the objects stay owned where they were.
  void ShowLoaded(const TMapLayers& loaded);
  // The active layers in draw order (the picture first).
  void DrawMapLayers(TCanvas& canvas, const TViewBox& view, double scale) const;
  // What the active layers have come by since they were last asked (tiles fetched, a server's
  // fault): the window draws again and says the messages.
  TLayerNews TakeNews() const;

  TTrackState& State;
  std::string MapSet;
  bool MapReady = false;

private:
  static size_t Index(char letter);
  void Remove(char letter);
  // Back into the set at its place in the table's order.
  void Insert(char letter);
  std::array<TMapLayer*, 26> layers_{};
  std::array<std::string, 26> errors_{};
};

}  // namespace orvane
