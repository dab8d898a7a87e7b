#include "gui/UMoniForm.h"

#include <QCloseEvent>
#include <QFont>
#include <QPalette>
#include <QResizeEvent>

#include "gui/CloseToggle.h"
#include "settings/MainVars.h"
#include "nmea/NmeaRec.h"

namespace orvane {

TMoniForm* MoniForm = nullptr;

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, const QString& caption) {
  auto* l = new QLabel(caption, parent);
  l->setObjectName(name);
  l->setTextFormat(Qt::PlainText);
  l->move(left, top);
  l->adjustSize();
  return l;
}

void SetBlock(QLabel* label, const std::string& block) {
  label->setText(BlockText(block));
  label->adjustSize();
}

}  // namespace

QString BlockText(const std::string& block) {
  QString text = QString::fromLocal8Bit(block.data(), static_cast<qsizetype>(block.size()));
  text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
  return text;
}

TMoniForm::TMoniForm(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setObjectName("MoniForm");
  setWindowTitle("DataMonitor");
  // The blocks align their columns by character count, so the face must be fixed-pitch.
  QFont f("IPAGothic");
  f.setPixelSize(15);
  f.setFixedPitch(true);
  f.setStyleHint(QFont::Monospace);
  setFont(f);
  lblGGA = MakeLabel(this, "lblGGA", 5, 5, "GPS Fix Data");
  lblGLL = MakeLabel(this, "lblGLL", 5, 192, QString(15, ' '));
  lblRMC = MakeLabel(this, "lblRMC", 5, 216, QString(15, ' '));
  lblRecv = MakeLabel(this, "lblRecv", 0, 0, QString(17, ' '));
  resize(252, 290);
  lblRecv->setGeometry(0, height() - kRecvHeight, width(), kRecvHeight);
  setAutoFillBackground(true);
  ApplyBGColor();
  setVisible(ShowData);
}

void TMoniForm::ApplyBGColor() {
  const TColor c = NmeaRec.BGColor;
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(RedOf(c), GreenOf(c), BlueOf(c)));
  setPalette(p);
}

void TMoniForm::ShowGGA(const std::string& block) { SetBlock(lblGGA, block); }

void TMoniForm::ShowGLL(const std::string& block) {
  SetBlock(lblGLL, block);
  lblGLL->move(lblGLL->x(), lblGGA->y() + lblGGA->height() + 5);
}

void TMoniForm::ShowRMC(const std::string& block) {
  SetBlock(lblRMC, block);
  lblRMC->move(lblRMC->x(), lblGLL->y() + lblGLL->height() + 5);
}

void TMoniForm::SetRecvCaption(std::string_view sentence) {
  // Received bytes become characters one for one, whatever the locale's encoding.
  lblRecv->setText(QString::fromLatin1(sentence.data(), static_cast<qsizetype>(sentence.size())));
}

void TMoniForm::closeEvent(QCloseEvent* event) {
  if (!CloseAsToggle(*this, *event, OnCloseToggle)) QWidget::closeEvent(event);
}

void TMoniForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  lblRecv->setGeometry(0, height() - kRecvHeight, width(), kRecvHeight);
}

}  // namespace orvane
