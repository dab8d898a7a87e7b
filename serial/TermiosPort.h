// SPDX-License-Identifier: GPL-3.0-or-later
// A serial device behind a POSIX terminal: raw 8-bit input, non-blocking reads of what is queued,
// and one opener at a time. The port component drives it; nothing here knows about timers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/types.h>
#include <termios.h>

namespace orvane {

enum class TLineParity : uint8_t { None, Odd, Even, Mark, Space };
enum class TLineStopBits : uint8_t { One, OneHalf, Two };
enum class TRtsLevel : uint8_t { Off, On, Handshake };

struct TLineSettings {
  uint32_t BaudRate = 9600;
  int DataBits = 8;  // 5 to 8
  TLineParity Parity = TLineParity::None;
  TLineStopBits StopBits = TLineStopBits::One;
  TRtsLevel Rts = TRtsLevel::On;  // Handshake: RTS/CTS flow control by the driver
  bool XonXoff = false;           // in both directions, with DC1/DC3
  bool Dtr = true;
};

// Modem input lines as the port component reports them, one bit each.
enum : uint8_t { kModemCts = 1, kModemDsr = 2, kModemRing = 4, kModemRlsd = 8 };

class TTermiosPort {
public:
  TTermiosPort() = default;
  TTermiosPort(const TTermiosPort&) = delete;
  TTermiosPort& operator=(const TTermiosPort&) = delete;
  ~TTermiosPort() { Close(); }

  // Opens the device for reading and writing, refuses a device that another opener holds,
  // and makes reads return at once. On failure `error` names the device and the cause.
  bool Open(const std::string& device, std::string& error);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Handle() const { return fd_; }

  // Writes the line settings; false when the terminal refused them (it then keeps what it had).
  // A speed the platform lacks leaves the speed as it was and applies the rest.
  bool Apply(const TLineSettings& settings);
  void Purge(bool input, bool output);
  // Bytes waiting in the input queue; -1 when the device cannot say (hung up, gone).
  int QueuedBytes() const;
  // The other end is gone: a hang-up, an adapter pulled out, a device that reports errors.
  bool HungUp() const;
  // Up to `count` queued bytes, without waiting; -1 on an error or when nothing is queued.
  ssize_t Read(void* buffer, size_t count);
  // Writes what of `count` bytes the output queue takes now, without waiting: the number
  // written (0 while it is full), or -1 with errno set on an error.
  ssize_t Write(const void* data, size_t count);
  // The modem input lines that are on; false when the device does not answer the query.
  bool ModemLines(uint8_t& lines) const;

private:
  int fd_ = -1;
};

// Turns terminal attributes as read from a device into raw mode with the given line settings.
// The speed is left alone when it has no B-constant; Apply sets it through the kernel's
// arbitrary-rate interface afterwards.
void ComposeTermios(termios& t, const TLineSettings& s);

// The line speed the terminal currently runs at in bits per second, 0 when it cannot be read.
uint32_t TerminalSpeed(int fd);

}  // namespace orvane
