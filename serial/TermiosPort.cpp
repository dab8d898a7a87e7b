// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/TermiosPort.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "serial/TermiosSpeed.h"

namespace orvane {
namespace {

std::string Cause(int err) { return std::strerror(err); }

// The speeds that have a B-constant; the others (14400, 56000) take the arbitrary-rate path.
speed_t SpeedConstant(uint32_t baud) {
  switch (baud) {
    case 110:
      return B110;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    case 460800:
      return B460800;
    case 921600:
      return B921600;
    default:
      return B0;
  }
}

uint32_t SpeedValue(speed_t s) {
  switch (s) {
    case B110:
      return 110;
    case B300:
      return 300;
    case B600:
      return 600;
    case B1200:
      return 1200;
    case B2400:
      return 2400;
    case B4800:
      return 4800;
    case B9600:
      return 9600;
    case B19200:
      return 19200;
    case B38400:
      return 38400;
    case B57600:
      return 57600;
    case B115200:
      return 115200;
    case B230400:
      return 230400;
    case B460800:
      return 460800;
    case B921600:
      return 921600;
    default:
      return 0;
  }
}

void SetLine(int fd, int line, bool on) { ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line); }

}  // namespace

bool TTermiosPort::Open(const std::string& device, std::string& error) {
  Close();
  // O_NONBLOCK: neither the open (waiting for carrier) nor a read may ever block the main thread.
  int fd;
  do {
    fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    error = "Cannot open \"" + device + "\": " + Cause(errno);
    return false;
  }
  if (!::isatty(fd)) {
    error = "Cannot open \"" + device + "\": not a terminal device";
    ::close(fd);
    return false;
  }
  // TIOCEXCL stops other openers but not root, so an advisory lock guards the device as well.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    error = "Cannot open \"" + device +
            "\": " + (err == EWOULDBLOCK ? std::string("the device is in use by another program") : Cause(err));
    ::close(fd);
    return false;
  }
  ioctl(fd, TIOCEXCL);
  fd_ = fd;
  return true;
}

void TTermiosPort::Close() {
  if (fd_ < 0) return;
  // Another descriptor of the same terminal (a pty's creator) would otherwise keep it exclusive.
  ioctl(fd_, TIOCNXCL);
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

void ComposeTermios(termios& t, const TLineSettings& s) {
  // Raw 8-bit input: no line editing, no echo, no signals, no translation of CR or LF,
  // no stripping, no parity marking; a break reads as a zero byte.
  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY |
                                      INPCK | IGNPAR | IMAXBEL | IUCLC);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t.c_cflag |= CREAD | CLOCAL | HUPCL;

  switch (s.DataBits) {
    case 5:
      t.c_cflag |= CS5;
      break;
    case 6:
      t.c_cflag |= CS6;
      break;
    case 7:
      t.c_cflag |= CS7;
      break;
    default:
      t.c_cflag |= CS8;
      break;
  }
  // The parity bit is generated on output; received parity is not checked.
  switch (s.Parity) {
    case TLineParity::None:
      break;
    case TLineParity::Odd:
      t.c_cflag |= PARENB | PARODD;
      break;
    case TLineParity::Even:
      t.c_cflag |= PARENB;
      break;
    case TLineParity::Mark:
      t.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case TLineParity::Space:
      t.c_cflag |= PARENB | CMSPAR;
      break;
  }
  // Terminals know one or two stop bits; 1.5 (meant for 5-bit characters) becomes 2.
  if (s.StopBits != TLineStopBits::One) t.c_cflag |= CSTOPB;
  if (s.Rts == TRtsLevel::Handshake) t.c_cflag |= CRTSCTS;
  if (s.XonXoff) t.c_iflag |= IXON | IXOFF;
  t.c_cc[VSTART] = 0x11;
  t.c_cc[VSTOP] = 0x13;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;

  const speed_t constant = SpeedConstant(s.BaudRate);
  if (constant != B0) {
    cfsetispeed(&t, constant);
    cfsetospeed(&t, constant);
  }
}

bool TTermiosPort::Apply(const TLineSettings& s) {
  if (fd_ < 0) return false;
  termios t{};
  if (tcgetattr(fd_, &t) != 0) return false;
  ComposeTermios(t, s);
  // A terminal may refuse part of a request (a pty takes no parity); the speed is still set.
  bool ok = tcsetattr(fd_, TCSANOW, &t) == 0;
  if (SpeedConstant(s.BaudRate) == B0) ok = SetArbitrarySpeed(fd_, s.BaudRate) && ok;

  // Terminals without modem lines (a pty) refuse these; that is no failure of the settings.
  SetLine(fd_, TIOCM_DTR, s.Dtr);
  SetLine(fd_, TIOCM_RTS, s.Rts != TRtsLevel::Off);
  return ok;
}

void TTermiosPort::Purge(bool input, bool output) {
  if (fd_ < 0) return;
  if (input && output)
    tcflush(fd_, TCIOFLUSH);
  else if (input)
    tcflush(fd_, TCIFLUSH);
  else if (output)
    tcflush(fd_, TCOFLUSH);
}

int TTermiosPort::QueuedBytes() const {
  if (fd_ < 0) return -1;
  int n = 0;
  if (ioctl(fd_, FIONREAD, &n) != 0) return -1;
  return n;
}

bool TTermiosPort::HungUp() const {
  if (fd_ < 0) return false;
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, 0) < 0) return false;
  return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

ssize_t TTermiosPort::Read(void* buffer, size_t count) {
  if (fd_ < 0) return -1;
  ssize_t n;
  do {
    n = ::read(fd_, buffer, count);
  } while (n < 0 && errno == EINTR);
  return n;
}

ssize_t TTermiosPort::Write(const void* data, size_t count) {
  if (fd_ < 0) return (errno = EBADF), -1;
  const auto* p = static_cast<const char*>(data);
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd_, p + done, count - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return -1;
    break;
  }
  return static_cast<ssize_t>(done);
}

bool TTermiosPort::ModemLines(uint8_t& lines) const {
  lines = 0;
  if (fd_ < 0) return false;
  int bits = 0;
  if (ioctl(fd_, TIOCMGET, &bits) != 0) return false;
  if (bits & TIOCM_CTS) lines |= kModemCts;
  if (bits & TIOCM_DSR) lines |= kModemDsr;
  if (bits & TIOCM_RNG) lines |= kModemRing;
  if (bits & TIOCM_CAR) lines |= kModemRlsd;
  return true;
}

uint32_t TerminalSpeed(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return 0;
  const uint32_t standard = SpeedValue(cfgetospeed(&t));
  return standard != 0 ? standard : GetArbitrarySpeed(fd);
}

}  // namespace orvane
