// SPDX-License-Identifier: GPL-3.0-or-later
// The charts window fed as the receiver feeds it.
#include <gtest/gtest.h>

#include <QChart>
#include <QComboBox>
#include <QLineSeries>
#include <QListWidget>
#include <QValueAxis>

#include "gui/UChartsForm.h"
#include "settings/MainVars.h"
#include "tests/gui/WindowTest.h"

namespace orvane {
namespace {

class ChartsWindowTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    WriteAll(ini, "[Settings]\nComPort=16\nShowCharts=1\n[Ports]\nCOM16=" + (dir / "none").string() + "\n");
    CreateForms();
  }
  // `count` seconds of fixes from 12:00:00, the satellites used rising by one a second.
  void Feed(int count) {
    std::string bytes;
    char body[120];
    for (int i = 0; i < count; ++i) {
      std::snprintf(body, sizeof body, "GPGGA,12%02d%02d,3539.5149,N,13944.7260,E,1,%02d,0.9,40.0,M,39.4,M,,",
                    i / 60 % 60, i % 60, i % 20);
      bytes += Sentence(body);
    }
    Session->Receiver.Proc().ProcessReceivedBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ChartsForm->Refresh();
  }
  QLineSeries* Line(const char* name) const {
    for (QAbstractSeries* s : ChartsForm->Chart()->series())
      if (s->name() == name) return static_cast<QLineSeries*>(s);
    return nullptr;
  }
};

TEST_F(ChartsWindowTest, TheChosenSpanIsDrawnAndReadAndExported) {
  Feed(1200);
  ASSERT_EQ(ChartsForm->Series().Samples().size(), 1200u);
  QLineSeries* hdop = Line("HDOP");
  ASSERT_NE(hdop, nullptr);
  EXPECT_TRUE(hdop->isVisible());
  EXPECT_FALSE(Line("Height (m)")->isVisible());
  // The last ten minutes at first: the time axis runs from 599 s to the newest sample.
  const auto* time = static_cast<QValueAxis*>(ChartsForm->Chart()->axes(Qt::Horizontal).first());
  EXPECT_DOUBLE_EQ(time->min(), 599);
  EXPECT_DOUBLE_EQ(time->max(), 1199);
  ASSERT_GT(hdop->count(), 0);
  EXPECT_GE(hdop->at(0).x(), 599);
  ChartsForm->findChild<QComboBox*>("cmbSpan")->setCurrentIndex(2);  // the whole run
  EXPECT_DOUBLE_EQ(time->min(), 0);

  EXPECT_EQ(ChartsForm->PointerText(10.2), "12:00:10 UTC (10 s)  Satellites used 10  HDOP 0.9");
  const std::string path = (dir / "series.csv").string();
  EXPECT_EQ(ChartsForm->ExportCsv(path), "");
  EXPECT_EQ(ReadAll(path), ChartsForm->Series().Csv({TChartQuantity::Used, TChartQuantity::Hdop}));
  const std::string nowhere = (dir / "no" / "such.csv").string();
  EXPECT_NE(ChartsForm->ExportCsv(nowhere).find(nowhere), std::string::npos);
}

TEST_F(ChartsWindowTest, TheSpanAndTheTickedSeriesAreThereAgainAtTheNextStart) {
  ChartsForm->findChild<QComboBox*>("cmbSpan")->setCurrentIndex(1);  // the last hour
  auto* list = ChartsForm->findChild<QListWidget*>("lstSeries");
  list->item(static_cast<int>(TChartQuantity::Used))->setCheckState(Qt::Unchecked);
  list->item(static_cast<int>(TChartQuantity::Height))->setCheckState(Qt::Checked);

  DestroyForms();  // the exit saves the settings
  EXPECT_NE(ReadAll(ini).find("[Charts]\nSpan=hour\nSeries=hdop,height_m\n"), std::string::npos) << ReadAll(ini);
  CreateForms();
  EXPECT_EQ(ChartsForm->findChild<QComboBox*>("cmbSpan")->currentText(), "Last hour");
  EXPECT_EQ(ChartsForm->Chosen(), (std::vector<TChartQuantity>{TChartQuantity::Hdop, TChartQuantity::Height}));
  Feed(1200);
  EXPECT_DOUBLE_EQ(static_cast<QValueAxis*>(ChartsForm->Chart()->axes(Qt::Horizontal).first())->min(), 0);
  EXPECT_TRUE(Line("Height (m)")->isVisible());
  EXPECT_FALSE(Line("Satellites used")->isVisible());
}

}  // namespace
}  // namespace orvane
