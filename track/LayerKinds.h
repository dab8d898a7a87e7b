// SPDX-License-Identifier: GPL-3.0-or-later
// The kinds of map layer, one row each: everything the settings, the settings dialog, the layer
// set, the window and the map tool know about a kind. A new kind is a row here and its class.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "maps/EncConverter.h"
#include "maps/MapLayer.h"
#include "nmea/NmeaRec.h"
#include "track/TrackState.h"

namespace orvane {

// What a layer's factory may hand to the layer. The state and the record are read at every
// load and draw, so both outlive the layers made from them.
struct TLayerMakers {
  TTrackState& State;
  TNmeaRec& Rec;
  // Shows a message that needs no answer (a line file's header check).
  std::function<void(const std::string&)> Notice;
  // The chart converter and its object class table; without a converter no chart layer is made.
  TEncConverter* Converter = nullptr;
  std::string EncClassTable;
};

struct TLayerKind {
  char Letter;                     // in the layer set (MapSet)
  const char* Key;                 // in [Track]
  std::string TTrackState::*Path;  // the path setting; empty is a layer not shown
  const char* Label;               // on the settings dialog's Map page
  const char* Filter;              // of its file chooser, "Text|pattern"; none for a folder
  const char* Group;               // the dialog's group box it sits in, or none
  TColor TNmeaRec::*LineColor;     // a line colour setting offered under the row, or none
  const char* LineColorName;       // that colour's widget name on the dialog
  int LoadRank;                    // loaded in this order, the picture last
  int DrawRank;                    // drawn in this order, the picture first
  // Makes the layer; none for the picture, which the layer set loads itself. May throw (a chart
  // layer whose class table cannot be read); the window says why when the layer is wanted.
  std::unique_ptr<TMapLayer> (*Make)(const TLayerMakers&);
};

// In the settings file's key order, which is also the dialog's row order and the set's order.
std::span<const TLayerKind> LayerKinds();
// The row of a letter; throws std::invalid_argument for a letter no row has.
const TLayerKind& LayerKindOf(char letter);
// The letters ordered by load rank and by draw rank.
const std::string& LettersInLoadOrder();
const std::string& LettersInDrawOrder();
// The letter of the georeferenced picture, the one kind without a factory.
char BitmapLetter();

}  // namespace orvane
