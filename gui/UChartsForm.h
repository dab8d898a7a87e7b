// SPDX-License-Identifier: GPL-3.0-or-later
// Series over time: the quantities chosen from the list (satellites, SNR, dilutions, height,
// speed, GST sigmas) for the last 10 minutes, the last hour or the whole run, a pointer that reads
// every chosen value at the time under the mouse, and the export of the series as CSV. Drawn with
// Qt Charts; the samples come from nmea/ChartSeries. The span and the ticked series are the
// user's and kept from run to run.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QTimer>
#include <QWidget>

#include "nmea/ChartSeries.h"
#include "nmea/NmeaDisplay.h"
#include "nmea/NmeaRec.h"

class QComboBox;
class QLabel;
class QListWidget;
class QChart;
class QLineSeries;
class QValueAxis;

namespace orvane {

class TNmeaProc;

class TChartsForm : public QWidget {
public:
  explicit TChartsForm(const TNmeaRec& rec, QWidget* parent = nullptr);

  // After each sentence the receiver handled.
  void SentenceDecoded(const TSentenceInfo& info, const TNmeaProc& proc);
  // Brings the lines up to the samples now (the refresh timer's work).
  void Refresh();
  // The quantities ticked in the list, in its order.
  std::vector<TChartQuantity> Chosen() const;
  // Seconds from which the chosen span starts.
  double SpanStart() const;
  // The reading at `time` as the pointer shows it.
  std::string PointerText(double time) const;
  // Writes the chosen series of the chosen span; the error, naming the file, or empty.
  std::string ExportCsv(const std::string& path) const;
  const TChartSeries& Series() const { return Series_; }
  QChart* Chart() const { return chart; }

  // The main window's menChartsWindowClick; the close button runs it instead of just hiding.
  std::function<void()> OnCloseToggle;

protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  class TChartView;
  void ExportClick();

  const TNmeaRec& Rec;
  TChartSeries Series_;
  bool Dirty = false;
  QTimer RefreshTimer;
  QListWidget* lstSeries;
  QComboBox* cmbSpan;
  QLabel* lblPointer;
  QChart* chart;
  QValueAxis *axisTime, *axisValue;
  std::vector<QLineSeries*> lines;  // one per quantity, shown when ticked
  QLineSeries* pointerLine;
};

// The one charts window of the program (null before start-up created it).
extern TChartsForm* ChartsForm;

}  // namespace orvane
