// SPDX-License-Identifier: GPL-3.0-or-later
// The running windows, offscreen: start-up from the settings file, the menu, the port on a
// pseudo-terminal, the road of received bytes to the monitor and the sky view, and the sky view's
// pixels.
#include "gui/QtText.h"
#include "gui/USatVForm.h"
#include "nmea/Receiver.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include <QApplication>
#include <QImage>
#include <QTimer>

#include "app/Startup.h"
#include "gui/UMoniForm.h"
#include "gui/UTrackForm.h"
#include "nmea/NmeaRec.h"
#include "serial/PortNames.h"
#include "settings/MainVars.h"
#include "settings/Settings.h"
#include "tests/common/TempFiles.h"
#include "tests/gui/WindowTest.h"

namespace orvane {
namespace {

TEST_F(WindowTest, StartsWithoutSettingsFileOnCom1At4800) {
  CreateForms();
  EXPECT_EQ(QApplication::applicationName().isEmpty(), false);
  EXPECT_EQ(SatVForm->windowTitle(), "Sattelite View");
  EXPECT_EQ(MoniForm->windowTitle(), "DataMonitor");
  // The track window opens with the mouse read-out as its caption.
  EXPECT_EQ(TrackForm->windowTitle(), "N 0.00000 E 0.00000 [0.050]");
  EXPECT_TRUE(Item("mnuCom1")->isChecked());
  for (int n = 2; n <= 16; ++n) EXPECT_FALSE(SatVForm->PortItems[n]->isChecked()) << n;
  EXPECT_TRUE(Item("mnuSp4800")->isChecked());
  EXPECT_FALSE(Item("mnuSp2400")->isChecked());
  EXPECT_FALSE(Item("mnuSp9600")->isChecked());
  EXPECT_FALSE(Item("menDataWindow")->isChecked());
  EXPECT_FALSE(MoniForm->isVisible());
  EXPECT_FALSE(Item("menSaveLog")->isChecked());
  EXPECT_TRUE(Item("menOpenLog")->isEnabled());
  EXPECT_FALSE(Item("mnStopLog")->isEnabled());
}

TEST_F(WindowTest, TheMainMenuIsBuiltFromItsTablesWithCaptionsAndTagsInOrder) {
  CreateForms();
  const QList<QAction*> top = SatVForm->PopupMenu->actions();
  QStringList captions;
  for (QAction* a : top) captions << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(captions.join(","),
            "DataWindow,TrackWindow,Signal Levels,Console,Deviation,Charts,-,Open Log,Stop Play,Replay Interval,-,Save "
            "Log,Save Interval,LogFile...,COM,Share...,Settings...,Corrections...");
  QStringList names;
  for (QAction* a : top) names << a->objectName();
  EXPECT_EQ(names.join(","),
            "menDataWindow,menTrkWindow,menSignalWindow,menConsoleWindow,menDeviationWindow,menChartsWindow,N1,"
            "menOpenLog,mnStopLog,ReplayInterval1,N2,menSaveLog,SaveInterval1,LogFile,Comm,menShare,menSetting,"
            "menCorrections");
  for (const char* checkable : {"menDataWindow", "menTrkWindow", "menSignalWindow", "menConsoleWindow", "menSaveLog"})
    EXPECT_TRUE(Item(checkable)->isCheckable()) << checkable;
  EXPECT_FALSE(Item("menOpenLog")->isCheckable());
  EXPECT_EQ(Item("mnuCom16")->data().toInt(), 15);
  EXPECT_EQ(Item("mnuCom3")->text(), "COM3");
  EXPECT_EQ(Item("mnuSp2400")->data().toInt(), 2400);
  EXPECT_EQ(Item("Slow1")->data().toInt(), 1000);
  EXPECT_EQ(Item("N1sec2")->data().toInt(), 1);
  EXPECT_EQ(Item("Other1")->data().toInt(), -1);
  EXPECT_EQ(Item("mnuCom2")->toolTip(), QString::fromStdString(ComDeviceName(2)));
}

TEST_F(WindowTest, ClosingStoresThePortAndSpeedItStartedOn) {
  CreateForms();
  DestroyForms();
  const std::string saved = ReadAll(ini);
  EXPECT_NE(saved.find("ComPort=1\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("ComSpeed=4800\n"), std::string::npos);
}

TEST_F(WindowTest, StoredPortAndSpeedOpenTheMappedDeviceAndBytesReachEveryView) {
  OpenPty();
  WriteAll(ini, "[Settings]\nComPort=3\nComSpeed=9600\nShowData=1\n\n[Ports]\nCOM3=" + slaveName + "\n");
  CreateForms();
  EXPECT_TRUE(Item("mnuCom3")->isChecked());
  EXPECT_FALSE(Item("mnuCom1")->isChecked());
  EXPECT_TRUE(Item("mnuSp9600")->isChecked());
  EXPECT_FALSE(Item("mnuSp4800")->isChecked());
  EXPECT_EQ(Item("mnuCom3")->toolTip(), QString::fromStdString(slaveName));
  ASSERT_TRUE(Session->Receiver.SourceOpen());
  termios t{};
  ASSERT_EQ(tcgetattr(slave, &t), 0);
  EXPECT_EQ(cfgetispeed(&t), B9600);
  EXPECT_EQ(cfgetospeed(&t), B9600);
  EXPECT_TRUE(MoniForm->isVisible());

  const std::string gga = Sentence("GPGGA,123519,3539.1234,N,13944.5678,E,1,08,0.9,545.4,M,46.9,M,,");
  const std::string stream = Sentence("GPGSV,1,1,02,05,90,000,45,12,00,090,07,,,,,,,,") +
                             Sentence("GPGSA,A,3,05,,,,,,,,,,,,2.0,1.0,1.7") + gga +
                             Sentence("GPGLL,3539.1234,N,13944.5678,E,123519,A") +
                             Sentence("GPRMC,123519,A,3539.1234,N,13944.5678,E,022.4,084.4,230394,003.1,W");
  // Split across two deliveries, the second one mid-sentence.
  const size_t cut = stream.size() / 2 + 3;
  ASSERT_EQ(write(master, stream.data(), cut), static_cast<ssize_t>(cut));
  QApplication::processEvents();
  ASSERT_EQ(write(master, stream.data() + cut, stream.size() - cut), static_cast<ssize_t>(stream.size() - cut));
  ASSERT_TRUE(WaitFor([] { return MoniForm->lblRMC->text().startsWith("GPS RMC Data"); }));

  const std::string rmc = Sentence("GPRMC,123519,A,3539.1234,N,13944.5678,E,022.4,084.4,230394,003.1,W");
  EXPECT_EQ(MoniForm->lblRecv->text().toStdString(), rmc.substr(0, rmc.size() - 2));
  EXPECT_TRUE(MoniForm->lblGGA->text().startsWith("GPS Fix Data\nFixTime"));
  EXPECT_TRUE(MoniForm->lblGLL->text().startsWith("Geographic Position\n"));
  EXPECT_EQ(MoniForm->lblGLL->y(), MoniForm->lblGGA->y() + MoniForm->lblGGA->height() + 5);
  EXPECT_EQ(MoniForm->lblRMC->y(), MoniForm->lblGLL->y() + MoniForm->lblGLL->height() + 5);
  EXPECT_EQ(MoniForm->lblRecv->y() + MoniForm->lblRecv->height(), MoniForm->height());

  const TSkyPanel* sky = SatVForm->pnlSat;
  EXPECT_EQ(sky->FixCaption(), "3D Fix");
  ASSERT_TRUE(sky->Sat(1).Visible);
  EXPECT_EQ(sky->Sat(1).Prn, "05");
  EXPECT_EQ(sky->Sat(1).Snr, "45");
  EXPECT_EQ(sky->Sat(1).Color, clBlue);
  EXPECT_EQ(sky->Sat(1).Symbol.center(), QPoint(sky->Layout().CenterX, sky->Layout().CenterY));
  EXPECT_TRUE(sky->Sat(2).Visible);
  EXPECT_EQ(sky->Sat(2).Snr, "07");
  EXPECT_EQ(sky->Sat(2).Color, clRed);
  EXPECT_FALSE(sky->Sat(3).Visible);
}

// The receiver's clock is the test's: five quiet seconds make the data old in every window.
TEST_F(WindowTest, OldDataIsSaidAndDrawnHollowUntilTheNextSentence) {
  OpenPty();
  WriteAll(ini, "[Settings]\nComPort=3\nShowData=1\n\n[Ports]\nCOM3=" + slaveName + "\n");
  CreateForms();
  int64_t now = 0;
  Session->Receiver.SetClock([&now] { return now; });
  SatVForm->resize(240, 230);
  SatVForm->show();
  TSkyPanel* sky = SatVForm->pnlSat;
  const std::string gga = Sentence("GPGGA,123519,3539.1234,N,13944.5678,E,1,08,0.9,545.4,M,46.9,M,,");
  Send(Sentence("GPGSV,1,1,01,05,90,000,45,,,,,,,,,,,,") + Sentence("GPGSA,A,3,05,,,,,,,,,,,,2.0,1.0,1.7") + gga);
  ASSERT_TRUE(WaitFor([] { return MoniForm->lblRecv->text().startsWith("$GPGGA"); }));
  const QPoint zenith(sky->Layout().CenterX, sky->Layout().CenterY);
  EXPECT_EQ(sky->grab().toImage().pixelColor(zenith), QColor(0, 0, 255));
  const QColor text = MoniForm->lblGGA->palette().color(QPalette::WindowText);

  now = 12000;
  Session->AgeTimer.OnTick();
  // Named by the source it waits for, as the port menu names it.
  const QString noData = QString::fromStdString("COM3 (" + slaveName + "): no data for 12 s");
  EXPECT_EQ(sky->Header(), noData);
  const QImage old = sky->grab().toImage();
  EXPECT_EQ(old.pixelColor(zenith), QColor(255, 255, 255));  // a ring: its middle is the background
  EXPECT_EQ(old.pixelColor(sky->Sat(1).Symbol.left() + 1, zenith.y()), QColor(0, 0, 255));
  EXPECT_EQ(MoniForm->lblRecv->text(), noData);
  EXPECT_EQ(MoniForm->lblGGA->palette().color(QPalette::WindowText), QColor(Qt::gray));

  Send(gga);
  ASSERT_TRUE(WaitFor([] { return MoniForm->lblRecv->text().startsWith("$GPGGA"); }));
  EXPECT_EQ(sky->Header(), "");
  EXPECT_EQ(sky->grab().toImage().pixelColor(zenith), QColor(0, 0, 255));
  EXPECT_EQ(MoniForm->lblGGA->palette().color(QPalette::WindowText), text);
}

TEST_F(WindowTest, DataWindowTogglesAndTheMonitorsCloseButtonUnchecksIt) {
  CreateForms();
  QAction* item = Item("menDataWindow");
  item->trigger();
  EXPECT_TRUE(item->isChecked());
  EXPECT_TRUE(ShowData);
  EXPECT_TRUE(MoniForm->isVisible());
  item->trigger();
  EXPECT_FALSE(item->isChecked());
  EXPECT_FALSE(MoniForm->isVisible());
  item->trigger();
  ASSERT_TRUE(MoniForm->isVisible());
  MoniForm->close();
  EXPECT_FALSE(MoniForm->isVisible());
  EXPECT_FALSE(item->isChecked());
  EXPECT_FALSE(ShowData);
  // The track window behaves the same.
  Item("menTrkWindow")->trigger();
  EXPECT_TRUE(TrackForm->isVisible());
  TrackForm->close();
  EXPECT_FALSE(Item("menTrkWindow")->isChecked());
  DestroyForms();
  EXPECT_NE(ReadAll(ini).find("ShowData=0\n"), std::string::npos);
}

TEST_F(WindowTest, ClosingTheMainWindowKeepsTheShownWindowsStored) {
  WriteAll(ini, "[Settings]\nShowData=1\nShowTrk=0\n");
  CreateForms();
  SatVForm->show();
  ASSERT_TRUE(MoniForm->isVisible());
  // The program's own way out: the close button inside the running event loop, which Qt ends
  // by closing every remaining window.
  QTimer::singleShot(0, [] { SatVForm->close(); });
  QApplication::exec();
  EXPECT_TRUE(ShowData);
  DestroyForms();
  EXPECT_NE(ReadAll(ini).find("ShowData=1\n"), std::string::npos) << ReadAll(ini);
}

TEST_F(WindowTest, PortThatCannotOpenStaysChosenAndStored) {
  WriteAll(ini, "[Ports]\nCOM5=" + (dir / "no-such-tty").string() + "\n");
  CreateForms();
  Item("mnuCom5")->trigger();
  EXPECT_TRUE(Item("mnuCom5")->isChecked());
  EXPECT_FALSE(Item("mnuCom1")->isChecked());
  EXPECT_FALSE(Session->Receiver.SourceOpen());
  // Said on the monitor and in the sky view until data arrives, here from a replay.
  const auto shown = [] { return MoniForm->lblRecv->text() + "|" + SatVForm->pnlSat->StatusText(); };
  const std::string said = "COM5 (" + (dir / "no-such-tty").string() + "): No such file or directory";
  EXPECT_EQ(shown().toStdString(), said + "|" + said);
  WriteAll(dir / "one.log", Sentence("GPGLL,3539.1234,N,13944.5678,E,123519,A"));
  SatVForm->StartReplay((dir / "one.log").string());
  // The replayed sentence clears the status; the end of the replay is said in its place.
  ASSERT_TRUE(WaitFor([&] { return !Session->Receiver.Replayer().Running(); }));
  EXPECT_EQ(shown(), "Replay finished|");
  DestroyForms();
  EXPECT_NE(ReadAll(ini).find("ComPort=5\n"), std::string::npos);
  EXPECT_EQ(PortOpenFailure(3, "/dev/ttyUSB0", "COM3: Cannot open \"/dev/ttyUSB0\": Permission denied"),
            "COM3 (/dev/ttyUSB0): Permission denied (join the dialout group)");
  EXPECT_EQ(PortOpenFailure(5, "/x", "COM5: No such file or directory"), "COM5 (/x): No such file or directory");
  EXPECT_EQ(DialogFilter("LogFile|*.Log|All|*.*"), "LogFile (*.Log);;All (*.*)");
}

TEST_F(WindowTest, TheMonitorOpensAtTheSizeItsBlocksNeedAndClipsThemWhenMadeSmaller) {
  OpenPty();
  WriteAll(ini, "[Settings]\nComPort=3\nShowData=1\n\n[Ports]\nCOM3=" + slaveName + "\n");
  CreateForms();
  ASSERT_EQ(MoniForm->size(), MoniForm->NeededSize());
  // Wide values, each block below the one before and all above the last-sentence line.
  Send(Sentence("GPGGA,235959,3539.1234,N,13944.5678,E,2,12,0.9,1545.4,M,46.9,M,,") +
       Sentence("GPGLL,3539.1234,N,13944.5678,E,235959,A") +
       Sentence("GPRMC,235959,A,3539.1234,N,13944.5678,E,122.4,359.4,311299,017.3,W"));
  ASSERT_TRUE(WaitFor([] { return MoniForm->lblRecv->text().startsWith("$GPRMC"); }));
  QRect free(0, 0, MoniForm->width(), MoniForm->lblRecv->y());
  for (const QLabel* l : {MoniForm->lblGGA, MoniForm->lblGLL, MoniForm->lblRMC}) {
    const QRect r(l->mapTo(MoniForm, QPoint()), l->sizeHint());
    EXPECT_TRUE(free.contains(r)) << l->objectName().toStdString();
    free.setTop(r.bottom() + 1);
  }
  // Smaller than its text: the blocks end above the last-sentence line, which keeps its place.
  MoniForm->resize(150, 120);
  QApplication::processEvents();
  EXPECT_EQ(MoniForm->pnlBlocks->geometry().bottom() + 1, MoniForm->lblRecv->y());
}

TEST_F(WindowTest, GrabbedSkyViewHasItsSymbolsWhereTheyBelong) {
  WriteAll(ini, "[Settings]\nComPort=16\n\n[Ports]\nCOM16=" + (dir / "none").string() + "\n");
  CreateForms();
  SatVForm->resize(240, 230);
  SatVForm->show();
  QApplication::processEvents();
  TSkyPanel* sky = SatVForm->pnlSat;
  ASSERT_EQ(sky->size(), QSize(240, 230));
  EXPECT_EQ(sky->Layout().Radius, 103);
  // The port did not open, so what the view holds is old; these are placed as if current.
  sky->ShowDataAge(kDataCurrent);
  SatVForm->pnlSat->PlaceSatellite("05", 1, 90, 0, 45);
  SatVForm->pnlSat->PlaceSatellite("12", 2, 0, 90, 7);
  SatVForm->pnlSat->PlaceSatellite("30", 3, 0, 180, 7);
  for (int n = 1; n <= 3; ++n) SatVForm->pnlSat->SetSatVisible(n, true);
  SatVForm->pnlSat->SetSatColor(1, clBlue);
  SatVForm->pnlSat->SetSatVisible(3, false);
  const QImage img = sky->grab().toImage();
  EXPECT_EQ(img.pixelColor(120, 115), QColor(0, 0, 255));  // zenith
  EXPECT_EQ(img.pixelColor(223, 115), QColor(255, 0, 0));  // east on the horizon
  // Hidden: the horizon's south point shows the circle's pen and the background, no symbol.
  EXPECT_NE(img.pixelColor(120, 218 + 3), QColor(255, 0, 0));
  EXPECT_EQ(img.pixelColor(120, 190), QColor(0, 0, 0));  // the north-south line
  // Outside the horizon, clear of the port's status along the top and of the W by the axis.
  EXPECT_EQ(img.pixelColor(3, 225), QColor(255, 255, 255));
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

TEST_F(WindowTest, AReceiverThatHangsUpIsSaidAndReopenedWhenItComesBack) {
  OpenPty();
  const std::filesystem::path link = dir / "gps";
  std::filesystem::create_symlink(slaveName, link);
  const std::filesystem::path logFile = dir / "hang.log";
  WriteAll(ini, "[Settings]\nComPort=3\nShowData=1\nSaveLog=1\nSaveLogName=" + logFile.string() +
                    "\n\n[Ports]\nCOM3=" + link.string() + "\n");
  CreateForms();
  ASSERT_TRUE(Session->Receiver.SourceOpen());
  const std::string gsa = Sentence("GPGSA,A,3,05,,,,,,,,,,,,2.0,1.0,1.7");
  // Half a sentence is in the framing when the receiver goes.
  Send(gsa + "$GPRMC,090005.0,A,34");
  ASSERT_TRUE(WaitFor([] { return SatVForm->pnlSat->FixCaption() == "3D Fix"; }));

  // Pulled out: the other end goes away.
  close(master);
  close(slave);
  master = slave = -1;
  ASSERT_TRUE(WaitFor([] { return MoniForm->lblRecv->text().contains("hung up"); }));
  EXPECT_EQ(SatVForm->pnlSat->FixCaption(), "FIX N/A");
  EXPECT_FALSE(NmeaRec.FixValid);
  EXPECT_TRUE(Session->ReopenTimer.Active());

  // Plugged in again at the same path.
  OpenPty();
  std::filesystem::remove(link);
  std::filesystem::create_symlink(slaveName, link);
  ASSERT_TRUE(WaitFor([] { return Session->Receiver.SourceOpen(); }, 5));
  EXPECT_FALSE(Session->ReopenTimer.Active());
  const std::string gga = Sentence("GPGGA,123519,3539.1234,N,13944.5678,E,1,08,0.9,545.4,M,46.9,M,,");
  Send(gga);
  ASSERT_TRUE(WaitFor([] { return MoniForm->lblRecv->text().startsWith(">$GPGGA"); }));
  // Every whole sentence in the log, and no line joined across the hang-up.
  Session->Receiver.Recorder().CloseLogFile();
  EXPECT_EQ(ReadAll(logFile), gsa + gga);
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

TEST_F(WindowTest, ReceivedBytesReachTheMonitorOneForOne) {
  WriteAll(ini, "[Settings]\nShowData=1\n");
  CreateForms();
  // Under a UTF-8 locale a byte above 127 is no character of its own; here it stays one.
  MoniForm->ShowNotice("$GP\xE9\xFF");
  EXPECT_EQ(MoniForm->lblRecv->text(), QString::fromUtf8("$GP\u00E9\u00FF"));
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

TEST_F(WindowTest, TheSkyViewGrowsWithTheWindowAndShowsItsLegendWhenThereIsRoom) {
  WriteAll(ini, "[Settings]\nComPort=16\n\n[Ports]\nCOM16=" + (dir / "none").string() + "\n");
  CreateForms();
  SatVForm->show();
  SatVForm->pnlSat->PlaceSatellite("05", 1, 90, 0, 45);
  SatVForm->pnlSat->SetSatVisible(1, true);
  struct Case {
    int w, h, symbol;
    bool legend;
  } const cases[] = {{292, 325, 15, false}, {700, 800, 23, true}, {292, 325, 15, false}};
  for (const Case& c : cases) {
    SatVForm->resize(c.w, c.h);
    QApplication::processEvents();
    const TSkyPanel* sky = SatVForm->pnlSat;
    // Placed again on the larger plot, not left where the smaller one had it.
    EXPECT_EQ(sky->Sat(1).Symbol.size(), QSize(c.symbol, c.symbol)) << c.w;
    EXPECT_EQ(sky->Sat(1).Symbol.center(), QPoint(c.w / 2, c.h / 2)) << c.w;
    EXPECT_EQ(!sky->LegendRect().isEmpty(), c.legend) << c.w;
    if (c.legend) {
      EXPECT_GT(sky->LegendRect().top(), sky->Layout().CenterY + sky->Layout().Radius) << c.w;
    }
  }
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

TEST_F(WindowTest, AStoredSourceDeviceOpensAtAnySpeedOfTheMenuAndStaysStored) {
  OpenPty();
  WriteAll(ini, "[Settings]\nComPort=2\nComSpeed=921600\nSource=" + slaveName + "\n");
  CreateForms();
  ASSERT_TRUE(Session->Receiver.SourceOpen()) << Session->Receiver.Status();
  EXPECT_EQ(Session->Receiver.Source().Name(), slaveName);
  termios t{};
  ASSERT_EQ(tcgetattr(slave, &t), 0);
  EXPECT_EQ(cfgetispeed(&t), B921600);
  EXPECT_TRUE(Item("mnuSp921600")->isChecked());
  EXPECT_FALSE(Item("mnuCom2")->isChecked());
  QStringList speeds;
  for (QAction* a : SatVForm->Speed1->actions()) speeds << a->text();
  EXPECT_EQ(speeds.join(","), "2400,4800,9600,19200,38400,57600,115200,230400,460800,921600,Auto");
  // Auto hunts from the menu; a speed chosen after it holds again.
  Item("mnuSpAuto")->trigger();
  EXPECT_TRUE(Session->Receiver.AutoSpeed());
  EXPECT_TRUE(Session->Receiver.HuntingSpeed());
  Item("mnuSp921600")->trigger();
  EXPECT_FALSE(Session->Receiver.AutoSpeed());
  ASSERT_EQ(tcgetattr(slave, &t), 0);
  EXPECT_EQ(cfgetispeed(&t), B921600);
  // Back to the COM port from the menu: the setting is emptied.
  Item("mnuCom2")->trigger();
  EXPECT_EQ(Session->Receiver.SourceAddress(), "");
  DestroyForms();
  const std::string saved = ReadAll(ini);
  EXPECT_NE(saved.find("Source=\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("ComSpeed=921600\n"), std::string::npos) << saved;
}

}  // namespace
}  // namespace orvane
