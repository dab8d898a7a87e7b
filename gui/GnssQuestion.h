// SPDX-License-Identifier: GPL-3.0-or-later
// The question put once to a user whose receiver sends only multi-GNSS talkers while they are
// not decoded: a box that does not block the data, whose answer is kept in the settings file.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace orvane {

constexpr const char* kGnssQuestion =
    "This receiver sends $GN... sentences, which Orvane decodes only with Multi-GNSS talkers switched on. "
    "Switch it on now?";

class TGnssQuestion {
public:
  explicit TGnssQuestion(QWidget* parent) : Parent(parent) {}

  // Shows the box; the receiver says when.
  void Ask();
  // The box while it is shown, else null.
  QMessageBox* Box() const { return Box_; }

private:
  void Answer(bool yes);

  QWidget* Parent;
  QPointer<QMessageBox> Box_;
};

}  // namespace orvane
