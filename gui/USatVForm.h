// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the satellite sky view as its client area, the receiver with the timers behind
// it, and the one context menu through which every command is given. The sky view is one of the
// receiver's displays; the window itself only commands the receiver.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QAction>
#include <QActionGroup>
#include <QFont>
#include <QMenu>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include "gui/GnssQuestion.h"
#include "gui/QtTimer.h"
#include "nmea/NmeaDisplay.h"
#include "nmea/Receiver.h"
#include "nmea/SkyGeometry.h"
#include "serial/PortNames.h"

namespace orvane {

// What the sky view shows of one satellite: its symbol and its two labels, as last placed. The
// labels' boxes are empty while a crowded sky leaves them out.
struct TSatMark {
  QString Prn, Snr;
  int SnrDb = 0, Elevation = 0, Azimuth = 0;
  QRect PrnRect, SnrRect, Symbol;
  TColor Color = clRed;
  bool Visible = false;
};

// pnlSat: the sky view, painted from the retained model below in the order grid, lblFIX, SNR
// labels, PRN labels, symbols. Larger than the laid-out window, everything grows with it. It shows
// the satellites and the fix of the receiver's display.
class TSkyPanel : public QWidget, public TNmeaDisplay {
public:
  explicit TSkyPanel(QWidget* parent);

  // FormPaint: lays the grid out for the panel's size. Satellites stay where they were placed.
  void FormPaint();
  void PlaceSatellite(const std::string& prn, int index, int elevation, int azimuth, int snr) override;
  void SetSatVisible(int index, bool visible) override;
  void SetSatColor(int index, TColor color) override;
  void SetFixCaption(const std::string& caption) override;
  bool WantsBlocks() const override { return false; }
  // The receiver's status, shown in the fix caption's place, wrapped across the panel when long;
  // an empty text gives the place back to the caption.
  void ShowStatus(const std::string& text) override;
  // Old data: "COM1 (/dev/ttyS0): no data for 12 s" under the status, in the fix caption's
  // place, and the satellites drawn hollow.
  void ShowDataAge(int seconds) override;
  // The name of the source read, for the old-data line.
  std::function<std::string()> SourceName;
  void SetStatusText(const QString& text);
  void SetBGColor(TColor color);
  // Free the satellite labels: nothing of the satellites is shown any more.
  void ClearSatellites();

  const TSkyLayout& Layout() const { return Sky; }
  const TSatMark& Sat(int index) const { return Sats.at(static_cast<size_t>(index - 1)); }
  const QString& FixCaption() const { return Fix; }
  const QString& StatusText() const { return Status; }
  // The status and the age of old data, one line each; empty while neither is said.
  QString Header() const;
  bool DataOld() const { return !Age.isEmpty(); }
  TColor BGColor() const { return Background; }
  // The legend's box; empty when the panel has no room for it.
  QRect LegendRect() const;
  // Said whenever a satellite is placed, shown, hidden or coloured.
  std::function<void()> OnSatsChanged;

  // The laid-out fonts; drawn at the layout's scale.
  QFont SnrFont, PrnFont, CompassFont;
  static constexpr QRect kFixRect{0, 0, 120, 15};

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  struct TCompassLetter {
    QString Text;
    QRect Box;
  };
  std::vector<TCompassLetter> CompassLetters() const;
  void DrawLegend(QPainter& p) const;
  void Measure(TSatMark& s) const;
  void SatsChanged();
  // The labels' sides for what is shown now, when a change made them stale.
  void PlaceLabelsNow();
  QFont Font(const QFont& laid) const;
  QRect FixRect() const;
  TSkyLayout Sky;
  bool LabelsStale = true;
  std::array<TSatMark, kMaxGnssSats> Sats{};
  QString Fix = QString(24, ' ');
  QString Status;
  QString Age;
  TColor Background = clWhite;
};

class TSatVForm : public QWidget {
public:
  explicit TSatVForm(QWidget* parent = nullptr);
  ~TSatVForm() override;

  // The main window's destruction: the port closed, the log closed, the settings saved. Runs once;
  // the destructor runs it when nobody did.
  void FormDestroy();

  void mnuComClick(QAction* item);
  void mnuSpClick(QAction* item);
  void menDataWindowClick();
  void menTrkWindowClick();
  void menSignalWindowClick();
  void menConsoleWindowClick();
  void menSettingClick();
  void menOpenLogClick();
  void StopLogClick();
  void ReplayClick(QAction* item);
  void menSaveLogClick();
  void SaveIvClick(QAction* item);
  void OtherClick();
  void LogFileClick();
  // Replays a log file as "Open Log" does; a file that cannot be opened is reported.
  void StartReplay(const std::string& fileName);
  // Panel colour and both circles' brush := BGColor.
  void ApplyBGColor();

  TSkyPanel* pnlSat;
  QMenu* PopupMenu;
  QAction *menDataWindow, *menTrkWindow, *menSignalWindow, *menConsoleWindow, *menOpenLog, *mnStopLog, *menSaveLog,
      *LogFile, *menSetting;
  QMenu *ReplayInterval1, *SaveInterval1, *Comm, *Port1, *Speed1;
  std::array<QAction*, kComPortCount + 1> PortItems{};  // 1..16
  std::array<QAction*, 7> SpeedItems{};                 // 2400 .. 115200
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

  // Declared before the receiver, so they outlive it.
  TQtTimer PollTimer, ReopenTimer, Timer, SLTimer, AgeTimer;
  TReceiver Receiver;
  // Asked of a receiver that sends only multi-GNSS talkers while they are not decoded.
  TGnssQuestion GnssQuestion{this};

protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void BuildMenu();
  void FillDeviceItems();
  // The port chosen by item `item` and the stored speed, opened once.
  void SelectPort(QAction* item);
  bool Destroyed = false;
  // The replay being started is recorded as a new track.
  bool replayNewTrack_ = false;
};

// `Orvane --source ADDRESS`: the source for this run instead of the stored one (before the window
// is created).
void SetSourceForRun(std::string address);

// The one main window of the program (null before start-up created it).
extern TSatVForm* SatVForm;

}  // namespace orvane
