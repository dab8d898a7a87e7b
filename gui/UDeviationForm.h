// SPDX-License-Identifier: GPL-3.0-or-later
// How good the fix is, as a picture: every fix of the run as a dot east and north of a reference
// (the running mean, the first fix or a position typed in), coloured by its quality, rings at
// round distances, a height strip, and a panel of the figures for all fixes and for one quality.
// Live and in replay alike; the drawing and the figures follow the fixes a few times a second.
// The reference and the quality picked are the user's and kept from run to run.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include <QImage>
#include <QTimer>
#include <QWidget>

#include "nmea/FixStats.h"
#include "nmea/NmeaDisplay.h"
#include "nmea/NmeaRec.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace orvane {

class TDeviationForm : public QWidget {
public:
  explicit TDeviationForm(const TNmeaRec& rec, QWidget* parent = nullptr);

  // After each sentence the receiver handled, with the fields it was split into.
  void SentenceDecoded(const TSentenceInfo& info, const std::vector<std::string_view>& fields);
  // Forgets every fix; the choices stay.
  void Reset();
  // Brings the figures and the picture up to the fixes now (the refresh timer's work).
  void Refresh();

  const TFixSet& Fixes() const { return Collector.Set; }
  // The figures the panel shows: of all fixes, and of the chosen quality ('\0' when none).
  const TFixStats& AllStats() const { return All; }
  const TFixStats& QualityStats() const { return Chosen; }
  char ChosenQuality() const { return Quality; }
  // False, with the reason in the panel, while the typed position does not read.
  bool ReferenceValid() const { return RefValid; }

  // The main window's menDeviationWindowClick; the close button runs it instead of just hiding.
  std::function<void()> OnCloseToggle;

protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  class TPlotView;
  void ReadReference();
  void FillQualities();
  std::string PanelText() const;

  const TNmeaRec& Rec;
  TFixCollector Collector;
  TReference Ref;
  bool RefValid = true;
  char Quality = 0;  // shown: the one the user picked while present, else the best one present
  TFix Origin;
  TFixStats All, Chosen;
  std::vector<TEnu> Offsets;
  bool Dirty = false;
  QTimer RefreshTimer;
  QComboBox* cmbReference;
  QLineEdit* edtReference;
  QComboBox* cmbQuality;
  QLabel* lblPanel;
  TPlotView* pnlPlot;
};

// The one deviation window of the program (null before start-up created it).
extern TDeviationForm* DeviationForm;

}  // namespace orvane
