// SPDX-License-Identifier: GPL-3.0-or-later
// The kinds of map layer, one row each: everything the settings, the settings dialog, the layer
// set, the window and the map tool know about a kind. A new kind is a row here and its class.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "maps/EncConverter.h"
#include "maps/MapLayer.h"
#include "maps/TCanvas.h"
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
  // The picture the georeferenced bitmap is read into; without one no bitmap layer is made.
  TImage* MapImage = nullptr;
};

// What a describing tool asks beyond the layer's own description.
struct TDescribeWith {
  std::string Path;
  // Whether the definition sections ([METADEF], the KDD sections) were read, and how the user
  // has them read ("--settings"), for the note that says they were not.
  bool DefinitionsRead = false;
  std::string DefinitionsOption;
};

struct TLayerKind {
  char Letter;                  // in the layer set (MapSet)
  const char* Key;              // in [Track]
  const char* Label;            // on the settings dialog's Map page
  const char* Filter;           // of its file chooser, "Text|pattern"; none for a folder
  const char* Group;            // the dialog's group box it sits in, or none
  TColor TNmeaRec::*LineColor;  // a line colour setting offered under the row, or none
  const char* LineColorName;    // that colour's widget name on the dialog
  int LoadRank;                 // loaded in this order, the picture last
  int DrawRank;                 // drawn in this order, the picture first
  // Makes the layer; none when what it needs is missing from `makers`. May throw (a chart layer
  // whose class table cannot be read); the window says why when the layer is wanted.
  std::unique_ptr<TMapLayer> (*Make)(const TLayerMakers&);

  // The map tool's name of the kind (--kind); the rows of one class share it.
  const char* Kind;
  // Kinds are listed and their content tried in this order.
  int KindRank;
  // Upper-case extensions, blank-separated, that name the kind whatever the content; or none.
  const char* Extensions;
  // A national-land file-name prefix that names the kind, or none.
  const char* NamePrefix;
  // True for the first bytes of a file of the kind (whole lines, up to 64 KB); or none.
  bool (*Sniff)(std::string_view head);
  // The description a tool prints, from a loaded layer; none for the layer's own Describe.
  TLayerDescription (*Describe)(const TMapLayer& layer, const TDescribeWith& with);

  bool IsFolder() const { return !Filter; }
};

// In the settings file's key order, which is also the dialog's row order and the set's order.
std::span<const TLayerKind> LayerKinds();
// The row of a letter; throws std::invalid_argument for a letter no row has.
const TLayerKind& LayerKindOf(char letter);
// The letters ordered by load rank and by draw rank.
std::string LettersInLoadOrder();
std::string LettersInDrawOrder();

// The path setting of a row (BmpMap, RoadMap, ...), kept in the state by the row's place.
std::string& LayerPath(TTrackState& state, const TLayerKind& kind);
const std::string& LayerPath(const TTrackState& state, const TLayerKind& kind);
inline std::string& LayerPath(TTrackState& state, char letter) { return LayerPath(state, LayerKindOf(letter)); }

// The row a file named on the program's command line is shown by for the run, by its extension:
// a waypoint or track file (GPX, WPT, TRK). None for any other file, which is a log to replay.
const TLayerKind* RunLayerKindOf(const std::string& path);
// Shows `path` in the row for this run. The settings keep the row's own path while the row still
// shows the file; a path the user sets meanwhile is kept as set.
void OpenLayerForRun(TTrackState& state, const TLayerKind& kind, const std::string& path);
const std::string& LayerPathToSave(const TTrackState& state, const TLayerKind& kind);
// The row's own path back in place of the run's file (which could not be shown); true when the
// row still held that file, or nothing.
bool EndRunLayer(TTrackState& state);

// The map tool's kinds, each once, in KindRank order.
std::vector<const TLayerKind*> ToolKinds();
// "line, point, ... or enc" and "line|point|...|enc".
std::string KindNames(const char* separator, const char* last);
// The first row of a kind name; none for a name no row has.
const TLayerKind* KindNamed(std::string_view name);
// The kind a path names: a folder, an extension or a national-land prefix, else the first kind
// (by KindRank) whose sniff knows the first 64 KB of the file. None when nothing says; throws
// EMapFileError for a file that cannot be read.
const TLayerKind* KindOfPath(const std::string& path);

// Adds a row for as long as it lives, after the table's own: a kind brought by a test, or by
// a build that has the library the kind needs.
class TAddedLayerKind {
public:
  explicit TAddedLayerKind(const TLayerKind& kind);
  ~TAddedLayerKind();
  TAddedLayerKind(const TAddedLayerKind&) = delete;
  TAddedLayerKind& operator=(const TAddedLayerKind&) = delete;

private:
  char letter_;
};

}  // namespace orvane
