// SPDX-License-Identifier: GPL-3.0-or-later
// The signal levels: one bar per satellite the sky view shows, as high as its SNR on a 0..60
// dB-Hz scale and coloured as its symbol, labelled with the sky view's PRN caption. The bars,
// their labels and the scale grow with the window.
#pragma once

#include <functional>
#include <vector>

#include <QWidget>

#include "nmea/SignalBars.h"

namespace orvane {

class TSkyPanel;

class TSignalForm : public QWidget {
public:
  explicit TSignalForm(const TSkyPanel* sky, QWidget* parent = nullptr);

  // The satellites shown: those the sky view shows, sorted by system then PRN.
  std::vector<TSignalSat> Sats() const;
  // The bars' geometry for the window's size and fonts now.
  TSignalLayout Layout() const;

  // The main window's menSignalWindowClick; the close button runs it instead of just hiding.
  std::function<void()> OnCloseToggle;

protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  QFont ScaleFont() const;
  QFont LabelFont(int count) const;
  const TSkyPanel* Sky;
};

// The one signal levels window of the program (null before start-up created it).
extern TSignalForm* SignalForm;

}  // namespace orvane
