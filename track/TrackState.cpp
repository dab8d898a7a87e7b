// SPDX-License-Identifier: GPL-3.0-or-later
#include "track/TrackState.h"

namespace orvane {

// Holds the settings' defaults until the settings load.
TTrackState TrackState;

}  // namespace orvane
