// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/UMoniForm.h"

#include <algorithm>

#include <QCloseEvent>
#include <QFont>
#include <QPalette>
#include <QResizeEvent>

#include "gui/CloseToggle.h"
#include "gui/QtText.h"
#include "maps/PlaneCoord.h"
#include "nmea/NmeaBlocks.h"
#include "nmea/NmeaRec.h"
#include "settings/MainVars.h"

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

// With the Plane format, the block's position as X and Y as well, on a line of its own.
std::string WithPlane(const std::string& block, double lat, const std::string& ns, double lon, const std::string& ew) {
  if (NmeaRec.CoordFormat != TCoordFormat::Plane) return block;
  return block + "\n\rPlane     " +
         PlaneReadout(ns == "S" ? -lat : lat, ew == "W" ? -lon : lon, NmeaRec.GpsDatum, NmeaRec.Plane);
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
  pnlBlocks = new QWidget(this);
  pnlBlocks->setObjectName("pnlBlocks");
  lblGGA = MakeLabel(pnlBlocks, "lblGGA", 5, 5, "GPS Fix Data");
  lblGLL = MakeLabel(pnlBlocks, "lblGLL", 5, 192, QString(15, ' '));
  lblRMC = MakeLabel(pnlBlocks, "lblRMC", 5, 216, QString(15, ' '));
  lblAcc = MakeLabel(pnlBlocks, "lblAcc", 5, 240, QString());
  lblAcc->hide();
  lblRecv = MakeLabel(this, "lblRecv", 0, 0, QString(17, ' '));
  resize(NeededSize());
  LayOut();
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

void TMoniForm::ShowGGA(const std::string& block) {
  SetBlock(lblGGA, WithPlane(block, NmeaRec.Lat, NmeaRec.LatNS, NmeaRec.Lon, NmeaRec.LonEW));
}

void TMoniForm::ShowGLL(const std::string& block) {
  SetBlock(lblGLL, WithPlane(block, NmeaRec.GllLat, NmeaRec.GllLatNS, NmeaRec.GllLon, NmeaRec.GllLonEW));
  lblGLL->move(lblGLL->x(), lblGGA->y() + lblGGA->height() + 5);
}

void TMoniForm::ShowRMC(const std::string& block) {
  SetBlock(lblRMC, WithPlane(block, NmeaRec.Lat, NmeaRec.LatNS, NmeaRec.Lon, NmeaRec.LonEW));
  lblRMC->move(lblRMC->x(), lblGLL->y() + lblGLL->height() + 5);
  lblAcc->move(lblAcc->x(), lblRMC->y() + lblRMC->height() + 5);
}

void TMoniForm::ShowAccuracy(const std::string& block) {
  SetBlock(lblAcc, block);
  lblAcc->move(lblAcc->x(), lblRMC->y() + lblRMC->height() + 5);
  if (lblAcc->isHidden()) {
    lblAcc->show();
    const int needed = lblAcc->y() + lblAcc->height() + 5 + kRecvHeight;
    if (height() < needed) resize(width(), needed);
  }
}

void TMoniForm::ShowReceiverText(const std::string& text) {
  ShowNotice(text);
  lblRecv->setToolTip(FromLocal(text));
  ReceiverTextShown.start();
}

void TMoniForm::ShowSentence(const TSentenceInfo& info) {
  if (ReceiverTextShown.isValid() && ReceiverTextShown.elapsed() < kReceiverTextMs) return;
  ShowNotice(SentenceLine(info));
}

void TMoniForm::ShowNotice(std::string_view text) {
  // Received bytes become characters one for one, whatever the locale's encoding.
  lblRecv->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void TMoniForm::ShowStatus(const std::string& text) {
  StatusShown = !text.empty();
  lblRecv->setText(text.empty() ? QString(17, ' ') : FromLocal(text));
  // The line may be narrower than the reason; the whole of it is a hover away.
  lblRecv->setToolTip(FromLocal(text));
}

void TMoniForm::ShowDataAge(int seconds) {
  const bool old = seconds != kDataCurrent;
  if (old && !StatusShown) lblRecv->setText(FromLocal(NoDataCaption(SourceName ? SourceName() : "", seconds)));
  if (old == Old) return;
  Old = old;
  const QColor text = old ? QColor(Qt::gray) : palette().color(QPalette::WindowText);
  for (QLabel* block : {lblGGA, lblGLL, lblRMC, lblAcc}) {
    QPalette p = block->palette();
    p.setColor(QPalette::WindowText, text);
    block->setPalette(p);
  }
}

QSize TMoniForm::NeededSize() const {
  // The widest values the decoders write in practice.
  TNmeaRec r;
  r.FixTime = r.GllTime = "12:34:56";
  r.FixDate = "061226";
  r.LatNS = r.GllLatNS = "N";
  r.LonEW = r.GllLonEW = "E";
  r.Lat = r.GllLat = 35.39074;
  r.Lon = r.GllLon = 139.45123;
  r.FixQuality = "DGPS Fix";
  r.SatUsed = r.SatInView = 12;
  r.Altitude = 1234.5;
  r.Geoid = 36.7;
  r.AltUnit = r.GeoidUnit = 'm';
  r.Pdop = r.Hdop = r.Vdop = 99.9f;
  r.Speed = 123.456;
  r.Course = 359.5959;
  r.MagVarEW = "W";
  r.MagVar = 17.3;
  const auto size = [this](const QString& text) {
    QLabel probe(text);
    probe.setTextFormat(Qt::PlainText);
    probe.setFont(font());
    return probe.sizeHint();
  };
  const QSize gga = size(BlockText(GgaBlock(r))), gll = size(BlockText(GllBlock(r))),
              rmc = size(BlockText(RmcBlock(r))), blank = size(QString(15, ' '));
  // GLL below GGA, or still at its laid-out place with one blank line when no GLL has come yet.
  const int gllBottom = std::max(5 + gga.height() + 5 + gll.height(), 192 + blank.height());
  const int rmcBottom = gllBottom + 5 + rmc.height();
  const int width = 5 + std::max({gga.width(), gll.width(), rmc.width()}) + 5;
  return {width, rmcBottom + 5 + kRecvHeight};
}

void TMoniForm::LayOut() {
  pnlBlocks->setGeometry(0, 0, width(), std::max(0, height() - kRecvHeight));
  lblRecv->setGeometry(0, height() - kRecvHeight, width(), kRecvHeight);
}

void TMoniForm::closeEvent(QCloseEvent* event) {
  if (!CloseAsToggle(*this, *event, OnCloseToggle)) QWidget::closeEvent(event);
}

void TMoniForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
}

}  // namespace orvane
