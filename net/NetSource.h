// SPDX-License-Identifier: GPL-3.0-or-later
// What the three network sources share: the shape of the receiver's byte source (open, read what
// has arrived without blocking, close, say why it failed), a "connecting" state between an Open
// that has begun and a connection that stands, and a wait for tools that have nothing else to do.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "net/NetAddress.h"

namespace orvane {

class TNetSource {
public:
  explicit TNetSource(TNetAddress address) : Address_(std::move(address)) {}
  virtual ~TNetSource() = default;
  TNetSource(const TNetSource&) = delete;
  TNetSource& operator=(const TNetSource&) = delete;

  // Starts connecting or listening. True when that has begun or is done (a TCP connection may
  // still be under way: Connecting()); false, with LastError(), when it failed at once.
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // True from Open until the connection stands (or fails); bytes come only after that.
  virtual bool Connecting() const { return false; }
  // While connecting, what is being done: "looking up HOST...", "connecting to ADDRESS...".
  virtual std::string Progress() const { return {}; }
  // Appends what has arrived to `out`, never waiting. False when the source dropped or failed:
  // it is then closed and LastError() says why.
  virtual bool ReadQueued(std::string& out) = 0;
  // The descriptor to wait on, -1 when there is none yet (a name being looked up).
  virtual int Handle() const = 0;
  // Why bytes cannot be sent to the receiver through this source now; empty when they can.
  virtual std::string WriteRefusal() const = 0;
  // Sends what of `bytes` the connection takes now (`written`), never waiting; false, with
  // `error`, when refused or failed (a failure drops the source).
  virtual bool Write(std::string_view /*bytes*/, size_t& written, std::string& error) {
    written = 0;
    error = WriteRefusal();
    return false;
  }

  std::string Name() const { return Address_.Text(); }
  const std::string& LastError() const { return Error; }
  const TNetAddress& Address() const { return Address_; }
  // The last loss was the other end closing in order: the end of the stream, as a file ends.
  bool PeerClosed() const { return PeerClosed_; }
  // Waits at most `timeoutMs` for something for ReadQueued to do: bytes, a connection that
  // completed or failed, a hang-up.
  void Wait(int timeoutMs) const;

protected:
  bool Fail(std::string why) {
    Error = std::move(why);
    Close();
    return false;
  }

  TNetAddress Address_;
  std::string Error;
  bool PeerClosed_ = false;
};

// The source an address names; nullptr, with `error`, when the text is no usable address.
std::unique_ptr<TNetSource> MakeNetSource(const std::string& address, std::string& error);

// One network source as a value, for the receiver's source wrapper: an address that does not
// parse gives a source whose Open fails with the reason.
class TNetInput {
public:
  explicit TNetInput(const std::string& address);
  bool Open();
  void Close() {
    if (Source) Source->Close();
  }
  bool IsOpen() const { return Source && Source->IsOpen(); }
  bool Connecting() const { return Source && Source->Connecting(); }
  std::string Progress() const { return Source ? Source->Progress() : std::string(); }
  bool ReadQueued(std::string& out);
  bool PeerClosed() const { return Source && Source->PeerClosed(); }
  void Wait(int timeoutMs) const;
  std::string WriteRefusal() const { return Source ? Source->WriteRefusal() : LastError(); }
  bool Write(std::string_view bytes, size_t& written, std::string& error);
  std::string Name() const { return Source ? Source->Name() : QuotedAddress(Text); }
  const std::string& LastError() const { return Source ? Source->LastError() : Error; }
  TNetSource* Get() const { return Source.get(); }

private:
  std::string Text;
  std::string Error;
  std::unique_ptr<TNetSource> Source;
};

}  // namespace orvane
