#include "track/UTrackForm.h"

#include <QCloseEvent>

#include "app/MainVars.h"

namespace orvane {

TTrackForm* TrackForm = nullptr;

TTrackForm::TTrackForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("TrackForm");
  setWindowTitle("Route Track");
  resize(320, 320);
  setVisible(ShowTrk);
}

void TTrackForm::closeEvent(QCloseEvent* event) {
  // Closing is the same as unchecking "TrackWindow": the flag and the check mark follow.
  if (OnCloseToggle && isVisible()) {
    event->ignore();
    OnCloseToggle();
    return;
  }
  QWidget::closeEvent(event);
}

}  // namespace orvane
