// SPDX-License-Identifier: GPL-3.0-or-later
// The signal levels and the sentence console, fed as the receiver feeds them.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include <QKeyEvent>

#include "gui/UChartsForm.h"
#include "gui/UConsoleForm.h"
#include "gui/UDeviationForm.h"
#include "gui/UMoniForm.h"
#include "gui/UReplayForm.h"
#include "gui/USignalForm.h"
#include "nmea/NmeaRec.h"
#include "settings/MainVars.h"
#include "tests/gui/WindowTest.h"

namespace orvane {
namespace {

class ToolWindowsTest : public WindowTest {
protected:
  void Start(const std::string& settings = "") {
    WriteAll(ini, "[Settings]\nComPort=16\n" + settings + "\n[Ports]\nCOM16=" + (dir / "none").string() + "\n");
    CreateForms();
  }
  void Feed(const std::string& bytes) {
    Session->Receiver.Proc().ProcessReceivedBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    QApplication::processEvents();
  }
  QStringList ConsoleLines() const {
    QString text = ConsoleForm->memLines->toPlainText();
    return text.isEmpty() ? QStringList() : text.split('\n');
  }
};

TEST_F(ToolWindowsTest, MenuItemsShowTheWindowsAndTheirStateAndPlacementAreKept) {
  Start();
  struct Case {
    const char* item;
    QWidget* window;
    bool* shown;
  } const cases[] = {{"menSignalWindow", SignalForm, &ShowSignal},
                     {"menConsoleWindow", ConsoleForm, &ShowConsole},
                     {"menDeviationWindow", DeviationForm, &ShowDeviation},
                     {"menChartsWindow", ChartsForm, &ShowCharts}};
  for (const Case& c : cases) {
    EXPECT_FALSE(c.window->isVisible()) << c.item;
    Item(c.item)->trigger();
    EXPECT_TRUE(c.window->isVisible()) << c.item;
    EXPECT_TRUE(*c.shown) << c.item;
    c.window->close();  // its own close button unchecks the item
    EXPECT_FALSE(c.window->isVisible()) << c.item;
    EXPECT_FALSE(Item(c.item)->isChecked()) << c.item;
    Item(c.item)->trigger();
  }
  SignalForm->setGeometry(40, 50, 333, 222);
  DestroyForms();
  const std::string saved = ReadAll(ini);
  EXPECT_NE(saved.find("ShowSignal=1\nShowConsole=1\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("SignalForm.Bounds=0,"), std::string::npos) << saved;
  EXPECT_NE(saved.find("ConsoleForm.Bounds=0,"), std::string::npos) << saved;
  EXPECT_NE(saved.find("ShowDeviation=1\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("DeviationForm.Bounds=0,"), std::string::npos) << saved;
  EXPECT_NE(saved.find("ChartsForm.Bounds=0,"), std::string::npos) << saved;

  CreateForms();  // shown again as left, with the checks
  EXPECT_TRUE(SignalForm->isVisible());
  EXPECT_TRUE(Item("menSignalWindow")->isChecked());
  EXPECT_TRUE(Item("menConsoleWindow")->isChecked());
  EXPECT_TRUE(DeviationForm->isVisible());
  EXPECT_EQ(SignalForm->size(), QSize(333, 222));
}

TEST_F(ToolWindowsTest, SignalBarsShowTheSkyViewsSatellitesSortedWithTheirSnr) {
  Start("Gnss=1\n");
  SignalForm->resize(600, 300);
  Feed(Sentence("GNGSA,A,3,05,12,,,,,,,,,,,2.0,1.0,1.7,1") +
       Sentence("GPGSV,1,1,03,12,40,090,45,05,10,200,30,07,5,5,") + Sentence("GLGSV,1,1,01,70,60,300,22"));
  const std::vector<TSignalSat> sats = SignalForm->Sats();
  const std::vector<TSignalSat> expected = {
      {"G05", 30, true}, {"G07", 0, false}, {"G12", 45, true}, {"R70", 22, false}};
  EXPECT_EQ(sats, expected);
  const TSignalLayout l = SignalForm->Layout();
  ASSERT_EQ(l.Bars.size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(l.Bars[i].Bar.Height, l.Plot.Height * expected[i].Snr / 60) << i;
  // Drawn in the sky view's colours.
  const QImage img = SignalForm->grab().toImage();
  const auto middle = [&](size_t i) {
    const TSkyRect& b = l.Bars[i].Bar;
    return img.pixelColor(b.Left + b.Width / 2, b.Top + b.Height / 2);
  };
  EXPECT_EQ(middle(0), QColor(0, 0, 255));
  EXPECT_EQ(middle(3), QColor(255, 0, 0));
  // Old levels are outlines: the background inside, the colour at the edge.
  SignalForm->ShowDataAge(9);
  const QImage old = SignalForm->grab().toImage();
  const TSkyRect& b = l.Bars[0].Bar;
  EXPECT_EQ(old.pixelColor(b.Left + b.Width / 2, b.Top + b.Height / 2),
            QColor(RedOf(NmeaRec.BGColor), GreenOf(NmeaRec.BGColor), BlueOf(NmeaRec.BGColor)));
  EXPECT_EQ(old.pixelColor(b.Left + 1, b.Top + b.Height / 2), QColor(0, 0, 255));
  // A new cycle without a satellite takes its bar away.
  Feed(Sentence("GPGSV,1,1,01,12,40,090,41"));
  EXPECT_EQ(SignalForm->Sats().size(), 2u);
}

TEST_F(ToolWindowsTest, SignalBarsOfADualBandReceiverDrawEachBandNamed) {
  Start("Gnss=1\n");
  SignalForm->resize(600, 300);
  Feed(Sentence("GPGSV,1,1,02,02,45,120,44,05,30,060,40,1") + Sentence("GPGSV,1,1,01,02,45,120,38,6") +
       Sentence("GAGSV,1,1,01,07,60,080,40,2"));
  const std::vector<TSignalSat> sats = SignalForm->Sats();
  const std::vector<TSignalSat> expected = {{"G02", 44, false, {{"L1 C/A", 44}, {"L2C-L", 38}}},
                                            {"G05", 40, false, {{"L1 C/A", 40}}},
                                            {"E07", 40, false, {{"E5b", 40}}}};
  EXPECT_EQ(sats, expected);
  EXPECT_EQ(SignalForm->Layout().Bars.size(), 4u);
  EXPECT_EQ(SignalForm->Counts(), "in view: 3 satellites, 4 signals");
  // A new L1 cycle without 02 leaves it its L2C bar.
  Feed(Sentence("GPGSV,1,1,01,05,30,060,41,1"));
  EXPECT_EQ(SignalForm->Sats().front(), (TSignalSat{"G02", 38, false, {{"L2C-L", 38}}}));
}

TEST_F(ToolWindowsTest, ConsoleListsTheLinesInOrderWithPauseFilterAndRates) {
  Start();
  const std::string gga = Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
  const std::string gsv = Sentence("GPGSV,1,1,01,12,40,090,41");
  const std::string txt = Sentence("GPTXT,01,01,02,hello");
  const auto line = [](const std::string& s) { return QString::fromStdString(s.substr(0, s.size() - 2)); };
  Feed(gga + gsv + txt);
  EXPECT_EQ(ConsoleLines(), (QStringList{line(gga), line(gsv), line(txt)}));  // undecoded ones too
  // The same lines as the monitor's last line.
  EXPECT_EQ(ConsoleLines().back(), MoniForm->lblRecv->text());

  ConsoleForm->chkPause->setChecked(true);
  Feed(gsv);
  EXPECT_EQ(ConsoleLines().size(), 3);
  ConsoleForm->chkPause->setChecked(false);
  EXPECT_EQ(ConsoleLines(), (QStringList{line(gga), line(gsv), line(txt), line(gsv)}));

  ConsoleForm->cmbType->setCurrentIndex(ConsoleForm->cmbType->findData("GPGSV"));
  EXPECT_EQ(ConsoleLines(), (QStringList{line(gsv), line(gsv)}));
  Feed(gga + gsv);
  EXPECT_EQ(ConsoleLines().size(), 3);
  ConsoleForm->cmbType->setCurrentIndex(0);
  EXPECT_EQ(ConsoleLines().size(), 6);

  ConsoleForm->RateTick();
  EXPECT_EQ(ConsoleForm->lblRates->text(), "GPGGA 2/s  GPGSV 3/s  GPTXT 1/s");
  ConsoleForm->RateTick();
  EXPECT_EQ(ConsoleForm->lblRates->text(), "no sentences in the last second");
}

TEST_F(ToolWindowsTest, ConsoleKeepsTheLast500AndMarksLoggedSentencesOnce) {
  Start("SaveLog=1\nSaveInterval=0\nSaveLogName=" + (dir / "rec.log").string() + "\n");
  SatVForm->menSaveLogClick();
  SatVForm->menSaveLogClick();  // recording on, with a save moment now
  std::string burst;
  for (int i = 0; i < 520; ++i) burst += Sentence("GPXXX," + std::to_string(i));
  Feed(burst);
  const QStringList lines = ConsoleLines();
  ASSERT_EQ(lines.size(), 500);
  EXPECT_TRUE(lines.front().startsWith(">$GPXXX,20*")) << lines.front().toStdString();
  EXPECT_TRUE(lines.back().startsWith(">$GPXXX,519*")) << lines.back().toStdString();
  EXPECT_EQ(ConsoleForm->Ring().Total(), 520u);
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

TEST_F(ToolWindowsTest, ReplayWindowPausesStepsChangesPaceSeeksAndSaysTheEnd) {
  std::string log;
  for (int i = 0; i < 60; ++i) {
    const std::string t = "1200" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    log += Sentence("GPRMC," + t + ",A,3539.1,N,13944.5,E,0,0,010120,,") + Sentence("GPGSV,1,1,01,05,40,090,45") +
           Sentence("GPGGA," + t + ",3539.1,N,13944.5,E,1,08,0.9,45.0,M,36.0,M,,");
  }
  WriteAll(dir / "drive.log", log);
  Start();
  const auto key = [](int k) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(ReplayForm, &press);
  };
  const TReplayDrive& drive = Session->Receiver.Replayer();
  SatVForm->StartReplay((dir / "drive.log").string());
  EXPECT_TRUE(ReplayForm->isVisible());
  EXPECT_EQ(ReplayForm->lblFile->text().toStdString(), (dir / "drive.log").string());
  EXPECT_EQ(ReplayForm->lblTime->text(), "UTC --:--:-- of 12:00:59");

  key(Qt::Key_Space);
  EXPECT_TRUE(drive.Paused());
  EXPECT_EQ(ReplayForm->btnPause->text(), "Resume");
  const uint64_t paused = drive.LinesReplayed();
  RunEvents(50);
  EXPECT_EQ(drive.LinesReplayed(), paused);
  key(Qt::Key_Right);
  EXPECT_EQ(drive.LinesReplayed(), paused + 3);  // one burst
  EXPECT_EQ(ReplayForm->lblTime->text(), "UTC 12:00:00 of 12:00:59");

  const int pace = drive.Pace();
  key(Qt::Key_Plus);
  EXPECT_EQ(drive.Pace(), pace + 1);
  EXPECT_EQ(ReplayForm->cmbPace->currentIndex(), pace + 1);
  key(Qt::Key_Minus);
  EXPECT_EQ(drive.Pace(), pace);

  ReplayForm->SeekTo(TReplayForm::kSliderSteps / 2);
  key(Qt::Key_Right);
  // The burst that holds the middle byte, from its start.
  const std::string t = log.substr(log.rfind("$GPRMC", log.size() / 2) + 7, 6);
  EXPECT_EQ(ReplayForm->lblTime->text().toStdString(),
            "UTC " + t.substr(0, 2) + ":" + t.substr(2, 2) + ":" + t.substr(4, 2) + " of 12:00:59");
  EXPECT_NE(t, "120000");

  ReplayForm->cmbPace->setCurrentIndex(kPaceCount - 1);
  emit ReplayForm->cmbPace->activated(kPaceCount - 1);
  key(Qt::Key_Space);
  ASSERT_TRUE(WaitFor([&] { return !drive.Running(); }));
  EXPECT_EQ(ReplayForm->lblState->text(), "Replay finished");
  EXPECT_EQ(MoniForm->lblRecv->text(), "Replay finished");
  EXPECT_TRUE(Item("menOpenLog")->isEnabled());

  // Closing the window stops a replay.
  SatVForm->StartReplay((dir / "drive.log").string());
  ReplayForm->close();
  EXPECT_FALSE(drive.Running());
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

// How many descriptors of this process are open on the file.
int OpenHandles(const std::filesystem::path& file) {
  int n = 0;
  std::error_code ec;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", ec))
    n += std::filesystem::read_symlink(fd.path(), ec) == file;
  return n;
}

// After the end or a stop the log is closed and only the slider acts: it plays the log again from
// the place chosen, with the menus, the buttons and the state as for any running replay.
TEST_F(ToolWindowsTest, TheSliderPlaysAClosedLogAgainFromThePlaceChosen) {
  std::string log;
  for (int i = 0; i < 30; ++i) {
    const std::string t = "1200" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    log += Sentence("GPRMC," + t + ",A,3539.1,N,13944.5,E,0,0,010120,,") + Sentence("GPGSV,1,1,01,05,40,090,45") +
           Sentence("GPGGA," + t + ",3539.1,N,13944.5,E,1,08,0.9,45.0,M,36.0,M,,");
  }
  const std::filesystem::path file = std::filesystem::canonical(dir) / "drive.log";
  WriteAll(file, log);
  Start();
  const TReplayDrive& drive = Session->Receiver.Replayer();
  struct Case {
    const char* what;
    std::function<void()> close;
    const char* state;
    bool paused;  // kept by the seek
  } const cases[] = {
      {"played to its end",
       [&] {
         while (drive.Running()) Session->Receiver.ReplayTick();
       },
       "Replay finished", false},
      {"Stop Play", [this] { Item("mnStopLog")->trigger(); }, "Replay stopped", false},
      {"stepped to its end",
       [&] {
         while (drive.Running()) {
           QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
           QApplication::sendEvent(ReplayForm, &right);
         }
       },
       "Replay finished", true},
  };
  for (const Case& c : cases) {
    SatVForm->StartReplay(file.string());
    c.close();
    ASSERT_FALSE(drive.Running()) << c.what;
    EXPECT_EQ(ReplayForm->lblState->text().toStdString(), c.state) << c.what;
    EXPECT_FALSE(ReplayForm->btnPause->isEnabled()) << c.what;
    EXPECT_FALSE(ReplayForm->btnStep->isEnabled()) << c.what;
    EXPECT_TRUE(Item("menOpenLog")->isEnabled()) << c.what;
    EXPECT_EQ(OpenHandles(file), 0) << c.what;

    ReplayForm->SeekTo(TReplayForm::kSliderSteps / 2);
    ASSERT_TRUE(drive.Running()) << c.what;
    EXPECT_EQ(drive.Paused(), c.paused) << c.what;
    EXPECT_EQ(ReplayForm->lblState->text(), c.paused ? "Paused" : "") << c.what;
    EXPECT_TRUE(ReplayForm->btnPause->isEnabled()) << c.what;
    EXPECT_TRUE(ReplayForm->btnStep->isEnabled()) << c.what;
    EXPECT_FALSE(Item("menOpenLog")->isEnabled()) << c.what;
    EXPECT_TRUE(Item("mnStopLog")->isEnabled()) << c.what;
    EXPECT_EQ(OpenHandles(file), 1) << c.what;
    EXPECT_GT(drive.Position(), 0u) << c.what;
    EXPECT_LE(drive.Position(), drive.Size() / 2) << c.what;  // the burst that holds the middle
    ReplayForm->close();
  }
}

}  // namespace
}  // namespace orvane
