// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/UReplayForm.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>

#include "gui/ErrorHandler.h"
#include "gui/QtText.h"
#include "gui/UMoniForm.h"
#include "settings/MainVars.h"

namespace orvane {

TReplayForm* ReplayForm = nullptr;

namespace {

constexpr const char* kFinished = "Replay finished";
constexpr const char* kStopped = "Replay stopped";

}  // namespace

TReplayForm::TReplayForm(TReplayDrive& drive, QWidget* parent) : QWidget(parent, Qt::Tool), Drive(drive) {
  setObjectName("ReplayForm");
  setWindowTitle("Replay");
  lblFile = new QLabel(this);
  lblFile->setObjectName("lblFile");
  lblTime = new QLabel(this);
  lblTime->setObjectName("lblTime");
  lblState = new QLabel(this);
  lblState->setObjectName("lblState");
  sldPosition = new QSlider(Qt::Horizontal, this);
  sldPosition->setObjectName("sldPosition");
  sldPosition->setRange(0, kSliderSteps);
  sldPosition->setPageStep(kSliderSteps / 20);
  btnPause = new QPushButton("Pause", this);
  btnPause->setObjectName("btnPause");
  btnStep = new QPushButton("Step", this);
  btnStep->setObjectName("btnStep");
  cmbPace = new QComboBox(this);
  cmbPace->setObjectName("cmbPace");
  for (const TPaceItem& p : kPaceItems) cmbPace->addItem(p.Caption);
  // The keys belong to the window, not to whichever control has the focus.
  for (QWidget* w : std::initializer_list<QWidget*>{sldPosition, btnPause, btnStep, cmbPace})
    w->setFocusPolicy(Qt::NoFocus);
  setFocusPolicy(Qt::StrongFocus);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnPause);
  buttons->addWidget(btnStep);
  buttons->addWidget(cmbPace);
  buttons->addStretch();
  auto* box = new QVBoxLayout(this);
  box->addWidget(lblFile);
  box->addWidget(lblTime);
  box->addWidget(sldPosition);
  box->addLayout(buttons);
  box->addWidget(lblState);

  connect(btnPause, &QPushButton::clicked, this, [this] { Guard([this] { PauseClick(); }); });
  connect(btnStep, &QPushButton::clicked, this, [this] { Guard([this] { Drive.Step(); }); });
  connect(cmbPace, &QComboBox::activated, this, [this](int index) {
    Drive.SetPace(index);
    if (kPaceItems[index].Kind == TPaceKind::Lines) RepInterval = Drive.Interval();
  });
  connect(sldPosition, &QSlider::sliderReleased, this,
          [this] { Guard([this] { SeekTo(sldPosition->sliderPosition()); }); });
  connect(sldPosition, &QSlider::actionTriggered, this, [this](int action) {
    if (action != QAbstractSlider::SliderMove) Guard([this] { SeekTo(sldPosition->sliderPosition()); });
  });
  resize(380, 150);
  Refresh();
}

void TReplayForm::PauseClick() {
  if (Drive.Paused())
    Drive.Resume();
  else
    Drive.Pause();
}

void TReplayForm::SeekTo(int sliderValue) {
  if (Drive.FileName().empty()) return;
  // After the end or a stop the log is closed; a seek plays it again from the place chosen, as
  // it would go on from there in a running replay: paused if it was, at the pace shown.
  if (!Drive.Running()) {
    const bool paused = Drive.Paused();
    Drive.Start(Drive.FileName());
    if (paused) Drive.Pause();
  }
  Drive.Seek(Drive.Size() * static_cast<uint64_t>(std::clamp(sliderValue, 0, kSliderSteps)) / kSliderSteps);
}

void TReplayForm::Refresh() {
  lblFile->setText(FromLocal(Drive.FileName()));
  lblTime->setText(QString("UTC %1 of %2")
                       .arg(QString::fromStdString(FormatUtc(Drive.PositionTime())))
                       .arg(QString::fromStdString(FormatUtc(Drive.EndTime()))));
  if (!sldPosition->isSliderDown() && Drive.Size() > 0)
    sldPosition->setValue(static_cast<int>(Drive.Position() * kSliderSteps / Drive.Size()));
  btnPause->setText(Drive.Paused() ? "Resume" : "Pause");
  btnPause->setEnabled(Drive.Running());
  btnStep->setEnabled(Drive.Running());
  cmbPace->setCurrentIndex(Drive.Pace());
  const bool closed = !Drive.Running() && !Drive.FileName().empty();
  const bool finished = closed && Drive.Finished();
  lblState->setText(finished ? kFinished : closed ? kStopped : Drive.Paused() ? "Paused" : "");
  // Said once on the monitor's last line, which the next sentence takes over.
  if (finished && !FinishSaid && MoniForm) MoniForm->ShowNotice(kFinished);
  FinishSaid = finished;
}

void TReplayForm::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space:
      Guard([this] { PauseClick(); });
      break;
    case Qt::Key_Right:
      Guard([this] { Drive.Step(); });
      break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      Drive.Faster();
      break;
    case Qt::Key_Minus:
      Drive.Slower();
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void TReplayForm::closeEvent(QCloseEvent* event) {
  Drive.Stop();
  QWidget::closeEvent(event);
}

}  // namespace orvane
