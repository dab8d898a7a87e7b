// SPDX-License-Identifier: GPL-3.0-or-later
// The settings dialog with the real windows, offscreen: its controls, what a showing loads, what
// OK applies and Cancel discards, and the colour, file and folder choosers behind test hooks.
#include "gui/USetForm.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include "app/Session.h"
#include "app/Startup.h"
#include "geodrel.h"
#include "gui/ErrorHandler.h"
#include "gui/UMoniForm.h"
#include "gui/USatVForm.h"
#include "gui/UTrackForm.h"
#include "nmea/NmeaRec.h"
#include "settings/MainVars.h"
#include "settings/Settings.h"
#include "tests/common/TempFiles.h"
#include "tests/gui/WindowTest.h"
#include "track/LayerKinds.h"
#include "track/TrackState.h"

namespace orvane {
namespace {

void Click(QWidget* w) {
  const QPointF at(w->width() / 2.0, w->height() / 2.0);
  QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
}

void WriteSolidBmp(const std::filesystem::path& p, QColor c, int side = 40) {
  QImage img(side, side, QImage::Format_RGB32);
  img.fill(c);
  ASSERT_TRUE(img.save(QString::fromStdString(p.string()), "BMP"));
}

int CountColor(const QImage& img, QColor c) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.pixelColor(x, y).rgb() == c.rgb()) ++n;
  return n;
}

class SetFormTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    SetErrorReporter([this](const std::string& m) { errors.push_back(m); });
  }
  void TearDown() override {
    // The windows go while their complaints are still collected.
    DestroyForms();
    SetErrorReporter(nullptr);
    WindowTest::TearDown();
  }
  // The program's windows from a settings file, with the track window's messages collected.
  void Start(const std::string& settings = "") {
    WriteAll(ini, settings);
    CreateForms();
    TrackForm->OnMessage = [this](const std::string& m) { messages.push_back(m); };
    SetForm->ChooseColor = [this](QWidget*, const QColor& initial) -> std::optional<QColor> {
      colorAsked = initial;
      return colorAnswer;
    };
    SetForm->ChooseFile = [this](QWidget*, const QString& filter, const QString& name) -> std::optional<QString> {
      fileAsked.push_back({filter, name});
      return fileAnswer;
    };
  }
  void Reopen() {
    SetForm->hide();
    SetForm->show();
  }

  std::vector<std::string> errors, messages;
  std::optional<QColor> colorAnswer;
  QColor colorAsked;
  std::optional<QString> fileAnswer;
  std::vector<std::pair<QString, QString>> fileAsked;
};

TEST_F(SetFormTest, TheDialogHasItsPagesControlsAndButtons) {
  Start();
  TSetForm* f = SetForm;
  EXPECT_EQ(f->windowTitle(), "Setting");
  EXPECT_EQ(f->size(), QSize(495, 464));
  EXPECT_TRUE(f->isModal());
  ASSERT_EQ(f->PageControl->count(), 2);
  EXPECT_EQ(f->PageControl->tabText(0), "&System");
  EXPECT_EQ(f->PageControl->tabText(1), "Map");
  EXPECT_EQ(f->btnOK->text(), "&OK");
  EXPECT_TRUE(f->btnOK->isDefault());
  EXPECT_EQ(f->btnCancel->text(), "&Cancel");

  const std::pair<const char*, const char*> labels[] = {
      {"lblBGColor", "Window Color"},
      {"lblGridColor", "Grid Color"},
      {"lblTrackColor", "Track Color"},
      {"lblIco_Mark", "Icon"},
      {"lblGpsFix", "GPS Fix Sentence"},
      {"lblGpsFix20", "NMEA0183 2.0 : $GPGSA"},
      {"lblGpsFix15", "NMEA0183 1.5 : $GPRMC"},
      {"lblBmpMap", "Bitmap"},
      {"lblRoadMap", "Road"},
      {"lblBorderMap", "Border"},
      {"lblPointMap", "Point"},
      {"lblKkCoastMap", "Coast"},
      {"lblKddMap", "Kukan2500"},
      {"lblWayPntMap", "WayPoint"},
      {"lblWpLineColor", "Line Color"},
      {"lblCoastLine", "Coast Line"},
      {"lblLineCOlor", "Line Color"},
      {"lblEncMap", "ENC"},
  };
  for (const auto& [name, text] : labels) {
    const auto* l = f->findChild<QLabel*>(name);
    ASSERT_NE(l, nullptr) << name;
    EXPECT_EQ(l->text(), text) << name;
  }
  for (const char* name :
       {"pnlBGColor",   "pnlGridColor", "pnlTrackColor", "imgIco_Mark",  "edtIco_Mark",    "chkHeadding",
        "chkHeadGuide", "cmbGpsFix",    "edtBmpMap",     "btnBmpMap",    "edtRoadMap",     "btnRoadMap",
        "edtBorderMap", "btnBorderMap", "edtPointMap",   "btnPointMap",  "edtKkCoastMap",  "btnKkCoastMap",
        "edtKddMap",    "btnKddMap",    "edtWayPntMap",  "btnWayPntMap", "pnlWpLineColor", "edtCoastLine",
        "btnCoastLine", "pnlLineCOlor", "edtEncMap",     "btnEncMap"})
    EXPECT_NE(f->findChild<QWidget*>(name), nullptr) << name;
  EXPECT_EQ(f->chkHeadding->text(), "Cource Hedding");
  EXPECT_EQ(f->chkHeadGuide->text(), "Guide");
  EXPECT_EQ(f->findChild<QWidget*>("imgIco_Mark")->parentWidget()->objectName(), "pnlIco_Mark");
  ASSERT_EQ(f->cmbGpsFix->count(), 2);
  EXPECT_EQ(f->cmbGpsFix->itemText(0), "$GPGSA");
  EXPECT_EQ(f->cmbGpsFix->itemText(1), "$GPRMC");
  EXPECT_TRUE(f->cmbGpsFix->isEditable());
}

// A kind added to the layer table gets its row on the Map page, read from and written to its path.
TEST_F(SetFormTest, AnAddedLayerKindHasItsRowOnTheMapPage) {
  const TAddedLayerKind tiff({'G', "GeoTiffMap", "GeoTIFF", "GeoTIFF|*.tif", nullptr, nullptr, nullptr, 10, 9, nullptr,
                              "geotiff", 8, "GTIF", nullptr, nullptr, nullptr});
  Start("[Track]\nGeoTiffMap=/maps/a.tif\n");
  EXPECT_EQ(LayerPath(TrackState, 'G'), "/maps/a.tif");
  SetForm->show();
  const auto* label = SetForm->findChild<QLabel*>("lblGeoTiffMap");
  auto* edit = SetForm->findChild<QLineEdit*>("edtGeoTiffMap");
  ASSERT_NE(label, nullptr);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(label->text(), "GeoTIFF");
  EXPECT_EQ(edit->text(), "/maps/a.tif");
  EXPECT_NE(SetForm->findChild<QWidget*>("btnGeoTiffMap"), nullptr);
  edit->setText("/maps/b.tif");
  SetForm->btnOK->click();
  EXPECT_EQ(LayerPath(TrackState, 'G'), "/maps/b.tif");
  LayerPath(TrackState, 'G').clear();
}

TEST_F(SetFormTest, SettingsItemRunsTheDialogModallyCentredWithTheSettingsLoaded) {
  Start("[Settings]\nBGColor=$0000FF\nGpsFix=$GPRMC\n[Track]\nRoadMap=/maps/N01-roads.txt\nIconMark=/m/car.bmp\n");
  bool wasVisible = false;
  QPoint centre;
  QTimer::singleShot(0, [&] {
    wasVisible = SetForm->isVisible();
    centre = SetForm->geometry().center();
    EXPECT_EQ(SetForm->pnlBGColor->Color(), clRed);
    EXPECT_EQ(SetForm->cmbGpsFix->currentText(), "$GPRMC");
    EXPECT_EQ(SetForm->LayerEdit('R')->text(), "/maps/N01-roads.txt");
    EXPECT_EQ(SetForm->edtIco_Mark->text(), "/m/car.bmp");
    // The preview holds a copy of the track window's current mark.
    EXPECT_EQ(SetForm->imgIco_Mark->Picture(), TrackForm->MarkPicture());
    SetForm->btnCancel->click();
  });
  SatVForm->menSettingClick();
  EXPECT_TRUE(wasVisible);
  EXPECT_FALSE(SetForm->isVisible());
  const QPoint screen = SetForm->screen()->availableGeometry().center();
  EXPECT_LE((centre - screen).manhattanLength(), 2);
}

TEST_F(SetFormTest, CancelAfterAColourChangeKeepsTheSettingAndTheNextShowingShowsIt) {
  Start("[Settings]\nBGColor=$FFFFFF\n");
  SetForm->show();
  colorAnswer = QColor(0, 0, 255);
  Click(SetForm->pnlBGColor);
  EXPECT_EQ(colorAsked, QColor(255, 255, 255));
  EXPECT_EQ(SetForm->pnlBGColor->Color(), clBlue);
  SetForm->btnCancel->click();
  EXPECT_FALSE(SetForm->isVisible());
  EXPECT_EQ(NmeaRec.BGColor, clWhite);
  EXPECT_EQ(SatVForm->pnlSat->BGColor(), clWhite);
  SetForm->show();
  EXPECT_EQ(SetForm->pnlBGColor->Color(), clWhite);

  // A cancelled colour dialog leaves the panel; a confirmed one and OK apply to both windows.
  colorAnswer = std::nullopt;
  Click(SetForm->pnlBGColor);
  EXPECT_EQ(SetForm->pnlBGColor->Color(), clWhite);
  colorAnswer = QColor(0, 0, 255);
  for (TColorPanel* p : {SetForm->pnlBGColor, SetForm->pnlGridColor, SetForm->pnlTrackColor, SetForm->LayerColor('W'),
                         SetForm->LayerColor('C')})
    Click(p);
  SetForm->btnOK->click();
  EXPECT_FALSE(SetForm->isVisible());
  for (TColor c : {NmeaRec.BGColor, NmeaRec.GridColor, NmeaRec.TrackColor, NmeaRec.WpLineColor, NmeaRec.CoLineColor})
    EXPECT_EQ(c, clBlue);
  EXPECT_EQ(SatVForm->pnlSat->BGColor(), clBlue);
  EXPECT_EQ(MoniForm->palette().color(QPalette::Window), QColor(0, 0, 255));
}

TEST_F(SetFormTest, OkWithAnUnchangedDialogReloadsTheActiveLayersAndRedraws) {
  const auto bmp = dir / "area.bmp";
  WriteSolidBmp(bmp, QColor(255, 0, 0));
  WriteAll(dir / "area.HDR", "ULXMAP 133.5\nULYMAP 34.5\nXDIM 0.025\nYDIM 0.025\n");
  Start("[Settings]\nShowTrk=1\n[Track]\nBmpMap=" + bmp.string() + "\n");
  TrackForm->WaitForLayers();
  ASSERT_GT(CountColor(TrackForm->Surface(), QColor(255, 0, 0)), 0);
  // The file changes behind the program's back; only a reload can show it.
  WriteSolidBmp(bmp, QColor(0, 128, 0));
  SetForm->show();
  SetForm->btnOK->click();
  TrackForm->WaitForLayers();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(CountColor(TrackForm->Surface(), QColor(255, 0, 0)), 0);
  EXPECT_GT(CountColor(TrackForm->Surface(), QColor(0, 128, 0)), 0);
  EXPECT_EQ(LayerPath(TrackState, 'B'), bmp.string());
}

TEST_F(SetFormTest, APathThatDoesNotLoadIsShownEmptyAtTheNextShowing) {
  Start();
  SetForm->show();
  const std::string missing = (dir / "nowhere.bmp").string();
  SetForm->LayerEdit('B')->setText(QString::fromStdString(missing));
  SetForm->btnOK->click();
  TrackForm->WaitForLayers();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], ".HDR File not found: " + (dir / "nowhere.HDR").string());
  EXPECT_EQ(LayerPath(TrackState, 'B'), "");
  SetForm->show();
  EXPECT_EQ(SetForm->LayerEdit('B')->text(), "");
}

TEST_F(SetFormTest, ATypedFixSentenceIsStoredAndOnlyRmcChangesTheDecoders) {
  Start();
  const std::string rmc = Sentence("GPRMC,123519,A,3539.1234,N,13944.5678,E,022.4,084.4,230394,003.1,W");
  for (const char* typed : {"$GPVTG", "$GPRMC", "$GPGSA"}) {
    SetForm->show();
    SetForm->cmbGpsFix->setEditText(typed);
    SetForm->btnOK->click();
    EXPECT_EQ(NmeaRec.GpsFix, typed);
    NmeaRec.FixValid = false;
    Session->Receiver.Proc().ProcessNmea(rmc);
    EXPECT_EQ(NmeaRec.FixValid, std::string(typed) == "$GPRMC") << typed;
  }
  SetForm->show();
  SetForm->cmbGpsFix->setEditText("$GPVTG");
  SetForm->btnOK->click();
  SetForm->show();
  EXPECT_EQ(SetForm->cmbGpsFix->currentText(), "$GPVTG");
}

TEST_F(SetFormTest, UncheckingHeadingDisablesGuideAndKeepsItsCheck) {
  Start("[Settings]\nHeadding=1\nHeadGuide=1\n");
  SetForm->show();
  EXPECT_TRUE(SetForm->chkHeadding->isChecked());
  EXPECT_TRUE(SetForm->chkHeadGuide->isEnabled());
  SetForm->chkHeadding->click();
  EXPECT_FALSE(SetForm->chkHeadGuide->isEnabled());
  EXPECT_TRUE(SetForm->chkHeadGuide->isChecked());
  SetForm->btnOK->click();
  EXPECT_FALSE(NmeaRec.Headding);
  EXPECT_TRUE(NmeaRec.HeadGuide);
  // The next showing sets the box from the setting, and Guide follows it both ways.
  SetForm->show();
  EXPECT_FALSE(SetForm->chkHeadGuide->isEnabled());
  EXPECT_TRUE(SetForm->chkHeadGuide->isChecked());
  SetForm->chkHeadding->click();
  EXPECT_TRUE(SetForm->chkHeadGuide->isEnabled());
}

TEST_F(SetFormTest, TheMultiGnssBoxOnTheSystemPageSwitchesTheDecodersAtOnce) {
  Start("[Settings]\nGnss=1\n");
  SetForm->show();
  ASSERT_EQ(SetForm->chkGnss->parentWidget(), SetForm->tsSystem);
  EXPECT_EQ(SetForm->chkGnss->text(), "Multi-GNSS talkers");
  EXPECT_TRUE(SetForm->chkGnss->isChecked());
  const std::string gga = Sentence("GNGGA,101010.00,5130.0000,N,00007.0000,W,1,12,0.8,20.0,M,47.0,M,,");
  for (bool on : {false, true}) {
    SetForm->show();
    if (SetForm->chkGnss->isChecked() != on) SetForm->chkGnss->click();
    SetForm->btnOK->click();
    EXPECT_EQ(NmeaRec.Gnss, on);
    NmeaRec.Lat = 0;
    Session->Receiver.Proc().ProcessNmea(gga);
    EXPECT_EQ(NmeaRec.Lat != 0, on);
  }
}

TEST_F(SetFormTest, TheChecksumBoxDecidesWhetherADamagedSentenceIsDecoded) {
  Start("[Settings]\nChecksum=0\n");
  SetForm->show();
  ASSERT_EQ(SetForm->chkChecksum->parentWidget(), SetForm->tsSystem);
  EXPECT_FALSE(SetForm->chkChecksum->isChecked());
  // A flipped digit: the checksum no longer matches.
  const std::string damaged = "$GPGGA,101010.00,5130.0000,N,00007.0000,W,1,12,0.8,20.0,M,47.0,M,,*00\r\n";
  for (bool on : {true, false}) {
    SetForm->show();
    if (SetForm->chkChecksum->isChecked() != on) SetForm->chkChecksum->click();
    SetForm->btnOK->click();
    EXPECT_EQ(NmeaRec.Checksum, on);
    NmeaRec.Lat = 0;
    Session->Receiver.Proc().ProcessNmea(damaged);
    EXPECT_EQ(NmeaRec.Lat != 0, !on);
  }
}

TEST_F(SetFormTest, TheCoordinateChoiceShowsTheSettingAndOkAppliesIt) {
  Start("[Settings]\nCoordFormat=Degrees\n");
  SetForm->show();
  ASSERT_EQ(SetForm->cmbCoordFormat->parentWidget(), SetForm->tsSystem);
  EXPECT_EQ(SetForm->cmbCoordFormat->currentText(), "Degrees");
  EXPECT_EQ(SetForm->cmbCoordFormat->count(), 4);
  SetForm->cmbCoordFormat->setCurrentText("DMS");
  SetForm->btnCancel->click();
  EXPECT_EQ(NmeaRec.CoordFormat, TCoordFormat::Degrees);
  SetForm->show();
  SetForm->cmbCoordFormat->setCurrentText("DMS");
  SetForm->btnOK->click();
  EXPECT_EQ(NmeaRec.CoordFormat, TCoordFormat::Dms);
}

// Plane: the zone and datum chosen on the System page; the monitor and the track read-out add X
// and Y, naming both.
TEST_F(SetFormTest, ThePlaneChoiceReachesTheMonitorAndTheTrackReadout) {
  Start("[Settings]\nCoordFormat=Plane\nPlaneZone=12\nPlaneDatum=Tokyo\n");
  SetForm->show();
  EXPECT_EQ(SetForm->spnPlaneZone->value(), 12);
  EXPECT_EQ(SetForm->cmbPlaneDatum->currentText(), "Tokyo");
  SetForm->spnPlaneZone->setValue(9);
  SetForm->cmbPlaneDatum->setCurrentText("JGD2011");
  SetForm->btnOK->click();
  EXPECT_EQ(NmeaRec.Plane.Zone, 9);
  EXPECT_EQ(NmeaRec.Plane.Datum, TPlaneDatum::Jgd2011);
  Session->Receiver.Proc().ProcessNmea(Sentence("GPGGA,120000,3539.51486,N,13944.72598,E,1,08,0.9,40.0,M,39.4,M,,"));
  EXPECT_TRUE(MoniForm->lblGGA->text().contains("Plane     X -37875.0")) << MoniForm->lblGGA->text().toStdString();
  EXPECT_TRUE(MoniForm->lblGGA->text().contains("(IX JGD2011)"));
  TTrackView& view = TrackForm->Plot().View;
  view.MouseLat = DegToDms(35.658581);
  view.MouseLon = DegToDms(139.745433);
  view.State.MapDatum = "WGS 84";
  EXPECT_NE(view.Caption().find("N 35.658581 E 139.745433 X -37875.085 m Y -7958.644 m (IX JGD2011)"),
            std::string::npos)
      << view.Caption();
}

TEST_F(SetFormTest, FileChoosersOfferTheirFilterAndTheBoxText) {
  Start("[Track]\nEncMap=/charts/JP0001.000\n");
  SetForm->show();
  struct TRow {
    QPushButton* button;
    QLineEdit* box;
    const char* filter;
  };
  const TRow rows[] = {
      {SetForm->LayerButton('B'), SetForm->LayerEdit('B'), "Windows Bitmap (*.bmp)"},
      {SetForm->LayerButton('R'), SetForm->LayerEdit('R'), "N01*.txt (N01*.txt)"},
      {SetForm->LayerButton('O'), SetForm->LayerEdit('O'), "N03*.txt (N03*.txt)"},
      {SetForm->LayerButton('P'), SetForm->LayerEdit('P'), "P02*.txt (P02*.txt)"},
      {SetForm->LayerButton('M'), SetForm->LayerEdit('M'), "C23*.txt (C23*.txt)"},
      {SetForm->LayerButton('W'), SetForm->LayerEdit('W'), "WayPoint (*.*)"},
      {SetForm->LayerButton('C'), SetForm->LayerEdit('C'), "Coast Line (*.*)"},
      {SetForm->LayerButton('E'), SetForm->LayerEdit('E'), "Converted ENC (*.00?)"},
  };
  for (const TRow& r : rows) {
    const QString before = r.box->text();
    fileAsked.clear();
    fileAnswer = std::nullopt;
    r.button->click();
    ASSERT_EQ(fileAsked.size(), 1u) << r.filter;
    EXPECT_EQ(fileAsked[0].first, r.filter);
    EXPECT_EQ(fileAsked[0].second, before);
    EXPECT_EQ(r.box->text(), before);
    fileAnswer = "/data/" + r.box->objectName();
    r.button->click();
    EXPECT_EQ(r.box->text(), "/data/" + r.box->objectName());
  }
  EXPECT_EQ(fileAsked.size(), 2u);
  EXPECT_EQ(fileAsked[0].second, "/charts/JP0001.000");
  // Nothing is applied before OK.
  EXPECT_EQ(LayerPath(TrackState, 'R'), "");
}

TEST_F(SetFormTest, TheMarkPreviewLoadsAChosenPictureAtOnceAndKeepsItsOwnOnAFailure) {
  Start();
  const QImage mark = TrackForm->MarkPicture();
  SetForm->show();
  const auto car = dir / "car.bmp";
  WriteSolidBmp(car, QColor(0, 0, 255), 16);
  fileAnswer = QString::fromStdString(car.string());
  Click(SetForm->imgIco_Mark);
  ASSERT_EQ(fileAsked.size(), 1u);
  EXPECT_EQ(fileAsked[0].first, "Bitmap (*.bmp);;Icon (*.ico)");
  EXPECT_EQ(SetForm->edtIco_Mark->text().toStdString(), car.string());
  EXPECT_EQ(SetForm->imgIco_Mark->Picture().size(), QSize(16, 16));
  EXPECT_EQ(SetForm->imgIco_Mark->Picture().pixelColor(3, 3), QColor(0, 0, 255));
  // The track window's mark changes only at OK.
  EXPECT_EQ(TrackForm->MarkPicture(), mark);

  const auto bad = dir / "bad.bmp";
  WriteAll(bad, "not a picture");
  fileAnswer = QString::fromStdString(bad.string());
  Click(SetForm->imgIco_Mark);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(bad.string()), std::string::npos) << errors[0];
  EXPECT_EQ(SetForm->edtIco_Mark->text().toStdString(), bad.string());
  EXPECT_EQ(SetForm->imgIco_Mark->Picture().size(), QSize(16, 16));
  EXPECT_TRUE(SetForm->isVisible());
}

TEST_F(SetFormTest, TheFolderChooserStartsAtTheBoxAndFillsItWithTheChosenFolder) {
  const auto area = dir / "area";
  const auto other = dir / "other";
  std::filesystem::create_directory(area);
  std::filesystem::create_directory(other);
  // An area of nothing but its metadata (zone 9) still loads.
  WriteAll(area / "area.txt", "1\n2\n3\n4\n5\n6\n9,-,-,-,-,-,-,-,-,0\n8\n9\n");
  Start("[Track]\nKddMap=" + area.string() + "\n");
  SetForm->show();
  QString started;
  bool confirm = false;
  SetForm->FolderBrowser = [&](QFileDialog& browser, QString& selection) {
    started = browser.directory().absolutePath();
    selection = QString::fromStdString(other.string());
    return confirm;
  };
  SetForm->LayerButton('K')->click();
  EXPECT_EQ(started.toStdString(), area.string());
  EXPECT_EQ(SetForm->LayerEdit('K')->text().toStdString(), area.string());
  confirm = true;
  SetForm->LayerButton('K')->click();
  EXPECT_EQ(SetForm->LayerEdit('K')->text().toStdString(), other.string());
  SetForm->btnOK->click();
  TrackForm->WaitForLayers();
  // A folder without its metadata file holds no area: the layer gives it up, as any layer
  // does with a path that gives nothing to draw.
  EXPECT_EQ(LayerPath(TrackState, 'K'), "");
}

}  // namespace
}  // namespace orvane
