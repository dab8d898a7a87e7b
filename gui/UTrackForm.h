// SPDX-License-Identifier: GPL-3.0-or-later
// The track window. It is created once at start-up and shown and hidden by the main window's
// "TrackWindow" item; its own close button runs that same toggle. The drawing itself is the
// Qt-free TTrackPlot; this window owns the pictures it draws on, forwards its menu, keys, mouse
// and timer to it and shows what it reports.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "gui/QtCanvas.h"
#include "gui/QtEncConverter.h"
#include "maps/MapBitmap.h"
#include "nmea/NmeaDisplay.h"
#include "track/MapLayerObjects.h"
#include "track/MapLayers.h"
#include "track/MapSetLoad.h"
#include "track/TrackPlot.h"

namespace orvane {

class TTrackForm;

// imgTrk: shows the window's drawing surface as it is; painting never draws the view itself.
class TTrackImage : public QWidget {
public:
  TTrackImage(TTrackForm& form, QWidget* parent);

  // While the left button drags the map: how far the pointer has moved since the press.
  bool Dragging() const { return dragging_; }
  QPoint DragOffset() const { return dragOffset_; }

protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

private:
  TTrackForm& form_;
  bool dragging_ = false;
  QPoint pressAt_, dragOffset_;
  double pressB_ = 0, pressL_ = 0;  // the centre when the drag began
  int wheelRest_ = 0;               // eighths of a degree short of a whole notch
};

// One item of the "Track Interval" submenu.
struct TTrackIntervalItem {
  const char* caption;
  const char* name;
  int tag;  // milliseconds; -1 for "Other..."
};
inline constexpr TTrackIntervalItem kTrackIntervalItems[] = {
    {"1Sec", "N1Sec2", 1000},  {"5sec", "N1sec1", 5000},   {"10sec", "N10sec1", 10000}, {"30sec", "N30sec1", 30000},
    {"1min", "N1min1", 60000}, {"5min", "N5min1", 300000}, {"Other...", "Other1", -1},
};

// One of the receiver's displays only to draw its position mark hollow while the data is old.
class TTrackForm : public QWidget, public TTrackHost, public TNmeaDisplay {
public:
  explicit TTrackForm(QWidget* parent = nullptr);
  ~TTrackForm() override;

  // Prepares the mark and starts loading the layers from the paths on a worker thread; the
  // window goes on drawing the track and the layers it has, and shows the new ones when they
  // arrive with what their load said (an error by the error handler ends the loading there). A
  // load still running is called off: its layers are never shown.
  void SetMapSet();
  // True while a load runs.
  bool LoadingLayers() const { return current_ != nullptr; }
  // Waits until the running load has ended and its layers are shown (tests, and a caller that
  // needs the layers at once).
  void WaitForLayers();
  // Full redraw of the surface, shown at once.
  void FormPaint();
  // The mark's current picture (imgMark).
  const QImage& MarkPicture() const { return imgMark.Image(); }
  TTrackPlot& Plot() { return *plot_; }
  // The drawing surface of imgTrk.
  const QImage& Surface() const { return surface_; }

  void FormDestroy();
  // The window's colour := BGColor; at creation and when the settings dialog applies its settings.
  void ApplyBGColor();

  // Handlers of the popup menu, the keys, the mouse and the timer.
  void menTrackClick();
  void menTrkIVClick(QAction* sender);
  void memOtherClick();
  void SaveTrack1Click();
  void menClearTrackClick();
  void menZoomClick(QAction* sender);
  void mnDatumClick(QAction* sender);
  void menSettingClick();
  // Virtual key codes: 33/34 zoom, 37 to 40 pan.
  void FormKeyDown(int key);
  void imgTrkMouseMove(int X, int Y);
  // The wheel: `steps` notches away from the user zoom in, keeping the position under (X, Y).
  void imgTrkWheel(int steps, int X, int Y);
  // A left-button drag ended after moving (dx, dy) from a press made with the centre at
  // `fromB`, `fromL`.
  void imgTrkDragEnd(double fromB, double fromL, int dx, int dy);
  void menCentreClick();
  void menWholeTrackClick();
  // One entry of "Whole Layer": the layer's letter.
  void menWholeLayerClick(char letter);
  // Shows a waypoint or track file for this run in the waypoint layer's place and, once it is
  // loaded, the whole of it; a file that cannot be read is said and the layer's own file is back.
  void OpenForRun(const TLayerKind& kind, const std::string& path);
  void TrkTimerTimer();

  // Before a replay starts: true when it is to be recorded as a new track (this one cleared)
  // rather than as a new segment. Asked once in a run, when tracking is on and the track holds
  // points; the answer holds for the later replays.
  bool AskReplayTrack();
  // A replay started (as a new track or not) or stopped: while it runs, the track takes its
  // fixes by the log's time.
  void ReplayRunning(bool running, bool newTrack);
  // After each sentence the receiver decoded, of its type ("GGA").
  void SentenceDecoded(const char* type);
  // The question of AskReplayTrack, with the track's point count; a message box unless
  // replaced.
  std::function<bool(size_t points)> OnReplayTrackQuestion;

  // TTrackHost
  void SetCaption(const std::string& caption) override;
  void ShowMessage(const std::string& text) override;
  void ReportError(const std::string& text) override;
  void HeadingLabelChanged(const THeadingLabel& label) override;

  // TNmeaDisplay
  bool WantsBlocks() const override { return false; }
  void ShowDataAge(int seconds) override;

  // The main window's menTrkWindowClick; the close button runs it instead of just hiding.
  std::function<void()> OnCloseToggle;
  // Where the window's own messages go (".HDR File not found", "Wrong HDR"); a message box
  // unless replaced.
  std::function<void(const std::string&)> OnMessage;

  TTrackImage* imgTrk;
  QLabel* lblHeadding;
  QMenu* PopupMenu;
  QAction *menTrack, *SaveTrack1, *menClearTrack, *menIn, *menOut, *menCentre, *menWholeTrack, *mnLoadMap, *mnDatum,
      *menSetting;
  QMenu *menTrackInterval, *menWholeLayer, *mnMapDatum, *Ma;
  QTimer TrkTimer;
  // Asks the layers what came to them (tiles fetched) and draws again when something did.
  QTimer NewsTimer;
  static constexpr int kNewsMs = 500;

  TQtImage imgMark;

protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  friend class TTrackImage;
  void BuildMenu();
  void FillWholeLayerMenu();
  // Shows the whole of a layer; false when it holds nothing placed.
  bool ShowWholeLayer(char letter);
  // Enables TrkTimer at the current period, or stops it.
  void EnableTrkTimer(bool enabled);
  void ResizeSurface();

  QImage surface_;
  TQtImage MarkBackground;
  // Runs the load on a thread of its own.
  void Start(std::unique_ptr<TMapSetLoad> load);
  void LoadEnded(TMapSetLoad* load);
  // The ended load's layers in place of the old ones, redrawn, then what the load said.
  void Show(std::unique_ptr<TMapSetLoad> load);
  // Calls off the running load and waits for its thread, which stops within a bounded step;
  // drops the one waiting.
  void StopLoads();

  TMapLayers layers_{TrackState};
  TQtEncConverter encConverter_;
  std::unique_ptr<TTrackPlot> plot_;
  // The load whose objects layers_ draws; the newest load asked for, whose result will be shown
  // (none once shown); the one running on its thread; the one waiting for it to stop.
  std::unique_ptr<TMapSetLoad> shown_;
  TMapSetLoad* current_ = nullptr;
  struct TRunning {
    std::unique_ptr<TMapSetLoad> Load;
    QThread* Thread = nullptr;
  } running_;
  std::unique_ptr<TMapSetLoad> next_;
  int trkPeriod_ = 1000;
  int replayNewTrack_ = -1;  // the answer of AskReplayTrack; -1 before it was asked
  char wholeAfterLoad_ = 0;  // the letter of a layer opened for the run, shown whole once loaded
  bool destroyed_ = false;
};

// The one track window of the program (null before start-up created it).
extern TTrackForm* TrackForm;

}  // namespace orvane
