// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/UChartsForm.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include "common/HostConv.h"
#include "gui/CloseToggle.h"
#include "nmea/UNmeaProc.h"
#include "settings/MainVars.h"
#include "settings/WindowChoices.h"

namespace orvane {

TChartsForm* ChartsForm = nullptr;

namespace {

constexpr int kRefreshMs = 1000;

struct TSpan {
  TChartSpan Span;
  const char* Caption;
  double Seconds;  // 0: the whole run
};
constexpr TSpan kSpans[] = {{TChartSpan::Minutes10, "Last 10 minutes", 600},
                            {TChartSpan::Hour, "Last hour", 3600},
                            {TChartSpan::Run, "Whole run", 0}};

bool Kept(TChartQuantity q) {
  const std::vector<TChartQuantity>& kept = ChartsChoices.Series;
  return std::find(kept.begin(), kept.end(), q) != kept.end();
}

}  // namespace

// Tells the form the time under the mouse.
class TChartsForm::TChartView : public QChartView {
public:
  TChartView(QChart* c, TChartsForm& form) : QChartView(c, &form), Form(form) {
    setObjectName("chvCharts");
    setMouseTracking(true);
    setRenderHint(QPainter::Antialiasing, false);
  }

protected:
  void mouseMoveEvent(QMouseEvent* event) override {
    const double t = chart()->mapToValue(event->position()).x();
    Form.lblPointer->setText(QString::fromStdString(Form.PointerText(t)));
    const auto* y = Form.axisValue;
    Form.pointerLine->replace(QList<QPointF>{{t, y->min()}, {t, y->max()}});
    QChartView::mouseMoveEvent(event);
  }

private:
  TChartsForm& Form;
};

TChartsForm::TChartsForm(const TNmeaRec& rec, QWidget* parent) : QWidget(parent, Qt::Tool), Rec(rec) {
  setObjectName("ChartsForm");
  setWindowTitle("Charts");
  resize(820, 460);

  lstSeries = new QListWidget(this);
  lstSeries->setObjectName("lstSeries");
  lstSeries->setMaximumWidth(200);
  chart = new QChart;
  chart->legend()->setAlignment(Qt::AlignBottom);
  axisTime = new QValueAxis(chart);
  axisTime->setTitleText("seconds since the first fix");
  axisTime->setLabelFormat("%.0f");
  axisValue = new QValueAxis(chart);
  chart->addAxis(axisTime, Qt::AlignBottom);
  chart->addAxis(axisValue, Qt::AlignLeft);
  for (const TChartQuantityName& n : kChartQuantityNames) {
    auto* item = new QListWidgetItem(n.Caption, lstSeries);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Kept(n.Quantity) ? Qt::Checked : Qt::Unchecked);
    auto* line = new QLineSeries(chart);
    line->setName(n.Caption);
    chart->addSeries(line);
    line->attachAxis(axisTime);
    line->attachAxis(axisValue);
    lines.push_back(line);
  }
  pointerLine = new QLineSeries(chart);
  pointerLine->setPen(QPen(Qt::gray, 1, Qt::DashLine));
  chart->addSeries(pointerLine);
  pointerLine->attachAxis(axisTime);
  pointerLine->attachAxis(axisValue);
  chart->legend()->markers(pointerLine).first()->setVisible(false);
  auto* view = new TChartView(chart, *this);

  cmbSpan = new QComboBox(this);
  cmbSpan->setObjectName("cmbSpan");
  for (const TSpan& s : kSpans) {
    cmbSpan->addItem(s.Caption);
    if (s.Span == ChartsChoices.Span) cmbSpan->setCurrentIndex(cmbSpan->count() - 1);
  }
  auto* btnExport = new QPushButton("Export CSV...", this);
  btnExport->setObjectName("btnExport");
  lblPointer = new QLabel("Point at the chart to read the values", this);
  lblPointer->setObjectName("lblPointer");
  lblPointer->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* controls = new QHBoxLayout;
  controls->addWidget(cmbSpan);
  controls->addWidget(btnExport);
  controls->addWidget(lblPointer, 1);
  auto* body = new QHBoxLayout;
  body->addWidget(lstSeries);
  body->addWidget(view, 1);
  auto* top = new QVBoxLayout(this);
  top->addLayout(controls);
  top->addLayout(body, 1);

  connect(lstSeries, &QListWidget::itemChanged, this, [this] {
    ChartsChoices.Series = Chosen();
    Refresh();
  });
  connect(cmbSpan, &QComboBox::currentIndexChanged, this, [this](int index) {
    ChartsChoices.Span = kSpans[std::max(0, index)].Span;
    Refresh();
  });
  connect(btnExport, &QPushButton::clicked, this, [this] { ExportClick(); });
  RefreshTimer.setInterval(kRefreshMs);
  connect(&RefreshTimer, &QTimer::timeout, this, [this] {
    if (Dirty && isVisible()) Refresh();
  });
  RefreshTimer.start();
  Refresh();
  setVisible(ShowCharts);
}

void TChartsForm::SentenceDecoded(const TSentenceInfo& info, const TNmeaProc& proc) {
  if (Series_.Add(info, Rec, proc)) Dirty = true;
}

std::vector<TChartQuantity> TChartsForm::Chosen() const {
  std::vector<TChartQuantity> out;
  for (int i = 0; i < lstSeries->count(); ++i)
    if (lstSeries->item(i)->checkState() == Qt::Checked)
      out.push_back(kChartQuantityNames[static_cast<size_t>(i)].Quantity);
  return out;
}

double TChartsForm::SpanStart() const {
  const double span = kSpans[std::max(0, cmbSpan->currentIndex())].Seconds;
  const std::vector<TChartSample>& s = Series_.Samples();
  if (span <= 0 || s.empty()) return 0;
  return std::max(0.0, s.back().Time - span);
}

void TChartsForm::Refresh() {
  Dirty = false;
  const double from = SpanStart();
  // Two points per pixel column are as many as a line can show.
  const size_t buckets = static_cast<size_t>(std::max(100, static_cast<int>(chart->plotArea().width())));
  double lo = INFINITY, hi = -INFINITY;
  const std::vector<TChartQuantity> chosen = Chosen();
  for (size_t i = 0; i < lines.size(); ++i) {
    const TChartQuantity q = kChartQuantityNames[i].Quantity;
    const bool shown = std::find(chosen.begin(), chosen.end(), q) != chosen.end();
    lines[i]->setVisible(shown);
    QList<QPointF> points;
    if (shown)
      for (const TChartPoint& p : Series_.Points(q, from, buckets)) {
        points.append({p.Time, p.Value});
        lo = std::min(lo, p.Value);
        hi = std::max(hi, p.Value);
      }
    lines[i]->replace(points);
    chart->legend()->markers(lines[i]).first()->setVisible(shown);
  }
  const std::vector<TChartSample>& s = Series_.Samples();
  axisTime->setRange(from, s.empty() ? 60 : std::max(from + 1, s.back().Time));
  if (!(lo <= hi)) lo = 0, hi = 1;
  const double pad = hi > lo ? (hi - lo) * 0.05 : std::max(1.0, std::fabs(hi) * 0.05);
  axisValue->setRange(lo - pad, hi + pad);
  pointerLine->clear();
}

std::string TChartsForm::PointerText(double time) const {
  const TChartSample* s = Series_.At(time);
  if (!s) return "No samples yet";
  std::string text = s->Utc + " UTC (" + FormatPlain(s->Time) + " s)";
  for (const TChartQuantity q : Chosen()) {
    const TChartQuantityName& n = kChartQuantityNames[static_cast<size_t>(q)];
    text +=
        "  " + std::string(n.Caption) + " " + FormatPlain(std::round(s->Values[static_cast<size_t>(q)] * 1000) / 1000);
  }
  return text;
}

std::string TChartsForm::ExportCsv(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return "Cannot write \"" + path + "\": " + std::strerror(errno);
  const std::string text = Series_.Csv(Chosen(), SpanStart());
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) return "Cannot write \"" + path + "\": " + std::strerror(errno);
  return {};
}

void TChartsForm::ExportClick() {
  const QString name = QFileDialog::getSaveFileName(this, "Export CSV", "series.csv", "CSV (*.csv)");
  if (name.isEmpty()) return;
  const std::string error = ExportCsv(name.toLocal8Bit().toStdString());
  if (!error.empty()) QMessageBox::warning(this, "Export CSV", QString::fromLocal8Bit(error.c_str()));
}

void TChartsForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (Dirty) Refresh();
}

void TChartsForm::closeEvent(QCloseEvent* event) {
  if (!CloseAsToggle(*this, *event, OnCloseToggle)) QWidget::closeEvent(event);
}

}  // namespace orvane
