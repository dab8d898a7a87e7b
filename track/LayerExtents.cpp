// SPDX-License-Identifier: GPL-3.0-or-later
#include "track/LayerExtents.h"

#include <cmath>

#include "track/LayerKinds.h"

namespace orvane {
namespace {

std::string Caption(char letter, const std::string& path) {
  // As the settings dialog labels the paths.
  const std::string name = LayerKindOf(letter).Label;
  std::string file = path;
  while (file.size() > 1 && file.back() == '/') file.pop_back();
  const size_t slash = file.rfind('/');
  if (slash != std::string::npos) file.erase(0, slash + 1);
  return name + ": " + file;
}

bool FromDescription(const TLayerDescription& d, TLayerExtent& e) {
  if (!d.Extent) return false;
  const TViewBox& b = *d.Extent;
  if (!std::isfinite(b.West) || !std::isfinite(b.East) || !std::isfinite(b.South) || !std::isfinite(b.North))
    return false;
  e.West = b.West, e.South = b.South, e.East = b.East, e.North = b.North;
  return true;
}

}  // namespace

std::vector<TLayerExtent> LayerExtents(const TMapLayers& layers) {
  std::vector<TLayerExtent> out;
  TLayerExtent e;
  for (const char l : LettersInDrawOrder()) {
    if (!layers.Has(l)) continue;
    const TMapLayer* layer = layers.Layer(l);
    if (!layer || !FromDescription(layer->Describe(), e)) continue;
    e.Letter = l;
    e.Caption = Caption(l, layers.PathOf(l));
    out.push_back(e);
  }
  return out;
}

}  // namespace orvane
