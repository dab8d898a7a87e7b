// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/NetSource.h"

#include <poll.h>

#include <algorithm>

#include "net/GpsdSource.h"
#include "net/TcpSource.h"
#include "net/UdpSource.h"

namespace orvane {

void TNetSource::Wait(int timeoutMs) const {
  const int fd = Handle();
  if (fd < 0) {
    // Nothing to wait on while a name is being looked up: a short nap instead of a spin.
    ::poll(nullptr, 0, std::min(timeoutMs, 10));
    return;
  }
  pollfd p{fd, static_cast<short>(Connecting() ? POLLOUT : POLLIN), 0};
  ::poll(&p, 1, timeoutMs);
}

std::unique_ptr<TNetSource> MakeNetSource(const std::string& text, std::string& error) {
  TNetAddress address;
  if (!ParseNetAddress(text, address, error)) return nullptr;
  switch (address.Kind) {
    case TNetKind::Tcp:
      return std::make_unique<TTcpSource>(std::move(address));
    case TNetKind::Udp:
      return std::make_unique<TUdpSource>(std::move(address));
    case TNetKind::Gpsd:
      return std::make_unique<TGpsdSource>(std::move(address));
  }
  return nullptr;
}

TNetInput::TNetInput(const std::string& address) : Text(address), Source(MakeNetSource(address, Error)) {}

bool TNetInput::Open() { return Source && Source->Open(); }

bool TNetInput::ReadQueued(std::string& out) { return Source && Source->ReadQueued(out); }

bool TNetInput::Write(std::string_view bytes, size_t& written, std::string& error) {
  if (Source) return Source->Write(bytes, written, error);
  written = 0;
  error = Error;
  return false;
}

void TNetInput::Wait(int timeoutMs) const {
  if (Source)
    Source->Wait(timeoutMs);
  else
    ::poll(nullptr, 0, timeoutMs);
}

}  // namespace orvane
