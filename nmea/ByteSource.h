// SPDX-License-Identifier: GPL-3.0-or-later
// Where received bytes come from: a serial device, a network connection, a gpsd. The receiver
// owns one source, asks it for what has arrived on each poll tick and hands the bytes to the
// framing, so every source's bytes take the same road.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

namespace orvane {

class TByteSource {
public:
  virtual ~TByteSource() = default;
  // Opens the device or connects; false, with LastError() saying why, when it cannot.
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // Appends the bytes that have arrived to `out` without blocking. False when the source hung up,
  // dropped or failed; it is then closed and LastError() says why.
  virtual bool ReadQueued(std::string& out) = 0;
  // How the source is named in messages: "COM3 (/dev/ttyUSB0)", "tcp://host:10110".
  virtual std::string Name() const = 0;
  virtual const std::string& LastError() const = 0;
  // While an Open is still under way (a host name looked up, a connection not yet standing),
  // what it is doing, as the user is told it: "looking up gps.local..."; else empty.
  virtual std::string Progress() const { return {}; }
  // True from an Open that has begun until the connection stands or fails.
  virtual bool Connecting() const { return false; }
  // The last loss was the far end closing in order: the end of the stream, as a file ends.
  virtual bool PeerClosed() const { return false; }
  // Waits at most `timeoutMs` for something for ReadQueued to do (bytes, a hang-up, a connection
  // made), for a reader with nothing else to do; a source that cannot tell just waits.
  virtual void Wait(int timeoutMs) const { std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs)); }
  // Why bytes cannot be sent to the receiver through this source now, as the user is told it;
  // empty when they can. Sources that only listen say so here.
  virtual std::string WriteRefusal() const { return Name() + " takes no bytes to send"; }
  // Sends to the receiver what of `bytes` the source takes now, without waiting: `written` says
  // how many (0 while its output is full). False, with `error`, when the source refuses bytes or
  // the write failed.
  virtual bool Write(std::string_view /*bytes*/, size_t& written, std::string& error) {
    written = 0;
    error = WriteRefusal();
    return false;
  }
};

// The serial and network folders sit beside each other below this one, so their sources have the
// shape of a TByteSource without deriving from it; this wraps one of them.
template <class TSource>
class TByteSourceOf : public TByteSource {
public:
  template <class... TArgs>
  explicit TByteSourceOf(TArgs&&... args) : Source(std::forward<TArgs>(args)...) {}
  bool Open() override { return Source.Open(); }
  void Close() override { Source.Close(); }
  bool IsOpen() const override { return Source.IsOpen(); }
  bool ReadQueued(std::string& out) override { return Source.ReadQueued(out); }
  std::string Name() const override { return Source.Name(); }
  const std::string& LastError() const override { return Source.LastError(); }
  std::string Progress() const override {
    if constexpr (requires(const TSource& s) { s.Progress(); })
      return Source.Progress();
    else
      return {};
  }
  bool Connecting() const override {
    if constexpr (requires(const TSource& s) { s.Connecting(); })
      return Source.Connecting();
    else
      return false;
  }
  bool PeerClosed() const override {
    if constexpr (requires(const TSource& s) { s.PeerClosed(); })
      return Source.PeerClosed();
    else
      return false;
  }
  void Wait(int timeoutMs) const override {
    if constexpr (requires(const TSource& s) { s.Wait(timeoutMs); })
      Source.Wait(timeoutMs);
    else
      TByteSource::Wait(timeoutMs);
  }
  std::string WriteRefusal() const override {
    if constexpr (requires(const TSource& s) { s.WriteRefusal(); })
      return Source.WriteRefusal();
    else
      return TByteSource::WriteRefusal();
  }
  bool Write(std::string_view bytes, size_t& written, std::string& error) override {
    if constexpr (requires(TSource & s) { s.Write(bytes, written, error); })
      return Source.Write(bytes, written, error);
    else
      return TByteSource::Write(bytes, written, error);
  }

  TSource Source;
};

}  // namespace orvane
