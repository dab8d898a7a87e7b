// SPDX-License-Identifier: GPL-3.0-or-later
// The box a surface shows: its edges in decimal degrees of the map datum (or in a layer's own
// unit once scaled). Travels as one value from the view to every layer.
#pragma once

namespace orvane {

struct TViewBox {
  double West = 0, South = 0, East = 0, North = 0;

  double Width() const { return East - West; }
  double Height() const { return North - South; }
  // True when the boxes share a point, edges included; a NaN edge meets nothing.
  bool Meets(const TViewBox& o) const {
    return West <= o.East && East >= o.West && South <= o.North && North >= o.South;
  }
  bool Holds(double lon, double lat) const { return West <= lon && lon <= East && South <= lat && lat <= North; }
  // The same box in a unit `factor` times smaller (degrees to tenths of an arc-second, say).
  TViewBox Scaled(double factor) const { return {West * factor, South * factor, East * factor, North * factor}; }
  bool operator==(const TViewBox&) const = default;
};

}  // namespace orvane
