// SPDX-License-Identifier: GPL-3.0-or-later
// The port menu and its dialog on the running window: the devices of a folder standing in for
// /dev, choosing one, the speed of a device being read, and the recent addresses across runs.
#include <gtest/gtest.h>

#include <termios.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QInputDialog>
#include <QMenu>

#include "gui/UMoniForm.h"
#include "nmea/NmeaRec.h"
#include "settings/MainVars.h"
#include "tests/gui/WindowTest.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

class PortMenuTest : public WindowTest {
protected:
  // A device folder: a receiver by id on the pseudo-terminal, another by id on ttyACM0, and
  // terminals of every kind listed, one of a kind that is not.
  void MakeDevices() {
    OpenPty();
    root = fs::canonical(dir) / "dev";
    fs::create_directories(root / "serial" / "by-id");
    for (const char* name : {"ttyACM0", "ttyUSB3", "rfcomm1", "ttyS0"}) std::ofstream(root / name).put('\0');
    fs::create_symlink(slaveName, root / "serial/by-id/usb-Maker_GPS_Receiver-if00");
    fs::create_symlink("../../ttyACM0", root / "serial/by-id/usb-Other_Modem-if02");
  }
  // The port menu as it opens, pointed at the stand-in folder.
  std::vector<QAction*> OpenPortMenu() {
    SatVForm->DeviceRoot = root.string();
    emit SatVForm->Port1->aboutToShow();
    return SatVForm->DeviceItems;
  }
  QAction* DeviceItem(const std::string& label) {
    for (QAction* a : OpenPortMenu())
      if (a->text().toStdString() == label) return a;
    ADD_FAILURE() << "no item " << label;
    return nullptr;
  }
  fs::path root;
};

TEST_F(PortMenuTest, DevicesPresentFollowTheComItemsByNameWithTheirDeviceAsTooltip) {
  MakeDevices();
  CreateForms();
  OpenPortMenu();
  struct Row {
    std::string caption, tooltip;
  };
  const std::vector<Row> want = {
      {"usb-Maker_GPS_Receiver-if00", slaveName},
      {"usb-Other_Modem-if02", (root / "ttyACM0").string()},
      {(root / "ttyUSB3").string(), (root / "ttyUSB3").string()},
      {(root / "rfcomm1").string(), (root / "rfcomm1").string()},
  };
  // Between the separator after COM16 and "Device or address...", nothing else.
  const QList<QAction*> all = SatVForm->Port1->actions();
  ASSERT_EQ(all.size(), 16 + 1 + static_cast<int>(want.size()) + 1);
  EXPECT_EQ(all[15], Item("mnuCom16"));
  EXPECT_TRUE(all[16]->isSeparator());
  for (size_t i = 0; i < want.size(); ++i) {
    const QAction* a = all[17 + static_cast<int>(i)];
    EXPECT_EQ(a->text().toStdString(), want[i].caption) << i;
    EXPECT_EQ(a->toolTip().toStdString(), want[i].tooltip) << i;
    EXPECT_FALSE(a->isChecked()) << i;
  }
  EXPECT_EQ(all.back(), SatVForm->mnuSourceAddress);
  // Opened again, the menu lists each device once.
  EXPECT_EQ(OpenPortMenu().size(), want.size());
  EXPECT_EQ(SatVForm->Port1->actions().size(), all.size());
}

TEST_F(PortMenuTest, AChosenDeviceIsReadAndStoredOrItsFailureSaid) {
  MakeDevices();
  WriteAll(ini, "[Settings]\nComPort=16\nShowData=1\n\n[Ports]\nCOM16=" + (dir / "none").string() + "\n");
  CreateForms();
  struct Case {
    std::string label, path;
    bool opens;
  };
  const Case cases[] = {
      {"usb-Maker_GPS_Receiver-if00", (root / "serial/by-id/usb-Maker_GPS_Receiver-if00").string(), true},
      // A plain file is no terminal.
      {(root / "ttyUSB3").string(), (root / "ttyUSB3").string(), false},
  };
  for (const Case& c : cases) {
    QAction* item = DeviceItem(c.label);
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_EQ(Session->Receiver.SourceAddress(), c.path);
    EXPECT_EQ(NmeaRec.Source, c.path);
    EXPECT_EQ(Session->Receiver.SourceOpen(), c.opens) << c.label;
    EXPECT_FALSE(Item("mnuCom16")->isChecked());
    // The item of the source read now is checked when the menu opens again, as the only one.
    EXPECT_TRUE(DeviceItem(c.label)->isChecked()) << c.label;
    const QAction* checked = SatVForm->PortGroup->checkedAction();
    EXPECT_TRUE(checked && checked->text().toStdString() == c.label) << c.label;
    if (c.opens) {
      Send(Sentence("GPGLL,3539.1234,N,13944.5678,E,123519,A"));
      EXPECT_TRUE(WaitFor([] { return MoniForm->lblRecv->text().startsWith("$GPGLL"); })) << c.label;
    } else {
      EXPECT_NE(SatVForm->pnlSat->StatusText().toStdString().find(c.path), std::string::npos)
          << SatVForm->pnlSat->StatusText().toStdString();
    }
  }
  // Typed as the device it stands for, the source still checks its by-id item.
  SatVForm->OpenSourceAddress(slaveName);
  EXPECT_TRUE(DeviceItem("usb-Maker_GPS_Receiver-if00")->isChecked());
  // A COM item chosen again: no device item stays checked beside it.
  Item("mnuCom16")->trigger();
  for (QAction* a : SatVForm->DeviceItems) EXPECT_FALSE(a->isChecked()) << a->text().toStdString();
  EXPECT_EQ(SatVForm->PortGroup->checkedAction(), Item("mnuCom16"));
  DestroyForms();
  const std::string saved = ReadAll(ini);
  EXPECT_NE(saved.find("\nSource=\nRecent1=" + slaveName + "\nRecent2=" + cases[1].path + "\nRecent3=" + cases[0].path +
                       "\nRecent4=\n"),
            std::string::npos)
      << saved;
}

TEST_F(WindowTest, ASpeedChosenFromTheMenuSetsTheLineOfTheSourceReadNow) {
  OpenPty();
  struct Case {
    std::string settings;
    int baud;
    speed_t line;
  };
  const Case cases[] = {
      {"ComPort=3\n[Ports]\nCOM3=" + slaveName, 115200, B115200},
      {"ComPort=3\n[Ports]\nCOM3=" + slaveName, 2400, B2400},
      {"Source=" + slaveName, 115200, B115200},
      {"Source=" + slaveName, 19200, B19200},
  };
  for (const Case& c : cases) {
    WriteAll(ini, "[Settings]\nComSpeed=9600\n" + c.settings + "\n");
    CreateForms();
    ASSERT_TRUE(Session->Receiver.SourceOpen()) << Session->Receiver.Status();
    Item(("mnuSp" + std::to_string(c.baud)).c_str())->trigger();
    EXPECT_TRUE(Session->Receiver.SourceOpen()) << c.settings;
    termios t{};
    ASSERT_EQ(tcgetattr(slave, &t), 0);
    EXPECT_EQ(cfgetispeed(&t), c.line) << c.settings << " " << c.baud;
    EXPECT_EQ(cfgetospeed(&t), c.line) << c.settings << " " << c.baud;
    DestroyForms();
    EXPECT_NE(ReadAll(ini).find("ComSpeed=" + std::to_string(c.baud) + "\n"), std::string::npos) << c.settings;
  }
}

// The dialog offers the source read now first when it is not among the recent ones, then those;
// the address entered goes first, is kept across runs, and the run's own source is not.
TEST_F(WindowTest, TheAddressDialogOffersTheRecentSourcesAndKeepsTheChosenOne) {
  const std::string none = (dir / "none").string();
  struct Case {
    std::string settings, offered, answer;
    std::vector<std::string> stored;  // lines of the file after the run
  };
  const Case cases[] = {
      // An old file: its source offered, nothing remembered yet.
      {"Source=" + none + "\n",
       none,
       "tcp://127.0.0.1:1",
       {"Source=tcp://127.0.0.1:1", "Recent1=tcp://127.0.0.1:1", "Recent2="}},
      {"Recent1=udp://127.0.0.1:1\nRecent2=" + none + "\n",
       "udp://127.0.0.1:1|" + none,
       none,
       {"Source=" + none, "Recent1=" + none, "Recent2=udp://127.0.0.1:1", "Recent3="}},
      // The source read now heads the list when it is not in it.
      {"Source=" + none + "\nRecent1=udp://127.0.0.1:1\n",
       none + "|udp://127.0.0.1:1",
       "  udp://127.0.0.1:1  ",
       {"Source=udp://127.0.0.1:1", "Recent1=udp://127.0.0.1:1", "Recent2="}},
  };
  for (const Case& c : cases) {
    WriteAll(ini, "[Settings]\nComPort=16\n" + c.settings + "\n[Ports]\nCOM16=" + none + "\n");
    CreateForms();
    QStringList offered;
    OnModal([&](QWidget* w) {
      auto* box = qobject_cast<QInputDialog*>(w);
      ASSERT_NE(box, nullptr);
      offered = box->comboBoxItems();
      box->setTextValue(QString::fromStdString(c.answer));
      box->accept();
    });
    SatVForm->mnuSourceAddress->trigger();
    EXPECT_EQ(offered.join("|").toStdString(), c.offered) << c.settings;
    DestroyForms();
    const std::string saved = ReadAll(ini);
    for (const std::string& line : c.stored) EXPECT_NE(saved.find("\n" + line + "\n"), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace orvane
