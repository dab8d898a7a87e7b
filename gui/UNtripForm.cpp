// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/UNtripForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "settings/MainVars.h"

namespace orvane {

TNtripForm* NtripForm = nullptr;

namespace {

constexpr TNtripGga kGgaChoices[] = {TNtripGga::WhenAsked, TNtripGga::Always, TNtripGga::Never};

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TNtripForm::TNtripForm(QWidget* parent) : QDialog(parent) {
  setObjectName("NtripForm");
  setWindowTitle("Corrections");
  edHost = new QLineEdit(this);
  edHost->setObjectName("edHost");
  edHost->setPlaceholderText("caster.example.net");
  edPort = new QSpinBox(this);
  edPort->setObjectName("edPort");
  edPort->setRange(1, 65535);
  cmbMount = new QComboBox(this);
  cmbMount->setObjectName("cmbMount");
  cmbMount->setEditable(true);
  cmbMount->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cmbMount->setMinimumContentsLength(16);
  edUser = new QLineEdit(this);
  edUser->setObjectName("edUser");
  edPassword = new QLineEdit(this);
  edPassword->setObjectName("edPassword");
  edPassword->setEchoMode(QLineEdit::Password);
  chkKeepPassword = new QCheckBox("Keep the password in the settings file (readable by you only)", this);
  chkKeepPassword->setObjectName("chkKeepPassword");
  cmbGga = new QComboBox(this);
  cmbGga->setObjectName("cmbGga");
  cmbGga->addItems({"When the mountpoint asks for it", "Always", "Never"});
  cmbVersion = new QComboBox(this);
  cmbVersion->setObjectName("cmbVersion");
  cmbVersion->addItems({"NTRIP 2.0", "NTRIP 1.0"});

  btnTable = new QPushButton("Get sourcetable", this);
  btnTable->setObjectName("btnTable");
  lblTable = new QLabel(this);
  lblTable->setObjectName("lblTable");
  tblMounts = new QTableWidget(0, 5, this);
  tblMounts->setObjectName("tblMounts");
  tblMounts->setHorizontalHeaderLabels({"Mountpoint", "Format", "Position", "Distance", "Wants position"});
  tblMounts->setSelectionBehavior(QAbstractItemView::SelectRows);
  tblMounts->setSelectionMode(QAbstractItemView::SingleSelection);
  tblMounts->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tblMounts->verticalHeader()->hide();
  tblMounts->horizontalHeader()->setStretchLastSection(true);

  btnConnect = new QPushButton("Connect", this);
  btnConnect->setObjectName("btnConnect");
  btnDisconnect = new QPushButton("Disconnect", this);
  btnDisconnect->setObjectName("btnDisconnect");
  lblStatus = new QLabel(this);
  lblStatus->setObjectName("lblStatus");
  lblStatus->setWordWrap(true);
  lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* form = new QFormLayout;
  auto* hostRow = new QHBoxLayout;
  hostRow->addWidget(edHost, 1);
  hostRow->addWidget(edPort);
  form->addRow("Caster and port", hostRow);
  form->addRow("Mountpoint", cmbMount);
  form->addRow("User", edUser);
  form->addRow("Password", edPassword);
  form->addRow("", chkKeepPassword);
  form->addRow("Send my position (GGA)", cmbGga);
  form->addRow("Protocol", cmbVersion);
  auto* tableRow = new QHBoxLayout;
  tableRow->addWidget(btnTable);
  tableRow->addWidget(lblTable, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnConnect);
  buttons->addWidget(btnDisconnect);
  buttons->addStretch();
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->addWidget(close);
  auto* box = new QVBoxLayout(this);
  box->addLayout(form);
  box->addLayout(tableRow);
  box->addWidget(tblMounts, 1);
  box->addWidget(lblStatus);
  box->addLayout(buttons);

  connect(btnConnect, &QPushButton::clicked, this, [this] { ConnectClick(); });
  connect(btnDisconnect, &QPushButton::clicked, this, [this] { DisconnectClick(); });
  connect(btnTable, &QPushButton::clicked, this, [this] { TableClick(); });
  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // A mountpoint picked from the table is the one asked for.
  connect(tblMounts, &QTableWidget::itemSelectionChanged, this, [this] {
    const auto rows = tblMounts->selectionModel()->selectedRows();
    if (!rows.isEmpty()) cmbMount->setEditText(tblMounts->item(rows.first().row(), 0)->text());
  });
  StatusTimer.setInterval(500);
  connect(&StatusTimer, &QTimer::timeout, this, [this] { RefreshStatus(); });
  TableTimer.setInterval(50);
  connect(&TableTimer, &QTimer::timeout, this, [this] { TableTick(); });
  resize(560, 520);
  LoadFields();
}

void TNtripForm::LoadFields() {
  const TNtripConfig& c = NtripConfig;
  edHost->setText(Q(c.Host));
  edPort->setValue(c.Port);
  cmbMount->setEditText(Q(c.Mount));
  edUser->setText(Q(c.User));
  edPassword->setText(Q(c.Password));
  chkKeepPassword->setChecked(NtripKeepPassword);
  for (int i = 0; i < 3; ++i)
    if (kGgaChoices[i] == c.Gga) cmbGga->setCurrentIndex(i);
  cmbVersion->setCurrentIndex(c.Version == 1 ? 1 : 0);
}

void TNtripForm::ApplyFields() {
  TNtripConfig& c = NtripConfig;
  c.Host = edHost->text().trimmed().toStdString();
  c.Port = static_cast<uint16_t>(edPort->value());
  c.Mount = cmbMount->currentText().trimmed().toStdString();
  while (!c.Mount.empty() && c.Mount.front() == '/') c.Mount.erase(0, 1);
  c.User = edUser->text().toStdString();
  c.Password = edPassword->text().toStdString();
  NtripKeepPassword = chkKeepPassword->isChecked();
  c.Gga = kGgaChoices[std::max(0, cmbGga->currentIndex())];
  c.Version = cmbVersion->currentIndex() == 1 ? 1 : 2;
}

void TNtripForm::ConnectClick() {
  ApplyFields();
  if (NtripConfig.Host.empty() || NtripConfig.Mount.empty()) {
    lblStatus->setText("Name the caster and the mountpoint first (\"Get sourcetable\" lists the mountpoints).");
    return;
  }
  NtripOn = true;
  if (OnStart) OnStart();
  RefreshStatus();
}

void TNtripForm::DisconnectClick() {
  NtripOn = false;
  if (OnStop) OnStop();
  RefreshStatus();
}

void TNtripForm::TableClick() {
  ApplyFields();
  if (NtripConfig.Host.empty()) {
    lblTable->setText("Name the caster first.");
    return;
  }
  TableClient.FetchTable(NtripConfig);
  lblTable->setText(Q(TableClient.Status()));
  TableTimer.start();
}

void TNtripForm::TableTick() {
  std::string ignored;
  TableClient.Poll(ignored);
  if (TableClient.Active()) return;
  TableTimer.stop();
  if (TableClient.State() == TNtripClient::TState::TableDone)
    ShowTable();
  else
    lblTable->setText(Q(TableClient.LastError()));
}

void TNtripForm::ShowTable() {
  std::vector<TMountpoint> table = TableClient.Table();
  double lat = 0, lon = 0;
  const bool fix = CurrentGga && GgaPosition(CurrentGga(), lat, lon);
  if (fix) SortByDistance(table, lat, lon);
  tblMounts->setRowCount(static_cast<int>(table.size()));
  const QString current = cmbMount->currentText();
  for (int r = 0; r < static_cast<int>(table.size()); ++r) {
    const TMountpoint& m = table[static_cast<size_t>(r)];
    const QString cells[] = {
        Q(m.Mount),
        Q(m.Format + (m.FormatDetails.empty() ? "" : " (" + m.FormatDetails + ")")),
        m.HasPosition ? QString("%1, %2").arg(m.Lat, 0, 'f', 2).arg(m.Lon, 0, 'f', 2) : QString(),
        m.DistanceKm >= 0 ? QString("%1 km").arg(m.DistanceKm, 0, 'f', 1) : QString(),
        m.Nmea ? QString("yes") : QString("no"),
    };
    for (int c = 0; c < 5; ++c) tblMounts->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  cmbMount->clear();
  for (const TMountpoint& m : table) cmbMount->addItem(Q(m.Mount));
  cmbMount->setEditText(current);
  tblMounts->resizeColumnsToContents();
  lblTable->setText(QString("%1 mountpoints%2")
                        .arg(table.size())
                        .arg(fix ? ", nearest first" : ", in the caster's order (no fix to measure from)"));
}

void TNtripForm::RefreshStatus() {
  const bool running = Running && Running();
  btnDisconnect->setEnabled(running);
  btnConnect->setText(running ? "Reconnect" : "Connect");
  if (StatusText) lblStatus->setText(Q(StatusText()));
  if (running && !StatusTimer.isActive()) StatusTimer.start();
  if (!running) StatusTimer.stop();
}

}  // namespace orvane
