// SPDX-License-Identifier: GPL-3.0-or-later
// What a loaded layer tells about itself, so that a describing tool needs neither its records nor
// its units.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "maps/ViewBox.h"

namespace orvane {

// One counted thing ("lines", "12") or a short fact ("pixels", "600 x 400").
struct TLayerFact {
  std::string Name;
  std::string Value;
  bool operator==(const TLayerFact&) const = default;
};

// A fact with lines listed under it.
struct TLayerListing {
  TLayerFact Head;
  std::vector<std::string> Lines;
};

struct TLayerDescription {
  // Told before everything: what the description lacks.
  std::vector<TLayerFact> Notes;
  // Told first, in this order.
  std::vector<TLayerFact> Counts;
  // Decimal degrees; none when the layer holds nothing placed.
  std::optional<TViewBox> Extent;
  // The datum the extent is given in, when the layer converted its data into it; else empty.
  std::string ExtentDatum;
  // The data's datum and how they are drawn.
  std::string Datum;
  // Told after the datum, in this order.
  std::vector<TLayerFact> Details;
  // Records per style or class code, for a layer whose drawing picks a style by code.
  std::map<unsigned, int> StyleUse;
  // Told last, each under its own line.
  std::vector<TLayerListing> Listings;
};

// The datum text of data drawn as their coordinates stand.
inline constexpr const char* kDrawnAsRead = "as read (drawn in the map datum without conversion)";

// The extent grown to hold a position; NaN positions are left out.
inline void WidenExtent(std::optional<TViewBox>& box, double lon, double lat) {
  if (!(lon == lon) || !(lat == lat)) return;
  if (!box) {
    box = TViewBox{lon, lat, lon, lat};
    return;
  }
  box->West = lon < box->West ? lon : box->West;
  box->East = lon > box->East ? lon : box->East;
  box->South = lat < box->South ? lat : box->South;
  box->North = lat > box->North ? lat : box->North;
}

}  // namespace orvane
