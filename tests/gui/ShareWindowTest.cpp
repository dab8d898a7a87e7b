// SPDX-License-Identifier: GPL-3.0-or-later
// The share as the user meets it: the "Share..." dialog from the main window's menu, the console's
// line about it, and a stored share that cannot start.
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <memory>
#include <string>
#include <vector>

#include "gui/ErrorHandler.h"
#include "gui/UConsoleForm.h"
#include "gui/UShareForm.h"
#include "settings/MainVars.h"
#include "tests/gui/WindowTest.h"
#include "tests/net/NetTestKit.h"

namespace orvane {
namespace {

class ShareWindowTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    SetErrorReporter([this](const std::string& m) { errors.push_back(m); });
  }
  void TearDown() override {
    if (client >= 0) ::close(client);
    SetErrorReporter(nullptr);
    WindowTest::TearDown();
  }
  // No receiver on the port; replays at their fastest pace.
  void Start(const std::string& settings = "") {
    WriteAll(ini, "[Settings]\nComPort=16\nRepInterval=10\n" + settings +
                      "\n[Ports]\nCOM16=" + (dir / "none").string() + "\n");
    CreateForms();
  }
  // Opens the dialog from the menu and lets `act` fill it and press a button, once.
  void InDialog(const std::function<void(TShareForm&)>& act) {
    auto done = std::make_shared<bool>(false);
    OnModal([act, done](QWidget* w) {
      if (std::exchange(*done, true)) return;
      auto* form = dynamic_cast<TShareForm*>(w);
      ASSERT_NE(form, nullptr);
      act(*form);
    });
    Item("menShare")->trigger();
  }
  std::string ConsoleShare() const { return ConsoleForm->lblShare->text().toStdString(); }
  std::string ReadClient() {
    char buf[4096];
    for (ssize_t n; (n = ::recv(client, buf, sizeof buf, MSG_DONTWAIT)) > 0;) got.append(buf, static_cast<size_t>(n));
    return got;
  }
  std::vector<std::string> errors;
  int client = -1;
  std::string got;
};

// The dialog's choice is applied and stored; a replayed log reaches a client as the log has it,
// and the console counts the client and the bytes.
TEST_F(ShareWindowTest, TheDialogsChoiceIsSharedStoredAndCountedOnTheConsole) {
  Start();
  EXPECT_FALSE(ConsoleForm->lblShare->isVisibleTo(ConsoleForm));
  const uint16_t port = FreeLoopbackPort();
  const std::string address = "tcp://127.0.0.1:" + std::to_string(port);
  InDialog([&](TShareForm& f) {
    EXPECT_EQ(f.edtTcp->text().toStdString(), kShareTcpDefault);
    EXPECT_FALSE(f.edtTcp->isEnabled());
    f.chkShare->setChecked(true);
    f.edtTcp->setText(QString::fromStdString(address));
    // Every interface is the user's plain choice, made and taken back here.
    f.chkAllInterfaces->setChecked(true);
    EXPECT_EQ(f.edtTcp->text().toStdString(), "tcp://0.0.0.0:" + std::to_string(port));
    f.chkAllInterfaces->setChecked(false);
    EXPECT_EQ(f.edtTcp->text().toStdString(), address);
    f.btnOK->click();
  });
  EXPECT_FALSE(ShareForm->isVisible());
  EXPECT_EQ(ShareSettings, (TShareSettings{true, address, "", false}));
  ASSERT_TRUE(Session->Share.Active());

  client = ConnectLoopback(port);
  ASSERT_GE(client, 0);
  ASSERT_TRUE(WaitFor([&] { return Session->Share.ClientCount() == 1; }));
  const std::string log = Sentence("GPGGA,090000,3400.0000,N,13400.0000,E,1,08,1.0,12.0,M,36.0,M,,") +
                          Sentence("GPRMC,090000,A,3400.0000,N,13400.0000,E,10.0,90.0,010624,7.3,W");
  WriteAll(dir / "drive.log", log);
  SatVForm->StartReplay((dir / "drive.log").string());
  EXPECT_TRUE(WaitFor([&] { return ReadClient().size() >= log.size(); }));
  EXPECT_EQ(got, log);
  const std::string counted = address + " to 1 client, " + std::to_string(log.size()) + " bytes served";
  EXPECT_TRUE(WaitFor([&] { return ConsoleShare().find(counted) != std::string::npos; })) << ConsoleShare();
  EXPECT_TRUE(ConsoleForm->lblShare->isVisibleTo(ConsoleForm));
  EXPECT_TRUE(errors.empty());
}

// An address that does not parse is said in the dialog, which stays open, and nothing is stored.
TEST_F(ShareWindowTest, ABadAddressIsSaidInTheDialogAndNotStored) {
  Start();
  std::string said;
  InDialog([&](TShareForm& f) {
    f.chkShare->setChecked(true);
    f.edtTcp->setText("tcp://127.0.0.1:99999");
    f.btnOK->click();
    EXPECT_TRUE(f.isVisible());
    said = f.lblError->text().toStdString();
    f.btnCancel->click();
  });
  EXPECT_EQ(said, "\"tcp://127.0.0.1:99999\": the port \"99999\" is not a number from 1 to 65535");
  EXPECT_FALSE(ShareSettings.On);
  EXPECT_FALSE(Session->Share.Active());
}

// A stored share whose port is taken is said at start, once, naming the address and the cause;
// the program reads and replays as before, and shares once the other program lets the port go.
TEST_F(ShareWindowTest, AStoredShareThatCannotStartIsSaidOnceAndStartsWhenThePortIsFree) {
  auto taken = std::make_unique<TTcpServer>();
  std::string error;
  ASSERT_TRUE(taken->Listen("127.0.0.1", 0, error)) << error;
  const uint16_t port = taken->Port();
  const std::string address = "tcp://127.0.0.1:" + std::to_string(port);
  Start("Share=1\nShareTcp=" + address + "\n");
  const std::string said = "Cannot share on " + address + ": cannot listen on 127.0.0.1 port " + std::to_string(port) +
                           ": Address already in use";
  ASSERT_TRUE(WaitFor([&] { return !errors.empty(); }));
  EXPECT_EQ(errors, std::vector<std::string>{said + "\nIt is tried again every 5 seconds; the console says when it "
                                                    "is shared."});
  EXPECT_EQ(ConsoleShare(), said + " (trying again)");
  WriteAll(dir / "one.log", Sentence("GPGGA,090000,3400.0000,N,13400.0000,E,1,08,1.0,12.0,M,36.0,M,,"));
  SatVForm->StartReplay((dir / "one.log").string());
  EXPECT_TRUE(WaitFor([] { return !Session->Receiver.Replayer().Running(); }));
  EXPECT_EQ(Session->Receiver.Replayer().LinesReplayed(), 1u);

  taken.reset();
  ASSERT_TRUE(WaitFor([] { return Session->Share.Active(); }, 2 * TSession::kShareRetryMs / 1000));
  client = ConnectLoopback(port);
  ASSERT_GE(client, 0);
  EXPECT_TRUE(WaitFor([&] { return ConsoleShare() == "Sharing " + address + " to 1 client, 0 bytes served"; }))
      << ConsoleShare();
  EXPECT_FALSE(Session->ShareRetryTimer.Active());
  EXPECT_EQ(errors.size(), 1u);
}

// Switched off in the dialog, a share that could not start is not tried again.
TEST_F(ShareWindowTest, AShareSwitchedOffIsNotTriedAgain) {
  TTcpServer taken;
  std::string error;
  ASSERT_TRUE(taken.Listen("127.0.0.1", 0, error)) << error;
  Start("Share=1\nShareTcp=tcp://127.0.0.1:" + std::to_string(taken.Port()) + "\n");
  ASSERT_TRUE(Session->ShareRetryTimer.Active());
  EXPECT_EQ(Session->ShareRetryTimer.Interval(), static_cast<int>(TSession::kShareRetryMs));
  InDialog([&](TShareForm& f) {
    f.chkShare->setChecked(false);
    f.btnOK->click();
  });
  EXPECT_FALSE(ShareSettings.On);
  EXPECT_FALSE(Session->ShareRetryTimer.Active());
  EXPECT_EQ(ConsoleShare(), "Not shared");
}

}  // namespace
}  // namespace orvane
