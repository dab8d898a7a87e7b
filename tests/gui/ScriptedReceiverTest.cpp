// SPDX-License-Identifier: GPL-3.0-or-later
// The windows as displays of a receiver composed here, without the program's start-up: a source
// that plays a script and timers ticked by hand, so that what each window shows follows from the
// bytes of one poll tick alone.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>

#include "gui/SkyPanel.h"
#include "gui/UConsoleForm.h"
#include "gui/UMoniForm.h"
#include "gui/USatVForm.h"
#include "gui/USignalForm.h"
#include "nmea/Receiver.h"
#include "tests/common/TempFiles.h"
#include "tests/gui/WindowTest.h"

namespace orvane {
namespace {

struct HandTimer : TPollTimer {
  void Start(uint32_t) override {}
  void Stop() override {}
};

// Delivers one queued text per read.
class ScriptedSource {
public:
  explicit ScriptedSource(std::deque<std::string>& reads) : Reads(reads) {}
  bool Open() { return Opened = true; }
  void Close() { Opened = false; }
  bool IsOpen() const { return Opened; }
  bool ReadQueued(std::string& out) {
    if (!Reads.empty()) {
      out += Reads.front();
      Reads.pop_front();
    }
    return true;
  }
  std::string Name() const { return "tcp://127.0.0.1:10110"; }
  const std::string& LastError() const { return Error; }

private:
  std::deque<std::string>& Reads;
  bool Opened = false;
  std::string Error;
};

class ScriptedReceiverTest : public TempDir {
protected:
  void SetUp() override {
    TempDir::SetUp();
    EnsureApp();
    // Read as an address names it, from the script in the network source's place.
    receiver.SetSourceAddress("tcp://127.0.0.1:10110");
    receiver.SetSource(std::make_unique<TByteSourceOf<ScriptedSource>>(reads));
    main_ = std::make_unique<TSatVForm>(receiver);
    monitor_ = std::make_unique<TMoniForm>();
    signal_ = std::make_unique<TSignalForm>(rec);
    console_ = std::make_unique<TConsoleForm>();
    for (TNmeaDisplay* d : Displays()) receiver.AddDisplay(*d);
  }
  void TearDown() override {
    for (TNmeaDisplay* d : Displays()) receiver.RemoveDisplay(*d);
    TempDir::TearDown();
  }
  std::vector<TNmeaDisplay*> Displays() { return {main_->pnlSat, monitor_.get(), signal_.get(), console_.get()}; }
  QStringList ConsoleLines() const {
    QApplication::processEvents();
    return console_->memLines->toPlainText().split('\n');
  }

  TNmeaRec rec;
  HandTimer poll, reopen, replay, save, age;
  TReceiver receiver{rec, {&poll, &reopen, &replay, &save, &age}};
  std::deque<std::string> reads;
  std::unique_ptr<TSatVForm> main_;
  std::unique_ptr<TMoniForm> monitor_;
  std::unique_ptr<TSignalForm> signal_;
  std::unique_ptr<TConsoleForm> console_;
};

TEST_F(ScriptedReceiverTest, OneTickReachesEveryWindowFromTheReceiverAlone) {
  const std::string gsv = Sentence("GPGSV,1,1,02,05,40,090,41,12,10,200,30,,,,,,,,");
  const std::string gsa = Sentence("GPGSA,A,3,05,,,,,,,,,,,,2.0,1.0,1.7");
  const std::string gga = Sentence("GPGGA,123519,3539.1234,N,13944.5678,E,1,08,0.9,545.4,M,46.9,M,,");
  const auto line = [](const std::string& s) { return QString::fromStdString(s.substr(0, s.size() - 2)); };
  rec.SaveLogName = (dir / "a.log").string();
  receiver.Recorder().SetSaveLog(true);
  reads = {gsv + gsa + gga};
  ASSERT_TRUE(receiver.OpenSource());
  receiver.PollTick();

  // The sky view: both satellites, the used one blue, and the fix.
  const TSkyPanel& sky = *main_->pnlSat;
  EXPECT_TRUE(sky.Sat(1).Visible && sky.Sat(2).Visible);
  EXPECT_EQ(sky.Sat(1).Color, clBlue);
  EXPECT_EQ(sky.Sat(2).Color, clRed);
  EXPECT_EQ(sky.FixCaption(), "3D Fix");
  // The signal levels take used or not from the record, whatever the sky view's colours.
  EXPECT_EQ(signal_->Sats(), (std::vector<TSignalSat>{{"05", 41, true}, {"12", 30, false}}));
  rec.Sats[1].Used = true;
  EXPECT_EQ(signal_->Sats()[1].Used, true);
  // Each sentence in the console once, with its log mark; the newest on the monitor's line.
  EXPECT_EQ(ConsoleLines(), (QStringList{">" + line(gsv), ">" + line(gsa), ">" + line(gga)}));
  EXPECT_EQ(monitor_->lblRecv->text(), ">" + line(gga));
  EXPECT_TRUE(monitor_->lblGGA->text().startsWith("GPS Fix Data"));
  // The main window mirrors the source the receiver reads: no COM item is checked.
  for (int n = 1; n <= kComPortCount; ++n) EXPECT_FALSE(main_->PortItems[n]->isChecked()) << n;
  receiver.Recorder().CloseLogFile();
}

// The receiver says its status to each window and takes it back itself when a sentence comes,
// before the sentence is shown in the status's place.
TEST_F(ScriptedReceiverTest, TheStatusIsSaidAndTakenBackByTheReceiverNotByALine) {
  receiver.SetSource(std::make_unique<TByteSourceOf<TCommPortDriver>>());
  receiver.UseSerialPort().SetDevicePath((dir / "none").string());
  ASSERT_FALSE(receiver.OpenSource());
  const QString said = main_->pnlSat->StatusText();
  ASSERT_FALSE(said.isEmpty());
  EXPECT_EQ(monitor_->lblRecv->text(), said);
  receiver.Proc().ProcessNmea(Sentence("GPGLL,3539.1234,N,13944.5678,E,123519,A"));
  EXPECT_EQ(main_->pnlSat->StatusText(), "");
  EXPECT_TRUE(monitor_->lblRecv->text().startsWith("$GPGLL"));
  EXPECT_EQ(receiver.Status(), "");
}

}  // namespace
}  // namespace orvane
