// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the satellite sky view as its client area and the one context menu through
// which every command is given. The receive session is composed outside it and handed in; the
// sky view is one of the receiver's displays, and the window itself only commands the receiver.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QWidget>

#include "gui/GnssQuestion.h"
#include "gui/MenuItems.h"
#include "gui/SkyPanel.h"
#include "net/StreamShare.h"
#include "serial/PortNames.h"

namespace orvane {

class TReceiver;

class TSatVForm : public QWidget {
public:
  // The menu mirrors the settings the session loaded and the source it chose.
  explicit TSatVForm(TReceiver& receiver, QWidget* parent = nullptr);

  void mnuComClick(QAction* item);
  void mnuSpClick(QAction* item);
  void menDataWindowClick();
  void menTrkWindowClick();
  void menSignalWindowClick();
  void menConsoleWindowClick();
  void menDeviationWindowClick();
  void menChartsWindowClick();
  void menSettingClick();
  // "Share...": the share dialog, filled with the share in force that OnShareForm answers.
  void menShareClick();
  void menCorrectionsClick();
  void menOpenLogClick();
  void StopLogClick();
  void ReplayClick(QAction* item);
  void menSaveLogClick();
  void SaveIvClick(QAction* item);
  void OtherClick();
  void LogFileClick();
  // Replays a log file as "Open Log" does; a file that cannot be opened is reported.
  void StartReplay(const std::string& fileName);
  // A waypoint or track file named on the command line: the track window shows it for this run.
  void OpenMapForRun(const std::string& fileName);
  // Panel colour and both circles' brush := BGColor.
  void ApplyBGColor();

  TSkyPanel* pnlSat;
  QMenu* PopupMenu;
  QAction *menDataWindow, *menTrkWindow, *menSignalWindow, *menConsoleWindow, *menOpenLog, *mnStopLog, *menSaveLog,
      *LogFile, *menSetting;
  QAction* menCorrections;
  QAction *menDeviationWindow, *menChartsWindow;
  QMenu *ReplayInterval1, *SaveInterval1, *Comm, *Port1, *Speed1;
  std::array<QAction*, kComPortCount + 1> PortItems{};            // 1..16
  std::array<QAction*, std::size(kSpeedItems) + 1> SpeedItems{};  // 2400 .. 921600, Auto
  // Under a separator after COM16: the serial devices present when the menu opened, then
  // "Device or address...".
  std::vector<QAction*> DeviceItems;
  QActionGroup* PortGroup = nullptr;
  QAction* mnuSourceAddress = nullptr;
  // Opens a device path or a network address and keeps it as the Source setting; empty goes back
  // to the COM port.
  void OpenSourceAddress(const std::string& address);
  // The "Device or address..." dialog; the source read now and the last addresses used (kept in
  // the settings) are offered again.
  void SourceAddressClick();
  // The folder the port menu lists devices from. A member rather than a fixed "/dev" so that a
  // folder standing in for it can be given, as ListSerialDevices allows.
  std::string DeviceRoot = "/dev";

  // The receiver's replay started or stopped: the menu offers what may be done now.
  void ReplayRunning(bool running);
  // Recording failed and is off: the menu says so, and the message is shown once the sentence
  // handling has returned.
  void RecordingFailed(const std::string& message);
  // Asked of a receiver that sends only multi-GNSS talkers while they are not decoded.
  TGnssQuestion GnssQuestion{this};
  // The share in force, for the share dialog; the session's, given at start-up.
  std::function<TShareSettings()> OnShareForm;
  QAction* menShare = nullptr;

protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  struct TMenuRow;
  static const TMenuRow kMenuRows[];
  void BuildMenu();
  void FillReplayIntervals(QMenu* menu);
  void FillSaveIntervals(QMenu* menu);
  void FillCom(QMenu* menu);
  void MirrorSettings();
  void FillDeviceItems();
  // The port chosen by item `item` and the stored speed, opened once.
  void SelectPort(QAction* item);
  TReceiver& receiver_;
  // The replay being started is recorded as a new track.
  bool replayNewTrack_ = false;
};

// The one main window of the program (null before start-up created it).
extern TSatVForm* SatVForm;

}  // namespace orvane
