// SPDX-License-Identifier: GPL-3.0-or-later
// A receiver that gpsd owns, watched beside the other programs that use it: connects to gpsd
// (port 2947 by default), asks for the receiver's raw NMEA sentences, of one device when the
// address names it, and passes those lines on. gpsd's own JSON reports are dropped; an ERROR
// report ends the source with gpsd's message, and so do reports without any NMEA.
#pragma once

#include <string>

#include "net/TcpSource.h"

namespace orvane {

// The watch command that asks for NMEA: {"enable":true,"nmea":true} with "device" when given.
std::string GpsdWatchCommand(const std::string& device);

// Splits gpsd's output into its NMEA lines, which go on as they are, and its JSON reports, which
// are read as they come for their top-level "class" and "message" only: blanks anywhere, a report
// over several lines and a report of any length are read alike, in bounded memory.
class TGpsdFilter {
public:
  // Appends the NMEA part of `data` to `out`; false when gpsd reported an error (`Message`).
  bool Feed(const char* data, size_t size, std::string& out);
  const std::string& Message() const { return Message_; }
  // Reports on the receiver (gpsd's own about itself, its devices and the watch not counted)
  // since the last NMEA line: a device whose data gpsd decodes but that gives no NMEA.
  int ReportsWithoutNmea() const { return ReportsWithoutNmea_; }
  void Reset();

  // The longest member text kept; a longer one is cut.
  static constexpr size_t kTextLimit = 1024;

private:
  enum class TLine { Start, Nmea, Json };
  void Json(char c);
  bool Finish();

  TLine State = TLine::Start;
  // Where the report is: its nesting, inside a string (after a backslash), at a line start, and
  // whether the string at the top level is a member's name or its value.
  int Depth = 0;
  bool InString = false, Escaped = false, LineStart = false, ValueNext = false, StringIsValue = false;
  std::string Text, Key, Class, ReportMessage;
  std::string Message_;
  int ReportsWithoutNmea_ = 0;
};

class TGpsdSource : public TTcpSource {
public:
  explicit TGpsdSource(TNetAddress address) : TTcpSource(std::move(address)) {}

  // This many reports on the receiver and not one NMEA line: the source fails with that said.
  static constexpr int kReportsWithoutNmea = 5;

  // gpsd owns the device: it hands out the receiver's sentences but passes nothing back to it.
  std::string WriteRefusal() const override {
    return Name() + " is a gpsd, which passes nothing to the receiver: connect to the device itself to send to it";
  }
  bool Write(std::string_view /*bytes*/, size_t& written, std::string& error) override {
    written = 0;
    error = WriteRefusal();
    return false;
  }

protected:
  bool OnConnected() override;
  bool Deliver(const char* data, size_t size, std::string& out) override;

private:
  TGpsdFilter Filter;
};

}  // namespace orvane
