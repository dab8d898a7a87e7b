// SPDX-License-Identifier: GPL-3.0-or-later
// A receiver that gpsd owns, watched beside the other programs that use it: connects to gpsd
// (port 2947 by default), asks for the receiver's raw NMEA sentences, of one device when the
// address names it, and passes those lines on. gpsd's own JSON reports are dropped; an ERROR
// report ends the source with gpsd's message.
#pragma once

#include <string>

#include "net/TcpSource.h"

namespace orvane {

// The watch command that asks for NMEA: {"enable":true,"nmea":true} with "device" when given.
std::string GpsdWatchCommand(const std::string& device);

// Splits gpsd's output into its NMEA lines, which go on as they are, and its JSON reports, which
// are read for errors only. Keeps no more than one report's start between calls.
class TGpsdFilter {
public:
  // Appends the NMEA part of `data` to `out`; false when gpsd reported an error (`Message`).
  bool Feed(const char* data, size_t size, std::string& out);
  const std::string& Message() const { return Message_; }
  void Reset() {
    State = TLine::Start;
    Report.clear();
  }

  static constexpr size_t kReportLimit = 4096;

private:
  enum class TLine { Start, Nmea, Json };
  bool Finish();

  TLine State = TLine::Start;
  std::string Report;
  std::string Message_;
};

class TGpsdSource : public TTcpSource {
public:
  explicit TGpsdSource(TNetAddress address) : TTcpSource(std::move(address)) {}

protected:
  bool OnConnected() override;
  bool Deliver(const char* data, size_t size, std::string& out) override;

private:
  TGpsdFilter Filter;
};

}  // namespace orvane
