// SPDX-License-Identifier: GPL-3.0-or-later
// The Corrections dialog over the session: the sourcetable nearest first from the receiver's fix,
// a mountpoint picked from it, and its corrections written to the receiver's terminal with the
// position sent to the caster that asks for it.
#include <poll.h>

#include "gui/UNtripForm.h"
#include "settings/MainVars.h"
#include "tests/gui/WindowTest.h"
#include "tests/net/TestCaster.h"

namespace orvane {
namespace {

TEST_F(WindowTest, CorrectionsFromTheDialogReachTheReceiverAndItsPositionTheCaster) {
  const std::string rtcm("\xD3\x00\x04\x3E\xD0\x00\x01\x2A\x2B\x2C", 10);
  TTestCaster caster;
  caster.Answers["/VRS"] = "ICY 200 OK\r\n" + rtcm;
  caster.Run();
  OpenPty();
  WriteAll(ini, "[Settings]\nSource=" + slaveName + "\n");
  CreateForms();
  ASSERT_TRUE(WaitFor([] { return Session->Receiver.SourceOpen(); }));
  Send(Sentence("GPGGA,090000,5200.0000,N,01306.0000,E,1,08,1.0,12.0,M,36.0,M,,"));
  ASSERT_TRUE(WaitFor([] { return !Session->Receiver.LastGga().empty(); }));

  Item("menCorrections")->trigger();
  ASSERT_TRUE(NtripForm->isVisible());
  NtripForm->edHost->setText("127.0.0.1");
  NtripForm->edPort->setValue(caster.Port);
  NtripForm->btnTable->click();
  ASSERT_TRUE(WaitFor([] { return NtripForm->tblMounts->rowCount() == 2; }, 5))
      << NtripForm->lblTable->text().toStdString();
  EXPECT_EQ(NtripForm->tblMounts->item(0, 0)->text(), "VRS");
  EXPECT_EQ(NtripForm->tblMounts->item(0, 3)->text(), "6.8 km");
  NtripForm->tblMounts->selectRow(0);
  EXPECT_EQ(NtripForm->cmbMount->currentText(), "VRS");
  NtripForm->edUser->setText("user");
  NtripForm->edPassword->setText("pass");
  NtripForm->btnConnect->click();

  std::string got;
  ASSERT_TRUE(WaitFor(
      [&] {
        char buf[64];
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 0) == 1) {
          const ssize_t n = read(master, buf, sizeof buf);
          if (n > 0) got.append(buf, static_cast<size_t>(n));
        }
        return got.size() >= rtcm.size();
      },
      5));
  EXPECT_EQ(got, rtcm);
  ASSERT_TRUE(WaitFor([&] { return caster.Uploaded().find("$GPGGA,090000,5200.0000") == 0; }, 5));
  ASSERT_TRUE(WaitFor([] { return NtripForm->lblStatus->text().contains("10 bytes"); }, 3))
      << NtripForm->lblStatus->text().toStdString();
  EXPECT_TRUE(NtripForm->btnDisconnect->isEnabled());

  DestroyForms();
  const std::string saved = ReadAll(ini);
  EXPECT_NE(saved.find("NtripMount=VRS\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("NtripOn=1\n"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("pass"), std::string::npos) << saved;
  NtripConfig = TNtripConfig{};
  NtripOn = false;
}

}  // namespace
}  // namespace orvane
