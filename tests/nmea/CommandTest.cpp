// SPDX-License-Identifier: GPL-3.0-or-later
// Commands for the receiver: what is typed framed as a sentence, and where the receiver sends it
// and where it refuses to.
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "nmea/NmeaCommand.h"
#include "nmea/Receiver.h"
#include "tests/common/RawPty.h"
#include "tests/common/TempFiles.h"

namespace orvane {
namespace {

struct TFrameCase {
  const char* typed;
  const char* sentence;  // nullptr: refused
};

TEST(FrameCommand, AddsStartChecksumAndLineEndWhateverWasTyped) {
  const TFrameCase cases[] = {
      {"PMTK220,1000", "$PMTK220,1000*1F\r\n"},
      {"$PMTK220,1000", "$PMTK220,1000*1F\r\n"},
      {"  $PMTK220,1000*1f \r\n", "$PMTK220,1000*1F\r\n"},
      // A wrong checksum typed is replaced by the right one.
      {"PUBX,40,GSV,0,0,0,0,0,0*00", "$PUBX,40,GSV,0,0,0,0,0,0*59\r\n"},
      {"!AIQ", "!AIQ*59\r\n"},
      {"", nullptr},
      {"$*12", nullptr},
      {"PMTK220,1000\r\nPMTK605", nullptr},
      {"PMTK$220", nullptr},
      {"PMTK*220,1000", nullptr},
      {"PMTK\xE9", nullptr},
  };
  for (const TFrameCase& c : cases) {
    std::string sentence, error;
    const bool framed = FrameCommand(c.typed, sentence, error);
    EXPECT_EQ(framed, c.sentence != nullptr) << c.typed;
    if (c.sentence) {
      EXPECT_EQ(sentence, c.sentence) << c.typed;
    } else {
      EXPECT_FALSE(error.empty()) << c.typed;
    }
  }
}

struct CommandReceiverTest : TempDir {
  TNmeaRec rec;
  TReceiver receiver{rec, {}};
};

TEST_F(CommandReceiverTest, ASerialPortTakesTheSentenceAndOthersSayWhyTheyCannot) {
  int master = -1, slave = -1;
  char name[128];
  ASSERT_TRUE(OpenRawPty(master, slave, name));
  receiver.SetSourceAddress(name);
  std::string error;
  EXPECT_FALSE(receiver.Send("$PMTK605*31\r\n", error));
  EXPECT_NE(error.find("is not open"), std::string::npos) << error;
  ASSERT_TRUE(receiver.OpenSource());
  ASSERT_TRUE(receiver.Send("$PMTK605*31\r\n", error)) << error;
  char got[64] = {};
  EXPECT_EQ(read(master, got, sizeof got), 13);
  EXPECT_STREQ(got, "$PMTK605*31\r\n");

  // A replay in the port's place sends nothing.
  const std::filesystem::path log = dir / "one.log";
  WriteAll(log, "$GPGGA,090000,3400.0000,N,13400.0000,E,1,08,1.0,12.0,M,36.0,M,,*75\r\n");
  receiver.StartReplay(log.string());
  EXPECT_FALSE(receiver.Send("$PMTK605*31\r\n", error));
  EXPECT_NE(error.find("replayed"), std::string::npos) << error;
  receiver.StopReplay();
  receiver.CloseSource();
  close(master);
  close(slave);

  // Sources that only listen say so, opened or not.
  for (const char* address : {"udp://127.0.0.1:0", "gpsd://127.0.0.1:1"}) {
    receiver.SetSourceAddress(address);
    EXPECT_FALSE(receiver.Source().WriteRefusal().empty()) << address;
  }
}

TEST_F(CommandReceiverTest, BytesALineCannotTakeAtOnceWaitInOrderUpToALimit) {
  int master = -1, slave = -1;
  char name[128];
  ASSERT_TRUE(OpenRawPty(master, slave, name));
  receiver.SetSourceAddress(name);
  ASSERT_TRUE(receiver.OpenSource());
  // Nobody reads the terminal: its queue fills, then the receiver's, then a send is refused whole.
  std::string accepted, error;
  for (int n = 0; n < 200; ++n) {
    const std::string piece(8 << 10, static_cast<char>('a' + n % 26));
    if (!receiver.Send(piece, error)) break;
    accepted += piece;
  }
  EXPECT_NE(error.find("more slowly than they come"), std::string::npos) << error;
  EXPECT_GT(receiver.Outgoing(), 0u);
  EXPECT_LE(receiver.Outgoing(), TReceiver::kMaxOutgoing);
  std::string got;
  char buf[4096];
  for (int i = 0; i < 2000 && got.size() < accepted.size(); ++i) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 10) == 1 && (p.revents & POLLIN))
      got.append(buf, static_cast<size_t>(read(master, buf, sizeof buf)));
    receiver.PollTick();
  }
  EXPECT_EQ(receiver.Outgoing(), 0u);
  EXPECT_TRUE(got == accepted) << got.size() << " of " << accepted.size() << " bytes";
  receiver.CloseSource();
  close(master);
  close(slave);
}

}  // namespace
}  // namespace orvane
