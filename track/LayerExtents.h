// SPDX-License-Identifier: GPL-3.0-or-later
// Where each loaded map layer lies, for the track window's "Whole Layer" entries.
#pragma once

#include <string>
#include <vector>

#include "track/MapLayers.h"

namespace orvane {

struct TLayerExtent {
  char Letter = 0;
  std::string Caption;                              // the layer's name on the settings dialog and its file's name
  double West = 0, South = 0, East = 0, North = 0;  // decimal degrees of the map datum
};

// One entry per active layer that holds something placed: the bitmap, then the others in draw
// order.
std::vector<TLayerExtent> LayerExtents(const TMapLayers& layers);

}  // namespace orvane
