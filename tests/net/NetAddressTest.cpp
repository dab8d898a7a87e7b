// SPDX-License-Identifier: GPL-3.0-or-later
// Source addresses as typed: what each form means, and what each mistake is told as.
#include "net/NetAddress.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

struct TGood {
  const char* Text;
  TNetKind Kind;
  const char* Host;
  uint16_t Port;
  const char* Device;
  const char* Canonical;
};

TEST(NetAddress, FormsAndDefaults) {
  const TGood cases[] = {
      {"tcp://192.168.1.10:2000", TNetKind::Tcp, "192.168.1.10", 2000, "", "tcp://192.168.1.10:2000"},
      {"tcp://gps.local", TNetKind::Tcp, "gps.local", 10110, "", "tcp://gps.local:10110"},
      {"  TCP://[::1]:4001 ", TNetKind::Tcp, "::1", 4001, "", "tcp://[::1]:4001"},
      {"udp://:10111", TNetKind::Udp, "", 10111, "", "udp://:10111"},
      {"udp://", TNetKind::Udp, "", 10110, "", "udp://:10110"},
      {"udp://127.0.0.1", TNetKind::Udp, "127.0.0.1", 10110, "", "udp://127.0.0.1:10110"},
      {"udp://[::]:5000", TNetKind::Udp, "::", 5000, "", "udp://[::]:5000"},
      {"gpsd://", TNetKind::Gpsd, "localhost", 2947, "", "gpsd://localhost:2947"},
      {"gpsd://pi4", TNetKind::Gpsd, "pi4", 2947, "", "gpsd://pi4:2947"},
      {"gpsd://pi4:3000/dev/ttyACM0", TNetKind::Gpsd, "pi4", 3000, "/dev/ttyACM0", "gpsd://pi4:3000/dev/ttyACM0"},
      {"gpsd:///dev/ttyUSB0", TNetKind::Gpsd, "localhost", 2947, "/dev/ttyUSB0", "gpsd://localhost:2947/dev/ttyUSB0"},
      {"gpsd://[fe80::1]/dev/serial/by-id/x", TNetKind::Gpsd, "fe80::1", 2947, "/dev/serial/by-id/x",
       "gpsd://[fe80::1]:2947/dev/serial/by-id/x"},
      {"gpsd://pi4/dev/by-id/a@b", TNetKind::Gpsd, "pi4", 2947, "/dev/by-id/a@b", "gpsd://pi4:2947/dev/by-id/a@b"},
  };
  for (const TGood& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_TRUE(IsNetAddress(c.Text));
    TNetAddress a;
    std::string error;
    ASSERT_TRUE(ParseNetAddress(c.Text, a, error)) << error;
    EXPECT_EQ(a.Kind, c.Kind);
    EXPECT_EQ(a.Host, c.Host);
    EXPECT_EQ(a.Port, c.Port);
    EXPECT_EQ(a.Device, c.Device);
    EXPECT_EQ(a.Text(), c.Canonical);
    // The plain form reads back as the same address.
    TNetAddress again;
    ASSERT_TRUE(ParseNetAddress(a.Text(), again, error)) << error;
    EXPECT_EQ(again.Text(), a.Text());
  }
}

TEST(NetAddress, MistakesAreToldPlainly) {
  const std::pair<const char*, const char*> cases[] = {
      {"/dev/ttyUSB0", "not a source address"},
      {"tcp:/host:1", "not a source address"},
      {"http://host:80", "unknown kind of source \"http\""},
      {"tcp://:10110", "the host to connect to is missing"},
      {"tcp://host:0", "the port \"0\" is not a number from 1 to 65535"},
      {"tcp://host:65536", "the port \"65536\" is not a number"},
      {"tcp://host:", "the port \"\" is not a number"},
      {"tcp://host:12x", "the port \"12x\" is not a number"},
      {"tcp://::1:10110", "an IPv6 address goes in brackets"},
      {"tcp://[::1:10110", "does not close it"},
      {"tcp://[::1]10110", "unexpected \"10110\" after the IPv6 address"},
      {"tcp://[host]:1", "\"[host]\" is not an IPv6 address"},
      {"tcp://host:1/dev/x", "unexpected \"/dev/x\" after the port"},
      {"udp://a b:1", "\"a b\" is not a host name or address"},
      {"gpsd://host/", "the device after the \"/\" is missing"},
  };
  for (const auto& [text, why] : cases) {
    SCOPED_TRACE(text);
    TNetAddress a;
    std::string error;
    EXPECT_FALSE(ParseNetAddress(text, a, error));
    EXPECT_NE(error.find(why), std::string::npos) << error;
    // The message quotes what was typed.
    EXPECT_NE(error.find(std::string("\"") + text + "\""), std::string::npos) << error;
  }
}

// A password is not repeated, and an address longer than any address is not quoted whole.
TEST(NetAddress, CredentialsAndOverlongTextAreRefusedWithoutBeingRepeated) {
  const std::string overlong = "tcp://" + std::string(2000, 'a') + ":1";
  const std::pair<std::string, std::string> cases[] = {
      {"tcp://user:pw@h:1", "\"tcp://***@h:1\": user names and passwords are not taken in a tcp:// address"},
      {"udp://user:p/w@:1", "\"udp://***@:1\": user names and passwords are not taken in a udp:// address"},
      {"gpsd://me:pw@pi4/dev/ttyACM0",
       "\"gpsd://***@pi4/dev/ttyACM0\": user names and passwords are not taken in a gpsd:// address"},
      {overlong, "\"tcp://" + std::string(26, 'a') + "...\": an address of 2008 characters is too long (at most 1024)"},
      {"tcp://" + std::string(1018, 'a'), "\"tcp://" + std::string(1018, 'a') +
                                              "\": an address of 1030 characters with its port written out is too "
                                              "long (at most 1024)"},
  };
  for (const auto& [text, want] : cases) {
    TNetAddress a;
    std::string error;
    EXPECT_FALSE(ParseNetAddress(text, a, error));
    EXPECT_EQ(error, want);
  }
  EXPECT_EQ(QuotedAddress(overlong.substr(0, kMaxAddressLength)), overlong.substr(0, kMaxAddressLength));
}

TEST(NetAddress, HostPortForTheToolsCommandLines) {
  std::string host = "127.0.0.1", error;
  uint16_t port = 1;
  ASSERT_TRUE(ParseHostPort("5000", host, port, error)) << error;  // a bare word is a host
  EXPECT_EQ(host, "5000");
  host = "127.0.0.1";
  ASSERT_TRUE(ParseHostPort(":5000", host, port, error));
  EXPECT_EQ(host, "127.0.0.1");  // absent parts keep what they were
  EXPECT_EQ(port, 5000);
  ASSERT_TRUE(ParseHostPort("[::1]:7", host, port, error));
  EXPECT_EQ(host, "::1");
  EXPECT_EQ(port, 7);
}

}  // namespace
}  // namespace orvane
