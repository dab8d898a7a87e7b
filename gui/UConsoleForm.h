// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence console: the last 500 sentences and notices the receiver showed, as they arrive,
// with a pause, a filter by sentence type and each type's count in the last second. It is one of
// the receiver's displays and is given every line, written as the data monitor's last-sentence
// line writes it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "nmea/NmeaDisplay.h"
#include "nmea/SentenceRing.h"
#include "settings/CommandList.h"

namespace orvane {

class TConsoleForm : public QWidget, public TNmeaDisplay {
public:
  explicit TConsoleForm(QWidget* parent = nullptr);

  bool WantsBlocks() const override { return false; }
  bool WantsEveryLine() const override { return true; }
  // A sentence, marked with ">" when it was written to the log, listed and counted by its type.
  void ShowSentence(const TSentenceInfo& info) override;
  // A notice, listed but of no type.
  void ShowNotice(std::string_view text) override;
  // A warning the receiver sent as text, listed as a notice after its sentence.
  void ShowReceiverText(const std::string& text) override { ShowNotice(text); }
  // One line as the monitor shows it, of the given type ("" for none).
  void AddLine(std::string_view line, std::string_view type);
  // The filter's choice: "" for all types.
  QString Filter() const;
  // Closes a second of the counts; the window's own timer runs it every second.
  void RateTick();
  // The share's line (clients, bytes served, failures); hidden while the share is off.
  void ShowShare(const std::string& status, bool sharing);

  const TSentenceRing& Ring() const { return Lines; }

  // ---- commands for the receiver
  // What edCommand holds, framed and handed to OnSend; the sentence is listed marked as sent,
  // or why it was not.
  void SendCommand();
  // The named commands offered by cmbCommands; `source` names the file they came from.
  void SetCommands(const std::vector<TNamedCommand>& commands, const std::string& source);
  // Sends a framed sentence to the receiver; false, with the reason, when it was not sent.
  std::function<bool(std::string_view sentence, std::string& error)> OnSend;
  static constexpr std::string_view kSentMark = "[sent] ";
  static constexpr std::string_view kNotSentMark = "[not sent] ";

  QCheckBox* chkPause;
  QComboBox* cmbType;
  QLabel* lblRates;
  QLabel* lblShare;
  QPlainTextEdit* memLines;
  QComboBox* cmbCommands;
  QLineEdit* edCommand;
  QPushButton* btnSend;
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
  bool Passes(std::string_view type) const;
  QHBoxLayout* MakeCommandRow();
  std::vector<std::string> CommandSentences;  // cmbCommands' entries after the first
  TSentenceRing Lines;
  TSentenceRates Rates;
  uint64_t Shown = 0;  // lines of the ring's count that the view has had
  bool FlushPending = false;
};

// The one console of the program (null before start-up created it).
extern TConsoleForm* ConsoleForm;

}  // namespace orvane
