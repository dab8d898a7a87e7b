// SPDX-License-Identifier: GPL-3.0-or-later
// The "Share" dialog: whether the received stream is passed on to other programs, the TCP
// address they connect to (this computer only, or every network interface as the user's plain
// choice), and a UDP address each sentence is sent to (a broadcast address only when allowed).
// OK applies and stores the choice; what failed is said in the dialog, which then stays open.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "net/StreamShare.h"

namespace orvane {

class TShareForm : public QDialog {
public:
  explicit TShareForm(QWidget* parent = nullptr);

  // Fills the dialog with `settings` (the share in force) and shows it modally.
  int Open(const TShareSettings& settings);
  void Fill(const TShareSettings& settings);
  // What the dialog says now.
  TShareSettings Chosen() const;

  // Applies a choice; the failures, each naming its address and cause.
  std::function<std::vector<std::string>(const TShareSettings&)> OnApply;

  QCheckBox* chkShare;
  QLineEdit* edtTcp;
  QCheckBox* chkAllInterfaces;
  QLineEdit* edtUdp;
  QCheckBox* chkBroadcast;
  QLabel* lblError;
  QPushButton* btnOK;
  QPushButton* btnCancel;

private:
  void btnOKClick();
  void EnableFields();
};

// The one share dialog (null before start-up created it).
extern TShareForm* ShareForm;

}  // namespace orvane
