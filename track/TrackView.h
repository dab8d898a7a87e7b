// SPDX-License-Identifier: GPL-3.0-or-later
// The track window's view: a plain latitude-longitude grid in which one arc-second of either
// spans Scale pixels at every latitude. The centre and zoom live in the track state handed in;
// this keeps what follows from them for one drawing surface.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/CoordFormat.h"
#include "maps/TCanvas.h"
#include "maps/ViewBox.h"
#include "track/TrackState.h"

namespace orvane {

constexpr int32_t kZoomMin = 1;
constexpr int32_t kZoomMax = 17;
// Pixels per arc-second and grid interval in arc-seconds, indexed by Zoom (entry 0 unused).
extern const double ScaleTable[kZoomMax + 1];
extern const int32_t GridTable[kZoomMax + 1];

int32_t ClampZoom(int32_t zoom);

// Virtual key codes of the keys the view answers to.
enum TViewKey : int { vkPageUp = 33, vkPageDown = 34, vkLeft = 37, vkUp = 38, vkRight = 39, vkDown = 40 };

// The position under the mouse, latitude first, each with its hemisphere letter, and the scale
// in pixels per second of arc: "N 34.05120 E 134.30000 [0.050]" in D.MMSS, else the two
// positions in the chosen format.
// With the Plane format, X and Y of the chosen zone follow the degrees; `datum` is the position's.
std::string ReadoutCaption(double lonDms, double latDms, double scale, TCoordFormat format = TCoordFormat::DMmss,
                           const TPlaneChoice& plane = {}, const std::string& datum = "Tokyo");

// The background of grid labels and the scale bar, so that they read over any layer.
constexpr TColor kLabelBackground = 0xF4F4F4;

// A round distance for a bar of at most `maxPixels` at latitude `latDeg` on a view of `scale`
// pixels per arc-second: 10 m, 20 m, 50 m ... 1000 km, the longest that fits (10 m when none
// does). Pixels 0 when the latitude leaves no east-west distance to measure.
struct TScaleBar {
  double Metres = 0;
  int Pixels = 0;
  std::string Label;  // "500 m", "2 km"
};
TScaleBar ScaleBarFor(double latDeg, double scale, int maxPixels);

// The track window's client size at start, which the headless map tool takes as its default.
inline constexpr int kTrackClientWidth = 485, kTrackClientHeight = 305;

class TTrackView {
public:
  explicit TTrackView(TTrackState& state) : State(state) {}

  // Its CenterB, CenterL and Zoom: the centre and zoom the view shows.
  TTrackState& State;
  double Scale = 0.05;
  int32_t GridStep = 600;
  double West = 0, South = 0, East = 0, North = 0;
  TViewBox Box() const { return {West, South, East, North}; }
  int W = 0, H = 0;
  double MouseLon = 0, MouseLat = 0;               // D.MMSS, as of the last read-out
  TCoordFormat CoordFormat = TCoordFormat::DMmss;  // of the read-out and the grid labels
  TPlaneChoice Plane;                              // of the read-out with the Plane format

  // A stored Zoom outside 1..17 is brought into range; Scale follows it.
  void ApplyZoom();
  // GridStep and the view box for a W x H surface around CenterB, CenterL.
  void ComputeViewBox(int width, int height);
  // Position in D.MMSS of the map datum to pixel; the centre lands on (W div 2, H - H div 2).
  TPoint Project(double latDms, double lonDms) const;
  // Stores the position under pixel (X, Y) in MouseLon, MouseLat and returns the caption.
  std::string MouseMove(int X, int Y);
  std::string Caption() const;

  // Background, then `layers` when given, then the dotted grid with its labels. Recomputes the
  // view box from the canvas's clip rectangle.
  void DrawBase(TCanvas& canvas, TColor background, TColor gridColor, const std::function<void(TCanvas&)>& layers);
  void DrawGrid(TCanvas& canvas, TColor gridColor) const;
  // The scale bar in the lower right corner, above the longitude labels.
  void DrawScaleBar(TCanvas& canvas) const;

  // "Zoom In" and "Zoom Out": one step, kept within 1..17; the centre stays.
  void ZoomIn() { ZoomBy(1); }
  void ZoomOut() { ZoomBy(-1); }
  // Page Up/Down zoom, the arrows pan by one grid interval read as decimal degrees. True when
  // the view changed its state and wants a full redraw (a zoom at its limit still redraws).
  bool KeyDown(int key);
  double PanStep() const;

  // The mouse wheel: `steps` zoom levels in (negative: out), kept within 1..17, with the position
  // under pixel (X, Y) staying under it. False when the zoom was at its limit already.
  bool ZoomAt(int steps, int X, int Y);
  // A drag by (dx, dy) pixels from the centre `fromB`, `fromL` (D.MMSS) the drag began with: the
  // map follows the pointer.
  void DragFrom(double fromB, double fromL, int dx, int dy);
  // The highest zoom whose view of the present surface holds the box (decimal degrees of the map
  // datum), centred on it; zoom 1 when none does.
  void FitBox(double west, double south, double east, double north);

private:
  void ZoomBy(int delta);
};

}  // namespace orvane
