// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/UShareForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "settings/MainVars.h"

namespace orvane {

TShareForm* ShareForm = nullptr;

namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }
std::string Text(const QLineEdit* e) { return e->text().trimmed().toStdString(); }

}  // namespace

TShareForm::TShareForm(QWidget* parent) : QDialog(parent) {
  setObjectName("ShareForm");
  setWindowTitle("Share");
  chkShare = new QCheckBox("Share the received stream with other programs", this);
  chkShare->setObjectName("chkShare");
  edtTcp = new QLineEdit(this);
  edtTcp->setObjectName("edtTcp");
  edtTcp->setPlaceholderText("empty: no TCP clients");
  edtTcp->setToolTip("Every byte received, as received, to each program that connects here");
  chkAllInterfaces = new QCheckBox(
      "Let other computers connect: listen on all network interfaces (0.0.0.0)\n"
      "instead of on this computer only (127.0.0.1)",
      this);
  chkAllInterfaces->setObjectName("chkAllInterfaces");
  edtUdp = new QLineEdit(this);
  edtUdp->setObjectName("edtUdp");
  edtUdp->setPlaceholderText("empty: no datagrams (udp://HOST:PORT)");
  edtUdp->setToolTip("Each sentence as one UDP datagram to this address");
  chkBroadcast = new QCheckBox("Allow a broadcast address: every computer on that network gets the sentences", this);
  chkBroadcast->setObjectName("chkBroadcast");
  lblError = new QLabel(this);
  lblError->setObjectName("lblError");
  lblError->setWordWrap(true);
  lblError->setStyleSheet("color: #b00000");
  lblError->hide();
  btnOK = new QPushButton("OK", this);
  btnOK->setObjectName("btnOK");
  btnOK->setDefault(true);
  btnCancel = new QPushButton("Cancel", this);
  btnCancel->setObjectName("btnCancel");

  auto* form = new QFormLayout;
  form->addRow("TCP address to serve on:", edtTcp);
  form->addRow("", chkAllInterfaces);
  form->addRow("UDP address to send to:", edtUdp);
  form->addRow("", chkBroadcast);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  auto* box = new QVBoxLayout(this);
  box->addWidget(chkShare);
  box->addLayout(form);
  box->addWidget(lblError);
  box->addLayout(buttons);

  // The choice of interfaces is the address's host; either one follows the other.
  connect(chkAllInterfaces, &QCheckBox::toggled, this, [this](bool all) {
    const std::string tcp = Text(edtTcp).empty() ? std::string(kShareTcpDefault) : Text(edtTcp);
    const QSignalBlocker quiet(edtTcp);
    edtTcp->setText(Text(WithHost(tcp, all ? kAllInterfaces : "127.0.0.1")));
  });
  connect(edtTcp, &QLineEdit::textEdited, this, [this] {
    const QSignalBlocker quiet(chkAllInterfaces);
    chkAllInterfaces->setChecked(ListensOnAll(Text(edtTcp)));
  });
  connect(chkShare, &QCheckBox::toggled, this, [this] { EnableFields(); });
  connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TShareForm::Fill(const TShareSettings& settings) {
  chkShare->setChecked(settings.On);
  edtTcp->setText(Text(settings.Tcp));
  {
    const QSignalBlocker quiet(chkAllInterfaces);
    chkAllInterfaces->setChecked(ListensOnAll(settings.Tcp));
  }
  edtUdp->setText(Text(settings.Udp));
  chkBroadcast->setChecked(settings.Broadcast);
  lblError->clear();
  lblError->hide();
  EnableFields();
}

int TShareForm::Open(const TShareSettings& settings) {
  Fill(settings);
  return exec();
}

TShareSettings TShareForm::Chosen() const {
  return {chkShare->isChecked(), Text(edtTcp), Text(edtUdp), chkBroadcast->isChecked()};
}

void TShareForm::EnableFields() {
  for (QWidget* w : std::initializer_list<QWidget*>{edtTcp, chkAllInterfaces, edtUdp, chkBroadcast})
    w->setEnabled(chkShare->isChecked());
}

void TShareForm::btnOKClick() {
  const TShareSettings chosen = Chosen();
  QStringList said;
  // An address that does not parse is not stored: the dialog stays as typed for a correction.
  if (chosen.On) {
    TNetAddress a;
    std::string error;
    if (!chosen.Tcp.empty() && !ParseShareAddress(chosen.Tcp, TNetKind::Tcp, a, error)) said << Text(error);
    if (!chosen.Udp.empty() && !ParseShareAddress(chosen.Udp, TNetKind::Udp, a, error)) said << Text(error);
    if (chosen.Tcp.empty() && chosen.Udp.empty()) said << "Give a TCP address, a UDP address or both.";
  }
  if (said.isEmpty()) {
    // A port in use may be free later: the choice is kept, and what failed is said.
    ShareSettings = chosen;
    if (OnApply)
      for (const std::string& e : OnApply(chosen)) said << Text(e);
  }
  if (said.isEmpty()) {
    accept();
    return;
  }
  lblError->setText(said.join('\n'));
  lblError->show();
}

}  // namespace orvane
