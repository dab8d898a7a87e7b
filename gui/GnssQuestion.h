// The question put once to a user whose receiver sends only multi-GNSS talkers while they are
// not decoded: a box that does not block the data, whose answer is kept in the settings file.
#pragma once

#include <cstdint>
#include <functional>

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "nmea/GnssHint.h"

namespace orvane {

constexpr const char* kGnssQuestion =
    "This receiver sends $GN... sentences, which Orvane decodes only with Multi-GNSS talkers switched on. "
    "Switch it on now?";

class TGnssQuestion {
public:
  explicit TGnssQuestion(QWidget* parent) : Parent(parent) {}

  // Every sentence the processor handled; shows the box when the time has come.
  void Note(const TSentenceInfo& info);
  // The box while it is shown, else null.
  QMessageBox* Box() const { return Box_; }

  // Milliseconds of a steady clock; tests set their own.
  std::function<int64_t()> Clock;

private:
  void Answer(bool yes);

  QWidget* Parent;
  TGnssHint Hint;
  QPointer<QMessageBox> Box_;
};

}  // namespace orvane
