// SPDX-License-Identifier: GPL-3.0-or-later
// What the track window asks of every kind of map data.
#pragma once

#include <string>

#include "maps/LayerDescription.h"
#include "maps/TCanvas.h"
#include "maps/ViewBox.h"

namespace orvane {

// How a load ended, as the layer set acts on it.
struct TLayerLoad {
  enum TEnd {
    Shown,    // something to draw
    Nothing,  // nothing to draw: the path is cleared and the layer left out, silently
    Refused,  // left out with a message; the path stays and the map keeps its readiness
    MapOff,   // the path is cleared and no layer at all is drawn until the next load
  };
  TEnd End = Shown;
  // Why the layer is not shown; the set says it for Refused and MapOff, a tool for any end.
  std::string Message;
};

// What came to a layer after its load, away from the drawing: it wants drawing again (tiles
// arrived), and something to tell the user once.
struct TLayerNews {
  bool Redraw = false;
  bool Busy = false;  // more is on its way (tiles being fetched)
  std::string Message;
};

class TMapLayer {
public:
  virtual ~TMapLayer() = default;
  // Reads the layer's file (a folder for the Digital Map 2500 area). True when the layer now
  // holds something to draw. Errors in the data raise exceptions that end the load.
  virtual bool Load(const std::string& path) = 0;
  // The layer set's load: Load, with what the set does when it gives nothing.
  virtual TLayerLoad LoadInSet(const std::string& path) {
    return {Load(path) ? TLayerLoad::Shown : TLayerLoad::Nothing, {}};
  }
  // True for a layer that stays out of the set while it loads, so that an error in the middle
  // of its load leaves it off.
  virtual bool OffWhileLoading() const { return false; }
  // Draws for the view box (decimal degrees of the map datum), which fills the canvas's clip
  // rectangle: longitude linearly over its width, latitude over its height, north at the top.
  // Changes nothing but pixels and the pen, brush and font of the canvas.
  virtual void Draw(TCanvas& canvas, const TViewBox& view) = 0;
  // The layer set's drawing, which also knows the view's scale in pixels per arc-second; a
  // layer that places its pixels by the scale (the picture) takes it from here.
  virtual void DrawScaled(TCanvas& canvas, const TViewBox& view, double /*scale*/) { Draw(canvas, view); }
  // What the last load gave, for a describing tool; nothing told by default.
  virtual TLayerDescription Describe() const { return {}; }
  // Asked by the window now and then; a layer of files has none.
  virtual TLayerNews TakeNews() { return {}; }
};

}  // namespace orvane
