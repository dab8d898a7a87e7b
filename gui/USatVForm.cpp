// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/USatVForm.h"

#include <algorithm>
#include <utility>

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QResizeEvent>
#include <QTimer>

#include "gui/ErrorHandler.h"
#include "gui/MenuItems.h"
#include "gui/QtText.h"
#include "gui/UChartsForm.h"
#include "gui/UConsoleForm.h"
#include "gui/UDeviationForm.h"
#include "gui/UMoniForm.h"
#include "gui/UNtripForm.h"
#include "gui/UReplayForm.h"
#include "gui/USetForm.h"
#include "gui/UShareForm.h"
#include "gui/USignalForm.h"
#include "gui/UTrackForm.h"
#include "nmea/NmeaRec.h"
#include "nmea/Receiver.h"
#include "serial/DeviceList.h"
#include "settings/MainVars.h"
#include "track/LayerKinds.h"

namespace orvane {

TSatVForm* SatVForm = nullptr;

struct TSatVForm::TMenuRow {
  enum TKind { Item, Check, Separator, Submenu } Kind;
  const char* Caption;
  const char* Name;
  QAction* TSatVForm::*Action = nullptr;
  void (TSatVForm::*Click)() = nullptr;
  QMenu* TSatVForm::*Menu = nullptr;
  void (TSatVForm::*Fill)(QMenu*) = nullptr;
};

// The context menu, top to bottom; a submenu's items come from its own table.
const TSatVForm::TMenuRow TSatVForm::kMenuRows[] = {
    {TMenuRow::Check, "DataWindow", "menDataWindow", &TSatVForm::menDataWindow, &TSatVForm::menDataWindowClick},
    {TMenuRow::Check, "TrackWindow", "menTrkWindow", &TSatVForm::menTrkWindow, &TSatVForm::menTrkWindowClick},
    {TMenuRow::Check, "Signal Levels", "menSignalWindow", &TSatVForm::menSignalWindow,
     &TSatVForm::menSignalWindowClick},
    {TMenuRow::Check, "Console", "menConsoleWindow", &TSatVForm::menConsoleWindow, &TSatVForm::menConsoleWindowClick},
    {TMenuRow::Check, "Deviation", "menDeviationWindow", &TSatVForm::menDeviationWindow,
     &TSatVForm::menDeviationWindowClick},
    {TMenuRow::Check, "Charts", "menChartsWindow", &TSatVForm::menChartsWindow, &TSatVForm::menChartsWindowClick},
    {TMenuRow::Separator, "", "N1"},
    {TMenuRow::Item, "Open Log", "menOpenLog", &TSatVForm::menOpenLog, &TSatVForm::menOpenLogClick},
    {TMenuRow::Item, "Stop Play", "mnStopLog", &TSatVForm::mnStopLog, &TSatVForm::StopLogClick},
    {TMenuRow::Submenu, "Replay Interval", "ReplayInterval1", nullptr, nullptr, &TSatVForm::ReplayInterval1,
     &TSatVForm::FillReplayIntervals},
    {TMenuRow::Separator, "", "N2"},
    {TMenuRow::Check, "Save Log", "menSaveLog", &TSatVForm::menSaveLog, &TSatVForm::menSaveLogClick},
    {TMenuRow::Submenu, "Save Interval", "SaveInterval1", nullptr, nullptr, &TSatVForm::SaveInterval1,
     &TSatVForm::FillSaveIntervals},
    {TMenuRow::Item, "LogFile...", "LogFile", &TSatVForm::LogFile, &TSatVForm::LogFileClick},
    {TMenuRow::Submenu, "COM", "Comm", nullptr, nullptr, &TSatVForm::Comm, &TSatVForm::FillCom},
    {TMenuRow::Item, "Share...", "menShare", &TSatVForm::menShare, &TSatVForm::menShareClick},
    {TMenuRow::Item, "Settings...", "menSetting", &TSatVForm::menSetting, &TSatVForm::menSettingClick},
    {TMenuRow::Item, "Corrections...", "menCorrections", &TSatVForm::menCorrections, &TSatVForm::menCorrectionsClick},
};

TSatVForm::TSatVForm(TReceiver& receiver, QWidget* parent) : QWidget(parent, Qt::Window), receiver_(receiver) {
  setObjectName("SatVForm");
  setWindowTitle("Sattelite View");
  QFont f("IPAPGothic");
  f.setPixelSize(15);
  setFont(f);
  resize(292, 325);

  // The sky view with every satellite hidden until a GSV places it.
  pnlSat = new TSkyPanel(this);
  BuildMenu();
  connect(pnlSat, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenu->popup(pnlSat->mapToGlobal(pos)); });
  MirrorSettings();
  ApplyBGColor();
}

void TSatVForm::MirrorSettings() {
  menSaveLog->setChecked(NmeaRec.SaveLog);
  menDataWindow->setChecked(ShowData);
  menTrkWindow->setChecked(ShowTrk);
  menSignalWindow->setChecked(ShowSignal);
  menConsoleWindow->setChecked(ShowConsole);
  menDeviationWindow->setChecked(ShowDeviation);
  menChartsWindow->setChecked(ShowCharts);
  menOpenLog->setEnabled(!receiver_.Replayer().Running());
  mnStopLog->setEnabled(receiver_.Replayer().Running());
  // Each port item names its device; the stored port is checked unless another source is read.
  for (int n = 1; n <= kComPortCount; ++n) {
    PortItems[n]->setToolTip(QString::fromStdString(ComDeviceName(n)));
    PortItems[n]->setChecked(receiver_.SourceAddress().empty() && n == NmeaRec.ComPort);
  }
  for (QAction* item : SpeedItems) {
    TComPortBaudRate rate;
    if (Tag(item) == NmeaRec.ComSpeed &&
        (Tag(item) == kAutoSpeed || BaudRateOf(static_cast<uint32_t>(Tag(item)), rate)))
      item->setChecked(true);
  }
}

void TSatVForm::ReplayRunning(bool running) {
  menOpenLog->setEnabled(!running);
  mnStopLog->setEnabled(running);
  if (TrackForm) TrackForm->ReplayRunning(running, std::exchange(replayNewTrack_, false));
}

void TSatVForm::RecordingFailed(const std::string& message) {
  menSaveLog->setChecked(false);
  // Shown after the sentence processor has returned, not in the middle of a delivery.
  QTimer::singleShot(0, this, [message] { ShowError(message); });
}

void TSatVForm::BuildMenu() {
  PopupMenu = new QMenu(this);
  PopupMenu->setObjectName("PopupMenu");
  for (const TMenuRow& row : kMenuRows) {
    if (row.Kind == TMenuRow::Separator) {
      PopupMenu->addSeparator()->setObjectName(row.Name);
    } else if (row.Kind == TMenuRow::Submenu) {
      QMenu* sub = AddSubmenu(PopupMenu, row.Caption, row.Name);
      this->*row.Menu = sub;
      (this->*row.Fill)(sub);
    } else {
      QAction* a = AddItem(PopupMenu, row.Caption, row.Name);
      a->setCheckable(row.Kind == TMenuRow::Check);
      this->*row.Action = a;
      connect(a, &QAction::triggered, this, [this, click = row.Click] { Guard([this, click] { (this->*click)(); }); });
    }
  }
}

void TSatVForm::FillReplayIntervals(QMenu* menu) {
  for (const TReplayIntervalItem& r : kReplayIntervalItems) {
    QAction* a = AddItem(menu, r.caption, r.name, r.tag);
    connect(a, &QAction::triggered, this, [this, a] { Guard([this, a] { ReplayClick(a); }); });
  }
}

void TSatVForm::FillSaveIntervals(QMenu* menu) {
  for (const TSaveIntervalItem& s : kSaveIntervalItems) {
    QAction* a = AddItem(menu, s.caption, s.name, s.tag);
    if (s.tag < 0)
      connect(a, &QAction::triggered, this, [this] { Guard([this] { OtherClick(); }); });
    else  // "1sec" included: it sets its one second like its sisters
      connect(a, &QAction::triggered, this, [this, a] { Guard([this, a] { SaveIvClick(a); }); });
  }
}

void TSatVForm::FillCom(QMenu* menu) {
  Port1 = AddSubmenu(menu, "Port", "Port1");
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
  Speed1 = AddSubmenu(menu, "Speed", "Speed1");
  auto* speeds = new QActionGroup(this);
  for (size_t i = 0; i < SpeedItems.size(); ++i) {
    const bool autoItem = i == std::size(kSpeedItems);
    const std::string caption = autoItem ? "Auto" : std::to_string(kSpeedItems[i]), name = "mnuSp" + caption;
    QAction* a = AddItem(Speed1, caption.c_str(), name.c_str(), autoItem ? kAutoSpeed : kSpeedItems[i]);
    a->setCheckable(true);
    speeds->addAction(a);
    SpeedItems[i] = a;
    connect(a, &QAction::triggered, this, [this, a] { Guard([this, a] { mnuSpClick(a); }); });
  }
}

void TSatVForm::FillDeviceItems() {
  for (QAction* a : DeviceItems) {
    Port1->removeAction(a);
    PortGroup->removeAction(a);
    a->deleteLater();
  }
  DeviceItems.clear();
  // The device read now, however it was named: typed as /dev/ttyACM0, it is its by-id entry.
  const QString current = QFileInfo(FromLocal(receiver_.SourceAddress())).canonicalFilePath();
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
  receiver_.SetSourceAddress(address);
  NmeaRec.Source = address;
  // The COM items are checked only while a COM port is the source.
  for (int n = 1; n <= kComPortCount; ++n) PortItems[n]->setChecked(address.empty() && n == NmeaRec.ComPort);
  RememberSource(RecentSources, address);
  receiver_.OpenSource();
}

void TSatVForm::SourceAddressClick() {
  // A source given for the run only, or a hand-written one, is offered too but not remembered
  // until it is chosen here.
  std::vector<std::string> offered = RecentSources;
  const std::string& current = receiver_.SourceAddress();
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
  if (DeviationForm) DeviationForm->OnCloseToggle = nullptr;
  if (ChartsForm) ChartsForm->OnCloseToggle = nullptr;
  QWidget::closeEvent(event);
  // Closing the main window ends the program, whatever other window is still shown.
  QCoreApplication::quit();
}

void TSatVForm::mnuComClick(QAction* item) {
  receiver_.SetSourceAddress("");
  NmeaRec.Source.clear();
  TCommPortDriver& port = receiver_.UseSerialPort();
  const int tag = Tag(item);
  port.SetComPort(static_cast<TComPortNumber>(tag));
  NmeaRec.ComPort = tag + 1;
  item->setChecked(true);
  receiver_.OpenSource();
}

void TSatVForm::mnuSpClick(QAction* item) {
  receiver_.CloseSource();
  TComPortBaudRate rate;
  receiver_.SetAutoSpeed(Tag(item) == kAutoSpeed);
  if (Tag(item) == kAutoSpeed) {
    NmeaRec.ComSpeed = kAutoSpeed;
  } else if (BaudRateOf(static_cast<uint32_t>(Tag(item)), rate)) {
    // A network source has no speed; the next serial one takes it.
    if (TCommPortDriver* port = receiver_.SerialPort()) port->SetComPortSpeed(rate);
    NmeaRec.ComSpeed = Tag(item);
  }
  receiver_.OpenSource();
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

void TSatVForm::menShareClick() {
  if (ShareForm && OnShareForm) ShareForm->Open(OnShareForm());
}

void TSatVForm::menDeviationWindowClick() {
  ShowDeviation = !ShowDeviation;
  menDeviationWindow->setChecked(ShowDeviation);
  if (DeviationForm) DeviationForm->setVisible(ShowDeviation);
}

void TSatVForm::menChartsWindowClick() {
  ShowCharts = !ShowCharts;
  menChartsWindow->setChecked(ShowCharts);
  if (ChartsForm) ChartsForm->setVisible(ShowCharts);
}

void TSatVForm::menSettingClick() {
  if (SetForm) SetForm->exec();
}

void TSatVForm::menCorrectionsClick() {
  if (!NtripForm) return;
  NtripForm->LoadFields();
  NtripForm->RefreshStatus();
  NtripForm->show();
  NtripForm->raise();
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
  receiver_.StartReplay(fileName);
  if (ReplayForm) ReplayForm->show();
}

void TSatVForm::OpenMapForRun(const std::string& fileName) {
  const TLayerKind* kind = RunLayerKindOf(fileName);
  if (!TrackForm || !kind) return;
  if (!ShowTrk) menTrkWindowClick();
  TrackForm->OpenForRun(*kind, fileName);
}

void TSatVForm::StopLogClick() { receiver_.StopReplay(); }

void TSatVForm::ReplayClick(QAction* item) {
  receiver_.Replayer().SetInterval(Tag(item));
  RepInterval = receiver_.Replayer().Interval();
}

void TSatVForm::menSaveLogClick() {
  TNmeaLogRecorder& recorder = receiver_.Recorder();
  recorder.SetSaveLog(!recorder.SaveLog());
  menSaveLog->setChecked(recorder.SaveLog());
}

void TSatVForm::SaveIvClick(QAction* item) { receiver_.Recorder().SetSaveInterval(Tag(item)); }

void TSatVForm::OtherClick() {
  bool ok = false;
  const QString answer = QInputDialog::getText(this, kOtherCaption, kOtherPrompt, QLineEdit::Normal,
                                               QString::fromStdString(receiver_.Recorder().SaveIntervalText()), &ok);
  if (ok) receiver_.Recorder().SetSaveInterval(TNmeaLogRecorder::ParseSaveInterval(answer.toStdString()));
}

void TSatVForm::LogFileClick() {
  const QString name = QFileDialog::getSaveFileName(this, "LogFile", FromLocal(receiver_.Recorder().SaveLogName()),
                                                    DialogFilter(kLogFileFilter));
  if (!name.isEmpty()) receiver_.Recorder().SetSaveLogName(name.toLocal8Bit().toStdString());
}

void TSatVForm::ApplyBGColor() { pnlSat->SetBGColor(NmeaRec.BGColor); }

}  // namespace orvane
