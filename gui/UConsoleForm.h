// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence console: the last 500 lines the data monitor's last-sentence line was given, as
// they arrive, with a pause, a filter by sentence type and each type's count in the last second.
// It is fed the same lines as that line, so nothing is read twice.
#pragma once

#include <functional>
#include <string_view>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWidget>

#include "nmea/SentenceRing.h"

namespace orvane {

class TConsoleForm : public QWidget {
public:
  explicit TConsoleForm(QWidget* parent = nullptr);

  // One line as the monitor shows it; a sentence shown again with ">" (it was logged) is
  // marked, not added.
  void AddLine(std::string_view line);
  // The filter's choice: "" for all types.
  QString Filter() const;
  // Closes a second of the counts; the window's own timer runs it every second.
  void RateTick();

  const TSentenceRing& Ring() const { return Lines; }

  QCheckBox* chkPause;
  QComboBox* cmbType;
  QLabel* lblRates;
  QPlainTextEdit* memLines;
  QTimer RateTimer;

  // The main window's menConsoleWindowClick; the close button runs it instead of just hiding.
  std::function<void()> OnCloseToggle;

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  // The view made to show what the ring holds that passes the filter.
  void Refill();
  // Appends what came since the view was last brought up to date.
  void Flush();
  bool Passes(std::string_view line) const;
  TSentenceRing Lines;
  TSentenceRates Rates;
  uint64_t Shown = 0;  // lines of the ring's count that the view has had
  bool FlushPending = false;
};

// The one console of the program (null before start-up created it).
extern TConsoleForm* ConsoleForm;

}  // namespace orvane
