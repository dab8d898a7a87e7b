// SPDX-License-Identifier: GPL-3.0-or-later
// The track window without its widgets: the view, the track, the position mark and the map
// layers, drawn onto a canvas. The window forwards its menu items, keys, mouse moves and timer
// ticks here and shows what the host calls report.
#pragma once

#include <string>
#include <string_view>

#include "maps/TCanvas.h"
#include "nmea/NmeaRec.h"
#include "track/MapLayers.h"
#include "track/TrackList.h"
#include "track/TrackView.h"

namespace orvane {

// The course label under the heading circle.
struct THeadingLabel {
  bool Visible = false;
  std::string Caption;
  int Left = 0, Top = 0;
};

// What the drawing needs from the window around it.
class TTrackHost {
public:
  virtual ~TTrackHost() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void ShowMessage(const std::string& text) = 0;
  // A failure the user must know of, which the load goes on past (a mark picture that does not
  // load, a layer that could not be made).
  virtual void ReportError(const std::string& text) = 0;
  virtual void HeadingLabelChanged(const THeadingLabel& label) = 0;
};

class TTrackPlot {
public:
  // `markPicture` holds the mark's picture (the default one at start), `markBackground` the
  // pixels under the mark; both belong to the window.
  // The track state and the record are the program's in the window, a test's own in tests.
  TTrackPlot(TTrackHost& host, TImage& markPicture, TImage& markBackground, TMapLayers& layers, TTrackState& state,
             TNmeaRec& rec);

  // The name of every datum the map can be drawn in, in table order.
  static std::vector<std::string> MapDatumNames();

  // The mark's picture and size from IconMark, Headding and HeadR; MarkBackground follows.
  void PrepareMark();
  // PrepareMark, a picture that does not load reported and the one held kept.
  void SetMark();
  // Rebuilds MapSet from the paths, prepares the mark and loads the layers. A mark picture that
  // does not load is reported and the mark keeps the picture it had, but the maps still load: a
  // wrong icon path should not cost the user every layer. A wanted layer that could not be made
  // is reported and left out. Errors raised by the layers end the load and pass to the caller.
  void SetMapSet();

  void DrawBase(TCanvas& canvas);
  // Base, then every entry as a line, the mark at the newest.
  void FormPaint(TCanvas& canvas);
  // Mode 'D' draws a new entry: the view is recentred on it and redrawn first. Mode 'R' redraws.
  void DrawTrackPoint(TCanvas& canvas, size_t index, char mode);
  void DrawMark(TCanvas& canvas, int markX, int markY);
  // While the receiver's data is old the mark is a hollow ring, which this redraws in place.
  void SetDataOld(TCanvas& canvas, bool old);

  // One sample of the receiver. True when an entry was added.
  bool SampleTrack(TCanvas& canvas);
  // The sampling timer's tick: a sample, except while a replay feeds the track.
  bool TimerSample(TCanvas& canvas);

  // A replay is sampled by the log's own time, not by the timer: a fix it decodes is taken once
  // the log's time has moved on by the sampling interval since the last one, however fast it
  // plays. Its points never share a segment with the live source's: `newTrack` clears the track
  // first, else the replay starts a new segment.
  void BeginReplay(TCanvas& canvas, bool newTrack);
  // The replay's fix is not the receiver's: nothing is sampled until the live source reports a
  // fix, and that starts a new segment.
  void EndReplay();
  bool Replaying() const { return Replaying_; }
  // After each sentence a replay decoded, of its type ("GGA"): only a GGA, a GNS or an RMC brings a
  // position and time of the log's. True when an entry was added.
  bool SampleReplayFix(TCanvas& canvas, std::string_view type);
  // Nothing recorded until the next fix, the track gone, the base redrawn.
  void ClearTrack(TCanvas& canvas);

  void ZoomIn(TCanvas& canvas);
  void ZoomOut(TCanvas& canvas);
  void KeyDown(TCanvas& canvas, int key);
  void MouseMove(int X, int Y);
  // The wheel: zoom keeping the position under (X, Y); redrawn when the zoom changed.
  void WheelZoom(TCanvas& canvas, int steps, int X, int Y);
  // The end of a drag that began with the centre `fromB`, `fromL` and moved (dx, dy) pixels.
  void DragTo(TCanvas& canvas, double fromB, double fromL, int dx, int dy);
  // The receiver's present position (else the newest track point) at the centre. False, with
  // nothing changed, when neither is known.
  bool CentreOnReceiver(TCanvas& canvas);
  // The whole track in view at the highest zoom that holds it. False when the track is empty.
  bool WholeTrack(TCanvas& canvas);
  // The box (decimal degrees of the map datum) in view at the highest zoom that holds it.
  void ShowBox(TCanvas& canvas, double west, double south, double east, double north);

  TTrackState& State;
  TNmeaRec& Rec;
  TTrackView View;
  TTrackList Track;
  int MarkWidth = 0, MarkHeight = 0;
  int LastMarkX = 0, LastMarkY = 0;
  bool SuppressMark = false;
  bool DataOld = false;
  THeadingLabel HeadingLabel;

private:
  void SetLabel(const THeadingLabel& label);
  void SizeMark();
  TTrackHost& host_;
  bool Replaying_ = false;
  int64_t replaySampled_ = -1;  // the log time of the last replay sample, or -1
  bool replaySampledDated_ = false;
  TImage& markPicture_;
  TImage& markBackground_;
  TMapLayers& layers_;
};

}  // namespace orvane
