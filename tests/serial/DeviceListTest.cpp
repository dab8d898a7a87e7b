// SPDX-License-Identifier: GPL-3.0-or-later
// The serial devices offered by the port menu, from a folder that stands in for /dev.
#include "serial/DeviceList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/common/TempFiles.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

class DeviceListTest : public TempDir {
protected:
  void Device(const std::string& name) { std::ofstream(dir / name).put('\0'); }
  void ById(const std::string& name, const std::string& target) {
    fs::create_directories(dir / "serial" / "by-id");
    fs::create_symlink(target, dir / "serial" / "by-id" / name);
  }
  std::string Dev(const std::string& name) const { return (dir / name).string(); }
};

TEST_F(DeviceListTest, ByIdNamesFirstThenTerminalsNotYetListedInNumberOrder) {
  for (const char* d : {"ttyACM0", "ttyACM1", "ttyACM10", "ttyACM2", "ttyUSB0", "rfcomm0", "ttyS0", "ttyACMx", "tty1"})
    Device(d);
  ById("usb-u-blox_AG_GNSS_receiver-if00", "../../ttyACM0");
  ById("usb-FTDI_FT232R_USB_UART_A1-if00-port0", "../../ttyUSB0");
  ById("usb-gone-if00", "../../ttyACM7");  // unplugged: a dangling link

  const std::vector<TSerialDevice> list = ListSerialDevices(dir.string());
  const std::vector<TSerialDevice> want = {
      {(dir / "serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0").string(), "usb-FTDI_FT232R_USB_UART_A1-if00-port0",
       Dev("ttyUSB0")},
      {(dir / "serial/by-id/usb-u-blox_AG_GNSS_receiver-if00").string(), "usb-u-blox_AG_GNSS_receiver-if00",
       Dev("ttyACM0")},
      {Dev("ttyACM1"), Dev("ttyACM1"), Dev("ttyACM1")},
      {Dev("ttyACM2"), Dev("ttyACM2"), Dev("ttyACM2")},
      {Dev("ttyACM10"), Dev("ttyACM10"), Dev("ttyACM10")},
      {Dev("rfcomm0"), Dev("rfcomm0"), Dev("rfcomm0")},
  };
  ASSERT_EQ(list.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(list[i].Path, want[i].Path) << i;
    EXPECT_EQ(list[i].Label, want[i].Label) << i;
    EXPECT_EQ(list[i].Target, want[i].Target) << i;
  }
}

TEST_F(DeviceListTest, NoDevicesAndNoFolderGiveAnEmptyList) {
  EXPECT_TRUE(ListSerialDevices(dir.string()).empty());
  EXPECT_TRUE(ListSerialDevices((dir / "absent").string()).empty());
}

}  // namespace
}  // namespace orvane
