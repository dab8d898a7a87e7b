// SPDX-License-Identifier: GPL-3.0-or-later
// The track window's state that the settings file keeps: the view, the sampling, the map layer
// paths and the hand-maintained definition lists. Free of any display so that the settings code
// and the map readers can use it without one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

struct TTrackState {
  // Tracking on (setting Enable).
  bool TrackEnabled = false;
  // Zoom level, index into the zoom scale table (1 to 17 through the menus).
  int32_t Zoom = 6;
  // Centre of the view in D.MMSS notation of the map datum, north and east positive.
  double CenterB = 34.0;
  double CenterL = 134.0;
  // Track entries kept before the list is thinned, and the sampling period in milliseconds.
  int32_t DataMax = 1000;
  int32_t Interval = 1000;

  // Map layer sources by the row of the layer table (LayerPath in LayerKinds.h reads them); an
  // empty path is a layer that is not shown.
  std::vector<std::string> LayerPaths;
  // A file shown for this run alone in place of a layer's path (Orvane route.gpx): the layer's
  // row (-1: none), the file, and the path it stands in for, which is what the settings keep.
  struct TRunLayer {
    int Row = -1;
    std::string Path;
    std::string Saved;
  } RunLayer;
  // Datum name the map is drawn in, and the picture file of the position mark.
  std::string MapDatum = "Tokyo";
  std::string IconMark;

  // The definition sections, one "name=value" line per key in file order: [METADEF] for the
  // national-land layers, [KDDARC], [KDDATR], [KDDPGN], [KDDNOD], [KDDPNT] for the Digital Map
  // 2500 layer. Read at start, never written.
  std::vector<std::string> MetaDefList;
  std::vector<std::string> KddArcList;
  std::vector<std::string> KddAtrList;
  std::vector<std::string> KddPgnList;
  std::vector<std::string> KddNodList;
  std::vector<std::string> KddPntList;
};

// The program's one track state: the settings load fills it, the track window hands it to its
// drawing core, the exit saves it.
extern TTrackState TrackState;

}  // namespace orvane
