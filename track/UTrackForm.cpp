#include "track/UTrackForm.h"

#include <QCloseEvent>

#include "app/CloseToggle.h"
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
  if (!CloseAsToggle(*this, *event, OnCloseToggle)) QWidget::closeEvent(event);
}

}  // namespace orvane
