// SPDX-License-Identifier: GPL-3.0-or-later
// TCommPortDriver: opens one serial port, writes its line settings and polls it from a timer on
// the main thread, handing what arrived to its owner. The owner may also send bytes to the
// receiver (a command, corrections); the component itself never transmits anything.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "serial/TermiosPort.h"

namespace orvane {

enum TComPortNumber : uint8_t {
  pnCOM1,
  pnCOM2,
  pnCOM3,
  pnCOM4,
  pnCOM5,
  pnCOM6,
  pnCOM7,
  pnCOM8,
  pnCOM9,
  pnCOM10,
  pnCOM11,
  pnCOM12,
  pnCOM13,
  pnCOM14,
  pnCOM15,
  pnCOM16
};
enum TComPortBaudRate : uint8_t {
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  // The speeds of receivers that send many sentences at 10 to 20 Hz.
  br230400,
  br460800,
  br921600
};
enum TComPortDataBits : uint8_t { db5BITS, db6BITS, db7BITS, db8BITS };
enum TComPortStopBits : uint8_t { sb1BITS, sb1HALFBITS, sb2BITS };
enum TComPortParity : uint8_t { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum TComPortHwHandshaking : uint8_t { hhNONE, hhNONERTSON, hhRTSCTS };
enum TComPortSwHandshaking : uint8_t { shNONE, shXONXOFF };
enum TPacketMode : uint8_t { pmDiscard, pmPass };

// Bits per second of each TComPortBaudRate.
uint32_t BaudRateValue(TComPortBaudRate rate);
// The rate whose bits per second are `bitsPerSecond`; false for a speed the table lacks.
bool BaudRateOf(uint32_t bitsPerSecond, TComPortBaudRate& rate);

// Modem input lines that are on: kModemCts, kModemDsr, kModemRing, kModemRlsd (TermiosPort.h).
using TComPortModemLines = uint8_t;

// Transmission time of `bytes` at `bitsPerSecond` in milliseconds, ten bit times per byte,
// rounded to the nearest integer with halves to the even neighbour.
uint32_t TransmissionTime(uint32_t bytes, uint32_t bitsPerSecond);

class TCommPortDriver {
public:
  using TComPortReceiveDataEvent = std::function<void(TCommPortDriver* Sender, const char* DataPtr, uint32_t DataSize)>;
  using TComPortReceivePacketEvent =
      std::function<void(TCommPortDriver* Sender, const char* Packet, uint32_t DataSize)>;

  TCommPortDriver();
  TCommPortDriver(const TCommPortDriver&) = delete;
  TCommPortDriver& operator=(const TCommPortDriver&) = delete;
  ~TCommPortDriver();

  // Replaces the millisecond clock of the packet time-outs (tests).
  void SetTickSource(std::function<uint32_t()> tick);

  bool OpenPort();
  void ClosePort();
  bool IsOpen() const { return port_.IsOpen(); }
  void PurgeBuffers(bool input, bool output);
  TComPortModemLines ModemLines() const;
  void SuspendPolling() { ++suspendCount_; }
  void ResumePolling() { --suspendCount_; }
  // One polling tick; the owner's polling timer calls it.
  void PollTick();

  // The byte-source shape of the receive path: Open and Close are OpenPort and ClosePort;
  // ReadQueued runs one polling tick and appends what it read instead of raising OnReceiveData,
  // and answers false (the port closed, LastError saying why) once the other end has hung up.
  bool Open() { return OpenPort(); }
  void Close();
  bool ReadQueued(std::string& out);
  // Sends what of `bytes` the output queue takes now (`written`), never waiting; false, with
  // `error` naming the port and the cause, when the port is closed or the write failed.
  bool Write(std::string_view bytes, size_t& written, std::string& error);
  // Empty while the port is open; else why nothing can be sent.
  std::string WriteRefusal() const;
  // Waits at most `timeoutMs` for the terminal to have bytes or hang up (a tool with nothing
  // else to do); a closed port just waits.
  void Wait(int timeoutMs) const;
  // "COM3 (/dev/ttyUSB0)", or the device alone when one is named directly.
  std::string Name() const;
  const std::string& LastError() const { return lastOpenError_; }

  // The device OpenPort opens: the one named directly, else the current ComPort's; and why the
  // last OpenPort failed.
  std::string DeviceName() const;
  // A device path that stands in for ComPort (a device picked from the list of those present);
  // empty gives the port number back its say. Ignored while the port is open.
  void SetDevicePath(std::string path);
  const std::string& DevicePath() const { return devicePath_; }
  const std::string& LastOpenError() const { return lastOpenError_; }

  TComPortNumber ComPort() const { return comPort_; }
  void SetComPort(TComPortNumber value);
  TComPortBaudRate ComPortSpeed() const { return speed_; }
  void SetComPortSpeed(TComPortBaudRate value);
  // A line speed in bits per second that stands in for ComPortSpeed, also one the rate table
  // lacks (a tool's --baud); 0 gives ComPortSpeed back its say.
  uint32_t LineSpeed() const { return lineSpeed_; }
  void SetLineSpeed(uint32_t bitsPerSecond);
  TComPortDataBits ComPortDataBits() const { return dataBits_; }
  void SetComPortDataBits(TComPortDataBits value);
  TComPortStopBits ComPortStopBits() const { return stopBits_; }
  void SetComPortStopBits(TComPortStopBits value);
  TComPortParity ComPortParity() const { return parity_; }
  void SetComPortParity(TComPortParity value);
  TComPortHwHandshaking ComPortHwHandshaking() const { return hwHandshaking_; }
  void SetComPortHwHandshaking(TComPortHwHandshaking value);
  TComPortSwHandshaking ComPortSwHandshaking() const { return swHandshaking_; }
  void SetComPortSwHandshaking(TComPortSwHandshaking value);
  uint16_t ComPortInBufSize() const { return inBufSize_; }
  void SetComPortInBufSize(uint16_t value);
  uint16_t ComPortOutBufSize() const { return outBufSize_; }
  void SetComPortOutBufSize(uint16_t value);
  int16_t PacketSize() const { return packetSize_; }
  void SetPacketSize(int16_t value);
  int32_t PacketTimeout() const { return packetTimeout_; }
  void SetPacketTimeout(int32_t value);
  TPacketMode PacketMode() const { return packetMode_; }
  void SetPacketMode(TPacketMode value) { packetMode_ = value; }
  uint16_t ComPortPollingDelay() const { return pollingDelay_; }
  void SetComPortPollingDelay(uint16_t value);
  bool EnableDTROnOpen() const { return enableDtrOnOpen_; }
  void SetEnableDTROnOpen(bool value) { enableDtrOnOpen_ = value; }
  // Held for the owner; nothing here reads them.
  uint16_t OutputTimeout() const { return outputTimeout_; }
  void SetOutputTimeout(uint16_t value) { outputTimeout_ = value; }
  uint32_t InputTimeout() const { return inputTimeout_; }
  void SetInputTimeout(uint32_t value) { inputTimeout_ = value; }
  bool CheckLineStatus() const { return checkLineStatus_; }
  void SetCheckLineStatus(bool value) { checkLineStatus_ = value; }

  TComPortReceiveDataEvent OnReceiveData;
  TComPortReceivePacketEvent OnReceivePacket;
  // The polling timer is the owner's: the component says when it should run and at which period
  // (OpenPort, and a new ComPortPollingDelay while open) and when it should stop (ClosePort).
  std::function<void(uint32_t periodMs)> OnPollingStart;
  std::function<void()> OnPollingStop;
  // Once, when the open port's other end hangs up (a USB receiver pulled out, a pseudo-terminal
  // closed); the port stays open until the owner closes it.
  std::function<void(TCommPortDriver* Sender)> OnHangUp;

  // The line settings that ApplySettings writes for the current properties.
  TLineSettings LineSettings() const;
  // The XON/XOFF limit the other platform's driver would get (a quarter of the input buffer,
  // at most 4096). Terminals have no such limit; the value is kept for what it says.
  uint32_t XonXoffLimit() const;

private:
  static constexpr uint32_t kNoPacketStart = 0xFFFFFFFFu;

  void ApplySettings();
  void ReallocateBuffer();
  void ApplyPacketSizeRule(int32_t value);
  void ApplyPacketTimeoutRule(int32_t value);
  void PollPackets(int queued);

  void StartPolling() const;
  void StopPolling() const;

  TTermiosPort port_;
  std::string devicePath_;
  std::string* sink_ = nullptr;  // ReadQueued's output while its tick runs
  std::function<uint32_t()> tick_;
  std::vector<char> buffer_;
  std::string lastOpenError_;
  uint32_t packetStart_ = kNoPacketStart;
  int32_t suspendCount_ = 0;
  bool hungUp_ = false;

  TComPortNumber comPort_ = pnCOM2;
  TComPortBaudRate speed_ = br9600;
  uint32_t lineSpeed_ = 0;
  TComPortDataBits dataBits_ = db8BITS;
  TComPortStopBits stopBits_ = sb1BITS;
  TComPortParity parity_ = ptNONE;
  TComPortHwHandshaking hwHandshaking_ = hhNONERTSON;
  TComPortSwHandshaking swHandshaking_ = shNONE;
  uint16_t inBufSize_ = 2048;
  uint16_t outBufSize_ = 2048;
  int16_t packetSize_ = -1;
  int32_t packetTimeout_ = -1;
  TPacketMode packetMode_ = pmDiscard;
  uint16_t pollingDelay_ = 50;
  bool enableDtrOnOpen_ = true;
  uint16_t outputTimeout_ = 500;
  uint32_t inputTimeout_ = 200;
  bool checkLineStatus_ = false;
};

}  // namespace orvane
