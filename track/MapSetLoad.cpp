// SPDX-License-Identifier: GPL-3.0-or-later
#include "track/MapSetLoad.h"

#include <exception>

#include "common/LoadCancel.h"

namespace orvane {

TMapSetLoad::TMapSetLoad(const TTrackState& state, const TMapLayers& shown, const TLayerMakers& makers,
                         std::unique_ptr<TImage> mapImage)
    : state_(state), startPaths_(state.LayerPaths), image_(std::move(mapImage)), makers_{state_,
                                                                                         makers.Rec,
                                                                                         {},
                                                                                         makers.Converter,
                                                                                         makers.EncClassTable,
                                                                                         image_.get()} {
  makers_.Notice = [this](const std::string& text) { notes_.push_back({false, text}); };
  layers_.MapReady = shown.MapReady;
}

void TMapSetLoad::Run() {
  const TLoadCancelScope scope(cancelled_);
  layers_.BuildMapSet();
  objects_ = std::make_unique<TMapLayerObjects>(layers_, makers_);
  for (const char l : layers_.MapSet)
    if (!layers_.Layer(l) && !layers_.LayerError(l).empty()) notes_.push_back({true, layers_.LayerError(l)});
  try {
    layers_.LoadMapSet([this](const std::string& text) { notes_.push_back({false, text}); });
  } catch (const ELoadCancelled&) {
    cancelled_ = true;
  } catch (const std::exception& e) {
    notes_.push_back({true, e.what()});
  } catch (...) {
    notes_.push_back({true, "Unknown error"});
  }
  if (cancelled_) notes_.clear();
}

void TMapSetLoad::ShowIn(TMapLayers& shown, TTrackState& live) const {
  shown.ShowLoaded(layers_);
  for (const TLayerKind& k : LayerKinds()) {
    const size_t row = static_cast<size_t>(&k - LayerKinds().data());
    const std::string& started = row < startPaths_.size() ? startPaths_[row] : std::string();
    // Only a path that is still the one loaded: the user may have set another meanwhile.
    if (!started.empty() && LayerPath(state_, k).empty() && LayerPath(live, k) == started) LayerPath(live, k).clear();
  }
}

}  // namespace orvane
