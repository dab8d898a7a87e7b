// SPDX-License-Identifier: GPL-3.0-or-later
// The signal levels: one bar per satellite the receiver shows, or one per signal of a satellite
// its receiver names the bands of, as high as its SNR on a 0..60 dB-Hz scale, blue when the record
// has it used in the fix and red when not, labelled as the sky view labels it, each band named
// under its bar. The bars, their labels and the scale grow with the window. It is one of the
// receiver's displays.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include <QWidget>

#include "nmea/NmeaDisplay.h"
#include "nmea/NmeaRec.h"
#include "nmea/SignalBars.h"

namespace orvane {

class TSignalForm : public QWidget, public TNmeaDisplay {
public:
  // The satellites are those of `rec`, as the receiver that writes it shows them.
  explicit TSignalForm(const TNmeaRec& rec, QWidget* parent = nullptr);

  void PlaceSatellite(const std::string& prn, int index, int elevation, int azimuth, int snr) override;
  void SetSatVisible(int index, bool visible) override;
  void SetSatColor(int index, TColor color) override;
  bool WantsBlocks() const override { return false; }
  void ShowDataAge(int seconds) override;
  bool DataOld() const { return Old; }

  // The satellites shown: those the receiver shows, sorted by system then PRN.
  std::vector<TSignalSat> Sats() const;
  // The bars' geometry for the window's size and fonts now.
  TSignalLayout Layout() const;
  // What the window says it shows when any satellite has bands: "in view: 12 satellites, 22
  // signals"; empty otherwise.
  std::string Counts() const;

  // The main window's menSignalWindowClick; the close button runs it instead of just hiding.
  std::function<void()> OnCloseToggle;

protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  QFont ScaleFont() const;
  QFont LabelFont(int count) const;
  QFont BandFont(int count) const;
  // The layout of `sats` and the fonts of their labels and band names, made to fit their slots.
  TSignalLayout Layout(const std::vector<TSignalSat>& sats, QFont& labelFont, QFont& bandFont) const;
  const TNmeaRec& Rec;
  // What the receiver last placed and showed of each entry: a GSV cycle shows its satellites
  // once it is whole, so the record's entries in the middle of a cycle are not drawn.
  struct TShown {
    std::string Label;
    int Snr = 0;
    bool Visible = false;
    std::vector<TSignalBand> Bands;
  };
  std::array<TShown, kMaxGnssSats> Shown{};
  bool Old = false;
};

// The one signal levels window of the program (null before start-up created it).
extern TSignalForm* SignalForm;

}  // namespace orvane
