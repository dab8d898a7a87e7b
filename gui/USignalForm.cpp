// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/USignalForm.h"

#include <algorithm>

#include <QCloseEvent>
#include <QFontMetrics>
#include <QPainter>

#include "gui/CloseToggle.h"
#include "nmea/NmeaRec.h"
#include "settings/MainVars.h"

namespace orvane {

TSignalForm* SignalForm = nullptr;

namespace {

QColor ToQColor(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
QRect ToQRect(const TSkyRect& r) { return QRect(r.Left, r.Top, r.Width, r.Height); }

// A label stands upright under its bar when it leaves a little room to its neighbours.
bool LabelFits(int textWidth, int slotWidth) { return textWidth + 4 <= slotWidth; }

}  // namespace

TSignalForm::TSignalForm(const TNmeaRec& rec, QWidget* parent) : QWidget(parent, Qt::Tool), Rec(rec) {
  setObjectName("SignalForm");
  setWindowTitle("Signal Levels");
  resize(360, 200);
  setVisible(ShowSignal);
}

void TSignalForm::PlaceSatellite(const std::string& prn, int index, int, int, int snr) {
  if (index < 1 || index > kMaxGnssSats) return;
  TShown& s = Shown[static_cast<size_t>(index - 1)];
  s.Label = prn;
  s.Snr = snr;
  if (s.Visible) update();
}

void TSignalForm::SetSatVisible(int index, bool visible) {
  if (index < 1 || index > kMaxGnssSats) return;
  Shown[static_cast<size_t>(index - 1)].Visible = visible;
  update();
}

// The record says which satellites are used; the colour is only the sky view's way to show it.
void TSignalForm::SetSatColor(int, TColor) { update(); }

void TSignalForm::ShowDataAge(int seconds) {
  const bool old = seconds != kDataCurrent;
  if (old == Old) return;
  Old = old;
  update();
}

std::vector<TSignalSat> TSignalForm::Sats() const {
  std::vector<TSignalSat> sats;
  for (size_t n = 0; n < Shown.size(); ++n)
    if (Shown[n].Visible) sats.push_back({Shown[n].Label, Shown[n].Snr, Rec.Sats[n].Used});
  SortSignalSats(sats);
  return sats;
}

// The scale's numbers grow with the window's height, from 9 to 16 pixels.
QFont TSignalForm::ScaleFont() const {
  QFont f = font();
  f.setPixelSize(std::clamp(height() / 18, 9, 16));
  return f;
}

// The labels as large as the scale's numbers when the bars are wide enough, else smaller, down
// to 7 pixels; still too narrow, they stand on end.
QFont TSignalForm::LabelFont(int count) const {
  QFont f = ScaleFont();
  const int slot = width() / std::max(1, count);
  f.setPixelSize(std::clamp(slot / 2, 7, f.pixelSize()));
  return f;
}

TSignalLayout TSignalForm::Layout() const {
  const std::vector<TSignalSat> sats = Sats();
  const QFontMetrics scale(ScaleFont()), label(LabelFont(static_cast<int>(sats.size())));
  int widest = 0;
  for (const TSignalSat& s : sats) widest = std::max(widest, label.horizontalAdvance(QString::fromStdString(s.Label)));
  const int axisW = scale.horizontalAdvance("60");
  TSignalLayout l = SignalLayout(width(), height(), sats, axisW, scale.height(), label.height());
  // Labels wider than their bars' slots stand on end and need their length below the plot.
  if (!l.Bars.empty() && !LabelFits(widest, l.Bars[0].Label.Width))
    l = SignalLayout(width(), height(), sats, axisW, scale.height(), widest + 2);
  return l;
}

void TSignalForm::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), ToQColor(Rec.BGColor));
  const std::vector<TSignalSat> sats = Sats();
  const TSignalLayout l = Layout();
  const QFont scaleFont = ScaleFont(), labelFont = LabelFont(static_cast<int>(sats.size()));
  const QFontMetrics sm(scaleFont), lm(labelFont);

  // The scale: a line and a number every 10 dB-Hz, its unit in the top corner.
  p.setFont(scaleFont);
  for (const TSignalTick& t : l.Ticks) {
    p.setPen(QColor(200, 200, 200));
    p.drawLine(l.Plot.Left, t.Y, l.Plot.Right() - 1, t.Y);
    p.setPen(Qt::black);
    const QRect number(0, t.Y - sm.height() / 2, l.Plot.Left - 4, sm.height());
    p.drawText(number, Qt::AlignRight | Qt::AlignVCenter, QString::number(t.Db));
  }
  p.drawText(QRect(l.Plot.Left, l.Plot.Top, l.Plot.Width - 2, sm.height()), Qt::AlignRight | Qt::AlignTop, "dB-Hz");
  p.drawLine(l.Plot.Left, l.Plot.Top, l.Plot.Left, l.Plot.Bottom());

  p.setFont(labelFont);
  for (size_t i = 0; i < l.Bars.size(); ++i) {
    const TSignalBar& b = l.Bars[i];
    const QColor colour = sats[i].Used ? ToQColor(clBlue) : ToQColor(clRed);
    if (Old) {
      // Old levels are outlines, as the sky view's old satellites are rings.
      p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(ToQRect(b.Bar)).adjusted(1, 1, -1, -1));
    } else {
      p.fillRect(ToQRect(b.Bar), colour);
    }
    const QString text = QString::fromStdString(sats[i].Label);
    p.setPen(Qt::black);
    if (LabelFits(lm.horizontalAdvance(text), b.Label.Width)) {
      p.drawText(ToQRect(b.Label), Qt::AlignHCenter | Qt::AlignTop, text);
      continue;
    }
    p.save();
    p.translate(b.Label.Left + (b.Label.Width + lm.ascent() - lm.descent()) / 2, b.Label.Top + 1);
    p.rotate(90);
    p.drawText(0, 0, text);
    p.restore();
  }
}

void TSignalForm::closeEvent(QCloseEvent* event) {
  if (!CloseAsToggle(*this, *event, OnCloseToggle)) QWidget::closeEvent(event);
}

}  // namespace orvane
