// SPDX-License-Identifier: GPL-3.0-or-later
// What the track window asks of every kind of map data.
#pragma once

#include <string>

#include "maps/LayerDescription.h"
#include "maps/TCanvas.h"
#include "maps/ViewBox.h"

namespace orvane {

class TMapLayer {
public:
  virtual ~TMapLayer() = default;
  // Reads the layer's file (a folder for the Digital Map 2500 area). True when the layer now
  // holds something to draw. Errors in the data raise exceptions that end the load.
  virtual bool Load(const std::string& path) = 0;
  // Draws for the view box (decimal degrees of the map datum), which fills the canvas's clip
  // rectangle: longitude linearly over its width, latitude over its height, north at the top.
  // Changes nothing but pixels and the pen, brush and font of the canvas.
  virtual void Draw(TCanvas& canvas, const TViewBox& view) = 0;
  // What the last load gave, for a describing tool; nothing told by default.
  virtual TLayerDescription Describe() const { return {}; }
};

}  // namespace orvane
