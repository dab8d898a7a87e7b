// SPDX-License-Identifier: GPL-3.0-or-later
// The replay's controls: the log's name, the UTC time reached and the log's last, a position
// slider that seeks, Pause/Resume, Step and the pace. Space pauses and resumes, Right steps,
// + and - change the pace. Closing the window stops the replay.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QWidget>

#include "nmea/ReplayDrive.h"

namespace orvane {

class TReplayForm : public QWidget {
public:
  explicit TReplayForm(TReplayDrive& drive, QWidget* parent = nullptr);

  // Shows the drive's state now; the drive calls it after each change.
  void Refresh();
  // The slider's positions over the log's bytes.
  static constexpr int kSliderSteps = 1000;
  // Seeks to a slider position; after the end or a stop, the log is replayed again from there,
  // paused if it was.
  void SeekTo(int sliderValue);

  QLabel *lblFile, *lblTime, *lblState;
  QSlider* sldPosition;
  QPushButton *btnPause, *btnStep;
  QComboBox* cmbPace;

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void PauseClick();
  TReplayDrive& Drive;
  bool FinishSaid = false;
};

// The one replay window of the program (null before start-up created it).
extern TReplayForm* ReplayForm;

}  // namespace orvane
