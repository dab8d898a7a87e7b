// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/ComDrv32.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iterator>

#include "serial/PortNames.h"

namespace orvane {

namespace {
constexpr uint32_t kSpeeds[] = {110,   300,   600,   1200,  2400,   4800,   9600,   14400,
                                19200, 38400, 56000, 57600, 115200, 230400, 460800, 921600};
}  // namespace

uint32_t BaudRateValue(TComPortBaudRate rate) { return rate <= br921600 ? kSpeeds[rate] : 9600; }

bool BaudRateOf(uint32_t bitsPerSecond, TComPortBaudRate& rate) {
  for (size_t i = 0; i < std::size(kSpeeds); ++i)
    if (kSpeeds[i] == bitsPerSecond) {
      rate = static_cast<TComPortBaudRate>(i);
      return true;
    }
  return false;
}

namespace {
// The packet time-outs' clock unless the owner gives another: wrapping milliseconds.
uint32_t SteadyTick() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
}  // namespace

uint32_t TransmissionTime(uint32_t bytes, uint32_t bitsPerSecond) {
  if (bitsPerSecond == 0) return 0;
  // bytes / (bps / 10) * 1000 in exact integers, so that a true half is seen as one.
  const uint64_t num = static_cast<uint64_t>(bytes) * 10000u;
  uint64_t q = num / bitsPerSecond;
  const uint64_t twice = (num % bitsPerSecond) * 2;
  if (twice > bitsPerSecond || (twice == bitsPerSecond && (q & 1u))) ++q;
  return static_cast<uint32_t>(q);
}

TCommPortDriver::TCommPortDriver() : tick_(SteadyTick) { ReallocateBuffer(); }

TCommPortDriver::~TCommPortDriver() { ClosePort(); }

void TCommPortDriver::SetTickSource(std::function<uint32_t()> tick) { tick_ = tick ? std::move(tick) : SteadyTick; }

void TCommPortDriver::StartPolling() const {
  if (OnPollingStart) OnPollingStart(pollingDelay_);
}

void TCommPortDriver::StopPolling() const {
  if (OnPollingStop) OnPollingStop();
}

std::string TCommPortDriver::DeviceName() const {
  return devicePath_.empty() ? ComDeviceName(static_cast<int>(comPort_) + 1) : devicePath_;
}

void TCommPortDriver::SetDevicePath(std::string path) {
  if (IsOpen()) return;
  devicePath_ = std::move(path);
}

std::string TCommPortDriver::Name() const {
  if (!devicePath_.empty()) return devicePath_;
  return "COM" + std::to_string(static_cast<int>(comPort_) + 1) + " (" + DeviceName() + ")";
}

void TCommPortDriver::Close() {
  PurgeBuffers(true, true);
  ClosePort();
}

bool TCommPortDriver::ReadQueued(std::string& out) {
  if (!IsOpen()) return false;
  sink_ = &out;
  struct TDone {
    std::string*& sink;
    ~TDone() { sink = nullptr; }
  } done{sink_};
  PollTick();
  if (!hungUp_) return true;
  lastOpenError_ = "the receiver hung up";
  ClosePort();
  return false;
}

void TCommPortDriver::Wait(int timeoutMs) const {
  if (!IsOpen()) {
    ::poll(nullptr, 0, timeoutMs);
    return;
  }
  pollfd p{port_.Handle(), POLLIN, 0};
  ::poll(&p, 1, timeoutMs);
}

bool TCommPortDriver::OpenPort() {
  if (IsOpen()) return true;
  std::string error;
  if (!port_.Open(DeviceName(), error)) {
    lastOpenError_ =
        devicePath_.empty() ? "COM" + std::to_string(static_cast<int>(comPort_) + 1) + ": " + error : error;
    return false;
  }
  lastOpenError_.clear();
  hungUp_ = false;
  // The terminal is open non-blocking and raw with no minimum count, so a read returns at once
  // with what is queued: that takes the place of the read time-outs.
  ApplySettings();
  StartPolling();
  return true;
}

std::string TCommPortDriver::WriteRefusal() const { return IsOpen() ? std::string() : Name() + " is not open"; }

bool TCommPortDriver::Write(std::string_view bytes, size_t& written, std::string& error) {
  written = 0;
  if (!IsOpen()) return (error = WriteRefusal()), false;
  const ssize_t n = port_.Write(bytes.data(), bytes.size());
  if (n < 0) return (error = Name() + ": cannot send: " + std::strerror(errno)), false;
  written = static_cast<size_t>(n);
  return true;
}

void TCommPortDriver::ClosePort() {
  if (!IsOpen()) return;
  StopPolling();
  port_.Close();
}

void TCommPortDriver::PurgeBuffers(bool input, bool output) {
  if (!IsOpen()) return;
  port_.Purge(input, output);
  packetStart_ = kNoPacketStart;
}

TComPortModemLines TCommPortDriver::ModemLines() const {
  uint8_t lines = 0;
  if (!IsOpen() || !port_.ModemLines(lines)) return 0;
  return lines;
}

TLineSettings TCommPortDriver::LineSettings() const {
  TLineSettings s;
  s.BaudRate = lineSpeed_ ? lineSpeed_ : BaudRateValue(speed_);
  s.DataBits = static_cast<int>(dataBits_) + 5;
  s.Parity = static_cast<TLineParity>(parity_);
  s.StopBits = static_cast<TLineStopBits>(stopBits_);
  s.Rts = hwHandshaking_ == hhNONE        ? TRtsLevel::Off
          : hwHandshaking_ == hhNONERTSON ? TRtsLevel::On
                                          : TRtsLevel::Handshake;
  s.XonXoff = swHandshaking_ == shXONXOFF;
  s.Dtr = enableDtrOnOpen_;
  return s;
}

uint32_t TCommPortDriver::XonXoffLimit() const { return std::min<uint32_t>(inBufSize_ / 4u, 4096u); }

void TCommPortDriver::ApplySettings() {
  if (!IsOpen()) return;
  // A refusal leaves the port open with what the terminal kept; the owner sees no difference.
  port_.Apply(LineSettings());
  PurgeBuffers(true, true);
  // Queue sizes have no terminal counterpart: the kernel's queue is what it is.
}

void TCommPortDriver::SetComPort(TComPortNumber value) {
  if (IsOpen()) return;
  comPort_ = value;
}

void TCommPortDriver::SetComPortSpeed(TComPortBaudRate value) {
  speed_ = value;
  ApplySettings();
}

void TCommPortDriver::SetLineSpeed(uint32_t bitsPerSecond) {
  lineSpeed_ = bitsPerSecond;
  ApplySettings();
}

void TCommPortDriver::SetComPortDataBits(TComPortDataBits value) {
  dataBits_ = value;
  ApplySettings();
}

void TCommPortDriver::SetComPortStopBits(TComPortStopBits value) {
  stopBits_ = value;
  ApplySettings();
}

void TCommPortDriver::SetComPortParity(TComPortParity value) {
  parity_ = value;
  ApplySettings();
}

void TCommPortDriver::SetComPortHwHandshaking(TComPortHwHandshaking value) {
  hwHandshaking_ = value;
  ApplySettings();
}

void TCommPortDriver::SetComPortSwHandshaking(TComPortSwHandshaking value) {
  swHandshaking_ = value;
  ApplySettings();
}

void TCommPortDriver::ReallocateBuffer() { std::vector<char>(inBufSize_).swap(buffer_); }

void TCommPortDriver::SetComPortInBufSize(uint16_t value) {
  if (IsOpen()) return;
  inBufSize_ = value;
  ReallocateBuffer();
  ApplyPacketSizeRule(packetSize_);
}

void TCommPortDriver::SetComPortOutBufSize(uint16_t value) {
  if (IsOpen()) return;
  outBufSize_ = value;
}

void TCommPortDriver::ApplyPacketSizeRule(int32_t value) {
  packetSize_ = static_cast<int16_t>(value < 1 ? -1 : value);
  if (packetSize_ > inBufSize_) {
    // A packet must fit the buffer; twice a 16-bit signed size still fits the 16-bit buffer size.
    inBufSize_ = static_cast<uint16_t>(packetSize_ * 2);
    ReallocateBuffer();
  }
}

void TCommPortDriver::SetPacketSize(int16_t value) { ApplyPacketSizeRule(value); }

void TCommPortDriver::ApplyPacketTimeoutRule(int32_t value) {
  if (value < 1)
    packetTimeout_ = -1;
  else if (value < pollingDelay_)
    packetTimeout_ = pollingDelay_ + 150;
  else
    packetTimeout_ = value;
}

void TCommPortDriver::SetPacketTimeout(int32_t value) { ApplyPacketTimeoutRule(value); }

void TCommPortDriver::SetComPortPollingDelay(uint16_t value) {
  if (value == pollingDelay_) return;
  if (IsOpen()) StopPolling();
  pollingDelay_ = value;
  if (IsOpen()) StartPolling();
  ApplyPacketTimeoutRule(packetTimeout_);
}

void TCommPortDriver::PollTick() {
  if (!IsOpen() || suspendCount_ > 0) return;
  // A terminal that hung up (its other end closed, an adapter pulled) cannot report a queue:
  // that reads as nothing queued. The owner hears of the hang-up once.
  const int queued = std::max(port_.QueuedBytes(), 0);
  if (queued == 0 && !hungUp_ && port_.HungUp()) {
    hungUp_ = true;
    if (OnHangUp) OnHangUp(this);
    return;
  }
  if (packetSize_ > 0) {
    PollPackets(queued);
    return;
  }
  if (queued == 0) return;
  // The kernel may queue more than the buffer holds; the rest waits for the next tick.
  const size_t want = std::min<size_t>(static_cast<size_t>(queued), buffer_.size());
  if (want == 0) return;
  const ssize_t got = port_.Read(buffer_.data(), want);
  if (got <= 0) return;
  if (sink_)
    sink_->append(buffer_.data(), static_cast<size_t>(got));
  else if (OnReceiveData)
    OnReceiveData(this, buffer_.data(), static_cast<uint32_t>(got));
}

void TCommPortDriver::PollPackets(int queued) {
  const uint32_t now = tick_();
  int n = queued;
  if (n >= packetSize_) {
    while (IsOpen() && packetSize_ > 0 && n >= packetSize_) {
      // The handler may change the packet size; this packet keeps the size it was read with.
      const int size = packetSize_;
      const ssize_t got = port_.Read(buffer_.data(), std::min<size_t>(static_cast<size_t>(size), buffer_.size()));
      if (got > 0 && OnReceivePacket) OnReceivePacket(this, buffer_.data(), static_cast<uint32_t>(got));
      // The rest of the stream started one packet time later. Without a recorded start there is
      // nothing to advance: adding to the "none" mark would make a bogus, long-past start and
      // time the rest out on the next tick.
      if (packetStart_ != kNoPacketStart)
        packetStart_ += TransmissionTime(static_cast<uint32_t>(size), LineSettings().BaudRate);
      n -= size;
      if (n == 0) packetStart_ = kNoPacketStart;
    }
    if (n > 0 && packetStart_ == kNoPacketStart) packetStart_ = now;
    return;
  }
  if (packetTimeout_ > 0 && packetStart_ != kNoPacketStart &&
      static_cast<uint32_t>(now - packetStart_) > static_cast<uint32_t>(packetTimeout_)) {
    if (n > 0) {
      const ssize_t got = port_.Read(buffer_.data(), std::min<size_t>(static_cast<size_t>(n), buffer_.size()));
      if (got > 0 && packetMode_ == pmPass && OnReceivePacket)
        OnReceivePacket(this, buffer_.data(), static_cast<uint32_t>(got));
    }
    packetStart_ = kNoPacketStart;
    return;
  }
  if (n > 0 && packetStart_ == kNoPacketStart) packetStart_ = now;
}

}  // namespace orvane
