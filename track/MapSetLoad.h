// SPDX-License-Identifier: GPL-3.0-or-later
// One load of the map layers made away from the layers being drawn, so that the window can run
// it on another thread: it reads its own copy of the settings, makes layer objects of its own
// and keeps what the load has to say in order. The window then shows its layers in place of
// the old ones, or drops it when a newer load was asked for meanwhile.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "track/LayerKinds.h"
#include "track/MapLayerObjects.h"
#include "track/MapLayers.h"
#include "track/TrackState.h"

namespace orvane {

class TMapSetLoad {
public:
  // What the load says: an error (the window's error handler) or a message (a message box).
  struct TNote {
    bool Error = false;
    std::string Text;
    bool operator==(const TNote&) const = default;
  };

  // `makers` gives the record, the converter and the class table; its state is replaced by this
  // load's copy of `state`, its notice by the notes and its picture by `mapImage`, the load's own
  // picture for the bitmap (none: no bitmap layer). `shown` is the set on screen: the load starts
  // from its MapReady.
  TMapSetLoad(const TTrackState& state, const TMapLayers& shown, const TLayerMakers& makers,
              std::unique_ptr<TImage> mapImage);
  TMapSetLoad(const TMapSetLoad&) = delete;
  TMapSetLoad& operator=(const TMapSetLoad&) = delete;

  // Makes the layer objects and loads the set. On any one thread, once. A load called off ends
  // at the next layer or within a bounded step of a long one, and says nothing.
  void Run();
  // From any thread.
  void Cancel() { cancelled_ = true; }
  bool Cancelled() const { return cancelled_; }

  // In the order they came: the errors of kinds whose object could not be made, the load's
  // messages, then the error that ended the load.
  const std::vector<TNote>& Notes() const { return notes_; }
  // Shows this load's layers in `shown` and clears in `live` the paths the load cleared. This
  // object must outlive what `shown` draws of it.
  void ShowIn(TMapLayers& shown, TTrackState& live) const;

private:
  TTrackState state_;
  const std::vector<std::string> startPaths_;
  std::unique_ptr<TImage> image_;
  TLayerMakers makers_;
  TMapLayers layers_{state_};
  std::unique_ptr<TMapLayerObjects> objects_;
  std::vector<TNote> notes_;
  std::atomic<bool> cancelled_{false};
};

}  // namespace orvane
