// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/SkyPanel.h"

#include <algorithm>
#include <optional>

#include <QFontMetrics>
#include <QPainter>
#include <QResizeEvent>

#include "gui/QtText.h"

namespace orvane {

namespace {

QColor ToQColor(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
QRect ToQRect(const TSkyRect& r) { return QRect(r.Left, r.Top, r.Width, r.Height); }

// A circle shape: the largest circle inside its bounds, its pen drawn inside them too.
void DrawCircleShape(QPainter& p, const QRect& r, int penWidth, QColor pen, QColor brush) {
  p.setPen(QPen(pen, penWidth));
  p.setBrush(brush);
  const int side = std::min(r.width(), r.height());
  const double half = penWidth / 2.0;
  const QRectF c(r.left() + (r.width() - side) / 2 + half, r.top() + (r.height() - side) / 2 + half, side - penWidth,
                 side - penWidth);
  p.drawEllipse(c);
}

void DrawLabel(QPainter& p, const QRect& r, const QString& text, const QFont& font) {
  p.fillRect(r, Qt::white);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

}  // namespace

TSkyPanel::TSkyPanel(QWidget* parent) : QWidget(parent) {
  setObjectName("pnlSat");
  setContextMenuPolicy(Qt::CustomContextMenu);
  SnrFont = parent->font();
  SnrFont.setPointSize(9);
  PrnFont = parent->font();
  PrnFont.setPointSize(10);
  PrnFont.setBold(true);
  CompassFont = parent->font();
  CompassFont.setPixelSize(10);
}

QFont TSkyPanel::Font(const QFont& laid) const {
  if (Sky.Scale == 1) return laid;
  QFont f = laid;
  if (laid.pixelSize() > 0)
    f.setPixelSize(Scaled(laid.pixelSize(), Sky.Scale));
  else
    f.setPointSizeF(laid.pointSizeF() * Sky.Scale);
  return f;
}

QRect TSkyPanel::FixRect() const {
  return QRect(0, 0, Scaled(kFixRect.width(), Sky.Scale), Scaled(kFixRect.height(), Sky.Scale));
}

void TSkyPanel::FormPaint() {
  Sky = SkyLayout(width(), height());
  // Symbols and labels grow with the plot, so the satellites are placed on it again.
  for (TSatMark& s : Sats)
    if (!s.Prn.isEmpty()) Measure(s);
  LabelsStale = true;
  update();
}

void TSkyPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormPaint();
}

void TSkyPanel::Measure(TSatMark& s) const {
  const QFontMetrics pm(Font(PrnFont)), sm(Font(SnrFont));
  const TSatPlace place = PlaceSat(Sky, s.Elevation, s.Azimuth, pm.horizontalAdvance(s.Prn), pm.height(),
                                   sm.horizontalAdvance(s.Snr), sm.height());
  s.PrnRect = ToQRect(place.Prn);
  s.SnrRect = ToQRect(place.Snr);
  s.Symbol = ToQRect(place.Symbol);
}

void TSkyPanel::SatsChanged() {
  LabelsStale = true;
  update();
}

void TSkyPanel::PlaceSatellite(const std::string& prn, int index, int elevation, int azimuth, int snr) {
  if (index < 1 || index > kMaxGnssSats) return;
  TSatMark& s = Sats[static_cast<size_t>(index - 1)];
  s.Prn = FromLocal(prn);
  s.Snr = QString::fromStdString(FormatSnr(snr));
  s.SnrDb = snr;
  s.Elevation = elevation;
  s.Azimuth = azimuth;
  Measure(s);
  SatsChanged();
}

void TSkyPanel::SetSatVisible(int index, bool visible) {
  if (index < 1 || index > kMaxGnssSats) return;
  Sats[static_cast<size_t>(index - 1)].Visible = visible;
  SatsChanged();
}

void TSkyPanel::SetSatColor(int index, TColor color) {
  if (index < 1 || index > kMaxGnssSats) return;
  Sats[static_cast<size_t>(index - 1)].Color = color;
  SatsChanged();
}

void TSkyPanel::SetFixCaption(const std::string& caption) {
  Fix = FromLocal(caption);
  update();
}

void TSkyPanel::ShowStatus(const std::string& text) { SetStatusText(FromLocal(text)); }

void TSkyPanel::ShowDataAge(int seconds) {
  const bool wasOld = DataOld();
  Age = seconds == kDataCurrent ? QString() : FromLocal(NoDataCaption(SourceName ? SourceName() : "", seconds));
  // The signal levels draw old satellites hollow too.
  if (wasOld != DataOld()) {
    SatsChanged();
    return;
  }
  LabelsStale = true;
  update();
}

QString TSkyPanel::Header() const {
  if (Status.isEmpty() || Age.isEmpty()) return Status + Age;
  return Status + '\n' + Age;
}

void TSkyPanel::SetStatusText(const QString& text) {
  Status = text;
  LabelsStale = true;
  update();
}

void TSkyPanel::SetBGColor(TColor color) {
  Background = color;
  update();
}

void TSkyPanel::ClearSatellites() {
  Sats = {};
  SatsChanged();
}

namespace {

// The legend: "used" and "not used" each after a symbol of its colour, then what the number
// under a symbol is.
struct TLegendPart {
  bool Symbol;
  TColor Color;
  const char* Text;
};
constexpr TLegendPart kLegend[] = {
    {true, clBlue, "used"}, {true, clRed, "not used"}, {false, clBlack, "number below = SNR dB-Hz"}};

int LegendWidth(const QFontMetrics& fm) {
  int w = 0;
  for (const TLegendPart& part : kLegend)
    w += (part.Symbol ? fm.height() + fm.horizontalAdvance(' ') : 0) + fm.horizontalAdvance(part.Text) +
         2 * fm.horizontalAdvance(' ');
  return w - 2 * fm.horizontalAdvance(' ');
}

}  // namespace

QRect TSkyPanel::LegendRect() const {
  const QFontMetrics fm(Font(SnrFont)), cm(Font(CompassFont));
  const std::optional<TSkyRect> r = LegendPlace(Sky, width(), height(), LegendWidth(fm), fm.height(), cm.height());
  return r ? ToQRect(*r) : QRect();
}

// N, E, S and W just beyond the ends of the axes and "45" by the inner circle, where the
// symbols of low and middle satellites seldom sit; pulled inside the panel when the margin is
// too narrow for them.
std::vector<TSkyPanel::TCompassLetter> TSkyPanel::CompassLetters() const {
  if (Sky.Radius <= 0) return {};
  const QFontMetrics fm(Font(CompassFont));
  const int cx = Sky.CenterX, cy = Sky.CenterY, r = Sky.Radius, gap = 2, h = fm.height();
  const auto at = [&](const char* text, int left, int top) {
    const QSize s(fm.horizontalAdvance(text), h);
    left = std::clamp(left, 0, std::max(0, width() - s.width()));
    top = std::clamp(top, 0, std::max(0, height() - s.height()));
    return TCompassLetter{text, QRect(QPoint(left, top), s)};
  };
  return {at("N", cx + gap + 1, cy - r - h - gap), at("S", cx + gap + 1, cy + r + gap),
          at("E", cx + r + gap + 1, cy + gap + 1), at("W", cx - r - gap - fm.horizontalAdvance("W"), cy + gap + 1),
          at("45", cx + gap + 1, cy - r / 2 + gap)};
}

void TSkyPanel::PlaceLabelsNow() {
  if (!LabelsStale) return;
  LabelsStale = false;
  std::vector<TSkyRect> fixed;
  const auto add = [&fixed](const QRect& r) { fixed.push_back({r.x(), r.y(), r.width(), r.height()}); };
  const QString header = Header();
  add(header.isEmpty()
          ? FixRect()
          : QFontMetrics(Font(font())).boundingRect(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, header));
  for (const TCompassLetter& c : CompassLetters()) add(c.Box);
  if (const QRect legend = LegendRect(); !legend.isEmpty()) add(legend);

  std::vector<TSatMark*> shown;
  std::vector<TSatLabels> labels;
  for (TSatMark& s : Sats) {
    if (!s.Visible) continue;
    Measure(s);
    const QPoint c = s.Symbol.center();
    shown.push_back(&s);
    labels.push_back(
        {c.x(), c.y(), s.PrnRect.width(), s.PrnRect.height(), s.SnrRect.width(), s.SnrRect.height(), s.SnrDb});
  }
  const std::vector<TLabelPlace> places = PlaceLabels(labels, Sky.Symbol, width(), height(), fixed);
  for (size_t i = 0; i < shown.size(); ++i) {
    shown[i]->PrnRect = places[i].Side == TLabelSide::None ? QRect() : ToQRect(places[i].Prn);
    shown[i]->SnrRect = places[i].Side == TLabelSide::None ? QRect() : ToQRect(places[i].Snr);
  }
}

void TSkyPanel::paintEvent(QPaintEvent*) {
  PlaceLabelsNow();
  QPainter p(this);
  const QColor bg = ToQColor(Background);
  p.fillRect(rect(), bg);
  p.setRenderHint(QPainter::Antialiasing, true);
  DrawCircleShape(p, ToQRect(Sky.cirElv1), 2, Qt::black, bg);
  DrawCircleShape(p, ToQRect(Sky.cirElv2), 2, Qt::black, bg);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(ToQRect(Sky.linElvV), Qt::black);
  p.fillRect(ToQRect(Sky.linElvH), Qt::black);

  p.setFont(Font(font()));
  p.setPen(Qt::black);
  const QString header = Header();
  if (header.isEmpty()) {
    p.fillRect(FixRect(), bg);
    p.drawText(FixRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Fix);
  }
  // Over the caption's place, but under every satellite.
  p.setFont(Font(CompassFont));
  for (const TCompassLetter& c : CompassLetters())
    p.drawText(c.Box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, c.Text);
  DrawLegend(p);

  const QFont snr = Font(SnrFont), prn = Font(PrnFont);
  for (const TSatMark& s : Sats)
    if (s.Visible && !s.SnrRect.isEmpty()) DrawLabel(p, s.SnrRect, s.Snr, snr);
  for (const TSatMark& s : Sats)
    if (s.Visible && !s.PrnRect.isEmpty()) DrawLabel(p, s.PrnRect, s.Prn, prn);
  p.setRenderHint(QPainter::Antialiasing, true);
  // Old positions are rings of their colour: still there to read, plainly not current.
  for (const TSatMark& s : Sats)
    if (s.Visible && DataOld())
      DrawCircleShape(p, s.Symbol, 2, ToQColor(s.Color), bg);
    else if (s.Visible)
      DrawCircleShape(p, s.Symbol, 1, Qt::white, ToQColor(s.Color));
  // Why no data comes, and for how long, must stay readable: over the satellites, on a veil of
  // the background through which they still show.
  if (!header.isEmpty()) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(Font(font()));
    const QRect area(0, 0, width(), height());
    const QRect used = p.boundingRect(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, header);
    QColor veil = bg;
    veil.setAlpha(210);
    p.fillRect(used.united(FixRect()), veil);
    p.setPen(Qt::black);
    p.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, header);
  }
}

void TSkyPanel::DrawLegend(QPainter& p) const {
  const QRect box = LegendRect();
  if (box.isEmpty()) return;
  const QFont f = Font(SnrFont);
  const QFontMetrics fm(f);
  p.setFont(f);
  p.setPen(Qt::black);
  const int space = fm.horizontalAdvance(' ');
  int x = box.left();
  for (const TLegendPart& part : kLegend) {
    if (part.Symbol) {
      p.setRenderHint(QPainter::Antialiasing, true);
      DrawCircleShape(p, QRect(x, box.top(), fm.height(), fm.height()), 1, Qt::white, ToQColor(part.Color));
      p.setRenderHint(QPainter::Antialiasing, false);
      x += fm.height() + space;
    }
    const int w = fm.horizontalAdvance(part.Text);
    p.setPen(Qt::black);
    p.drawText(QRect(x, box.top(), w, fm.height()), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, part.Text);
    x += w + 2 * space;
  }
}

}  // namespace orvane
