// SPDX-License-Identifier: GPL-3.0-or-later
// The track window's map layer objects, one per kind of the layer table, made once and
// registered with the layer set: the window and the headless map tool build them here, so both
// load and draw alike.
#pragma once

#include <memory>
#include <vector>

#include "maps/MapLayer.h"
#include "maps/UEncMap.h"
#include "track/LayerKinds.h"
#include "track/MapLayers.h"

namespace orvane {

// The object class table's file name, looked up beside the program.
inline constexpr const char* kEncClassTableName = kEncClassTableFile;

class TMapLayerObjects {
public:
  // A kind whose factory throws is left out, its error kept by the layer set (the window
  // reports it when the layer is wanted).
  TMapLayerObjects(TMapLayers& layers, const TLayerMakers& makers);

private:
  std::vector<std::unique_ptr<TMapLayer>> layers_;
};

}  // namespace orvane
