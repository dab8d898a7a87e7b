// SPDX-License-Identifier: GPL-3.0-or-later
// The deviation window fed as the receiver feeds it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <tuple>

#include "gui/UDeviationForm.h"
#include "nmea/FixStats.h"
#include "settings/MainVars.h"
#include "tests/gui/WindowTest.h"
#include "track/DeviationPlot.h"

namespace orvane {
namespace {

class DeviationWindowTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    WriteAll(ini, "[Settings]\nComPort=16\nShowDeviation=1\n[Ports]\nCOM16=" + (dir / "none").string() + "\n");
    CreateForms();
    DeviationForm->resize(700, 500);
  }
  // One GGA of quality `q`, `minutesNorth` minutes of arc (1.85 km each) north of 35.5 N.
  static std::string Gga(int second, char q, double minutesNorth) {
    char body[160];
    std::snprintf(body, sizeof body, "GPGGA,1200%02d,35%010.7f,N,13930.0000000,E,%c,10,0.9,40.0,M,39.0,M,,", second,
                  30 + minutesNorth, q);
    return Sentence(body);
  }
  // Handed over in one delivery, as one poll tick hands a burst.
  void Feed(const std::string& bytes) {
    Session->Receiver.Proc().ProcessReceivedBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    DeviationForm->Refresh();
  }
  QString Panel() const { return DeviationForm->findChild<QLabel*>("lblPanel")->text(); }
};

TEST_F(DeviationWindowTest, EveryFixOfABurstIsCountedAndJudgedByQuality) {
  std::string burst;
  for (int s = 0; s < 10; ++s) burst += Gga(s, '4', 0);
  for (int s = 10; s < 14; ++s) burst += Gga(s, '2', (s - 10) * 0.0001);  // 0.185 m apart
  burst += Gga(14, '0', 0);                                               // no fix
  Feed(burst);
  EXPECT_EQ(DeviationForm->Fixes().Fixes().size(), 14u);
  EXPECT_EQ(DeviationForm->AllStats().Count, 14);
  // The best quality is offered first; the panel shows its column beside all fixes.
  auto* quality = DeviationForm->findChild<QComboBox*>("cmbQuality");
  ASSERT_EQ(quality->count(), 2);
  EXPECT_EQ(quality->itemText(0), "RTK Fixed");
  quality->setCurrentIndex(1);
  EXPECT_EQ(DeviationForm->ChosenQuality(), '2');
  EXPECT_EQ(DeviationForm->QualityStats().Count, 4);
  EXPECT_GT(DeviationForm->QualityStats().SpanN, 0.5);
  EXPECT_TRUE(Panel().contains("DGPS Fix")) << Panel().toStdString();
  // The same figures the tool prints, from the same fixes.
  const TFixSet& set = DeviationForm->Fixes();
  EXPECT_DOUBLE_EQ(DeviationForm->AllStats().Cep95, set.Stats(set.ReferencePoint({})).Cep95);

  DeviationForm->findChild<QPushButton*>("btnReset")->click();
  EXPECT_EQ(DeviationForm->AllStats().Count, 0);
  EXPECT_EQ(quality->count(), 0);
}

TEST_F(DeviationWindowTest, ATypedPositionIsTheReferenceOnceItReads) {
  Feed(Gga(0, '4', 0) + Gga(1, '4', 0));
  auto* reference = DeviationForm->findChild<QComboBox*>("cmbReference");
  auto* typed = DeviationForm->findChild<QLineEdit*>("edtReference");
  reference->setCurrentIndex(2);
  EXPECT_FALSE(DeviationForm->ReferenceValid());
  EXPECT_TRUE(Panel().contains("does not read"));
  // 10 m south of the fixes.
  typed->setText(QString::number(35.5 - 10 / 110950.0, 'f', 9) + ",139.5");
  emit typed->editingFinished();
  ASSERT_TRUE(DeviationForm->ReferenceValid());
  EXPECT_NEAR(DeviationForm->AllStats().Cep50, 10, 0.01);
}

// What the user chose is there again at the next start; a position that does not read is not kept.
TEST_F(DeviationWindowTest, TheChoicesAreThereAgainAtTheNextStart) {
  Feed(Gga(0, '4', 0) + Gga(1, '2', 0));
  auto widgets = [] {
    return std::tuple(DeviationForm->findChild<QComboBox*>("cmbReference"),
                      DeviationForm->findChild<QLineEdit*>("edtReference"),
                      DeviationForm->findChild<QComboBox*>("cmbQuality"));
  };
  auto [reference, typed, quality] = widgets();
  reference->setCurrentIndex(2);
  typed->setText("35.5,139.5");
  emit typed->editingFinished();
  quality->setCurrentIndex(quality->findText("DGPS Fix"));
  ASSERT_EQ(DeviationForm->ChosenQuality(), '2');
  typed->setText("35.5");
  emit typed->editingFinished();
  ASSERT_FALSE(DeviationForm->ReferenceValid());

  DestroyForms();  // the exit saves the settings
  EXPECT_NE(ReadAll(ini).find("[Deviation]\nReference=35.5,139.5\nQuality=2\n"), std::string::npos) << ReadAll(ini);
  CreateForms();
  std::tie(reference, typed, quality) = widgets();
  EXPECT_EQ(reference->currentText(), "Position");
  EXPECT_EQ(typed->text(), "35.5,139.5");
  EXPECT_TRUE(typed->isEnabled());
  EXPECT_TRUE(DeviationForm->ReferenceValid());
  // The picked quality waits for its fixes, the best one present until then; Reset keeps it.
  Feed(Gga(0, '4', 0));
  EXPECT_EQ(DeviationForm->ChosenQuality(), '4');
  Feed(Gga(1, '2', 0));
  EXPECT_EQ(DeviationForm->ChosenQuality(), '2');
  DeviationForm->findChild<QPushButton*>("btnReset")->click();
  Feed(Gga(2, '4', 0) + Gga(3, '2', 0));
  EXPECT_EQ(DeviationForm->ChosenQuality(), '2');
}

TEST_F(DeviationWindowTest, DotsAreDrawnInTheirQualitysColour) {
  std::string burst;
  for (int s = 0; s < 20; ++s) burst += Gga(s, s < 10 ? '4' : '1', s * 0.0002);
  Feed(burst);
  ASSERT_TRUE(WaitFor([] { return DeviationForm->isVisible(); }));
  const QImage img = DeviationForm->findChild<QWidget*>("pnlPlot")->grab().toImage();
  auto count = [&img](TColor c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) == QColor(RedOf(c), GreenOf(c), BlueOf(c)).rgb();
    return n;
  };
  EXPECT_GT(count(QualityColor('4')), 9 * 10);  // ten dots of nine pixels, less the legend's share
  EXPECT_GT(count(QualityColor('1')), 9 * 10);
}

}  // namespace
}  // namespace orvane
