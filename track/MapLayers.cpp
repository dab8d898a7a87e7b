#include "track/MapLayers.h"

#include <stdexcept>

#include "track/TrackState.h"

namespace orvane {

void TMapLayers::SetLayer(char letter, TMapLayer* layer) {
  if (letter < 'A' || letter > 'Z' || letter == 'B') throw std::invalid_argument("no vector layer letter");
  layers_[letter - 'A'] = layer;
}

TMapLayer* TMapLayers::Layer(char letter) const {
  return letter >= 'A' && letter <= 'Z' ? layers_[letter - 'A'] : nullptr;
}

std::string& TMapLayers::PathOf(char letter) const {
  switch (letter) {
    case 'B':
      return State.BmpMap;
    case 'R':
      return State.RoadMap;
    case 'O':
      return State.BorderMap;
    case 'P':
      return State.PointMap;
    case 'M':
      return State.KkCoastMap;
    case 'K':
      return State.KddMap;
    case 'W':
      return State.WayPntMap;
    case 'C':
      return State.CoastLine;
    case 'E':
      return State.EncMap;
    default:
      throw std::invalid_argument(std::string("no map layer letter ") + letter);
  }
}

void TMapLayers::Remove(char letter) {
  if (const size_t at = MapSet.find(letter); at != std::string::npos) MapSet.erase(at, 1);
}

void TMapLayers::BuildMapSet() {
  MapSet.clear();
  for (const char* l = kMapSetLetters; *l; ++l)
    if (!PathOf(*l).empty()) MapSet += *l;
}

void TMapLayers::LoadMapSet(const std::function<void(const std::string&)>& message) {
  for (const char* l = kLayerLoadOrder; *l; ++l) {
    TMapLayer* layer = Layer(*l);
    if (!Has(*l) || !layer) continue;
    if (!layer->Load(PathOf(*l))) {
      PathOf(*l).clear();
      Remove(*l);
    }
  }
  if (Has('B')) {
    // Out of the set until the picture has loaded, so that a failure leaves it off.
    Remove('B');
    // The messages name the header after their own text, so the user knows which file to mend.
    const std::string hdr = HdrFileName(State.BmpMap);
    switch (bitmap_.Load(State.BmpMap)) {
      case TBitmapLoad::HdrNotFound:
        // No layer at all is drawn until the next load, which then runs without a bitmap.
        MapReady = false;
        State.BmpMap.clear();
        if (message) message(".HDR File not found: " + hdr);
        return;
      case TBitmapLoad::WrongHdr:
        if (message) message("Wrong HDR: " + hdr);
        return;
      case TBitmapLoad::Loaded:
        MapSet.insert(MapSet.begin(), 'B');
        break;
    }
  }
  MapReady = true;
}

void TMapLayers::DrawMapLayers(TCanvas& canvas, const TViewBox& view, double scale) const {
  if (Has('B')) bitmap_.Draw(canvas, view, scale);
  for (const char* l = kLayerDrawOrder; *l; ++l)
    if (TMapLayer* layer = Layer(*l); layer && Has(*l)) layer->Draw(canvas, view);
}

}  // namespace orvane
