// SPDX-License-Identifier: GPL-3.0-or-later
#include "track/TrackPlot.h"

#include <algorithm>

#include "geodrel.h"
#include "nmea/NmeaRec.h"
#include "nmea/ReportFix.h"
#include "track/HeadingMark.h"
#include "track/TrackState.h"

namespace orvane {

TTrackPlot::TTrackPlot(TTrackHost& host, TImage& markPicture, TImage& markBackground, TMapLayers& layers,
                       TTrackState& state, TNmeaRec& rec)
    : State(state),
      Rec(rec),
      View(state),
      MarkWidth(markPicture.Width()),
      MarkHeight(markPicture.Height()),
      host_(host),
      markPicture_(markPicture),
      markBackground_(markBackground),
      layers_(layers) {
  View.ApplyZoom();
}

std::vector<std::string> TTrackPlot::MapDatumNames() {
  std::vector<std::string> names;
  for (int16_t i = 0, n = GetDatumCount(); i < n; ++i) {
    TDatumParam unused{};
    if (const char* name = GetDatumByNum(i, &unused)) names.emplace_back(name);
  }
  return names;
}

void TTrackPlot::PrepareMark() {
  if (!State.IconMark.empty()) {
    markPicture_.LoadFromFile(State.IconMark, TImageKind::Picture);
    MarkWidth = markPicture_.Width();
    MarkHeight = markPicture_.Height();
  }
  SizeMark();
}

void TTrackPlot::SizeMark() {
  if (Rec.Headding) {
    // A negative radius would give a mark of negative size.
    MarkWidth = MarkHeight = 2 * std::max(Rec.HeadR, 0);
  }
  markBackground_.SetSize(MarkWidth, MarkHeight);
}

void TTrackPlot::SetMapSet() {
  layers_.BuildMapSet();
  SetMark();
  for (const char l : layers_.MapSet)
    if (!layers_.Layer(l) && !layers_.LayerError(l).empty()) host_.ReportError(layers_.LayerError(l));
  layers_.LoadMapSet([this](const std::string& text) { host_.ShowMessage(text); });
}

void TTrackPlot::SetMark() {
  std::string markError;
  try {
    PrepareMark();
  } catch (const std::exception& e) {
    markError = e.what();
  }
  if (!markError.empty()) {
    // The picture held stays; the heading setting may still change the size.
    SizeMark();
    host_.ReportError(markError);
  }
}

void TTrackPlot::DrawBase(TCanvas& canvas) {
  View.CoordFormat = Rec.CoordFormat;
  View.Plane = Rec.Plane;
  std::function<void(TCanvas&)> maps;
  if (layers_.MapReady) {
    maps = [this](TCanvas& c) {
      layers_.DrawMapLayers(c, View.Box(), View.Scale);
      host_.SetCaption(View.Caption());
    };
  }
  View.DrawBase(canvas, Rec.BGColor, Rec.GridColor, maps);
}

void TTrackPlot::FormPaint(TCanvas& canvas) {
  DrawBase(canvas);
  for (size_t i = 0; i < Track.Count(); ++i) DrawTrackPoint(canvas, i, 'R');
}

void TTrackPlot::DrawTrackPoint(TCanvas& canvas, size_t index, char mode) {
  const TTrackPoint p = Track[index].Point;
  if (mode == 'D') {
    State.CenterB = p.Lat;
    State.CenterL = p.Lon;
    if (index == 0) {
      DrawBase(canvas);
    } else {
      SuppressMark = true;
      FormPaint(canvas);
      SuppressMark = false;
    }
  }
  canvas.SetPenColor(Rec.TrackColor);
  canvas.SetPenStyle(TPenStyle::Solid);
  canvas.SetPenWidth(2);
  const TPoint xy = View.Project(p.Lat, p.Lon);
  const int markX = xy.x - MarkWidth / 2, markY = xy.y - MarkHeight / 2;
  const TRect under = Bounds(markX, markY, MarkWidth, MarkHeight);
  if (index == 0) {
    canvas.CopyToImage(markBackground_, under);
    if (!SuppressMark) DrawMark(canvas, markX, markY);
    canvas.MoveTo(xy.x, xy.y);
  } else {
    // Erases the previous mark before the line leaves its point.
    canvas.CopyFromImage(Bounds(LastMarkX, LastMarkY, MarkWidth, MarkHeight), markBackground_,
                         Bounds(0, 0, MarkWidth, MarkHeight));
    // No line across a loss of the receiver: the new run starts at its own point.
    if (Track[index].NewSegment)
      canvas.MoveTo(xy.x, xy.y);
    else
      canvas.LineTo(xy.x, xy.y);
    canvas.CopyToImage(markBackground_, under);
    if (!SuppressMark) {
      DrawMark(canvas, markX, markY);
      canvas.MoveTo(xy.x, xy.y);
    }
  }
  LastMarkX = markX;
  LastMarkY = markY;
}

void TTrackPlot::DrawMark(TCanvas& canvas, int markX, int markY) {
  if (DataOld) {
    THeadingLabel label = HeadingLabel;
    label.Visible = false;
    SetLabel(label);
    canvas.SetPenColor(RGBColor(128, 128, 128));
    canvas.SetPenStyle(TPenStyle::Solid);
    canvas.SetPenWidth(2);
    canvas.SetBrushStyle(TBrushStyle::Clear);
    const int side = std::min(MarkWidth, MarkHeight), left = markX + (MarkWidth - side) / 2,
              top = markY + (MarkHeight - side) / 2;
    canvas.Ellipse(left + 1, top + 1, left + side - 1, top + side - 1);
    return;
  }
  if (!Rec.Headding) {
    THeadingLabel label = HeadingLabel;
    label.Visible = false;
    SetLabel(label);
    canvas.DrawTransparent(markX, markY, markPicture_);
    return;
  }
  const THeadingMark mark = HeadingMarkGeometry(markX, markY, Rec.HeadR, Rec.Course);
  DrawHeadingMark(canvas, mark);
  SetLabel({Rec.HeadGuide, HeadingCaption(Rec.Course), mark.Label.x, mark.Label.y});
}

void TTrackPlot::SetDataOld(TCanvas& canvas, bool old) {
  if (old == DataOld) return;
  DataOld = old;
  if (Track.Count() == 0) return;
  // The pixels kept from under the mark put the map back before the mark is drawn anew.
  const TRect mark = Bounds(LastMarkX, LastMarkY, MarkWidth, MarkHeight);
  canvas.CopyFromImage(mark, markBackground_, Bounds(0, 0, MarkWidth, MarkHeight));
  DrawMark(canvas, LastMarkX, LastMarkY);
}

void TTrackPlot::SetLabel(const THeadingLabel& label) {
  HeadingLabel = label;
  host_.HeadingLabelChanged(HeadingLabel);
}

bool TTrackPlot::SampleTrack(TCanvas& canvas) {
  if (!Track.Sample(Rec, State.MapDatum, State.DataMax, State.Interval)) return false;
  DrawTrackPoint(canvas, Track.Count() - 1, 'D');
  host_.SetCaption(TrackCaption(Track.Count(), State.DataMax));
  return true;
}

bool TTrackPlot::TimerSample(TCanvas& canvas) { return !Replaying_ && SampleTrack(canvas); }

void TTrackPlot::BeginReplay(TCanvas& canvas, bool newTrack) {
  if (newTrack)
    ClearTrack(canvas);
  else
    Track.BreakSegment();
  Replaying_ = true;
  replaySampled_ = -1;
}

void TTrackPlot::EndReplay() {
  if (!Replaying_) return;
  Replaying_ = false;
  Rec.FixValid = false;
  Track.BreakSegment();
}

bool TTrackPlot::SampleReplayFix(TCanvas& canvas, std::string_view type) {
  if (!Replaying_ || !State.TrackEnabled || !Rec.FixValid) return false;
  // Until the log's first GGA or RMC the record holds the live source's position.
  if (!IsPositionType(type)) return false;
  bool dated = false;
  const int64_t now = ReceiverSeconds(Rec, dated);
  if (now < 0) return false;
  if (replaySampled_ >= 0) {
    int64_t step = now - replaySampled_;
    // Without a date the time of day runs on across midnight.
    if (!(dated && replaySampledDated_)) step = ((now % 86400) - (replaySampled_ % 86400) + 86400) % 86400;
    // A step back is a seek: sampled at once.
    if (step >= 0 && step * 1000 < std::max<int64_t>(State.Interval, 1)) return false;
  }
  replaySampled_ = now;
  replaySampledDated_ = dated;
  return SampleTrack(canvas);
}

void TTrackPlot::ClearTrack(TCanvas& canvas) {
  Rec.FixValid = false;
  Track.Clear();
  DrawBase(canvas);
}

void TTrackPlot::ZoomIn(TCanvas& canvas) {
  View.ZoomIn();
  FormPaint(canvas);
}

void TTrackPlot::ZoomOut(TCanvas& canvas) {
  View.ZoomOut();
  FormPaint(canvas);
}

void TTrackPlot::KeyDown(TCanvas& canvas, int key) {
  if (View.KeyDown(key)) FormPaint(canvas);
}

void TTrackPlot::WheelZoom(TCanvas& canvas, int steps, int X, int Y) {
  if (View.ZoomAt(steps, X, Y)) FormPaint(canvas);
}

void TTrackPlot::DragTo(TCanvas& canvas, double fromB, double fromL, int dx, int dy) {
  View.DragFrom(fromB, fromL, dx, dy);
  FormPaint(canvas);
}

bool TTrackPlot::CentreOnReceiver(TCanvas& canvas) {
  TTrackPoint p;
  if (!ReceiverPosition(Rec, State.MapDatum, p)) {
    if (Track.Count() == 0) return false;
    p = Track[Track.Count() - 1].Point;
  }
  State.CenterB = p.Lat;
  State.CenterL = p.Lon;
  FormPaint(canvas);
  return true;
}

bool TTrackPlot::WholeTrack(TCanvas& canvas) {
  if (Track.Count() == 0) return false;
  double west = 0, south = 0, east = 0, north = 0;
  for (size_t i = 0; i < Track.Count(); ++i) {
    const double lon = DmsToDeg(Track[i].Point.Lon), lat = DmsToDeg(Track[i].Point.Lat);
    if (i == 0 || lon < west) west = lon;
    if (i == 0 || lon > east) east = lon;
    if (i == 0 || lat < south) south = lat;
    if (i == 0 || lat > north) north = lat;
  }
  ShowBox(canvas, west, south, east, north);
  return true;
}

void TTrackPlot::ShowBox(TCanvas& canvas, double west, double south, double east, double north) {
  View.FitBox(west, south, east, north);
  FormPaint(canvas);
}

void TTrackPlot::MouseMove(int X, int Y) {
  View.CoordFormat = Rec.CoordFormat;
  View.Plane = Rec.Plane;
  host_.SetCaption(View.MouseMove(X, Y));
}

}  // namespace orvane
