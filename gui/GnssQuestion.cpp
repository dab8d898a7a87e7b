// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/GnssQuestion.h"

#include <exception>

#include "gui/ErrorHandler.h"
#include "nmea/NmeaRec.h"
#include "settings/Settings.h"

namespace orvane {

void TGnssQuestion::Ask() {
  // Shown, not run: the data and the replay go on while the box waits.
  auto* box =
      new QMessageBox(QMessageBox::Question, "Orvane", kGnssQuestion, QMessageBox::Yes | QMessageBox::No, Parent);
  box->setObjectName("GnssQuestion");
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->setDefaultButton(QMessageBox::Yes);
  QObject::connect(box, &QMessageBox::finished, box,
                   [this, box](int) { Answer(box->clickedButton() == box->button(QMessageBox::Yes)); });
  Box_ = box;
  box->show();
}

// Closing the box is an answer too: the question is not asked again.
void TGnssQuestion::Answer(bool yes) {
  NmeaRec.GnssAsked = true;
  if (yes) NmeaRec.Gnss = true;
  try {
    SaveGnssSettings();
  } catch (const std::exception& e) {
    ShowError(std::string(e.what()) + "; the answer holds for this run only");
  }
}

}  // namespace orvane
