// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/UDeviationForm.h"

#include <algorithm>
#include <iterator>

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/CoordFormat.h"
#include "common/HostConv.h"
#include "geodrel.h"
#include "gui/CloseToggle.h"
#include "gui/QtCanvas.h"
#include "maps/PlaneCoord.h"
#include "nmea/ReportStats.h"
#include "settings/MainVars.h"
#include "settings/WindowChoices.h"
#include "track/DeviationPlot.h"

namespace orvane {

TDeviationForm* DeviationForm = nullptr;

namespace {

// Often enough to look live, seldom enough that a replay at full speed spends its time decoding.
constexpr int kRefreshMs = 250;

struct TReferenceItem {
  const char* Caption;
  TReferenceKind Kind;
};
constexpr TReferenceItem kReferenceItems[] = {
    {"Mean", TReferenceKind::Mean}, {"First fix", TReferenceKind::First}, {"Position", TReferenceKind::Given}};

std::string Metres(double m) { return FormatFixed(m, 4); }

}  // namespace

// The picture: drawn onto an image through the program's canvas, then shown.
class TDeviationForm::TPlotView : public QWidget {
public:
  TPlotView(const TDeviationForm& form, QWidget* parent) : QWidget(parent), Form(form) {
    setObjectName("pnlPlot");
    setMinimumSize(240, 240);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    if (Image.size() != size()) Image = QImage(size(), QImage::Format_RGB32);
    {
      TQtCanvas canvas(Image);
      DrawDeviation(canvas, Form.Fixes().Fixes(), Form.Offsets, Form.Rec.BGColor);
    }
    QPainter(this).drawImage(0, 0, Image);
  }

private:
  const TDeviationForm& Form;
  QImage Image;
};

TDeviationForm::TDeviationForm(const TNmeaRec& rec, QWidget* parent) : QWidget(parent, Qt::Tool), Rec(rec) {
  setObjectName("DeviationForm");
  setWindowTitle("Deviation");
  resize(720, 520);

  cmbReference = new QComboBox(this);
  cmbReference->setObjectName("cmbReference");
  for (const TReferenceItem& item : kReferenceItems) cmbReference->addItem(item.Caption);
  edtReference = new QLineEdit(this);
  edtReference->setObjectName("edtReference");
  edtReference->setPlaceholderText("LAT,LON (WGS 84, decimal degrees)");
  edtReference->setEnabled(false);
  cmbQuality = new QComboBox(this);
  cmbQuality->setObjectName("cmbQuality");
  cmbQuality->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  auto* btnReset = new QPushButton("Reset", this);
  btnReset->setObjectName("btnReset");
  lblPanel = new QLabel(this);
  lblPanel->setObjectName("lblPanel");
  lblPanel->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  lblPanel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblPanel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  pnlPlot = new TPlotView(*this, this);

  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel("Reference", this));
  controls->addWidget(cmbReference);
  controls->addWidget(edtReference, 1);
  controls->addWidget(new QLabel("Quality", this));
  controls->addWidget(cmbQuality);
  controls->addWidget(btnReset);
  auto* body = new QHBoxLayout;
  body->addWidget(pnlPlot, 1);
  body->addWidget(lblPanel);
  auto* top = new QVBoxLayout(this);
  top->addLayout(controls);
  top->addLayout(body, 1);

  // The kept choices, before the lists tell of changes.
  const TReference& kept = DeviationChoices.Reference;
  if (kept.Kind == TReferenceKind::Given) edtReference->setText(QString::fromStdString(ReferenceWords(kept)));
  for (size_t i = 0; i < std::size(kReferenceItems); ++i)
    if (kReferenceItems[i].Kind == kept.Kind) cmbReference->setCurrentIndex(static_cast<int>(i));
  ReadReference();

  connect(cmbReference, &QComboBox::currentIndexChanged, this, [this] { ReadReference(); });
  connect(edtReference, &QLineEdit::editingFinished, this, [this] { ReadReference(); });
  connect(cmbQuality, &QComboBox::currentIndexChanged, this, [this](int index) {
    Quality = index < 0 ? '\0' : static_cast<char>(cmbQuality->itemData(index).toInt());
    if (Quality) DeviationChoices.Quality = Quality;
    Dirty = true;
    Refresh();
  });
  connect(btnReset, &QPushButton::clicked, this, [this] { Reset(); });
  RefreshTimer.setInterval(kRefreshMs);
  connect(&RefreshTimer, &QTimer::timeout, this, [this] {
    if (Dirty && isVisible()) Refresh();
  });
  RefreshTimer.start();
  Refresh();
  setVisible(ShowDeviation);
}

void TDeviationForm::SentenceDecoded(const TSentenceInfo& info, const std::vector<std::string_view>& fields) {
  if (Collector.Add(info, Rec, fields)) Dirty = true;
}

void TDeviationForm::Reset() {
  Collector.Clear();
  Dirty = true;
  Refresh();
}

void TDeviationForm::ReadReference() {
  const TReferenceKind kind = kReferenceItems[std::max(0, cmbReference->currentIndex())].Kind;
  edtReference->setEnabled(kind == TReferenceKind::Given);
  RefValid = true;
  if (kind == TReferenceKind::Given) {
    const std::optional<TReference> typed = ParseReference(edtReference->text().trimmed().toStdString());
    RefValid = typed.has_value();
    if (typed) Ref = *typed;
  } else {
    Ref = TReference{kind};
  }
  // A position that does not read is not kept: the next run starts from the last one that did.
  if (RefValid) DeviationChoices.Reference = Ref;
  Dirty = true;
  Refresh();
}

// The qualities present, best first; the choice stays on its quality while it is there.
void TDeviationForm::FillQualities() {
  const std::vector<char> present = Collector.Set.Qualities();
  std::vector<char> listed;
  for (int i = 0; i < cmbQuality->count(); ++i) listed.push_back(static_cast<char>(cmbQuality->itemData(i).toInt()));
  if (listed == present) return;
  const QSignalBlocker block(cmbQuality);
  cmbQuality->clear();
  for (const char q : present) cmbQuality->addItem(QString::fromStdString(QualityWords(q)), int(q));
  const char picked = DeviationChoices.Quality;
  const int keep = picked ? cmbQuality->findData(int(picked)) : -1;
  cmbQuality->setCurrentIndex(keep >= 0 ? keep : present.empty() ? -1 : 0);
  Quality = present.empty() ? '\0' : static_cast<char>(cmbQuality->currentData().toInt());
}

void TDeviationForm::Refresh() {
  Dirty = false;
  FillQualities();
  const TFixSet& set = Collector.Set;
  // The dots are drawn about the reference of all fixes; each column of figures about its own.
  Origin = set.ReferencePoint(Ref);
  Offsets = RefValid ? set.Offsets(Origin) : std::vector<TEnu>{};
  All = set.Stats(Origin);
  Chosen = Quality ? set.Stats(set.ReferencePoint(Ref, Quality), Quality) : TFixStats{};
  lblPanel->setText(QString::fromStdString(PanelText()));
  pnlPlot->update();
}

std::string TDeviationForm::PanelText() const {
  if (!RefValid) return "The position does not read:\ntype LAT,LON in decimal\ndegrees, such as\n35.681236,139.767125";
  const TFixStats* cols[2] = {&All, Quality ? &Chosen : nullptr};
  const std::string head = Quality ? QualityWords(Quality) : "";
  auto row = [&](const char* name, auto value) {
    std::string line = name;
    line.resize(9, ' ');
    for (const TFixStats* s : cols) {
      if (!s) continue;
      std::string v = s->Count ? value(*s) : "-";
      line += std::string(v.size() < 14 ? 14 - v.size() : 1, ' ') + v;
    }
    return line + "\n";
  };
  std::string text = "Reference: " + std::string(ReferenceName(Ref.Kind)) + "\n";
  std::string title = "         ";
  title += std::string(14 - 3, ' ') + "All";
  if (Quality) title += std::string(head.size() < 14 ? 14 - head.size() : 1, ' ') + head;
  text += title + "\n";
  text += row("Count", [](const TFixStats& s) { return std::to_string(s.Count); });
  text += row("Mean lat", [&](const TFixStats& s) { return PreciseCoord(s.MeanLat, TAxis::Lat, Rec.CoordFormat); });
  text += row("Mean lon", [&](const TFixStats& s) { return PreciseCoord(s.MeanLon, TAxis::Lon, Rec.CoordFormat); });
  if (Rec.CoordFormat == TCoordFormat::Plane) {
    // The plane figures of the mean, in the zone and datum named under them.
    auto plane = [&](const TFixStats& s, bool north) {
      double X = 0, Y = 0;
      if (!PlaneOf(DegToDms(s.MeanLat), DegToDms(s.MeanLon), "WGS 84", Rec.Plane, X, Y)) return std::string("-");
      return FormatFixed(north ? X : Y, 3);
    };
    text += row("X (N)", [&](const TFixStats& s) { return plane(s, true); });
    text += row("Y (E)", [&](const TFixStats& s) { return plane(s, false); });
    text += "         zone " + ZoneNumeral(Rec.Plane.Zone) + " " + PlaneDatumName(Rec.Plane.Datum) + "\n";
  }
  text += row("Height", [](const TFixStats& s) { return FormatFixed(s.MeanHeight, 3); });
  text += row("CEP50", [](const TFixStats& s) { return Metres(s.Cep50); });
  text += row("CEP95", [](const TFixStats& s) { return Metres(s.Cep95); });
  text += row("2DRMS", [](const TFixStats& s) { return Metres(s.Drms2); });
  text += row("Sigma E", [](const TFixStats& s) { return Metres(s.SigmaE); });
  text += row("Sigma N", [](const TFixStats& s) { return Metres(s.SigmaN); });
  text += row("Sigma U", [](const TFixStats& s) { return Metres(s.SigmaU); });
  text += row("Span E", [](const TFixStats& s) { return Metres(s.SpanE); });
  text += row("Span N", [](const TFixStats& s) { return Metres(s.SpanN); });
  text += row("Span U", [](const TFixStats& s) { return Metres(s.SpanU); });
  text += row("Span s", [](const TFixStats& s) { return FormatPlain(s.SpanTime); });
  return text + "\nIn metres; heights above the geoid.";
}

void TDeviationForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (Dirty) Refresh();
}

void TDeviationForm::closeEvent(QCloseEvent* event) {
  if (!CloseAsToggle(*this, *event, OnCloseToggle)) QWidget::closeEvent(event);
}

}  // namespace orvane
