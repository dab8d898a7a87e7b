// SPDX-License-Identifier: GPL-3.0-or-later
// The sky view: the satellites and the fix of the receiver's display on the two elevation
// circles, their labels kept clear of one another, and what keeps data from coming.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include <QFont>
#include <QPainter>
#include <QWidget>

#include "nmea/NmeaDisplay.h"
#include "nmea/NmeaRec.h"
#include "nmea/SkyGeometry.h"

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

}  // namespace orvane
