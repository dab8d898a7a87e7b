// SPDX-License-Identifier: GPL-3.0-or-later
// The Corrections dialog: the caster, the mountpoint and who asks for it, whether the receiver's
// position goes to the caster, the caster's sourcetable with each mountpoint's distance from the
// current fix, and the stream's state (rate, bytes, age, the caster's refusals) while it runs.
// The session runs the stream; the dialog edits the settings and asks it to start and stop.
#pragma once

#include <functional>
#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include "net/NtripClient.h"

namespace orvane {

class TNtripForm : public QDialog {
public:
  explicit TNtripForm(QWidget* parent = nullptr);

  // The fields from the settings (NtripConfig, NtripKeepPassword), and back.
  void LoadFields();
  void ApplyFields();
  // "Connect": the fields applied and the stream started; "Disconnect" stops it.
  void ConnectClick();
  void DisconnectClick();
  // Asks the caster for its sourcetable; TableTick shows it once it has come.
  void TableClick();
  void TableTick();
  void RefreshStatus();

  // The session's side.
  std::function<void()> OnStart, OnStop;
  std::function<std::string()> StatusText;
  std::function<bool()> Running;
  // The receiver's newest GGA, for the mountpoints' distances.
  std::function<std::string()> CurrentGga;

  QLineEdit *edHost, *edUser, *edPassword;
  QSpinBox* edPort;
  QComboBox *cmbMount, *cmbGga, *cmbVersion;
  QCheckBox* chkKeepPassword;
  QPushButton *btnTable, *btnConnect, *btnDisconnect;
  QTableWidget* tblMounts;
  QLabel *lblTable, *lblStatus;
  QTimer StatusTimer, TableTimer;
  TNtripClient TableClient;

private:
  void ShowTable();
};

extern TNtripForm* NtripForm;

}  // namespace orvane
