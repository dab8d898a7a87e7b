// SPDX-License-Identifier: GPL-3.0-or-later
#include "track/MapLayerObjects.h"

#include <exception>

namespace orvane {

TMapLayerObjects::TMapLayerObjects(TMapLayers& layers, const TLayerMakers& makers) {
  for (const TLayerKind& k : LayerKinds()) {
    if (!k.Make) continue;
    try {
      std::unique_ptr<TMapLayer> layer = k.Make(makers);
      if (!layer) continue;
      layers.SetLayer(k.Letter, layer.get());
      layers_.push_back(std::move(layer));
    } catch (const std::exception& e) {
      layers.SetLayerError(k.Letter, e.what());
    }
  }
}

}  // namespace orvane
