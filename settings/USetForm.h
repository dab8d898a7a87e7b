// The settings dialog, created once at start-up and shown modally by "Settings...".
#pragma once

#include <QDialog>

namespace orvane {

class TSetForm : public QDialog {
public:
  explicit TSetForm(QWidget* parent = nullptr);
};

// The one settings dialog of the program (null before start-up created it).
extern TSetForm* SetForm;

}  // namespace orvane
