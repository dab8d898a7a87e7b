// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/USignalForm.h"

#include <algorithm>

#include <QCloseEvent>
#include <QFontMetrics>
#include <QPainter>

#include "gui/CloseToggle.h"
#include "nmea/NmeaRec.h"
#include "nmea/SignalBands.h"
#include "settings/MainVars.h"

namespace orvane {

TSignalForm* SignalForm = nullptr;

namespace {

QColor ToQColor(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
QRect ToQRect(const TSkyRect& r) { return QRect(r.Left, r.Top, r.Width, r.Height); }

// A label stands upright under its bar when it leaves a little room to its neighbours.
bool LabelFits(int textWidth, int slotWidth) { return textWidth + 4 <= slotWidth; }

// Centred at the top of `r`, or on end from its top when it is too wide for it.
void DrawUnder(QPainter& p, const QFontMetrics& fm, const TSkyRect& r, const QString& text) {
  if (LabelFits(fm.horizontalAdvance(text), r.Width)) {
    p.drawText(ToQRect(r), Qt::AlignHCenter | Qt::AlignTop, text);
    return;
  }
  p.save();
  p.translate(r.Left + (r.Width + fm.ascent() - fm.descent()) / 2, r.Top + 1);
  p.rotate(90);
  p.drawText(0, 0, text);
  p.restore();
}

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
  // The decoder placed the satellite the record's entry holds now, with the signals it has.
  const TSatInfo& sat = Rec.Sats[static_cast<size_t>(index - 1)];
  if (!sat.Prn.empty()) {
    s.Bands.clear();
    for (const TSatSignal& sig : sat.Signals) s.Bands.push_back({BandLabel(sat.System, sig.Id), sig.Snr});
  }
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
    if (Shown[n].Visible) sats.push_back({Shown[n].Label, Shown[n].Snr, Rec.Sats[n].Used, Shown[n].Bands});
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

// The band names a size smaller than the labels, and smaller again for each bar's narrower slot.
QFont TSignalForm::BandFont(int count) const {
  QFont f = LabelFont(count);
  f.setPixelSize(std::max(7, f.pixelSize() - 2));
  return f;
}

namespace {

int BarCount(const std::vector<TSignalSat>& sats) {
  int n = 0;
  for (const TSignalSat& s : sats) n += std::max<int>(1, static_cast<int>(s.Bands.size()));
  return n;
}

}  // namespace

TSignalLayout TSignalForm::Layout() const {
  QFont label, band;
  return Layout(Sats(), label, band);
}

namespace {

// The widest of the texts in `font`.
template <class Texts>
int Widest(const QFont& font, const Texts& texts) {
  const QFontMetrics fm(font);
  int widest = 0;
  for (const std::string& t : texts) widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(t)));
  return widest;
}

// Made smaller, down to 7 pixels, until the texts fit `room`; the width they take then.
template <class Texts>
int Shrink(QFont& font, const Texts& texts, int room) {
  int widest = Widest(font, texts);
  while (!LabelFits(widest, room) && font.pixelSize() > 7) {
    font.setPixelSize(font.pixelSize() - 1);
    widest = Widest(font, texts);
  }
  return widest;
}

}  // namespace

TSignalLayout TSignalForm::Layout(const std::vector<TSignalSat>& sats, QFont& labelFont, QFont& bandFont) const {
  // Sized for one bar's slot: a satellite of one band has no more room than that.
  const int count = BarCount(sats);
  labelFont = LabelFont(count);
  bandFont = BandFont(count);
  std::vector<std::string> labels, bands;
  for (const TSignalSat& s : sats) {
    labels.push_back(s.Label);
    for (const TSignalBand& b : s.Bands) bands.push_back(b.Name);
  }
  const QFontMetrics scale(ScaleFont());
  const int axisW = scale.horizontalAdvance("60");
  const auto layout = [&](int labelH, int bandH) {
    return SignalLayout(width(), height(), sats, axisW, scale.height(), labelH, bandH);
  };
  TSignalLayout l = layout(QFontMetrics(labelFont).height(), QFontMetrics(bandFont).height());
  if (l.Bars.empty()) return l;
  // The slots' widths do not depend on the texts' heights: labels too wide for theirs are made
  // smaller, and texts still too wide stand on end and need their length below the plot.
  int narrowest = l.Bars[0].Label.Width, narrowestBand = narrowest;
  for (const TSignalBar& b : l.Bars) {
    narrowest = std::min(narrowest, b.Label.Width);
    if (b.BandIndex >= 0) narrowestBand = std::min(narrowestBand, b.Band.Width);
  }
  const int widest = Shrink(labelFont, labels, narrowest);
  // Band names stand on end sooner: a smaller text would be too small to read.
  const int widestBand = Widest(bandFont, bands);
  const int labelH = LabelFits(widest, narrowest) ? QFontMetrics(labelFont).height() : widest + 2;
  const int bandH = LabelFits(widestBand, narrowestBand) ? QFontMetrics(bandFont).height() : widestBand + 2;
  return layout(labelH, bandH);
}

std::string TSignalForm::Counts() const {
  const std::vector<TSignalSat> sats = Sats();
  if (std::none_of(sats.begin(), sats.end(), [](const TSignalSat& s) { return !s.Bands.empty(); })) return {};
  return "in view: " + std::to_string(sats.size()) + " satellites, " + std::to_string(BarCount(sats)) + " signals";
}

void TSignalForm::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), ToQColor(Rec.BGColor));
  const std::vector<TSignalSat> sats = Sats();
  QFont labelFont, bandFont;
  const TSignalLayout l = Layout(sats, labelFont, bandFont);
  const QFont scaleFont = ScaleFont();
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

  const std::string counts = Counts();
  if (!counts.empty())
    p.drawText(QRect(l.Plot.Left + 4, l.Plot.Top, l.Plot.Width - 8, sm.height()), Qt::AlignLeft | Qt::AlignTop,
               QString::fromStdString(counts));

  const QFontMetrics bm(bandFont);
  for (size_t i = 0; i < l.Bars.size(); ++i) {
    const TSignalBar& b = l.Bars[i];
    const TSignalSat& sat = sats[b.Sat];
    const QColor colour = sat.Used ? ToQColor(clBlue) : ToQColor(clRed);
    if (Old) {
      // Old levels are outlines, as the sky view's old satellites are rings.
      p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(ToQRect(b.Bar)).adjusted(1, 1, -1, -1));
    } else {
      p.fillRect(ToQRect(b.Bar), colour);
    }
    p.setPen(Qt::black);
    if (b.BandIndex >= 0) {
      p.setFont(bandFont);
      DrawUnder(p, bm, b.Band, QString::fromStdString(sat.Bands[static_cast<size_t>(b.BandIndex)].Name));
    }
    // A satellite's label once, under all of its bars.
    if (b.BandIndex <= 0) {
      p.setFont(labelFont);
      DrawUnder(p, lm, b.Label, QString::fromStdString(sat.Label));
    }
  }
}

void TSignalForm::closeEvent(QCloseEvent* event) {
  if (!CloseAsToggle(*this, *event, OnCloseToggle)) QWidget::closeEvent(event);
}

}  // namespace orvane
