// SPDX-License-Identifier: GPL-3.0-or-later
// The console's command line: what is typed reaches the receiver's terminal framed, the reply is
// listed as received, a source that takes nothing says so, and the named commands come from the
// file beside the settings.
#include <poll.h>

#include <QPushButton>

#include "gui/UConsoleForm.h"
#include "settings/CommandList.h"
#include "tests/gui/WindowTest.h"
#include "tests/net/NetTestKit.h"

namespace orvane {
namespace {

bool RingHas(const std::string& line) {
  const TSentenceRing& ring = ConsoleForm->Ring();
  for (size_t i = 0; i < ring.Size(); ++i)
    if (ring.At(i) == line) return true;
  return false;
}

std::string ReadMaster(int master, size_t want) {
  std::string got;
  char buf[256];
  for (int i = 0; i < 100 && got.size() < want; ++i) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 20) == 1) {
      const ssize_t n = read(master, buf, sizeof buf);
      if (n > 0) got.append(buf, static_cast<size_t>(n));
    }
  }
  return got;
}

TEST_F(WindowTest, ACommandTypedReachesTheTerminalAndItsReplyIsListed) {
  OpenPty();
  WriteAll(ini, "[Settings]\nSource=" + slaveName + "\n");
  CreateForms();
  ASSERT_TRUE(WaitFor([] { return Session->Receiver.SourceOpen(); }));
  ConsoleForm->edCommand->setText("PMTK220,1000");
  ConsoleForm->btnSend->click();
  EXPECT_EQ(ReadMaster(master, 18), "$PMTK220,1000*1F\r\n");
  EXPECT_TRUE(RingHas("[sent] $PMTK220,1000*1F"));
  EXPECT_TRUE(ConsoleForm->edCommand->text().isEmpty());
  Send("$PMTK001,220,3*30\r\n");
  EXPECT_TRUE(WaitFor([] { return RingHas("$PMTK001,220,3*30"); }));

  // The defaults were written beside the settings; a named command is put on the line, not sent.
  EXPECT_TRUE(std::filesystem::exists(dir / kCommandListName));
  ASSERT_GT(ConsoleForm->cmbCommands->count(), 1);
  ConsoleForm->cmbCommands->activated(1);
  EXPECT_EQ(ConsoleForm->edCommand->text(), "PMTK220,1000");
  EXPECT_EQ(ReadMaster(master, 1), "");
}

TEST_F(WindowTest, ASourceThatTakesNoBytesSaysSoOnTheConsole) {
  const uint16_t port = FreeLoopbackPort(SOCK_DGRAM);
  WriteAll(ini, "[Settings]\nSource=udp://127.0.0.1:" + std::to_string(port) + "\n");
  WriteAll(dir / kCommandListName, "[Mine]\n; asks for the version\nVersion=PMTK605\n");
  CreateForms();
  ASSERT_TRUE(WaitFor([] { return Session->Receiver.SourceOpen(); }));
  ASSERT_EQ(ConsoleForm->cmbCommands->count(), 2);
  EXPECT_EQ(ConsoleForm->cmbCommands->itemText(1), "Mine: Version");
  ConsoleForm->edCommand->setText("PMTK605");
  ConsoleForm->edCommand->returnPressed();
  const std::string last = ConsoleForm->Ring().At(ConsoleForm->Ring().Size() - 1);
  EXPECT_EQ(last.rfind("[not sent] $PMTK605*31: ", 0), 0u) << last;
  EXPECT_NE(last.find("only listens"), std::string::npos) << last;
  EXPECT_EQ(ConsoleForm->edCommand->text(), "PMTK605");  // kept, to be sent elsewhere
}

}  // namespace
}  // namespace orvane
