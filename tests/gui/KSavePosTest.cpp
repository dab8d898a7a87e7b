// SPDX-License-Identifier: GPL-3.0-or-later
// Window placement: the stored line and its rules, the placement file, and the three windows
// reopening where they were, through the settings file, offscreen.
#include "gui/KSavePos.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/Startup.h"
#include "gui/UMoniForm.h"
#include "gui/USatVForm.h"
#include "gui/UTrackForm.h"
#include "settings/IniFile.h"
#include "settings/MainVars.h"
#include "settings/Settings.h"
#include "tests/common/TempFiles.h"
#include "tests/gui/WindowTest.h"

namespace orvane {
namespace {

TEST(PlacementLine, FormatsNineIntegers) {
  TPlacement p;
  p.State = 2;
  p.Left = 10;
  p.Top = -20;
  p.Right = 310;
  p.Bottom = 200;
  EXPECT_EQ(FormatPlacement(p), "2,-1,-1,-1,-1,10,-20,310,200");
}

// Nine items, by commas or blanks, each integer replacing its value; an empty item between two
// commas counts, a comma at the very end gives none; an item that is no integer keeps its value.
TEST(PlacementLine, ParsesNineItemsOntoThePlacement) {
  const struct {
    TPlacement start;
    const char* text;
    const char* expected;
  } rows[] = {
      {{}, "1,-32000,-32000,-8,-8,100,50,400,350", "1,-32000,-32000,-8,-8,100,50,400,350"},
      {{}, " 0 1 2,3, 4 ,5,6,7,$10", "0,1,2,3,4,5,6,7,16"},
      {{.Left = 7}, "0,,2,3,4,5,6,7,8", "0,-1,2,3,4,5,6,7,8"},
      {{.Left = 7}, "1,2,3,4,5,6,7,8,9,", "1,2,3,4,5,6,7,8,9"},
      {{.State = 2, .Left = 11, .Bottom = 99}, "x,1,2,3,4,5a,6,7,1e3", "2,1,2,3,4,11,6,7,99"},
  };
  for (const auto& r : rows) {
    TPlacement p = r.start;
    EXPECT_TRUE(ParsePlacement(r.text, p)) << r.text;
    EXPECT_EQ(FormatPlacement(p), r.expected) << r.text;
  }
}

TEST(PlacementLine, OtherThanNineItemsIsIgnoredAsAWhole) {
  TPlacement p;
  p.Left = 7;
  const std::string before = FormatPlacement(p);
  for (const char* text : {"", "0,1,2,3,4,5,6,7", "0,1,2,3,4,5,6,7,8,9", "0,1,2,3,4,5,6,7,,,"}) {
    TPlacement q = p;
    EXPECT_FALSE(ParsePlacement(text, q)) << text;
    EXPECT_EQ(FormatPlacement(q), before) << text;
  }
}

TEST(PlacementFile, FollowsTheProgramsNameBesideTheSettingsFile) {
  EXPECT_EQ(PlacementFileFor("/opt/orvane/Orvane", "/opt/orvane/Orvane.ini", false), "/opt/orvane/Orvane.ini");
  EXPECT_EQ(PlacementFileFor("/opt/orvane/Renamed", "/opt/orvane/Orvane.ini", false), "/opt/orvane/Renamed.ini");
  EXPECT_EQ(PlacementFileFor("/opt/orvane/Orvane.bin", "/opt/orvane/Orvane.ini", false), "/opt/orvane/Orvane.ini");
  // An installed program keeps both in the user's configuration folder.
  EXPECT_EQ(PlacementFileFor("/usr/bin/Orvane", "/home/u/.config/Orvane/Orvane.ini", false),
            "/home/u/.config/Orvane/Orvane.ini");
  // A settings file named on the command line holds the placements, whatever the program's name.
  EXPECT_EQ(PlacementFileFor("/opt/orvane/Renamed", "/tmp/x/mine.ini", true), "/tmp/x/mine.ini");
}

TEST(PlacementRect, IsMadeUsableOnTheScreensThereAre) {
  const TScreenArea left{{0, 0, 1920, 1080}, {0, 30, 1920, 1050}};
  const TScreenArea right{{1920, 0, 1280, 1024}, {1920, 0, 1280, 1024}};
  struct TCase {
    const char* What;
    TPlacement P;
    std::vector<TScreenArea> Screens;
    TPixelRect Rect;
    bool ByFrame;
  };
  const TCase cases[] = {
      {"on screen: as stored", {0, -1, -1, -1, -1, 100, 200, 500, 500}, {left}, {100, 200, 400, 300}, false},
      {"past the right edge: kept", {0, -1, -1, -1, -1, 1800, 200, 2200, 500}, {left}, {1800, 200, 400, 300}, false},
      {"larger than the screen", {1, 0, 0, 0, 0, 0, 0, 100000, 100000}, {left}, {0, 30, 1920, 1050}, true},
      {"overflowing edges",
       {0, 0, 0, 0, 0, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
       {left},
       {0, 30, 1920, 1050},
       true},
      {"on no screen", {0, -1, -1, -1, -1, 9000, 9000, 9300, 9200}, {left, right}, {0, 30, 300, 200}, true},
      {"far left, wider than the screen",
       {0, -1, -1, -1, -1, -50000, 100, 50000, 400},
       {left},
       {0, 100, 1920, 300},
       false},
      {"mostly on the second screen",
       {0, -1, -1, -1, -1, 1900, 100, 5000, 900},
       {left, right},
       {1920, 100, 1280, 800},
       false},
      {"title bar above the screen", {0, -1, -1, -1, -1, 10, 30, 290, 384}, {left}, {10, 30, 280, 354}, true},
      {"just below the screen", {0, -1, -1, -1, -1, 10, 1080, 290, 1434}, {left}, {0, 30, 280, 354}, true},
      {"no screens: size capped", {0, -1, -1, -1, -1, 5, 6, 100000, 7}, {}, {5, 6, kMaxWindowSide, 1}, false},
  };
  for (const TCase& c : cases) {
    TRestoredRect got;
    ASSERT_TRUE(RestoreRect(c.P, c.Screens, got)) << c.What;
    EXPECT_EQ(got.Rect, c.Rect) << c.What << ": " << got.Rect.Left << "," << got.Rect.Top << " " << got.Rect.Width
                                << "x" << got.Rect.Height;
    EXPECT_EQ(got.ByFrame, c.ByFrame) << c.What;
  }
  for (const TPlacement& p : {TPlacement{0, 0, 0, 0, 0, 10, 10, 10, 20}, TPlacement{0, 0, 0, 0, 0, 10, 10, 20, 5},
                              TPlacement{0, 0, 0, 0, 0, INT32_MAX, 0, INT32_MIN, 10}}) {
    TRestoredRect got{{1, 2, 3, 4}, true};
    EXPECT_FALSE(RestoreRect(p, {left}, got)) << FormatPlacement(p);
    EXPECT_EQ(got.Rect, (TPixelRect{1, 2, 3, 4}));
  }
}

class PlacementTest : public TempDir {
protected:
  void SetUp() override {
    TempDir::SetUp();
    EnsureApp();
    ini = (dir / "Orvane.ini").string();
    SetSettingsFileName(ini);
  }
  void TearDown() override {
    DestroyForms();
    windows.clear();
    SetSettingsFileName("");
    TempDir::TearDown();
  }
  // A bare window with its placement component, as the program's windows have one.
  TKSavePosIni* Window(const char* name) {
    windows.push_back(std::make_unique<QWidget>(nullptr, Qt::Window));
    QWidget* w = windows.back().get();
    w->setObjectName(name);
    w->resize(200, 150);
    auto* pos = new TKSavePosIni(w);
    pos->setObjectName("FormPos");
    return pos;
  }
  std::string Bounds(const char* key) const { return TIniFile(ini).ReadString("Bounds", key, "<none>"); }
  void SetBounds(const char* key, const char* value) { TIniFile(ini).WriteString("Bounds", key, value); }

  std::string ini;
  std::vector<std::unique_ptr<QWidget>> windows;
};

TEST_F(PlacementTest, EachWindowsGeometryComesBackThroughTheSettingsFile) {
  ShowData = false;
  ShowTrk = false;
  CreateForms();
  for (QWidget* w :
       {static_cast<QWidget*>(SatVForm), static_cast<QWidget*>(MoniForm), static_cast<QWidget*>(TrackForm)})
    w->show();
  SatVForm->setGeometry(40, 30, 300, 330);
  MoniForm->setGeometry(360, 40, 260, 280);
  TrackForm->setGeometry(100, 200, 420, 380);
  DestroyForms();
  EXPECT_EQ(Bounds("SatVForm.Bounds"), "0,-1,-1,-1,-1,40,30,340,360");
  EXPECT_EQ(Bounds("MoniForm.Bounds"), "0,-1,-1,-1,-1,360,40,620,320");
  EXPECT_EQ(Bounds("TrackForm.Bounds"), "0,-1,-1,-1,-1,100,200,520,580");
  // The settings went to the same file.
  EXPECT_NE(ReadAll(ini).find("[Settings]"), std::string::npos);

  CreateForms();
  EXPECT_EQ(SatVForm->geometry(), QRect(40, 30, 300, 330));
  EXPECT_EQ(MoniForm->geometry(), QRect(360, 40, 260, 280));
  EXPECT_EQ(TrackForm->geometry(), QRect(100, 200, 420, 380));
  // Restoring showed nothing.
  EXPECT_FALSE(SatVForm->isVisible());
  EXPECT_FALSE(MoniForm->isVisible());
  EXPECT_FALSE(TrackForm->isVisible());
}

TEST_F(PlacementTest, AWindowShownByItsSettingIsPlacedAndStaysShown) {
  SetBounds("MoniForm.Bounds", "0,-1,-1,-1,-1,300,100,560,390");
  ShowData = true;
  WriteAll(ini, ReadAll(ini) + "[Settings]\nShowData=1\n");
  CreateForms();
  EXPECT_TRUE(MoniForm->isVisible());
  EXPECT_EQ(MoniForm->geometry(), QRect(300, 100, 260, 290));
  EXPECT_TRUE(FormPosOf(MoniForm)->Target() == MoniForm);
}

TEST_F(PlacementTest, AMaximizedWindowReopensMaximizedWithItsNormalRectangle) {
  TKSavePosIni* first = Window("TestForm");
  first->Loaded();
  first->Owner()->show();
  first->Owner()->setGeometry(50, 60, 240, 180);
  first->Owner()->setWindowState(Qt::WindowMaximized);
  first->SavePos();
  EXPECT_EQ(Bounds("TestForm.Bounds"), "2,-1,-1,-1,-1,50,60,290,240");

  TKSavePosIni* again = Window("TestForm");
  again->Loaded();
  QWidget* w = again->Owner();
  EXPECT_TRUE(w->isMaximized());
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(w->normalGeometry(), QRect(50, 60, 240, 180));
  w->setWindowState(Qt::WindowNoState);
  EXPECT_EQ(w->geometry(), QRect(50, 60, 240, 180));
}

TEST_F(PlacementTest, AMinimizedWindowReopensNormalUnlessIconicIsResumed) {
  SetBounds("TestForm.Bounds", "1,-32000,-32000,-1,-1,20,30,220,180");
  TKSavePosIni* pos = Window("TestForm");
  pos->Loaded();
  EXPECT_FALSE(pos->Owner()->isMinimized());
  EXPECT_EQ(pos->Owner()->geometry(), QRect(20, 30, 200, 150));
  pos->Owner()->show();
  // The minimized position is carried through to the next save.
  pos->SavePos();
  EXPECT_EQ(Bounds("TestForm.Bounds"), "0,-32000,-32000,-1,-1,20,30,220,180");

  SetBounds("TestForm.Bounds", "1,-1,-1,-1,-1,20,30,220,180");
  TKSavePosIni* iconic = Window("TestForm");
  iconic->ResumeIconic = true;
  iconic->Loaded();
  EXPECT_TRUE(iconic->Owner()->isMinimized());
  EXPECT_FALSE(iconic->Owner()->isVisible());
  iconic->Owner()->show();
  iconic->SavePos();
  EXPECT_EQ(Bounds("TestForm.Bounds"), "1,-1,-1,-1,-1,20,30,220,180");
}

TEST_F(PlacementTest, EightOrTenItemsOrNoKeyLeaveTheWindowAsBuilt) {
  for (const char* value : {"0,-1,-1,-1,-1,20,30,220", "0,-1,-1,-1,-1,20,30,220,180,5", ""}) {
    SetBounds("TestForm.Bounds", value);
    TKSavePosIni* pos = Window("TestForm");
    pos->Owner()->move(5, 6);
    pos->Loaded();
    EXPECT_EQ(pos->Owner()->geometry(), QRect(5, 6, 200, 150)) << value;
  }
  TKSavePosIni* other = Window("OtherForm");
  other->Owner()->move(5, 6);
  other->Loaded();
  EXPECT_EQ(other->Owner()->geometry(), QRect(5, 6, 200, 150));
}

TEST_F(PlacementTest, ANonNumericOrUnusableValueKeepsTheCurrentOne) {
  SetBounds("TestForm.Bounds", "0,-1,-1,-1,-1,left,40,330,190");
  TKSavePosIni* pos = Window("TestForm");
  pos->Owner()->setGeometry(10, 10, 200, 150);
  pos->Loaded();
  // The left edge stays at 10; the right edge read gives the width from there.
  EXPECT_EQ(pos->Owner()->geometry(), QRect(10, 40, 320, 150));

  // An empty or inverted rectangle keeps the window's own.
  SetBounds("TestForm.Bounds", "2,-1,-1,-1,-1,300,40,300,190");
  TKSavePosIni* flat = Window("TestForm");
  flat->Owner()->setGeometry(10, 20, 200, 150);
  flat->Loaded();
  EXPECT_TRUE(flat->Owner()->isMaximized());
  EXPECT_EQ(flat->Owner()->normalGeometry(), QRect(10, 20, 200, 150));
}

TEST_F(PlacementTest, ARectangleNoScreenShowsIsMovedOntoTheScreen) {
  SetBounds("TestForm.Bounds", "0,-1,-1,-1,-1,9000,9000,9300,9200");
  TKSavePosIni* pos = Window("TestForm");
  pos->Loaded();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(pos->Owner()->geometry(), QRect(screen.topLeft(), QSize(300, 200)));
}

TEST_F(PlacementTest, AWindowNeverShownKeepsItsStoredLineOrHasNone) {
  SetBounds("TrackForm.Bounds", "2,-1,-1,-1,-1,100,200,520,580");
  ShowData = false;
  ShowTrk = false;
  CreateForms();
  SatVForm->show();
  SatVForm->setGeometry(40, 30, 300, 330);
  DestroyForms();
  EXPECT_EQ(Bounds("SatVForm.Bounds"), "0,-1,-1,-1,-1,40,30,340,360");
  EXPECT_EQ(Bounds("MoniForm.Bounds"), "<none>");
  EXPECT_EQ(Bounds("TrackForm.Bounds"), "2,-1,-1,-1,-1,100,200,520,580");
}

TEST_F(PlacementTest, APlacementLargerThanTheScreenOpensWithinIt) {
  SetBounds("TrackForm.Bounds", "1,0,0,0,0,0,0,100000,100000");
  WriteAll(ini, ReadAll(ini) + "[Settings]\nShowTrk=1\n");
  CreateForms();
  ASSERT_TRUE(TrackForm->isVisible());
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.contains(TrackForm->frameGeometry()))
      << screen.width() << "x" << screen.height() << " " << TrackForm->frameGeometry().x() << ","
      << TrackForm->frameGeometry().y() << " " << TrackForm->frameGeometry().width() << "x"
      << TrackForm->frameGeometry().height() << " " << TrackForm->geometry().x() << "," << TrackForm->geometry().y();
}

TEST_F(PlacementTest, BoundsSurviveTheSettingsSaveAndTheSettingsSurviveThePlacements) {
  const std::string bounds =
      "[Bounds]\r\n; kept by hand\r\nSatVForm.Bounds=0,-1,-1,-1,-1,1,2,301,332\r\nMoniForm.Bounds = "
      "2,1,1,1,1,5,5,9,9\r\n";
  WriteAll(ini, "[Settings]\r\nComPort=3\r\n\r\n" + bounds + "\r\n[Track]\r\nZoom=8\r\n");
  LoadSettings();
  SaveSettings();
  const std::string saved = ReadAll(ini);
  EXPECT_NE(saved.find(bounds), std::string::npos) << saved;
  EXPECT_NE(saved.find("ComPort=3\r\n"), std::string::npos);

  // A placement write changes its own line and no other byte.
  TKSavePosIni* pos = Window("MoniForm");
  pos->SetTarget(pos->Owner());
  pos->Owner()->show();
  pos->Owner()->setGeometry(10, 20, 200, 150);
  pos->SavePos();
  std::string expected = saved;
  const std::string oldLine = "MoniForm.Bounds = 2,1,1,1,1,5,5,9,9";
  expected.replace(expected.find(oldLine), oldLine.size(), "MoniForm.Bounds=0,-1,-1,-1,-1,10,20,210,170");
  EXPECT_EQ(ReadAll(ini), expected);
}

TEST_F(PlacementTest, TheExitWritesThePlacementsIntoTheFileTheSettingsSaveMade) {
  ShowData = false;
  ShowTrk = false;
  CreateForms();
  SatVForm->show();
  SatVForm->setGeometry(40, 30, 300, 330);
  ASSERT_FALSE(std::filesystem::exists(ini));
  DestroyForms();
  const std::string text = ReadAll(ini);
  // Settings first, placements after them in the same file.
  ASSERT_NE(text.find("[Settings]"), std::string::npos);
  EXPECT_LT(text.find("[Settings]"), text.find("[Bounds]"));
  EXPECT_EQ(Bounds("SatVForm.Bounds"), "0,-1,-1,-1,-1,40,30,340,360");
}

}  // namespace
}  // namespace orvane
