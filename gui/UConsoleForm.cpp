// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/UConsoleForm.h"

#include <algorithm>

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/CloseToggle.h"
#include "nmea/NmeaCommand.h"
#include "settings/MainVars.h"

namespace orvane {

TConsoleForm* ConsoleForm = nullptr;

namespace {

QString Latin1(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

TConsoleForm::TConsoleForm(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setObjectName("ConsoleForm");
  setWindowTitle("Console");
  const QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);

  chkPause = new QCheckBox("Pause", this);
  chkPause->setObjectName("chkPause");
  cmbType = new QComboBox(this);
  cmbType->setObjectName("cmbType");
  cmbType->addItem("All types", QString());
  cmbType->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  lblRates = new QLabel(this);
  lblRates->setObjectName("lblRates");
  lblRates->setWordWrap(true);
  lblRates->setFont(f);
  lblShare = new QLabel(this);
  lblShare->setObjectName("lblShare");
  lblShare->setWordWrap(true);
  lblShare->hide();
  memLines = new QPlainTextEdit(this);
  memLines->setObjectName("memLines");
  memLines->setReadOnly(true);
  memLines->setLineWrapMode(QPlainTextEdit::NoWrap);
  memLines->setMaximumBlockCount(static_cast<int>(TSentenceRing::kCapacity));
  memLines->setFont(f);

  auto* bar = new QHBoxLayout;
  bar->addWidget(chkPause);
  bar->addWidget(cmbType);
  bar->addStretch();
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(4, 4, 4, 4);
  box->addLayout(bar);
  box->addWidget(lblRates);
  box->addWidget(lblShare);
  box->addWidget(memLines, 1);
  box->addLayout(MakeCommandRow());

  // Paused, the view stands still while the ring goes on; resumed, it shows the ring as it is.
  connect(chkPause, &QCheckBox::toggled, this, [this](bool paused) {
    if (!paused) Refill();
  });
  connect(cmbType, &QComboBox::currentIndexChanged, this, [this] { Refill(); });
  RateTimer.setObjectName("RateTimer");
  RateTimer.setInterval(1000);
  connect(&RateTimer, &QTimer::timeout, this, [this] { RateTick(); });
  RateTimer.start();
  resize(560, 320);
  setVisible(ShowConsole);
}

QString TConsoleForm::Filter() const { return cmbType->currentData().toString(); }

bool TConsoleForm::Passes(std::string_view type) const {
  const QString filter = Filter();
  return filter.isEmpty() || Latin1(type) == filter;
}

void TConsoleForm::ShowSentence(const TSentenceInfo& info) {
  std::string line = SentenceLine(info);
  const std::string_view type = SentenceTypeOf(info.address);
  if (info.outcome == TSentenceOutcome::BadChecksum) {
    line += kBadChecksumMark;
    Rates.AddBadChecksum(type);
  }
  AddLine(line, type);
}

void TConsoleForm::ShowNotice(std::string_view text) { AddLine(text, {}); }

void TConsoleForm::AddLine(std::string_view line, std::string_view type) {
  Lines.Add(line, type);
  Rates.Add(type);
  if (!type.empty() && cmbType->findData(Latin1(type)) < 0) {
    // Types in name order after "All types".
    int at = 1;
    while (at < cmbType->count() && cmbType->itemData(at).toString() < Latin1(type)) ++at;
    cmbType->insertItem(at, Latin1(type), Latin1(type));
  }
  // A burst of lines is shown in one go once the event loop runs again.
  if (!FlushPending && !chkPause->isChecked()) {
    FlushPending = true;
    QTimer::singleShot(0, this, [this] { Flush(); });
  }
}

void TConsoleForm::Flush() {
  FlushPending = false;
  if (chkPause->isChecked()) return;
  const uint64_t total = Lines.Total();
  const uint64_t kept = Lines.Size();
  // Lines that came and went while nothing was flushed are not shown.
  const uint64_t first = std::max(Shown, total - kept);
  QStringList text;
  for (uint64_t n = first; n < total; ++n) {
    const size_t at = static_cast<size_t>(n - (total - kept));
    if (Passes(Lines.TypeAt(at))) text << Latin1(Lines.At(at));
  }
  Shown = total;
  if (text.isEmpty()) return;
  QScrollBar* v = memLines->verticalScrollBar();
  const bool atEnd = v->value() == v->maximum();
  memLines->appendPlainText(text.join('\n'));
  if (atEnd) v->setValue(v->maximum());
}

void TConsoleForm::Refill() {
  memLines->clear();
  Shown = Lines.Total() - Lines.Size();
  Flush();
}

void TConsoleForm::RateTick() {
  Rates.Tick();
  QStringList parts;
  for (const auto& [type, count] : Rates.LastSecond())
    if (count > 0) parts << QString("%1 %2/s").arg(Latin1(type)).arg(count);
  QString text = parts.isEmpty() ? QString("no sentences in the last second") : parts.join("  ");
  QStringList bad;
  for (const auto& [type, count] : Rates.BadChecksums()) bad << QString("%1 %2").arg(Latin1(type)).arg(count);
  if (!bad.isEmpty()) text += "\nbad checksums: " + bad.join("  ");
  lblRates->setText(text);
}

void TConsoleForm::ShowShare(const std::string& status, bool sharing) {
  lblShare->setText(QString::fromStdString(status));
  lblShare->setVisible(sharing);
}

QHBoxLayout* TConsoleForm::MakeCommandRow() {
  cmbCommands = new QComboBox(this);
  cmbCommands->setObjectName("cmbCommands");
  cmbCommands->addItem("Commands");
  cmbCommands->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  edCommand = new QLineEdit(this);
  edCommand->setObjectName("edCommand");
  edCommand->setPlaceholderText("A sentence for the receiver, such as PMTK220,1000");
  edCommand->setFont(memLines->font());
  btnSend = new QPushButton("Send", this);
  btnSend->setObjectName("btnSend");
  // A named command is put on the line, not sent: the user sees what goes out and sends it.
  connect(cmbCommands, &QComboBox::activated, this, [this](int index) {
    if (index < 1 || static_cast<size_t>(index) > CommandSentences.size()) return;
    edCommand->setText(QString::fromStdString(CommandSentences[static_cast<size_t>(index - 1)]));
    edCommand->setFocus();
    cmbCommands->setCurrentIndex(0);
  });
  connect(edCommand, &QLineEdit::returnPressed, this, [this] { SendCommand(); });
  connect(btnSend, &QPushButton::clicked, this, [this] { SendCommand(); });
  auto* row = new QHBoxLayout;
  row->addWidget(cmbCommands);
  row->addWidget(edCommand, 1);
  row->addWidget(btnSend);
  return row;
}

void TConsoleForm::SetCommands(const std::vector<TNamedCommand>& commands, const std::string& source) {
  cmbCommands->clear();
  cmbCommands->addItem("Commands");
  CommandSentences.clear();
  for (const TNamedCommand& c : commands) {
    const QString label = QString::fromStdString(c.Group.empty() ? c.Name : c.Group + ": " + c.Name);
    cmbCommands->addItem(label);
    cmbCommands->setItemData(cmbCommands->count() - 1, QString::fromStdString(c.Note), Qt::ToolTipRole);
    CommandSentences.push_back(c.Sentence);
  }
  cmbCommands->setToolTip(QString::fromStdString("The commands of " + source));
}

void TConsoleForm::SendCommand() {
  const std::string typed = edCommand->text().trimmed().toUtf8().toStdString();
  if (typed.empty()) return;
  std::string sentence, error;
  bool sent = FrameCommand(typed, sentence, error);
  if (sent) {
    if (!OnSend) error = "no receiver to send to";
    sent = OnSend && OnSend(sentence, error);
  }
  if (!sent) {
    AddLine(
        std::string(kNotSentMark) + (sentence.empty() ? typed : sentence.substr(0, sentence.size() - 2)) + ": " + error,
        {});
    return;
  }
  AddLine(std::string(kSentMark) + sentence.substr(0, sentence.size() - 2), {});
  edCommand->clear();
}

void TConsoleForm::closeEvent(QCloseEvent* event) {
  if (!CloseAsToggle(*this, *event, OnCloseToggle)) QWidget::closeEvent(event);
}

}  // namespace orvane
