// SPDX-License-Identifier: GPL-3.0-or-later
#include "track/MapLayers.h"

#include <stdexcept>

#include "track/TrackState.h"

namespace orvane {

size_t TMapLayers::Index(char letter) {
  if (letter < 'A' || letter > 'Z' || letter == BitmapLetter()) throw std::invalid_argument("no vector layer letter");
  return static_cast<size_t>(letter - 'A');
}

void TMapLayers::SetLayer(char letter, TMapLayer* layer) { layers_[Index(letter)] = layer; }

TMapLayer* TMapLayers::Layer(char letter) const {
  return letter >= 'A' && letter <= 'Z' ? layers_[static_cast<size_t>(letter - 'A')] : nullptr;
}

void TMapLayers::SetLayerError(char letter, const std::string& error) { errors_[Index(letter)] = error; }

const std::string& TMapLayers::LayerError(char letter) const {
  static const std::string none;
  return letter >= 'A' && letter <= 'Z' ? errors_[static_cast<size_t>(letter - 'A')] : none;
}

void TMapLayers::Remove(char letter) {
  if (const size_t at = MapSet.find(letter); at != std::string::npos) MapSet.erase(at, 1);
}

void TMapLayers::BuildMapSet() {
  MapSet.clear();
  for (const TLayerKind& k : LayerKinds())
    if (!(State.*k.Path).empty()) MapSet += k.Letter;
}

void TMapLayers::LoadMapSet(const std::function<void(const std::string&)>& message) {
  for (const char l : LettersInLoadOrder()) {
    TMapLayer* layer = Layer(l);
    if (!Has(l) || !layer) continue;
    if (!layer->Load(PathOf(l))) {
      PathOf(l).clear();
      Remove(l);
    }
  }
  if (Has(BitmapLetter())) {
    // Out of the set until the picture has loaded, so that a failure leaves it off.
    Remove(BitmapLetter());
    // The messages name the header after their own text, so the user knows which file to mend.
    std::string& path = PathOf(BitmapLetter());
    const std::string hdr = HdrFileName(path);
    switch (bitmap_.Load(path)) {
      case TBitmapLoad::HdrNotFound:
        // No layer at all is drawn until the next load, which then runs without a bitmap.
        MapReady = false;
        path.clear();
        if (message) message(".HDR File not found: " + hdr);
        return;
      case TBitmapLoad::WrongHdr:
        if (message) message("Wrong HDR: " + hdr);
        return;
      case TBitmapLoad::Loaded:
        MapSet.insert(MapSet.begin(), BitmapLetter());
        break;
    }
  }
  MapReady = true;
}

void TMapLayers::DrawMapLayers(TCanvas& canvas, const TViewBox& view, double scale) const {
  for (const char l : LettersInDrawOrder()) {
    if (!Has(l)) continue;
    if (l == BitmapLetter())
      bitmap_.Draw(canvas, view, scale);
    else if (TMapLayer* layer = Layer(l))
      layer->Draw(canvas, view);
  }
}

}  // namespace orvane
