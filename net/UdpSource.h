// SPDX-License-Identifier: GPL-3.0-or-later
// NMEA datagrams, as multiplexers, boat networks and phone apps broadcast them: listens on a port
// (10110 by default) of one local address or of all of them. Each datagram holds one or more
// whole sentences, so a datagram that does not end its last line gets the line end here.
#pragma once

#include <string>
#include <vector>

#include "net/NetSource.h"

namespace orvane {

class TUdpSource : public TNetSource {
public:
  explicit TUdpSource(TNetAddress address) : TNetSource(std::move(address)) {}
  ~TUdpSource() override { Close(); }

  bool Open() override;
  void Close() override;
  bool IsOpen() const override { return Fd >= 0; }
  bool ReadQueued(std::string& out) override;
  int Handle() const override { return Fd; }
  std::string WriteRefusal() const override {
    return Name() + " only listens for datagrams: it cannot send anything to the receiver";
  }

  // The port actually listened on (the one asked for, unless that was 0).
  uint16_t LocalPort() const;

  static constexpr size_t kReadLimit = 4 << 20;

private:
  int Fd = -1;
  std::vector<char> Buffer;
};

// Appends one datagram to `out`, its last line ended by CR LF.
void AppendDatagram(std::string& out, const char* data, size_t size);

}  // namespace orvane
