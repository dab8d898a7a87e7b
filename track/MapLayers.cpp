// SPDX-License-Identifier: GPL-3.0-or-later
#include "track/MapLayers.h"

#include <exception>
#include <stdexcept>

#include "common/LoadCancel.h"
#include "maps/MapFile.h"
#include "track/TrackState.h"

namespace orvane {

size_t TMapLayers::Index(char letter) {
  if (letter < 'A' || letter > 'Z') throw std::invalid_argument("no map layer letter");
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

void TMapLayers::Insert(char letter) {
  if (Has(letter)) return;
  std::string set;
  for (const TLayerKind& k : LayerKinds())
    if (k.Letter == letter || Has(k.Letter)) set += k.Letter;
  MapSet = set;
}

void TMapLayers::BuildMapSet() {
  MapSet.clear();
  for (const TLayerKind& k : LayerKinds())
    if (!LayerPath(State, k).empty()) MapSet += k.Letter;
}

void TMapLayers::LoadMapSet(const std::function<void(const std::string&)>& message) {
  bool keepReady = false, mapOff = false;
  // The first error is thrown as it came (its type tells the error handler how to say it); more
  // than one are said together.
  std::exception_ptr first;
  std::string errors;
  int failed = 0;
  for (const char l : LettersInLoadOrder()) {
    TMapLayer* layer = Layer(l);
    if (!Has(l) || !layer) continue;
    ThrowIfCancelled();
    if (layer->OffWhileLoading()) Remove(l);
    TLayerLoad load;
    // One file that cannot be read is left out; the layers after it are still drawn.
    try {
      load = layer->LoadInSet(PathOf(l));
    } catch (const ELoadCancelled&) {
      throw;
    } catch (const std::exception& e) {
      Remove(l);
      if (!first) first = std::current_exception();
      errors += (failed++ ? "\n" : "") + std::string(e.what());
      continue;
    }
    switch (load.End) {
      case TLayerLoad::Shown:
        Insert(l);
        break;
      case TLayerLoad::Nothing:
        PathOf(l).clear();
        Remove(l);
        break;
      case TLayerLoad::Refused:
        Remove(l);
        keepReady = true;
        if (message) message(load.Message);
        break;
      case TLayerLoad::MapOff:
        PathOf(l).clear();
        Remove(l);
        mapOff = true;
        if (message) message(load.Message);
        break;
    }
  }
  // No layer at all is drawn until the next load, which then runs without the one that failed.
  if (mapOff)
    MapReady = false;
  else if (!keepReady)
    MapReady = true;
  if (failed == 1) std::rethrow_exception(first);
  if (failed > 1) throw EMapFileError(errors);
}

void TMapLayers::ShowLoaded(const TMapLayers& loaded) {
  layers_ = loaded.layers_;
  errors_ = loaded.errors_;
  MapSet = loaded.MapSet;
  MapReady = loaded.MapReady;
}

void TMapLayers::DrawMapLayers(TCanvas& canvas, const TViewBox& view, double scale) const {
  for (const char l : LettersInDrawOrder())
    if (TMapLayer* layer = Layer(l); layer && Has(l)) layer->DrawScaled(canvas, view, scale);
}

TLayerNews TMapLayers::TakeNews() const {
  TLayerNews all;
  for (const char l : LettersInDrawOrder()) {
    TMapLayer* layer = Layer(l);
    if (!layer || !Has(l)) continue;
    TLayerNews news = layer->TakeNews();
    all.Redraw = all.Redraw || news.Redraw;
    all.Busy = all.Busy || news.Busy;
    if (!news.Message.empty()) all.Message += (all.Message.empty() ? "" : "\n") + news.Message;
  }
  return all;
}

}  // namespace orvane
