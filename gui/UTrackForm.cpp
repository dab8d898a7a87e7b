// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/UTrackForm.h"

#include <algorithm>
#include <utility>

#include <QCloseEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QResizeEvent>
#include <QWheelEvent>

#include "common/ProgramFolder.h"
#include "common/ScopeGuard.h"
#include "gui/CloseToggle.h"
#include "gui/DefaultMark.h"
#include "gui/ErrorHandler.h"
#include "gui/MenuItems.h"
#include "gui/QtText.h"
#include "gui/USatVForm.h"
#include "nmea/NmeaRec.h"
#include "settings/MainVars.h"
#include "track/LayerExtents.h"
#include "track/TrackState.h"

namespace orvane {

TTrackForm* TrackForm = nullptr;

namespace {

// Qt's key to the virtual key code the view answers to; 0 for every other key.
int VirtualKey(int qtKey) {
  switch (qtKey) {
    case Qt::Key_PageUp:
      return vkPageUp;
    case Qt::Key_PageDown:
      return vkPageDown;
    case Qt::Key_Left:
      return vkLeft;
    case Qt::Key_Up:
      return vkUp;
    case Qt::Key_Right:
      return vkRight;
    case Qt::Key_Down:
      return vkDown;
    default:
      return 0;
  }
}

}  // namespace

// ---- imgTrk -------------------------------------------------------------------------------------

TTrackImage::TTrackImage(TTrackForm& form, QWidget* parent) : QWidget(parent), form_(form) {
  setObjectName("imgTrk");
  setMouseTracking(true);
  setContextMenuPolicy(Qt::CustomContextMenu);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTrackImage::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  if (dragging_ && !dragOffset_.isNull()) {
    p.fillRect(event->rect(), QColor(RedOf(NmeaRec.BGColor), GreenOf(NmeaRec.BGColor), BlueOf(NmeaRec.BGColor)));
    p.drawImage(dragOffset_, form_.surface_);
    return;
  }
  p.drawImage(event->rect().topLeft(), form_.surface_, event->rect());
}

void TTrackImage::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (dragging_) {
    // The picture as it stands follows the pointer; the full view comes at the release.
    dragOffset_ = pos - pressAt_;
    update();
  }
  Guard([&] { form_.imgTrkMouseMove(pos.x(), pos.y()); });
}

void TTrackImage::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  dragging_ = true;
  pressAt_ = event->position().toPoint();
  dragOffset_ = {};
  pressB_ = TrackState.CenterB;
  pressL_ = TrackState.CenterL;
}

void TTrackImage::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  dragging_ = false;
  const QPoint offset = event->position().toPoint() - pressAt_;
  dragOffset_ = {};
  if (offset.isNull()) {
    update();
    return;
  }
  Guard([&] { form_.imgTrkDragEnd(pressB_, pressL_, offset.x(), offset.y()); });
}

void TTrackImage::wheelEvent(QWheelEvent* event) {
  // A notch is 120 eighths of a degree; finer wheels and touchpads add up to whole notches.
  wheelRest_ += event->angleDelta().y();
  const int steps = wheelRest_ / 120;
  wheelRest_ -= steps * 120;
  event->accept();
  if (steps == 0) return;
  const QPoint pos = event->position().toPoint();
  Guard([&] { form_.imgTrkWheel(steps, pos.x(), pos.y()); });
}

// ---- the window ---------------------------------------------------------------------------------

TTrackForm::TTrackForm(QWidget* parent) : QWidget(parent, Qt::Window), imgMark(DefaultMarkPicture()) {
  setObjectName("TrackForm");
  setWindowTitle("Route Track");
  setFocusPolicy(Qt::StrongFocus);
  resize(kTrackClientWidth, kTrackClientHeight);

  imgTrk = new TTrackImage(*this, this);
  imgTrk->setGeometry(rect());
  lblHeadding = new QLabel(this);
  lblHeadding->setObjectName("lblHeadding");
  lblHeadding->setTextFormat(Qt::PlainText);
  lblHeadding->setAutoFillBackground(true);
  {
    QPalette p = lblHeadding->palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    lblHeadding->setPalette(p);
    QFont f("DejaVu Sans");
    f.setPixelSize(13);
    lblHeadding->setFont(f);
  }
  lblHeadding->hide();
  BuildMenu();
  connect(imgTrk, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenu->popup(imgTrk->mapToGlobal(pos)); });
  TrkTimer.setObjectName("TrkTimer");
  connect(&TrkTimer, &QTimer::timeout, this, [this] { TrkTimerTimer(); });
  NewsTimer.setObjectName("NewsTimer");
  connect(&NewsTimer, &QTimer::timeout, this, [this] {
    const TLayerNews news = layers_.TakeNews();
    if (news.Redraw) Guard([this] { FormPaint(); });
    if (!news.Message.empty()) ShowMessage(news.Message);
  });
  NewsTimer.start(kNewsMs);
  ResizeSurface();

  // The plot owns the track list; this window owns the mark picture and the pixels under it.
  plot_ = std::make_unique<TTrackPlot>(*this, imgMark, MarkBackground, layers_, TrackState, NmeaRec);
  // A stored interval of 0 or less would never tick; it samples once a second instead, as
  // "Other..." does for such an answer.
  trkPeriod_ = TrackState.Interval > 0 ? TrackState.Interval : 1000;
  menTrack->setChecked(TrackState.TrackEnabled);
  EnableTrkTimer(TrackState.TrackEnabled);
  // Scale from Zoom, a stored Zoom out of range brought into it.
  plot_->View.ApplyZoom();
  // The map datum items, in the datum library's table order.
  for (const std::string& name : TTrackPlot::MapDatumNames()) {
    QAction* a = mnMapDatum->addAction(FromLocal(name));
    a->setObjectName(FromLocal("mnDatum_" + name));
    connect(a, &QAction::triggered, this, [this, a] { Guard([this, a] { mnDatumClick(a); }); });
  }
  // Mark and layers, the first drawing, then the window's colour.
  SetMapSet();
  Guard([this] { FormPaint(); });
  setAutoFillBackground(true);
  ApplyBGColor();
  // Shown as the main window's ShowTrk says; last, so that it first appears drawn.
  setVisible(ShowTrk);
}

TTrackForm::~TTrackForm() {
  FormDestroy();
  StopLoads();
}

void TTrackForm::ApplyBGColor() {
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(RedOf(NmeaRec.BGColor), GreenOf(NmeaRec.BGColor), BlueOf(NmeaRec.BGColor)));
  setPalette(p);
}

void TTrackForm::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  TrkTimer.stop();
  NewsTimer.stop();
  StopLoads();
  plot_->Track.Clear();
}

void TTrackForm::BuildMenu() {
  PopupMenu = new QMenu(this);
  PopupMenu->setObjectName("PopupMenu");
  menTrack = AddItem(PopupMenu, "Tracking", "menTrack");
  menTrack->setCheckable(true);
  connect(menTrack, &QAction::triggered, this, [this] { Guard([this] { menTrackClick(); }); });
  menTrackInterval = AddSubmenu(PopupMenu, "Track Interval", "menTrackInterval");
  for (const TTrackIntervalItem& item : kTrackIntervalItems) {
    QAction* a = AddItem(menTrackInterval, item.caption, item.name, item.tag);
    if (item.tag < 0)
      connect(a, &QAction::triggered, this, [this] { Guard([this] { memOtherClick(); }); });
    else
      connect(a, &QAction::triggered, this, [this, a] { Guard([this, a] { menTrkIVClick(a); }); });
  }
  SaveTrack1 = AddItem(PopupMenu, "Save Track", "SaveTrack1");
  connect(SaveTrack1, &QAction::triggered, this, [this] { Guard([this] { SaveTrack1Click(); }); });
  menClearTrack = AddItem(PopupMenu, "Clear Track", "menClearTrack");
  connect(menClearTrack, &QAction::triggered, this, [this] { Guard([this] { menClearTrackClick(); }); });
  PopupMenu->addSeparator()->setObjectName("N1");
  menIn = AddItem(PopupMenu, "Zoom In", "menIn");
  connect(menIn, &QAction::triggered, this, [this] { Guard([this] { menZoomClick(menIn); }); });
  menOut = AddItem(PopupMenu, "Zoom Out", "menOut");
  connect(menOut, &QAction::triggered, this, [this] { Guard([this] { menZoomClick(menOut); }); });
  menCentre = AddItem(PopupMenu, "Centre on Receiver", "menCentre");
  connect(menCentre, &QAction::triggered, this, [this] { Guard([this] { menCentreClick(); }); });
  menWholeTrack = AddItem(PopupMenu, "Whole Track", "menWholeTrack");
  connect(menWholeTrack, &QAction::triggered, this, [this] { Guard([this] { menWholeTrackClick(); }); });
  menWholeLayer = AddSubmenu(PopupMenu, "Whole Layer", "menWholeLayer");
  connect(menWholeLayer, &QMenu::aboutToShow, this, [this] { FillWholeLayerMenu(); });
  connect(PopupMenu, &QMenu::aboutToShow, this, [this] { FillWholeLayerMenu(); });
  PopupMenu->addSeparator()->setObjectName("N2");
  // Layers are chosen in the settings dialog only; these two stay hidden.
  mnLoadMap = AddItem(PopupMenu, "Load Map", "mnLoadMap");
  mnLoadMap->setVisible(false);
  mnMapDatum = AddSubmenu(PopupMenu, "Map Datum", "mnMapDatum");
  mnDatum = AddItem(mnMapDatum, "Dummy", "mnDatum", 99);
  mnDatum->setVisible(false);
  Ma = AddSubmenu(PopupMenu, "Map", "Ma");
  Ma->menuAction()->setVisible(false);
  const char* const mapItems[][2] = {{"Bitmap", "Bitmap1"},
                                     {"Coastline", "Coastline1"},
                                     {"Kokudo Road", "KokudoRoad1"},
                                     {"Kokudo Border", "KokudoBorder1"},
                                     {"Kokudo Chimei", "KokudoChimei1"},
                                     {"GSI Kukan-Data", "GSIKukanData1"},
                                     {"Waypoint", "Waypoint1"},
                                     {"Clear", "Clear1"}};
  for (const auto& item : mapItems) AddItem(Ma, item[0], item[1]);
  menSetting = AddItem(PopupMenu, "Settings...", "menSetting");
  connect(menSetting, &QAction::triggered, this, [this] { Guard([this] { menSettingClick(); }); });
}

// ---- drawing ------------------------------------------------------------------------------------

void TTrackForm::ResizeSurface() {
  const QSize size = imgTrk->size();
  if (surface_.size() == size) return;
  surface_ = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  surface_.fill(Qt::white);
}

void TTrackForm::FormPaint() {
  {
    TQtCanvas canvas(surface_);
    plot_->FormPaint(canvas);
  }
  imgTrk->update();
}

void TTrackForm::SetMapSet() {
  Guard([this] { plot_->SetMark(); });
  if (destroyed_) return;
  if (running_.Load) running_.Load->Cancel();
  // The layer objects are the load's own. A chart layer whose class table cannot be read is left
  // out; that is said when a chart is to be drawn, not to every user at every start.
  auto load = std::make_unique<TMapSetLoad>(
      TrackState, layers_,
      TLayerMakers{TrackState, NmeaRec, {}, &encConverter_, EncClassTablePath(ProgramFolder()), nullptr},
      std::make_unique<TQtImage>());
  current_ = load.get();
  next_.reset();
  // No path set: nothing to wait for, and the map (its caption) is ready at once.
  if (std::all_of(TrackState.LayerPaths.begin(), TrackState.LayerPaths.end(),
                  [](const std::string& path) { return path.empty(); })) {
    load->Run();
    Show(std::move(load));
    return;
  }
  // One load at a time: two would read the same files and convert the same chart at once. The
  // one called off stops within a bounded step, and this one starts when it has.
  if (running_.Load)
    next_ = std::move(load);
  else
    Start(std::move(load));
}

void TTrackForm::Start(std::unique_ptr<TMapSetLoad> load) {
  TMapSetLoad* job = load.get();
  running_.Load = std::move(load);
  running_.Thread = QThread::create([this, job] {
    job->Run();
    QMetaObject::invokeMethod(
        this, [this, job] { LoadEnded(job); }, Qt::QueuedConnection);
  });
  running_.Thread->setObjectName("TrackLayerLoad");
  running_.Thread->start();
}

void TTrackForm::LoadEnded(TMapSetLoad* job) {
  if (running_.Load.get() != job) return;
  running_.Thread->wait();
  delete running_.Thread;
  running_.Thread = nullptr;
  std::unique_ptr<TMapSetLoad> load = std::move(running_.Load);
  if (next_) Start(std::move(next_));
  if (job == current_ && !job->Cancelled()) Show(std::move(load));
}

void TTrackForm::Show(std::unique_ptr<TMapSetLoad> load) {
  current_ = nullptr;
  load->ShowIn(layers_, TrackState);
  // The old objects go only now: until here they were what the window drew.
  shown_ = std::move(load);
  // Not before the newest load: an older one shown first does not hold the file yet.
  const char opened = next_ ? 0 : std::exchange(wholeAfterLoad_, 0);
  const bool openedShown = opened && ShowWholeLayer(opened);
  Guard([this] { FormPaint(); });
  // A copy: a message box runs events, and a load that ends meanwhile replaces shown_.
  const std::vector<TMapSetLoad::TNote> notes = shown_->Notes();
  for (const TMapSetLoad::TNote& note : notes) {
    if (note.Error)
      ReportError(note.Text);
    else
      ShowMessage(note.Text);
  }
  // A file opened for the run that could not be shown leaves the layer its own file.
  if (opened && !openedShown) {
    const std::string path = TrackState.RunLayer.Path;
    if (std::none_of(notes.begin(), notes.end(), [](const TMapSetLoad::TNote& n) { return n.Error; }))
      ShowMessage(path + ": nothing in it to draw");
    if (EndRunLayer(TrackState)) SetMapSet();
  }
}

void TTrackForm::OpenForRun(const TLayerKind& kind, const std::string& path) {
  OpenLayerForRun(TrackState, kind, path);
  wholeAfterLoad_ = kind.Letter;
  SetMapSet();
}

void TTrackForm::WaitForLayers() {
  while (current_ && running_.Load) {
    running_.Thread->wait();
    LoadEnded(running_.Load.get());
  }
}

void TTrackForm::StopLoads() {
  current_ = nullptr;
  next_.reset();
  if (!running_.Load) return;
  running_.Load->Cancel();
  running_.Thread->wait();
  delete running_.Thread;
  running_ = {};
}

void TTrackForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  imgTrk->setGeometry(rect());
  if (!plot_ || surface_.size() == imgTrk->size()) return;
  ResizeSurface();
  Guard([this] { FormPaint(); });
}

// ---- TTrackHost ---------------------------------------------------------------------------------

void TTrackForm::SetCaption(const std::string& caption) { setWindowTitle(FromLocal(caption)); }

void TTrackForm::ShowMessage(const std::string& text) {
  if (OnMessage) {
    OnMessage(text);
    return;
  }
  QMessageBox::information(this, QApplication::applicationName(), FromLocal(text));
}

void TTrackForm::ReportError(const std::string& text) { ShowError(text); }

void TTrackForm::HeadingLabelChanged(const THeadingLabel& label) {
  lblHeadding->setText(FromLocal(label.Caption));
  lblHeadding->adjustSize();
  lblHeadding->move(label.Left, label.Top);
  lblHeadding->setVisible(label.Visible);
}

void TTrackForm::ShowDataAge(int seconds) {
  const bool old = seconds != kDataCurrent;
  if (!plot_ || old == plot_->DataOld) return;
  Guard([this, old] {
    {
      TQtCanvas canvas(surface_);
      plot_->SetDataOld(canvas, old);
    }
    imgTrk->update();
  });
}

// ---- the track ----------------------------------------------------------------------------------

void TTrackForm::EnableTrkTimer(bool enabled) {
  if (enabled)
    TrkTimer.start(trkPeriod_);
  else
    TrkTimer.stop();
}

void TTrackForm::TrkTimerTimer() {
  TrkTimer.stop();
  // The timer runs on as tracking says even when this sample failed.
  const TScopeGuard restart([this] { EnableTrkTimer(TrackState.TrackEnabled); });
  Guard([this] {
    bool drawn = false;
    {
      TQtCanvas canvas(surface_);
      drawn = plot_->TimerSample(canvas);
    }
    if (drawn) imgTrk->update();
  });
}

bool TTrackForm::AskReplayTrack() {
  if (replayNewTrack_ >= 0) return replayNewTrack_ == 1;
  const size_t points = plot_->Track.Count();
  if (!TrackState.TrackEnabled || points == 0) return false;
  if (OnReplayTrackQuestion) {
    replayNewTrack_ = OnReplayTrackQuestion(points);
  } else {
    QMessageBox box(QMessageBox::Question, "Route Track",
                    QString("The track holds %1 points of the live source. Record the replay as a new track? "
                            "\"New Track\" clears this one (save it first with \"Save Track\"); \"New Segment\" "
                            "keeps it and records the replay after it. Asked once until Orvane is started again.")
                        .arg(points),
                    QMessageBox::NoButton, this);
    QPushButton* track = box.addButton("New Track", QMessageBox::YesRole);
    box.addButton("New Segment", QMessageBox::NoRole);
    box.setDefaultButton(track);
    box.exec();
    replayNewTrack_ = box.clickedButton() == track;
  }
  return replayNewTrack_ == 1;
}

void TTrackForm::ReplayRunning(bool running, bool newTrack) {
  Guard([&] {
    if (running) {
      TQtCanvas canvas(surface_);
      plot_->BeginReplay(canvas, newTrack);
    } else {
      plot_->EndReplay();
    }
    imgTrk->update();
  });
}

void TTrackForm::SentenceDecoded(const char* type) {
  if (!plot_->Replaying() || !type) return;
  Guard([this, type] {
    bool drawn = false;
    {
      TQtCanvas canvas(surface_);
      drawn = plot_->SampleReplayFix(canvas, type);
    }
    if (drawn) imgTrk->update();
  });
}

void TTrackForm::menTrackClick() {
  TrackState.TrackEnabled = !TrackState.TrackEnabled;
  menTrack->setChecked(TrackState.TrackEnabled);
  if (TrackState.TrackEnabled) TrkTimerTimer();
}

void TTrackForm::menTrkIVClick(QAction* sender) {
  TrackState.Interval = sender->data().toInt();
  trkPeriod_ = TimerPeriod(TrackState.Interval);
  if (TrkTimer.isActive()) TrkTimer.start(trkPeriod_);
}

void TTrackForm::memOtherClick() {
  const QString prompt = QString::fromStdString(OtherIntervalPrompt(TrackState.Interval));
  bool ok = false;
  QString answer = QInputDialog::getText(this, "Track Interval", "Input Tracking Interval Time.(Sec)",
                                         QLineEdit::Normal, prompt, &ok);
  // Cancelling keeps the current interval in whole seconds, as the pre-filled text says.
  if (!ok) answer = prompt;
  TrackState.Interval = OtherInterval(answer.toStdString());
  trkPeriod_ = TimerPeriod(TrackState.Interval);
  if (TrkTimer.isActive()) TrkTimer.start(trkPeriod_);
}

void TTrackForm::SaveTrack1Click() {
  // The dialog asks before an existing file is replaced. The text format is the default; GPX is
  // chosen by its filter or by the name's extension.
  QString filter;
  QString name = QFileDialog::getSaveFileName(this, "Save Track", QString(), DialogFilter(kTrackFileFilter), &filter);
  if (name.isEmpty()) return;
  const bool gpxFilter = filter == DialogFilter(kTrackFileFilter).split(";;").last();
  const std::string path = ToLocal(name);
  if (TrackFileIsGpx(path, gpxFilter)) {
    const std::string gpxPath = path.find('.', path.rfind('/') + 1) == std::string::npos ? path + ".gpx" : path;
    WriteGpxFile(gpxPath, plot_->Track);
  } else {
    WriteTrackFile(path, plot_->Track);
  }
}

void TTrackForm::menClearTrackClick() {
  {
    TQtCanvas canvas(surface_);
    plot_->ClearTrack(canvas);
  }
  imgTrk->update();
}

// ---- the view -----------------------------------------------------------------------------------

void TTrackForm::menZoomClick(QAction* sender) {
  {
    TQtCanvas canvas(surface_);
    if (sender == menIn)
      plot_->ZoomIn(canvas);
    else
      plot_->ZoomOut(canvas);
  }
  imgTrk->update();
}

void TTrackForm::FormKeyDown(int key) {
  {
    TQtCanvas canvas(surface_);
    plot_->KeyDown(canvas, key);
  }
  imgTrk->update();
}

void TTrackForm::keyPressEvent(QKeyEvent* event) {
  const int key = VirtualKey(event->key());
  if (key == 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  Guard([this, key] { FormKeyDown(key); });
}

void TTrackForm::imgTrkMouseMove(int X, int Y) { plot_->MouseMove(X, Y); }

void TTrackForm::imgTrkWheel(int steps, int X, int Y) {
  {
    TQtCanvas canvas(surface_);
    plot_->WheelZoom(canvas, steps, X, Y);
    // The read-out names what is under the pointer at the new scale.
    plot_->MouseMove(X, Y);
  }
  imgTrk->update();
}

void TTrackForm::imgTrkDragEnd(double fromB, double fromL, int dx, int dy) {
  {
    TQtCanvas canvas(surface_);
    plot_->DragTo(canvas, fromB, fromL, dx, dy);
  }
  imgTrk->update();
}

void TTrackForm::menCentreClick() {
  bool done = false;
  {
    TQtCanvas canvas(surface_);
    done = plot_->CentreOnReceiver(canvas);
  }
  if (!done) ShowMessage("No position from the receiver yet.");
  imgTrk->update();
}

void TTrackForm::menWholeTrackClick() {
  bool done = false;
  {
    TQtCanvas canvas(surface_);
    done = plot_->WholeTrack(canvas);
  }
  if (!done) ShowMessage("The track is empty.");
  imgTrk->update();
}

void TTrackForm::FillWholeLayerMenu() {
  menWholeLayer->clear();
  for (const TLayerExtent& layer : LayerExtents(layers_)) {
    QAction* a = menWholeLayer->addAction(FromLocal(layer.Caption));
    a->setObjectName(QString("menWholeLayer_") + layer.Letter);
    const char letter = layer.Letter;
    connect(a, &QAction::triggered, this, [this, letter] { Guard([this, letter] { menWholeLayerClick(letter); }); });
  }
  menWholeLayer->menuAction()->setEnabled(!menWholeLayer->isEmpty());
}

void TTrackForm::menWholeLayerClick(char letter) { ShowWholeLayer(letter); }

bool TTrackForm::ShowWholeLayer(char letter) {
  for (const TLayerExtent& layer : LayerExtents(layers_)) {
    if (layer.Letter != letter) continue;
    {
      TQtCanvas canvas(surface_);
      plot_->ShowBox(canvas, layer.West, layer.South, layer.East, layer.North);
    }
    imgTrk->update();
    return true;
  }
  return false;
}

void TTrackForm::mnDatumClick(QAction* sender) { TrackState.MapDatum = sender->text().toLocal8Bit().toStdString(); }

void TTrackForm::menSettingClick() {
  if (SatVForm) SatVForm->menSettingClick();
}

void TTrackForm::closeEvent(QCloseEvent* event) {
  if (!CloseAsToggle(*this, *event, OnCloseToggle)) QWidget::closeEvent(event);
}

}  // namespace orvane
