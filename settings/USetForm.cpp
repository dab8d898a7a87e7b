#include "settings/USetForm.h"

namespace orvane {

TSetForm* SetForm = nullptr;

TSetForm::TSetForm(QWidget* parent) : QDialog(parent) {
  setObjectName("SetForm");
  setWindowTitle("Setting");
  setModal(true);
  resize(360, 300);
}

}  // namespace orvane
