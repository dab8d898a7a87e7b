// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/USatVForm.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <utility>

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QInputDialog>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>

#include "gui/ErrorHandler.h"
#include "gui/MenuItems.h"
#include "gui/QtText.h"
#include "gui/UConsoleForm.h"
#include "gui/UMoniForm.h"
#include "gui/UReplayForm.h"
#include "gui/USetForm.h"
#include "gui/USignalForm.h"
#include "gui/UTrackForm.h"
#include "nmea/NmeaRec.h"
#include "serial/DeviceList.h"
#include "settings/MainVars.h"
#include "settings/Settings.h"

namespace orvane {

TSatVForm* SatVForm = nullptr;

namespace {
std::string SourceForRun;
bool SourceForRunSet = false;
}  // namespace

void SetSourceForRun(std::string address) {
  SourceForRun = std::move(address);
  SourceForRunSet = true;
}

namespace {

QColor ToQColor(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
QRect ToQRect(const TSkyRect& r) { return QRect(r.Left, r.Top, r.Width, r.Height); }

// A circle shape: the largest circle inside its bounds, its pen drawn inside them too.
void DrawCircleShape(QPainter& p, const QRect& r, int penWidth, QColor pen, QColor brush) {
  p.setPen(QPen(pen, penWidth));
  p.setBrush(brush);
  const int side = std::min(r.width(), r.height());
  const double half = penWidth / 2.0;
  const QRectF c(r.left() + (r.width() - side) / 2 + half, r.top() + (r.height() - side) / 2 + half, side - penWidth,
                 side - penWidth);
  p.drawEllipse(c);
}

void DrawLabel(QPainter& p, const QRect& r, const QString& text, const QFont& font) {
  p.fillRect(r, Qt::white);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

}  // namespace

// ---- the sky view -------------------------------------------------------------------------------

TSkyPanel::TSkyPanel(QWidget* parent) : QWidget(parent) {
  setObjectName("pnlSat");
  setContextMenuPolicy(Qt::CustomContextMenu);
  SnrFont = parent->font();
  SnrFont.setPointSize(9);
  PrnFont = parent->font();
  PrnFont.setPointSize(10);
  PrnFont.setBold(true);
  CompassFont = parent->font();
  CompassFont.setPixelSize(10);
}

QFont TSkyPanel::Font(const QFont& laid) const {
  if (Sky.Scale == 1) return laid;
  QFont f = laid;
  if (laid.pixelSize() > 0)
    f.setPixelSize(Scaled(laid.pixelSize(), Sky.Scale));
  else
    f.setPointSizeF(laid.pointSizeF() * Sky.Scale);
  return f;
}

QRect TSkyPanel::FixRect() const {
  return QRect(0, 0, Scaled(kFixRect.width(), Sky.Scale), Scaled(kFixRect.height(), Sky.Scale));
}

void TSkyPanel::FormPaint() {
  Sky = SkyLayout(width(), height());
  // Symbols and labels grow with the plot, so the satellites are placed on it again.
  for (TSatMark& s : Sats)
    if (!s.Prn.isEmpty()) Measure(s);
  LabelsStale = true;
  update();
}

void TSkyPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormPaint();
}

void TSkyPanel::Measure(TSatMark& s) const {
  const QFontMetrics pm(Font(PrnFont)), sm(Font(SnrFont));
  const TSatPlace place = PlaceSat(Sky, s.Elevation, s.Azimuth, pm.horizontalAdvance(s.Prn), pm.height(),
                                   sm.horizontalAdvance(s.Snr), sm.height());
  s.PrnRect = ToQRect(place.Prn);
  s.SnrRect = ToQRect(place.Snr);
  s.Symbol = ToQRect(place.Symbol);
}

void TSkyPanel::SatsChanged() {
  LabelsStale = true;
  update();
  if (OnSatsChanged) OnSatsChanged();
}

void TSkyPanel::PlaceSatellite(const std::string& prn, int index, int elevation, int azimuth, int snr) {
  if (index < 1 || index > kMaxGnssSats) return;
  TSatMark& s = Sats[static_cast<size_t>(index - 1)];
  s.Prn = FromLocal(prn);
  s.Snr = QString::fromStdString(FormatSnr(snr));
  s.SnrDb = snr;
  s.Elevation = elevation;
  s.Azimuth = azimuth;
  Measure(s);
  SatsChanged();
}

void TSkyPanel::SetSatVisible(int index, bool visible) {
  if (index < 1 || index > kMaxGnssSats) return;
  Sats[static_cast<size_t>(index - 1)].Visible = visible;
  SatsChanged();
}

void TSkyPanel::SetSatColor(int index, TColor color) {
  if (index < 1 || index > kMaxGnssSats) return;
  Sats[static_cast<size_t>(index - 1)].Color = color;
  SatsChanged();
}

void TSkyPanel::SetFixCaption(const std::string& caption) {
  Fix = FromLocal(caption);
  update();
}

void TSkyPanel::ShowStatus(const std::string& text) { SetStatusText(FromLocal(text)); }

void TSkyPanel::ShowDataAge(int seconds) {
  const bool wasOld = DataOld();
  Age = seconds == kDataCurrent ? QString() : FromLocal(NoDataCaption(SourceName ? SourceName() : "", seconds));
  // The signal levels draw old satellites hollow too.
  if (wasOld != DataOld()) {
    SatsChanged();
    return;
  }
  LabelsStale = true;
  update();
}

QString TSkyPanel::Header() const {
  if (Status.isEmpty() || Age.isEmpty()) return Status + Age;
  return Status + '\n' + Age;
}

void TSkyPanel::SetStatusText(const QString& text) {
  Status = text;
  LabelsStale = true;
  update();
}

void TSkyPanel::SetBGColor(TColor color) {
  Background = color;
  update();
}

void TSkyPanel::ClearSatellites() {
  Sats = {};
  SatsChanged();
}

namespace {

// The legend: "used" and "not used" each after a symbol of its colour, then what the number
// under a symbol is.
struct TLegendPart {
  bool Symbol;
  TColor Color;
  const char* Text;
};
constexpr TLegendPart kLegend[] = {
    {true, clBlue, "used"}, {true, clRed, "not used"}, {false, clBlack, "number below = SNR dB-Hz"}};

int LegendWidth(const QFontMetrics& fm) {
  int w = 0;
  for (const TLegendPart& part : kLegend)
    w += (part.Symbol ? fm.height() + fm.horizontalAdvance(' ') : 0) + fm.horizontalAdvance(part.Text) +
         2 * fm.horizontalAdvance(' ');
  return w - 2 * fm.horizontalAdvance(' ');
}

}  // namespace

QRect TSkyPanel::LegendRect() const {
  const QFontMetrics fm(Font(SnrFont)), cm(Font(CompassFont));
  const std::optional<TSkyRect> r = LegendPlace(Sky, width(), height(), LegendWidth(fm), fm.height(), cm.height());
  return r ? ToQRect(*r) : QRect();
}

// N, E, S and W just beyond the ends of the axes and "45" by the inner circle, where the
// symbols of low and middle satellites seldom sit; pulled inside the panel when the margin is
// too narrow for them.
std::vector<TSkyPanel::TCompassLetter> TSkyPanel::CompassLetters() const {
  if (Sky.Radius <= 0) return {};
  const QFontMetrics fm(Font(CompassFont));
  const int cx = Sky.CenterX, cy = Sky.CenterY, r = Sky.Radius, gap = 2, h = fm.height();
  const auto at = [&](const char* text, int left, int top) {
    const QSize s(fm.horizontalAdvance(text), h);
    left = std::clamp(left, 0, std::max(0, width() - s.width()));
    top = std::clamp(top, 0, std::max(0, height() - s.height()));
    return TCompassLetter{text, QRect(QPoint(left, top), s)};
  };
  return {at("N", cx + gap + 1, cy - r - h - gap), at("S", cx + gap + 1, cy + r + gap),
          at("E", cx + r + gap + 1, cy + gap + 1), at("W", cx - r - gap - fm.horizontalAdvance("W"), cy + gap + 1),
          at("45", cx + gap + 1, cy - r / 2 + gap)};
}

void TSkyPanel::PlaceLabelsNow() {
  if (!LabelsStale) return;
  LabelsStale = false;
  std::vector<TSkyRect> fixed;
  const auto add = [&fixed](const QRect& r) { fixed.push_back({r.x(), r.y(), r.width(), r.height()}); };
  const QString header = Header();
  add(header.isEmpty()
          ? FixRect()
          : QFontMetrics(Font(font())).boundingRect(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, header));
  for (const TCompassLetter& c : CompassLetters()) add(c.Box);
  if (const QRect legend = LegendRect(); !legend.isEmpty()) add(legend);

  std::vector<TSatMark*> shown;
  std::vector<TSatLabels> labels;
  for (TSatMark& s : Sats) {
    if (!s.Visible) continue;
    Measure(s);
    const QPoint c = s.Symbol.center();
    shown.push_back(&s);
    labels.push_back(
        {c.x(), c.y(), s.PrnRect.width(), s.PrnRect.height(), s.SnrRect.width(), s.SnrRect.height(), s.SnrDb});
  }
  const std::vector<TLabelPlace> places = PlaceLabels(labels, Sky.Symbol, width(), height(), fixed);
  for (size_t i = 0; i < shown.size(); ++i) {
    shown[i]->PrnRect = places[i].Side == TLabelSide::None ? QRect() : ToQRect(places[i].Prn);
    shown[i]->SnrRect = places[i].Side == TLabelSide::None ? QRect() : ToQRect(places[i].Snr);
  }
}

void TSkyPanel::paintEvent(QPaintEvent*) {
  PlaceLabelsNow();
  QPainter p(this);
  const QColor bg = ToQColor(Background);
  p.fillRect(rect(), bg);
  p.setRenderHint(QPainter::Antialiasing, true);
  DrawCircleShape(p, ToQRect(Sky.cirElv1), 2, Qt::black, bg);
  DrawCircleShape(p, ToQRect(Sky.cirElv2), 2, Qt::black, bg);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(ToQRect(Sky.linElvV), Qt::black);
  p.fillRect(ToQRect(Sky.linElvH), Qt::black);

  p.setFont(Font(font()));
  p.setPen(Qt::black);
  const QString header = Header();
  if (header.isEmpty()) {
    p.fillRect(FixRect(), bg);
    p.drawText(FixRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Fix);
  }
  // Over the caption's place, but under every satellite.
  p.setFont(Font(CompassFont));
  for (const TCompassLetter& c : CompassLetters())
    p.drawText(c.Box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, c.Text);
  DrawLegend(p);

  const QFont snr = Font(SnrFont), prn = Font(PrnFont);
  for (const TSatMark& s : Sats)
    if (s.Visible && !s.SnrRect.isEmpty()) DrawLabel(p, s.SnrRect, s.Snr, snr);
  for (const TSatMark& s : Sats)
    if (s.Visible && !s.PrnRect.isEmpty()) DrawLabel(p, s.PrnRect, s.Prn, prn);
  p.setRenderHint(QPainter::Antialiasing, true);
  // Old positions are rings of their colour: still there to read, plainly not current.
  for (const TSatMark& s : Sats)
    if (s.Visible && DataOld())
      DrawCircleShape(p, s.Symbol, 2, ToQColor(s.Color), bg);
    else if (s.Visible)
      DrawCircleShape(p, s.Symbol, 1, Qt::white, ToQColor(s.Color));
  // Why no data comes, and for how long, must stay readable: over the satellites, on a veil of
  // the background through which they still show.
  if (!header.isEmpty()) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(Font(font()));
    const QRect area(0, 0, width(), height());
    const QRect used = p.boundingRect(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, header);
    QColor veil = bg;
    veil.setAlpha(210);
    p.fillRect(used.united(FixRect()), veil);
    p.setPen(Qt::black);
    p.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, header);
  }
}

void TSkyPanel::DrawLegend(QPainter& p) const {
  const QRect box = LegendRect();
  if (box.isEmpty()) return;
  const QFont f = Font(SnrFont);
  const QFontMetrics fm(f);
  p.setFont(f);
  p.setPen(Qt::black);
  const int space = fm.horizontalAdvance(' ');
  int x = box.left();
  for (const TLegendPart& part : kLegend) {
    if (part.Symbol) {
      p.setRenderHint(QPainter::Antialiasing, true);
      DrawCircleShape(p, QRect(x, box.top(), fm.height(), fm.height()), 1, Qt::white, ToQColor(part.Color));
      p.setRenderHint(QPainter::Antialiasing, false);
      x += fm.height() + space;
    }
    const int w = fm.horizontalAdvance(part.Text);
    p.setPen(Qt::black);
    p.drawText(QRect(x, box.top(), w, fm.height()), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, part.Text);
    x += w + 2 * space;
  }
}

// ---- the main window ----------------------------------------------------------------------------

TSatVForm::TSatVForm(QWidget* parent)
    : QWidget(parent, Qt::Window), Receiver(NmeaRec, {&PollTimer, &ReopenTimer, &Timer, &SLTimer, &AgeTimer}) {
  setObjectName("SatVForm");
  setWindowTitle("Sattelite View");
  QFont f("IPAPGothic");
  f.setPixelSize(15);
  setFont(f);
  resize(292, 325);

  // An error that escapes a tick (the log) ends only that tick.
  PollTimer.OnTick = [this] { Guard([this] { Receiver.PollTick(); }); };
  ReopenTimer.OnTick = [this] { Guard([this] { Receiver.ReopenTick(); }); };
  Timer.OnTick = [this] { Guard([this] { Receiver.ReplayTick(); }); };
  SLTimer.OnTick = [this] { Receiver.SaveTick(); };
  AgeTimer.OnTick = [this] { Receiver.AgeTick(); };
  Receiver.OnLog = [](const std::string& line) { std::fprintf(stderr, "Orvane: %s\n", line.c_str()); };
  Receiver.OnGnssQuestion = [this] { GnssQuestion.Ask(); };
  Receiver.Recorder().OnFailure = [this](const std::string& message) {
    menSaveLog->setChecked(false);
    // Shown after the sentence processor has returned, not in the middle of a delivery.
    QTimer::singleShot(0, this, [message] { ShowError(message); });
  };
  Receiver.Replayer().ProcessEvents = [] { QCoreApplication::processEvents(); };
  Receiver.Replayer().OnRunningChanged = [this](bool running) {
    menOpenLog->setEnabled(!running);
    mnStopLog->setEnabled(running);
    if (TrackForm) TrackForm->ReplayRunning(running, std::exchange(replayNewTrack_, false));
  };
  // A replay feeds the track by the log's time, fix by fix.
  Receiver.OnSentence = [](const TSentenceInfo& info) {
    if (TrackForm && info.outcome == TSentenceOutcome::Decoded) TrackForm->SentenceDecoded(info.type);
  };

  // The sky view with every satellite hidden until a GSV places it.
  pnlSat = new TSkyPanel(this);
  pnlSat->SourceName = [this] { return Receiver.Source().Name(); };
  Receiver.AddDisplay(*pnlSat);
  BuildMenu();
  connect(pnlSat, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenu->popup(pnlSat->mapToGlobal(pos)); });

  // Settings before anything that shows them.
  const TSettingsLoad load = LoadSettings();
  for (const std::string& note : load.Adjusted) std::fprintf(stderr, "Orvane: %s\n", note.c_str());
  // Running on defaults without a word would look like lost settings; the file is left as it is.
  if (!load.ReadError.empty())
    QTimer::singleShot(0, this, [message = load.ReadError + "; the defaults are used and the file is left as it is"] {
      ShowError(message);
    });
  Receiver.Replayer().SetInterval(RepInterval);
  // The menu mirrors what was stored.
  menSaveLog->setChecked(NmeaRec.SaveLog);
  menDataWindow->setChecked(ShowData);
  menTrkWindow->setChecked(ShowTrk);
  menSignalWindow->setChecked(ShowSignal);
  menConsoleWindow->setChecked(ShowConsole);
  // Recording resumes as it was left.
  Receiver.Recorder().Start();
  // Each port item names its device; the stored port and speed are chosen and opened once.
  for (int n = 1; n <= kComPortCount; ++n) PortItems[n]->setToolTip(QString::fromStdString(ComDeviceName(n)));
  TCommPortDriver& port = Receiver.UseSerialPort();
  if (NmeaRec.ComPort >= 1 && NmeaRec.ComPort <= kComPortCount) {
    PortItems[static_cast<size_t>(NmeaRec.ComPort)]->setChecked(true);
    port.SetComPort(static_cast<TComPortNumber>(NmeaRec.ComPort - 1));
  }
  for (QAction* item : SpeedItems) {
    TComPortBaudRate rate;
    if (Tag(item) != NmeaRec.ComSpeed || !BaudRateOf(static_cast<uint32_t>(Tag(item)), rate)) continue;
    item->setChecked(true);
    port.SetComPortSpeed(rate);
  }
  // A source given for this run is used without replacing the stored one.
  const std::string source = SourceForRunSet ? SourceForRun : NmeaRec.Source;
  if (!source.empty()) {
    Receiver.SetSourceAddress(source);
    for (QAction* item : PortItems)
      if (item) item->setChecked(false);
  }
  Receiver.OpenSource();
  ApplyBGColor();
}

TSatVForm::~TSatVForm() { FormDestroy(); }

void TSatVForm::FormDestroy() {
  if (Destroyed) return;
  Destroyed = true;
  Receiver.StopReplay();
  pnlSat->ClearSatellites();
  Receiver.CloseSource();
  Receiver.Recorder().CloseLogFile();
  try {
    SaveSettings();
  } catch (const std::exception& e) {
    ExitFailures().push_back(std::string("The settings were not saved: ") + e.what());
  }
}

void TSatVForm::BuildMenu() {
  PopupMenu = new QMenu(this);
  PopupMenu->setObjectName("PopupMenu");
  menDataWindow = AddItem(PopupMenu, "DataWindow", "menDataWindow", 0);
  menDataWindow->setCheckable(true);
  connect(menDataWindow, &QAction::triggered, this, [this] { Guard([this] { menDataWindowClick(); }); });
  menTrkWindow = AddItem(PopupMenu, "TrackWindow", "menTrkWindow", 0);
  menTrkWindow->setCheckable(true);
  connect(menTrkWindow, &QAction::triggered, this, [this] { Guard([this] { menTrkWindowClick(); }); });
  menSignalWindow = AddItem(PopupMenu, "Signal Levels", "menSignalWindow", 0);
  menSignalWindow->setCheckable(true);
  connect(menSignalWindow, &QAction::triggered, this, [this] { Guard([this] { menSignalWindowClick(); }); });
  menConsoleWindow = AddItem(PopupMenu, "Console", "menConsoleWindow", 0);
  menConsoleWindow->setCheckable(true);
  connect(menConsoleWindow, &QAction::triggered, this, [this] { Guard([this] { menConsoleWindowClick(); }); });
  PopupMenu->addSeparator()->setObjectName("N1");
  menOpenLog = AddItem(PopupMenu, "Open Log", "menOpenLog", 0);
  connect(menOpenLog, &QAction::triggered, this, [this] { Guard([this] { menOpenLogClick(); }); });
  mnStopLog = AddItem(PopupMenu, "Stop Play", "mnStopLog", 0);
  mnStopLog->setEnabled(false);
  connect(mnStopLog, &QAction::triggered, this, [this] { Guard([this] { StopLogClick(); }); });
  ReplayInterval1 = PopupMenu->addMenu("Replay Interval");
  ReplayInterval1->setObjectName("ReplayInterval1");
  ReplayInterval1->menuAction()->setObjectName("ReplayInterval1");
  for (const TReplayIntervalItem& r : kReplayIntervalItems) {
    QAction* a = AddItem(ReplayInterval1, r.caption, r.name, r.tag);
    connect(a, &QAction::triggered, this, [this, a] { Guard([this, a] { ReplayClick(a); }); });
  }
  PopupMenu->addSeparator()->setObjectName("N2");
  menSaveLog = AddItem(PopupMenu, "Save Log", "menSaveLog", 0);
  menSaveLog->setCheckable(true);
  connect(menSaveLog, &QAction::triggered, this, [this] { Guard([this] { menSaveLogClick(); }); });
  SaveInterval1 = PopupMenu->addMenu("Save Interval");
  SaveInterval1->setObjectName("SaveInterval1");
  SaveInterval1->menuAction()->setObjectName("SaveInterval1");
  for (const TSaveIntervalItem& s : kSaveIntervalItems) {
    QAction* a = AddItem(SaveInterval1, s.caption, s.name, s.tag);
    if (s.tag < 0)
      connect(a, &QAction::triggered, this, [this] { Guard([this] { OtherClick(); }); });
    else  // "1sec" included: it sets its one second like its sisters
      connect(a, &QAction::triggered, this, [this, a] { Guard([this, a] { SaveIvClick(a); }); });
  }
  LogFile = AddItem(PopupMenu, "LogFile...", "LogFile", 0);
  connect(LogFile, &QAction::triggered, this, [this] { Guard([this] { LogFileClick(); }); });
  Comm = PopupMenu->addMenu("COM");
  Comm->setObjectName("Comm");
  Comm->menuAction()->setObjectName("Comm");
  Port1 = Comm->addMenu("Port");
  Port1->setObjectName("Port1");
  Port1->menuAction()->setObjectName("Port1");
  Port1->setToolTipsVisible(true);
  PortGroup = new QActionGroup(this);
  for (int n = 1; n <= kComPortCount; ++n) {
    const std::string caption = "COM" + std::to_string(n), name = "mnuCom" + std::to_string(n);
    QAction* a = AddItem(Port1, caption.c_str(), name.c_str(), n - 1);
    a->setCheckable(true);
    PortGroup->addAction(a);
    PortItems[static_cast<size_t>(n)] = a;
    connect(a, &QAction::triggered, this, [this, a] { Guard([this, a] { mnuComClick(a); }); });
  }
  Port1->addSeparator()->setObjectName("N3");
  mnuSourceAddress = AddItem(Port1, "Device or address...", "mnuSourceAddress", 0);
  connect(mnuSourceAddress, &QAction::triggered, this, [this] { Guard([this] { SourceAddressClick(); }); });
  // The devices come and go: listed afresh each time the menu opens.
  connect(Port1, &QMenu::aboutToShow, this, [this] { FillDeviceItems(); });
  Speed1 = Comm->addMenu("Speed");
  Speed1->setObjectName("Speed1");
  Speed1->menuAction()->setObjectName("Speed1");
  auto* speeds = new QActionGroup(this);
  const int rates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200};
  for (size_t i = 0; i < SpeedItems.size(); ++i) {
    const std::string caption = std::to_string(rates[i]), name = "mnuSp" + caption;
    QAction* a = AddItem(Speed1, caption.c_str(), name.c_str(), rates[i]);
    a->setCheckable(true);
    speeds->addAction(a);
    SpeedItems[i] = a;
    connect(a, &QAction::triggered, this, [this, a] { Guard([this, a] { mnuSpClick(a); }); });
  }
  menSetting = AddItem(PopupMenu, "Settings...", "menSetting", 0);
  connect(menSetting, &QAction::triggered, this, [this] { Guard([this] { menSettingClick(); }); });
}

void TSatVForm::FillDeviceItems() {
  for (QAction* a : DeviceItems) {
    Port1->removeAction(a);
    PortGroup->removeAction(a);
    a->deleteLater();
  }
  DeviceItems.clear();
  // The device read now, however it was named: typed as /dev/ttyACM0, it is its by-id entry.
  const QString current = QFileInfo(FromLocal(Receiver.SourceAddress())).canonicalFilePath();
  for (const TSerialDevice& device : ListSerialDevices(DeviceRoot)) {
    auto* a = new QAction(FromLocal(device.Label), Port1);
    a->setObjectName("mnuDevice");
    a->setToolTip(FromLocal(device.Target));
    a->setCheckable(true);
    // One group with the COM items: every source is picked alike, one at a time.
    PortGroup->addAction(a);
    a->setChecked(!current.isEmpty() && QFileInfo(FromLocal(device.Path)).canonicalFilePath() == current);
    const std::string path = device.Path;
    connect(a, &QAction::triggered, this, [this, path] { Guard([this, path] { OpenSourceAddress(path); }); });
    Port1->insertAction(mnuSourceAddress, a);
    DeviceItems.push_back(a);
  }
}

void TSatVForm::OpenSourceAddress(const std::string& address) {
  Receiver.SetSourceAddress(address);
  NmeaRec.Source = address;
  // The COM items are checked only while a COM port is the source.
  for (int n = 1; n <= kComPortCount; ++n) PortItems[n]->setChecked(address.empty() && n == NmeaRec.ComPort);
  RememberSource(RecentSources, address);
  Receiver.OpenSource();
}

void TSatVForm::SourceAddressClick() {
  // A source given for the run only, or a hand-written one, is offered too but not remembered
  // until it is chosen here.
  std::vector<std::string> offered = RecentSources;
  const std::string& current = Receiver.SourceAddress();
  if (!current.empty() && std::find(offered.begin(), offered.end(), current) == offered.end())
    offered.insert(offered.begin(), current);
  QStringList items;
  for (const std::string& s : offered) items << FromLocal(s);
  bool ok = false;
  const QString answer = QInputDialog::getItem(this, "Device or address",
                                               "A device (/dev/ttyACM0) or an address (tcp://HOST:PORT, "
                                               "udp://:10110, gpsd://localhost):",
                                               items, 0, true, &ok);
  const std::string address = answer.trimmed().toLocal8Bit().toStdString();
  if (ok && !address.empty()) OpenSourceAddress(address);
}

void TSatVForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  pnlSat->setGeometry(0, 0, width(), height());
}

void TSatVForm::closeEvent(QCloseEvent* event) {
  // Qt closes the remaining tool windows with the last main window; that is the program ending,
  // not the user hiding them, so ShowData and ShowTrk must keep what the user chose.
  if (MoniForm) MoniForm->OnCloseToggle = nullptr;
  if (TrackForm) TrackForm->OnCloseToggle = nullptr;
  if (SignalForm) SignalForm->OnCloseToggle = nullptr;
  if (ConsoleForm) ConsoleForm->OnCloseToggle = nullptr;
  QWidget::closeEvent(event);
  // Closing the main window ends the program, whatever other window is still shown.
  QCoreApplication::quit();
}

void TSatVForm::mnuComClick(QAction* item) {
  Receiver.SetSourceAddress("");
  NmeaRec.Source.clear();
  TCommPortDriver& port = Receiver.UseSerialPort();
  const int tag = Tag(item);
  port.SetComPort(static_cast<TComPortNumber>(tag));
  NmeaRec.ComPort = tag + 1;
  item->setChecked(true);
  Receiver.OpenSource();
}

void TSatVForm::mnuSpClick(QAction* item) {
  Receiver.CloseSource();
  TComPortBaudRate rate;
  if (BaudRateOf(static_cast<uint32_t>(Tag(item)), rate)) {
    // A network source has no speed; the next serial one takes it.
    if (TCommPortDriver* port = Receiver.SerialPort()) port->SetComPortSpeed(rate);
    NmeaRec.ComSpeed = Tag(item);
  }
  Receiver.OpenSource();
  item->setChecked(true);
}

void TSatVForm::menDataWindowClick() {
  ShowData = !ShowData;
  menDataWindow->setChecked(ShowData);
  if (MoniForm) MoniForm->setVisible(ShowData);
}

void TSatVForm::menTrkWindowClick() {
  ShowTrk = !ShowTrk;
  menTrkWindow->setChecked(ShowTrk);
  if (TrackForm) TrackForm->setVisible(ShowTrk);
}

void TSatVForm::menSignalWindowClick() {
  ShowSignal = !ShowSignal;
  menSignalWindow->setChecked(ShowSignal);
  if (SignalForm) SignalForm->setVisible(ShowSignal);
}

void TSatVForm::menConsoleWindowClick() {
  ShowConsole = !ShowConsole;
  menConsoleWindow->setChecked(ShowConsole);
  if (ConsoleForm) ConsoleForm->setVisible(ShowConsole);
}

void TSatVForm::menSettingClick() {
  if (SetForm) SetForm->exec();
}

void TSatVForm::menOpenLogClick() {
  const QString name = QFileDialog::getOpenFileName(this, "Open Log", QString(), DialogFilter(kLogFileFilter));
  if (!name.isEmpty()) StartReplay(name.toLocal8Bit().toStdString());
}

void TSatVForm::StartReplay(const std::string& fileName) {
  // Asked before the log opens, so that the question never waits while the replay runs.
  replayNewTrack_ = TrackForm && TrackForm->AskReplayTrack();
  struct TForget {
    bool& answer;
    ~TForget() { answer = false; }  // a log that did not open leaves the track as it was
  } forget{replayNewTrack_};
  Receiver.StartReplay(fileName);
  if (ReplayForm) ReplayForm->show();
}

void TSatVForm::StopLogClick() { Receiver.StopReplay(); }

void TSatVForm::ReplayClick(QAction* item) {
  Receiver.Replayer().SetInterval(Tag(item));
  RepInterval = Receiver.Replayer().Interval();
}

void TSatVForm::menSaveLogClick() {
  TNmeaLogRecorder& recorder = Receiver.Recorder();
  recorder.SetSaveLog(!recorder.SaveLog());
  menSaveLog->setChecked(recorder.SaveLog());
}

void TSatVForm::SaveIvClick(QAction* item) { Receiver.Recorder().SetSaveInterval(Tag(item)); }

void TSatVForm::OtherClick() {
  bool ok = false;
  const QString answer = QInputDialog::getText(this, kOtherCaption, kOtherPrompt, QLineEdit::Normal,
                                               QString::fromStdString(Receiver.Recorder().SaveIntervalText()), &ok);
  if (ok) Receiver.Recorder().SetSaveInterval(TNmeaLogRecorder::ParseSaveInterval(answer.toStdString()));
}

void TSatVForm::LogFileClick() {
  const QString name = QFileDialog::getSaveFileName(this, "LogFile", FromLocal(Receiver.Recorder().SaveLogName()),
                                                    DialogFilter(kLogFileFilter));
  if (!name.isEmpty()) Receiver.Recorder().SetSaveLogName(name.toLocal8Bit().toStdString());
}

void TSatVForm::ApplyBGColor() { pnlSat->SetBGColor(NmeaRec.BGColor); }

}  // namespace orvane
