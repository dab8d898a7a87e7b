// SPDX-License-Identifier: GPL-3.0-or-later
// Where the simulated receiver's bytes go: a file (which appears only when complete), standard
// output, a pseudo-terminal, a TCP server for any number of clients, or UDP datagrams.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "net/NmeaServer.h"

namespace orvane {

class TSimOutput {
public:
  virtual ~TSimOutput() = default;
  // Sends bytes; false, with Error(), on a failure that ends the run.
  virtual bool Write(std::string_view bytes) = 0;
  // Lets up to `ms` milliseconds pass while doing the output's own work (a server accepts and
  // serves its clients). A signal may cut it short.
  virtual void Idle(int ms);
  // Everything written is now where it belongs (a file renamed into place); false with Error().
  virtual bool Finish() { return true; }
  // Bytes leave at the pace of a serial line (a terminal) rather than a burst at a time.
  virtual bool ByteAtATime() const { return false; }
  const std::string& Error() const { return Error_; }
  // Told what is worth saying but does not end the run (a server that cannot take more clients).
  std::function<void(const std::string&)> OnNotice;

protected:
  std::string Error_;
};

// Standard output, or a descriptor the caller opened; not closed here.
std::unique_ptr<TSimOutput> DescriptorOutput(int fd, std::string name);
// A new pseudo-terminal, raw on the reader's side; its device path in `path`. Bytes written while
// no reader has it open are lost, as on a line with nothing plugged in.
std::unique_ptr<TSimOutput> PtyOutput(std::string& path, std::string& error);
// FILE written under a temporary name beside it and renamed into place by Finish, so that a full
// disk or an interrupted run never leaves a short file under the name. A device or a pipe named
// as FILE is written as it is.
std::unique_ptr<TSimOutput> FileOutput(const std::string& file, std::string& error);
// A TCP server on HOST:PORT (port 0: a free one); every client gets the bytes from when it
// connected on. `address` is set to the address clients connect to.
std::unique_ptr<TSimOutput> TcpOutput(const std::string& host, uint16_t port, std::string& address, std::string& error);
// Datagrams of whole lines to HOST:PORT.
std::unique_ptr<TSimOutput> UdpOutput(const std::string& host, uint16_t port, std::string& error);

}  // namespace orvane
