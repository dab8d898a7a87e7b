// SPDX-License-Identifier: GPL-3.0-or-later
// The data monitor: the last GGA, GLL and RMC blocks as fixed-pitch text and, at the bottom edge,
// the last sentence received. It is one of the receiver's displays; it has no input of its own.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <QElapsedTimer>
#include <QLabel>
#include <QWidget>

#include "nmea/NmeaDisplay.h"

namespace orvane {

class TMoniForm : public QWidget, public TNmeaDisplay {
public:
  explicit TMoniForm(QWidget* parent = nullptr);

  // Background colour := BGColor; at creation and when the settings dialog applies its settings.
  void ApplyBGColor();

  // The blocks, with LF CR line breaks. GLL and RMC move below the block above them (+5).
  void ShowGGA(const std::string& block) override;
  void ShowGLL(const std::string& block) override;
  void ShowRMC(const std::string& block) override;
  // Below the RMC block; the window grows to show it the first time one comes.
  void ShowAccuracy(const std::string& block) override;
  // A warning the receiver sent, on the last-sentence line, where sentences do not replace it
  // for kReceiverTextMs.
  void ShowReceiverText(const std::string& text) override;
  // The last-sentence line: the newest sentence, ">" before one written to the log.
  void ShowSentence(const TSentenceInfo& info) override;
  // Something said in that line's place ("Replay finished", a line dropped).
  void ShowNotice(std::string_view text) override;
  // The receiver's status (a port that did not open) on the last-sentence line; an empty text
  // puts the line back as laid out.
  void ShowStatus(const std::string& text) override;
  // Old data: the blocks greyed, and "COM1 (/dev/ttyS0): no data for 12 s" on the last-sentence
  // line unless a status holds it.
  void ShowDataAge(int seconds) override;
  // The name of the source read, for the old-data line.
  std::function<std::string()> SourceName;
  bool BlocksOld() const { return Old; }

  // The client size the three blocks need at their widest in the window's font, with the
  // last-sentence line below them: the size the window opens at when no placement is stored.
  QSize NeededSize() const;

  // The main window's menDataWindowClick; the close button runs it instead of just hiding.
  std::function<void()> OnCloseToggle;

  // Holds the three blocks above the last-sentence line; a window made smaller than its text
  // clips them there instead of printing them under the line.
  QWidget* pnlBlocks;
  QLabel* lblGGA;
  QLabel* lblGLL;
  QLabel* lblRMC;
  QLabel* lblAcc;
  QLabel* lblRecv;

  static constexpr int kRecvHeight = 16;
  static constexpr int kReceiverTextMs = 10000;

protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void LayOut();
  bool Old = false;
  bool StatusShown = false;
  QElapsedTimer ReceiverTextShown;
};

// A block's text as a label shows it: each LF CR pair is one line break.
QString BlockText(const std::string& block);

// The one data monitor of the program (null before start-up created it).
extern TMoniForm* MoniForm;

}  // namespace orvane
