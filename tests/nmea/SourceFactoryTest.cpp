// SPDX-License-Identifier: GPL-3.0-or-later
// From an address to the source the receiver and the tools read.
#include "nmea/SourceFactory.h"

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

TEST(SourceFactory, AnAddressMakesItsSourceNamedAsMessagesNameIt) {
  const struct {
    std::string address;
    bool serial;
    std::string name;
  } cases[] = {
      {"", true, "COM4 (/dev/ttyS3)"},
      {"/dev/ttyACM0", true, "/dev/ttyACM0"},
      {"tcp://gps.example", false, "tcp://gps.example:10110"},
      {"udp://[::1]:2000", false, "udp://[::1]:2000"},
      {"gpsd://localhost/dev/ttyACM0", false, "gpsd://localhost:2947/dev/ttyACM0"},
      {"ftp://gps:21", false, "ftp://gps:21"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    const TMadeSource made = MakeByteSource(c.address, pnCOM4, br38400);
    ASSERT_TRUE(made.Source);
    EXPECT_EQ(made.Source->Name(), c.name);
    EXPECT_FALSE(made.Source->IsOpen());
    ASSERT_EQ(made.Serial != nullptr, c.serial);
    if (!made.Serial) continue;
    EXPECT_EQ(made.Serial->ComPort(), pnCOM4);
    EXPECT_EQ(made.Serial->ComPortSpeed(), br38400);
    EXPECT_EQ(made.Serial->ComPortHwHandshaking(), hhNONE);
  }
}

TEST(SourceFactory, AnAddressThatDoesNotParseFailsOnOpenWithTheReason) {
  const TMadeSource bad = MakeByteSource("tcp://:1");
  EXPECT_FALSE(bad.Source->Open());
  EXPECT_NE(bad.Source->LastError().find("the host to connect to is missing"), std::string::npos)
      << bad.Source->LastError();
  std::string out;
  EXPECT_FALSE(bad.Source->ReadQueued(out));
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace orvane
