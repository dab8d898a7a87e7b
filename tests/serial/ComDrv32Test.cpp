// SPDX-License-Identifier: GPL-3.0-or-later
// The port component over real pseudo-terminals: the test writes into the master side as a
// receiver would, the component opens the slave side's path as its COM port.
#include "serial/ComDrv32.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "serial/PortNames.h"

namespace orvane {
namespace {

// The owner's polling timer as the component asks for it.
class RecordingTimer {
public:
  explicit RecordingTimer(TCommPortDriver& port) : port_(port) {
    port.OnPollingStart = [this](uint32_t periodMs) {
      running = true;
      period = periodMs;
      ++starts;
    };
    port.OnPollingStop = [this] {
      running = false;
      ++stops;
    };
  }
  // Declared after its component, it goes first: the component's own closing must not call it.
  ~RecordingTimer() {
    port_.OnPollingStart = nullptr;
    port_.OnPollingStop = nullptr;
  }
  RecordingTimer(const RecordingTimer&) = delete;
  RecordingTimer& operator=(const RecordingTimer&) = delete;
  bool running = false;
  uint32_t period = 0;
  int starts = 0;
  int stops = 0;

private:
  TCommPortDriver& port_;
};

struct Pty {
  Pty() {
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) std::perror("openpty");
    path = name;
  }
  ~Pty() {
    CloseMaster();
    if (slave >= 0) close(slave);
  }
  void CloseMaster() {
    if (master >= 0) close(master);
    master = -1;
  }
  void Write(const std::string& bytes) const {
    ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  int Queued() const {
    int n = 0;
    return ioctl(slave, FIONREAD, &n) == 0 ? n : -1;
  }
  // Bytes written to the master reach the slave's queue a moment later, through a kernel worker.
  bool WaitQueued(int n) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (Queued() < n) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      poll(nullptr, 0, 1);
    }
    return true;
  }
  termios Attr() const {
    termios t{};
    tcgetattr(slave, &t);
    return t;
  }
  int master = -1;
  int slave = -1;
  std::string path;
};

struct Received {
  std::vector<std::string> chunks;
  std::string All() const {
    std::string s;
    for (const auto& c : chunks) s += c;
    return s;
  }
};

class ComDrv32Test : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_FALSE(pty.path.empty());
    ClearComDevices();
    SetComDevice(2, pty.path);  // a fresh component opens COM2
    port.OnReceiveData = [this](TCommPortDriver* sender, const char* data, uint32_t size) {
      EXPECT_EQ(sender, &port);
      EXPECT_GT(size, 0u);
      got.chunks.emplace_back(data, size);
    };
    port.OnReceivePacket = [this](TCommPortDriver*, const char* data, uint32_t size) {
      packets.chunks.emplace_back(data, size);
    };
    port.SetTickSource([this] { return now; });
  }
  void TearDown() override { ClearComDevices(); }

  // Ten-byte packets, a partial one timed out after 200 ms, then the port opened.
  bool OpenWithPackets(TPacketMode mode) {
    port.SetPacketSize(10);
    port.SetPacketTimeout(200);
    port.SetPacketMode(mode);
    return port.OpenPort();
  }
  // Bytes from the receiver, waited for until `queued` are in the terminal, then one tick.
  bool DeliverAndTick(const std::string& bytes, int queued) {
    pty.Write(bytes);
    if (!pty.WaitQueued(queued)) return false;
    port.PollTick();
    return true;
  }

  Pty pty;
  TCommPortDriver port;
  RecordingTimer timer{port};
  Received got;
  Received packets;
  uint32_t now = 1000;
};

TEST_F(ComDrv32Test, FreshComponentOpensCom2At9600EightNoneOneWithRtsAndDtrOn) {
  TCommPortDriver fresh;
  EXPECT_EQ(fresh.ComPort(), pnCOM2);
  EXPECT_EQ(fresh.ComPortSpeed(), br9600);
  EXPECT_EQ(fresh.ComPortInBufSize(), 2048);
  EXPECT_EQ(fresh.ComPortOutBufSize(), 2048);
  EXPECT_EQ(fresh.ComPortPollingDelay(), 50);
  EXPECT_EQ(fresh.PacketSize(), -1);
  EXPECT_EQ(fresh.PacketTimeout(), -1);
  EXPECT_EQ(fresh.PacketMode(), pmDiscard);
  const TLineSettings line = fresh.LineSettings();
  EXPECT_EQ(line.Rts, TRtsLevel::On);
  EXPECT_TRUE(line.Dtr);
  EXPECT_FALSE(line.XonXoff);
  EXPECT_FALSE(fresh.IsOpen());

  ClearComDevices();
  EXPECT_EQ(fresh.DeviceName(), "/dev/ttyS1");
  SetComDevice(2, pty.path);
  EXPECT_EQ(fresh.DeviceName(), pty.path);

  ASSERT_TRUE(port.OpenPort()) << port.LastOpenError();
  EXPECT_TRUE(timer.running);
  EXPECT_EQ(timer.period, 50u);
  const termios t = pty.Attr();
  EXPECT_EQ(TerminalSpeed(pty.slave), 9600u);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_iflag & (ICRNL | IXON | IXOFF | ISTRIP), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  // A pty has no modem lines: the query fails and the set is empty.
  EXPECT_EQ(port.ModemLines(), 0);
}

TEST_F(ComDrv32Test, OpenTwiceAndCloseTwice) {
  ASSERT_TRUE(port.OpenPort());
  EXPECT_TRUE(port.OpenPort());
  EXPECT_EQ(timer.starts, 1);
  EXPECT_TRUE(port.IsOpen());
  port.ClosePort();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(timer.running);
  port.ClosePort();
  EXPECT_EQ(timer.stops, 1);
  // Closed, the port can be opened again, and ticks while closed do nothing.
  port.PollTick();
  ASSERT_TRUE(port.OpenPort()) << port.LastOpenError();
  EXPECT_EQ(timer.starts, 2);
}

TEST_F(ComDrv32Test, DeviceThatCannotBeOpenedLeavesThePortClosedWithoutTimer) {
  SetComDevice(2, "/nonexistent/ttyXYZ");
  EXPECT_FALSE(port.OpenPort());
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(timer.starts, 0);
  EXPECT_NE(port.LastOpenError().find("/nonexistent/ttyXYZ"), std::string::npos);
  EXPECT_NE(port.LastOpenError().find("No such file"), std::string::npos);

  char file[] = "/tmp/orvane-notatty-XXXXXX";
  const int fd = mkstemp(file);
  ASSERT_GE(fd, 0);
  close(fd);
  SetComDevice(2, file);
  EXPECT_FALSE(port.OpenPort());
  EXPECT_NE(port.LastOpenError().find("not a terminal"), std::string::npos);
  unlink(file);
  EXPECT_EQ(timer.starts, 0);
  port.PollTick();
  EXPECT_TRUE(got.chunks.empty());
}

TEST_F(ComDrv32Test, BytesArriveOnTicksAndWaitWhileSuspended) {
  ASSERT_TRUE(port.OpenPort());
  port.PollTick();  // nothing queued: no event
  EXPECT_TRUE(got.chunks.empty());

  const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
  pty.Write(gga);
  ASSERT_TRUE(pty.WaitQueued(static_cast<int>(gga.size())));
  port.PollTick();
  ASSERT_EQ(got.chunks.size(), 1u);
  EXPECT_EQ(got.chunks[0], gga);  // raw: CR and LF arrive untranslated

  port.SuspendPolling();
  port.SuspendPolling();
  const std::string bytes("\x01\xff\x80\x13\x11 8-bit", 11);
  pty.Write(bytes);
  ASSERT_TRUE(pty.WaitQueued(11));
  port.PollTick();
  port.ResumePolling();
  port.PollTick();
  EXPECT_EQ(got.chunks.size(), 1u);
  EXPECT_EQ(pty.Queued(), 11);  // held back in the driver, not lost
  port.ResumePolling();
  port.PollTick();
  ASSERT_EQ(got.chunks.size(), 2u);
  EXPECT_EQ(got.chunks[1], bytes);

  // Without a handler the bytes are still read, and dropped.
  port.OnReceiveData = nullptr;
  ASSERT_TRUE(DeliverAndTick("dropped", 7));
  EXPECT_EQ(pty.Queued(), 0);
}

TEST_F(ComDrv32Test, ReadsNoMoreThanTheBufferHoldsPerTick) {
  port.SetComPortInBufSize(16);
  ASSERT_TRUE(port.OpenPort());
  const std::string data(40, 'x');
  pty.Write(data);
  ASSERT_TRUE(pty.WaitQueued(40));
  port.PollTick();
  port.PollTick();
  port.PollTick();
  ASSERT_EQ(got.chunks.size(), 3u);
  EXPECT_EQ(got.chunks[0].size(), 16u);
  EXPECT_EQ(got.chunks[2].size(), 8u);
  EXPECT_EQ(got.All(), data);
}

TEST_F(ComDrv32Test, LineSettingWhileOpenIsWrittenAtOnceAndPurges) {
  ASSERT_TRUE(port.OpenPort());
  pty.Write("stale bytes");
  ASSERT_TRUE(pty.WaitQueued(11));
  port.SetComPortSpeed(br4800);
  EXPECT_EQ(TerminalSpeed(pty.slave), 4800u);
  EXPECT_EQ(pty.Queued(), 0);
  port.PollTick();
  EXPECT_TRUE(got.chunks.empty());

  // What a pty keeps of the line format (it forces 8 bits without parity; see below for those).
  port.SetComPortStopBits(sb2BITS);
  port.SetComPortHwHandshaking(hhRTSCTS);
  port.SetComPortSwHandshaking(shXONXOFF);
  termios t = pty.Attr();
  EXPECT_NE(t.c_cflag & CSTOPB, 0u);
  EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
  EXPECT_EQ(t.c_cc[VSTART], 0x11);
  EXPECT_EQ(t.c_cc[VSTOP], 0x13);
  port.SetComPortStopBits(sb1BITS);
  port.SetComPortHwHandshaking(hhNONE);
  port.SetComPortSwHandshaking(shNONE);
  t = pty.Attr();
  EXPECT_EQ(t.c_cflag & (CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
  // A parity request the pty refuses still changes the speed.
  port.SetComPortParity(ptEVEN);
  port.SetComPortSpeed(br14400);
  EXPECT_EQ(TerminalSpeed(pty.slave), 14400u);
  port.SetComPortParity(ptNONE);

  // A speed outside the table (a tool's --baud) stands in for the table's until taken back.
  port.SetLineSpeed(230400);
  EXPECT_EQ(TerminalSpeed(pty.slave), 230400u);
  port.SetComPortSpeed(br4800);
  EXPECT_EQ(TerminalSpeed(pty.slave), 230400u);
  port.SetLineSpeed(0);
  EXPECT_EQ(TerminalSpeed(pty.slave), 4800u);

  // Every speed of the table, the two without a B-constant included.
  for (int r = br110; r <= br115200; ++r) {
    port.SetComPortSpeed(static_cast<TComPortBaudRate>(r));
    EXPECT_EQ(TerminalSpeed(pty.slave), BaudRateValue(static_cast<TComPortBaudRate>(r))) << "ordinal " << r;
  }
}

// Character size and parity, as composed for a serial device.
TEST(TermiosCompose, CharacterFormatParityStopBitsAndFlowControl) {
  termios cooked{};
  cooked.c_iflag = ICRNL | IXON | IXANY | ISTRIP | INPCK;
  cooked.c_oflag = OPOST | ONLCR;
  cooked.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
  cooked.c_cflag = CS7 | PARENB | CSTOPB | CRTSCTS;
  cooked.c_cc[VMIN] = 1;
  auto compose = [&](auto change) {
    TLineSettings s;
    change(s);
    termios t = cooked;
    ComposeTermios(t, s);
    return t;
  };
  const termios plain = compose([](TLineSettings&) {});
  EXPECT_EQ(plain.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(plain.c_cflag & (PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(plain.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
  EXPECT_EQ(plain.c_iflag, 0u);
  EXPECT_EQ(plain.c_oflag & OPOST, 0u);
  EXPECT_EQ(plain.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(plain.c_cc[VMIN], 0);
  EXPECT_EQ(plain.c_cc[VTIME], 0);
  EXPECT_EQ(cfgetospeed(&plain), static_cast<speed_t>(B9600));
  EXPECT_EQ(cfgetispeed(&plain), static_cast<speed_t>(B9600));

  const tcflag_t parityBits = PARENB | PARODD | CMSPAR;
  EXPECT_EQ(compose([](TLineSettings& s) { s.Parity = TLineParity::Odd; }).c_cflag & parityBits,
            static_cast<tcflag_t>(PARENB | PARODD));
  EXPECT_EQ(compose([](TLineSettings& s) { s.Parity = TLineParity::Even; }).c_cflag & parityBits,
            static_cast<tcflag_t>(PARENB));
  EXPECT_EQ(compose([](TLineSettings& s) { s.Parity = TLineParity::Mark; }).c_cflag & parityBits, parityBits);
  EXPECT_EQ(compose([](TLineSettings& s) { s.Parity = TLineParity::Space; }).c_cflag & parityBits,
            static_cast<tcflag_t>(PARENB | CMSPAR));
  EXPECT_EQ(compose([](TLineSettings& s) { s.Parity = TLineParity::Even; }).c_iflag & INPCK,
            0u);  // generated, not checked
  EXPECT_EQ(compose([](TLineSettings& s) { s.DataBits = 5; }).c_cflag & CSIZE, static_cast<tcflag_t>(CS5));
  EXPECT_EQ(compose([](TLineSettings& s) { s.DataBits = 6; }).c_cflag & CSIZE, static_cast<tcflag_t>(CS6));
  EXPECT_EQ(compose([](TLineSettings& s) { s.DataBits = 7; }).c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
  EXPECT_NE(compose([](TLineSettings& s) { s.StopBits = TLineStopBits::OneHalf; }).c_cflag & CSTOPB, 0u);
  EXPECT_NE(compose([](TLineSettings& s) { s.StopBits = TLineStopBits::Two; }).c_cflag & CSTOPB, 0u);
  EXPECT_NE(compose([](TLineSettings& s) { s.Rts = TRtsLevel::Handshake; }).c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(compose([](TLineSettings& s) { s.Rts = TRtsLevel::Off; }).c_cflag & CRTSCTS, 0u);
  const termios xon = compose([](TLineSettings& s) { s.XonXoff = true; });
  EXPECT_EQ(xon.c_iflag, static_cast<tcflag_t>(IXON | IXOFF));
  EXPECT_EQ(xon.c_cc[VSTART], 0x11);
  EXPECT_EQ(xon.c_cc[VSTOP], 0x13);
  // A speed without a B-constant leaves the speed bits for the arbitrary-rate call.
  const termios odd = compose([](TLineSettings& s) { s.BaudRate = 14400; });
  EXPECT_EQ(cfgetospeed(&odd), cfgetospeed(&cooked));
}

TEST_F(ComDrv32Test, PortNumberAndBufferSizesCannotChangeWhileOpen) {
  ASSERT_TRUE(port.OpenPort());
  port.SetComPort(pnCOM5);
  port.SetComPortInBufSize(100);
  port.SetComPortOutBufSize(100);
  EXPECT_EQ(port.ComPort(), pnCOM2);
  EXPECT_EQ(port.ComPortInBufSize(), 2048);
  EXPECT_EQ(port.ComPortOutBufSize(), 2048);
  port.ClosePort();
  EXPECT_EQ(port.ComPort(), pnCOM2);  // the value written while open is lost
  port.SetComPort(pnCOM5);
  EXPECT_EQ(port.ComPort(), pnCOM5);
  EXPECT_EQ(port.DeviceName(), "/dev/ttyS4");
}

TEST(ComDrv32Rules, PacketSizeTimeoutAndPollingDelay) {
  TCommPortDriver port;
  RecordingTimer timer(port);
  port.SetPacketSize(0);
  EXPECT_EQ(port.PacketSize(), -1);
  port.SetPacketSize(-7);
  EXPECT_EQ(port.PacketSize(), -1);
  port.SetPacketSize(5000);
  EXPECT_EQ(port.PacketSize(), 5000);
  EXPECT_EQ(port.ComPortInBufSize(), 10000);
  port.SetPacketSize(32767);
  EXPECT_EQ(port.ComPortInBufSize(), 65534);
  port.SetPacketSize(1500);
  port.SetComPortInBufSize(1000);  // the packet rule runs again
  EXPECT_EQ(port.ComPortInBufSize(), 3000);

  port.SetPacketTimeout(20);
  EXPECT_EQ(port.PacketTimeout(), 200);
  port.SetPacketTimeout(50);
  EXPECT_EQ(port.PacketTimeout(), 50);
  port.SetPacketTimeout(0);
  EXPECT_EQ(port.PacketTimeout(), -1);
  port.SetPacketTimeout(200);
  port.SetComPortPollingDelay(300);
  EXPECT_EQ(port.PacketTimeout(), 450);
  EXPECT_EQ(timer.starts, 0);  // closed: the timer stays off

  port.SetComPortInBufSize(20000);
  EXPECT_EQ(port.XonXoffLimit(), 4096u);
  port.SetComPortInBufSize(9600);
  EXPECT_EQ(port.XonXoffLimit(), 2400u);
}

TEST_F(ComDrv32Test, PollingDelayRestartsARunningTimer) {
  ASSERT_TRUE(port.OpenPort());
  port.SetComPortPollingDelay(50);  // the current value: nothing happens
  EXPECT_EQ(timer.starts, 1);
  EXPECT_EQ(timer.stops, 0);
  port.SetComPortPollingDelay(120);
  EXPECT_EQ(timer.stops, 1);
  EXPECT_EQ(timer.starts, 2);
  EXPECT_TRUE(timer.running);
  EXPECT_EQ(timer.period, 120u);
}

TEST(ComDrv32Rules, TransmissionTimeRoundsHalvesToEven) {
  EXPECT_EQ(TransmissionTime(80, 4800), 167u);
  EXPECT_EQ(TransmissionTime(10, 9600), 10u);
  EXPECT_EQ(TransmissionTime(14, 56000), 2u);  // 2.5
  EXPECT_EQ(TransmissionTime(42, 56000), 8u);  // 7.5
  EXPECT_EQ(TransmissionTime(1, 110), 91u);
}

TEST_F(ComDrv32Test, PacketModeCutsTheStreamIntoPackets) {
  port.SetPacketSize(10);
  ASSERT_TRUE(port.OpenPort());
  const std::string data = "ABCDEFGHIJKLMNOPQRSTUVWXY";  // 25 bytes
  pty.Write(data);
  ASSERT_TRUE(pty.WaitQueued(25));
  port.PollTick();
  ASSERT_EQ(packets.chunks.size(), 2u);
  EXPECT_EQ(packets.chunks[0], "ABCDEFGHIJ");
  EXPECT_EQ(packets.chunks[1], "KLMNOPQRST");
  EXPECT_EQ(pty.Queued(), 5);
  EXPECT_TRUE(got.chunks.empty());

  // No time-out set: the partial packet waits for its rest however long it takes.
  now += 100000;
  port.PollTick();
  EXPECT_EQ(packets.chunks.size(), 2u);
  ASSERT_TRUE(DeliverAndTick("Z1234", 10));
  ASSERT_EQ(packets.chunks.size(), 3u);
  EXPECT_EQ(packets.chunks[2], "UVWXYZ1234");
}

TEST_F(ComDrv32Test, TimedOutPartialPacketIsPassedOrDiscarded) {
  ASSERT_TRUE(OpenWithPackets(pmPass));
  ASSERT_TRUE(DeliverAndTick("12345", 5));  // the partial packet's start is recorded now
  now += 200;
  port.PollTick();  // not older than the time-out yet
  EXPECT_TRUE(packets.chunks.empty());
  now += 1;
  port.PollTick();
  ASSERT_EQ(packets.chunks.size(), 1u);
  EXPECT_EQ(packets.chunks[0], "12345");
  EXPECT_EQ(pty.Queued(), 0);

  port.SetPacketMode(pmDiscard);
  ASSERT_TRUE(DeliverAndTick("abc", 3));
  now += 201;
  port.PollTick();
  EXPECT_EQ(packets.chunks.size(), 1u);
  EXPECT_EQ(pty.Queued(), 0);  // read and dropped

  // After a whole packet the rest of the stream is timed from one packet time later
  // (10 bytes at 9600 bit/s: 10 ms).
  port.SetPacketMode(pmPass);
  ASSERT_TRUE(DeliverAndTick("xxxxx", 5));
  const uint32_t start = now;
  pty.Write("yyyyyyyyzz");  // completes one packet and leaves "zz"
  ASSERT_TRUE(pty.WaitQueued(15));
  now += 50;
  port.PollTick();
  ASSERT_EQ(packets.chunks.size(), 2u);
  EXPECT_EQ(packets.chunks[1], "xxxxxyyyyy");
  now = start + 10 + 200;
  port.PollTick();
  EXPECT_EQ(packets.chunks.size(), 2u);
  now += 1;
  port.PollTick();
  ASSERT_EQ(packets.chunks.size(), 3u);
  EXPECT_EQ(packets.chunks[2], "yyyzz");
}

TEST_F(ComDrv32Test, RestOfAPacketReadWithoutRecordedStartGetsTheWholeTimeout) {
  ASSERT_TRUE(OpenWithPackets(pmDiscard));
  ASSERT_TRUE(DeliverAndTick("0123456789ab", 12));  // one packet and two bytes, all within one tick
  ASSERT_EQ(packets.chunks.size(), 1u);
  now += 60;
  port.PollTick();  // the two bytes must not be timed out on the very next tick
  EXPECT_EQ(pty.Queued(), 2);
  ASSERT_TRUE(DeliverAndTick("cdefghij", 10));
  ASSERT_EQ(packets.chunks.size(), 2u);
  EXPECT_EQ(packets.chunks[1], "abcdefghij");
}

TEST_F(ComDrv32Test, SecondOpenerOfTheSameDeviceIsRefused) {
  TCommPortDriver other;
  RecordingTimer otherTimer(other);
  ASSERT_TRUE(port.OpenPort());
  EXPECT_FALSE(other.OpenPort());  // also as root, who passes the terminal's own exclusion
  EXPECT_FALSE(other.IsOpen());
  EXPECT_EQ(otherTimer.starts, 0);
  EXPECT_NE(other.LastOpenError().find(pty.path), std::string::npos);
  port.ClosePort();
  EXPECT_TRUE(other.OpenPort()) << other.LastOpenError();
}

TEST_F(ComDrv32Test, OtherEndClosingWhileOpen) {
  ASSERT_TRUE(port.OpenPort());
  pty.Write("partial");
  ASSERT_TRUE(pty.WaitQueued(7));
  pty.CloseMaster();
  const auto before = std::chrono::steady_clock::now();
  for (int i = 0; i < 1000; ++i) port.PollTick();
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
  EXPECT_TRUE(port.IsOpen());
  port.SetComPortSpeed(br4800);  // settings on a hung-up terminal are refused quietly
  EXPECT_EQ(port.ModemLines(), 0);
  port.ClosePort();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.OpenPort());  // the terminal is gone

  // A new terminal under the same port number: the port opens again and receives.
  Pty again;
  SetComDevice(2, again.path);
  ASSERT_TRUE(port.OpenPort()) << port.LastOpenError();
  got.chunks.clear();
  again.Write("$GPRMC\r\n");
  ASSERT_TRUE(again.WaitQueued(8));
  port.PollTick();
  EXPECT_EQ(got.All(), "$GPRMC\r\n");
}

// Today's receivers run at 115200: the line is set to it and a second of a busy receiver's
// output arrives whole over the ticks.
TEST_F(ComDrv32Test, ReceivesAtHighSpeed) {
  port.SetComPortSpeed(br115200);
  port.SetComPortInBufSize(2048);
  ASSERT_TRUE(port.OpenPort()) << port.LastOpenError();
  EXPECT_EQ(TerminalSpeed(pty.slave), 115200u);
  std::string sent;
  for (int i = 0; sent.size() < 11000; ++i)
    sent += "$GPGSV,3,1,12,01,55,347,39,03,72,278,41,04,39,085,34,07,73,290,44*" + std::to_string(10 + i % 90) + "\r\n";
  for (size_t at = 0; at < sent.size(); at += 1000) {
    pty.Write(sent.substr(at, 1000));
    ASSERT_TRUE(pty.WaitQueued(1));
    for (int i = 0; i < 20 && pty.Queued() > 0; ++i) {
      port.PollTick();
      if (pty.Queued() > 0) poll(nullptr, 0, 1);
    }
  }
  for (int i = 0; i < 200 && got.All().size() < sent.size(); ++i) {
    port.PollTick();
    poll(nullptr, 0, 1);
  }
  EXPECT_EQ(got.All(), sent);
}

TEST(PortNames, PortsSectionMapsNumbers) {
  SetComDevices({"COM1=/dev/ttyUSB0", "com3=/dev/serial/by-id/usb-gps", "COM3=/dev/second", "COM17=/dev/x",
                 "LPT1=/dev/lp0", "COM2=", "COMx=/dev/y"});
  EXPECT_EQ(ComDeviceName(1), "/dev/ttyUSB0");
  EXPECT_EQ(ComDeviceName(2), "/dev/ttyS1");
  EXPECT_EQ(ComDeviceName(3), "/dev/serial/by-id/usb-gps");
  EXPECT_EQ(ComDeviceName(16), "/dev/ttyS15");
  SetComDevices({});
  EXPECT_EQ(ComDeviceName(1), "/dev/ttyS0");
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

// The byte-source shape the receive path reads every input through.
TEST_F(ComDrv32Test, ReadsAsAByteSourceUntilTheOtherEndHangsUp) {
  EXPECT_EQ(port.Name(), "COM2 (" + pty.path + ")");
  ASSERT_TRUE(port.Open());
  std::string out = "kept";
  pty.Write("$GPGGA,1\r\n");
  ASSERT_TRUE(pty.WaitQueued(10));
  EXPECT_TRUE(port.ReadQueued(out));
  EXPECT_EQ(out, "kept$GPGGA,1\r\n");
  EXPECT_TRUE(got.chunks.empty());  // read into the caller's text, not raised as an event
  pty.CloseMaster();
  bool open = true;
  for (int i = 0; i < 100 && open; ++i) open = port.ReadQueued(out);
  EXPECT_FALSE(open);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.LastError(), "the receiver hung up");
  EXPECT_FALSE(port.ReadQueued(out));
}

TEST_F(ComDrv32Test, ADeviceNamedDirectlyStandsInForThePortNumber) {
  Pty direct;
  port.SetDevicePath(direct.path);
  EXPECT_EQ(port.Name(), direct.path);
  EXPECT_EQ(port.DeviceName(), direct.path);
  ASSERT_TRUE(port.Open()) << port.LastError();
  port.SetDevicePath("/elsewhere");  // not while open
  EXPECT_EQ(port.DevicePath(), direct.path);
  port.Close();
  port.SetDevicePath((std::filesystem::temp_directory_path() / "orvane-no-such-tty").string());
  EXPECT_FALSE(port.Open());
  EXPECT_EQ(port.LastError().rfind("Cannot open \"", 0), 0u) << port.LastError();  // no COM number to name
  port.SetDevicePath("");
  EXPECT_EQ(port.Name(), "COM2 (" + pty.path + ")");
}

}  // namespace
}  // namespace orvane
