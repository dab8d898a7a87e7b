// SPDX-License-Identifier: GPL-3.0-or-later
// NMEA from a TCP server (a receiver with a network port, a serial-to-network bridge, a phone app,
// a multiplexer): connects without blocking, trying each address the host has, and reads what
// arrives. A connection that does not stand within ten seconds fails.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "net/NetSource.h"
#include "net/Resolver.h"

namespace orvane {

class TTcpSource : public TNetSource {
public:
  explicit TTcpSource(TNetAddress address) : TNetSource(std::move(address)) {}
  ~TTcpSource() override { Close(); }

  bool Open() override;
  void Close() override;
  bool IsOpen() const override { return State != TState::Closed; }
  bool Connecting() const override { return State == TState::Resolving || State == TState::Connecting; }
  std::string Progress() const override;
  bool ReadQueued(std::string& out) override;
  int Handle() const override { return Fd; }
  std::string WriteRefusal() const override;
  bool Write(std::string_view bytes, size_t& written, std::string& error) override;

  static constexpr std::chrono::seconds kConnectTimeout{10};
  // At most this much is read by one call, so a flood cannot hold the caller.
  static constexpr size_t kReadLimit = 4 << 20;

protected:
  // The connection now stands; false (after Fail) when the source cannot go on.
  virtual bool OnConnected() { return true; }
  // Received bytes, to be appended to `out` as they are; false (after Fail) to drop the source.
  virtual bool Deliver(const char* data, size_t size, std::string& out) {
    out.append(data, size);
    return true;
  }
  // Sends all of `text` on the connection (short texts only: a command); false after Fail.
  bool SendText(const std::string& text);

private:
  enum class TState { Closed, Resolving, Connecting, Connected };
  bool Advance();
  bool ConnectNext();
  bool Receive(std::string& out);

  TState State = TState::Closed;
  int Fd = -1;
  TResolver Resolver;
  std::vector<TSocketAddress> Candidates;
  size_t Next = 0;
  std::string LastConnectError;
  std::chrono::steady_clock::time_point Deadline;
  bool ClosedAfterBytes = false;
  std::vector<char> Buffer;
};

}  // namespace orvane
