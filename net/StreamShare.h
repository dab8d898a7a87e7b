// SPDX-License-Identifier: GPL-3.0-or-later
// The received stream passed on to other programs (a chart plotter, a logger, a time server),
// since a serial receiver can be opened by one program only: every byte as it came, to any number
// of TCP clients, and each sentence as a UDP datagram to one address. Nothing here waits: a client
// that stops reading is let go once its backlog is full, and the others go on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/NetAddress.h"
#include "net/NmeaServer.h"

namespace orvane {

// The registered port on this computer only: other computers are let in by the user's choice.
inline constexpr const char* kShareTcpDefault = "tcp://127.0.0.1:10110";
// The host that "listen on all interfaces" puts into the TCP address.
inline constexpr const char* kAllInterfaces = "0.0.0.0";

// What the user chose to share; an empty address shares nothing that way.
struct TShareSettings {
  bool On = false;
  std::string Tcp = kShareTcpDefault;
  std::string Udp;
  bool Broadcast = false;
  bool operator==(const TShareSettings&) const = default;
};

// A share address: "tcp://HOST:PORT" to listen on, or "udp://HOST:PORT" to send to (the host
// required). False with `error` naming the text and what is wrong.
bool ParseShareAddress(std::string_view text, TNetKind kind, TNetAddress& address, std::string& error);

// The share `Orvane --share ADDRESS` asks for: a udp:// address is sent to (broadcast allowed, as
// the user named it), anything else listened on as a TCP address.
TShareSettings ShareForAddress(const std::string& address);

// True when the TCP address listens on every interface (0.0.0.0 or ::); the address with its host
// made `host`, the port kept. Texts that do not parse are given back as they are.
bool ListensOnAll(const std::string& tcp);
std::string WithHost(const std::string& tcp, const std::string& host);

class TStreamShare {
public:
  // A client that falls this far behind is let go; with the kernel's buffer below, this is about
  // a minute of a fast receiver's stream.
  static constexpr size_t kBacklog = 256 << 10;
  static constexpr int kSendBuffer = 64 << 10;
  // A line without a line end is sent as a datagram of its own once it is this long.
  static constexpr size_t kMaxDatagram = TUdpSender::kDatagramLimit;

  TStreamShare() = default;
  TStreamShare(const TStreamShare&) = delete;
  TStreamShare& operator=(const TStreamShare&) = delete;

  // Stops what was shared and starts what `settings` ask for. Each failure, naming its address
  // and cause, is in the answer and in Errors(); what did start goes on.
  std::vector<std::string> Apply(const TShareSettings& settings);
  // Tries again the TCP address of the last Apply if it was good but could not be listened on
  // (a port another program held, an interface not yet up). A UDP address that cannot be sent to
  // is the address's own fault (a broadcast not allowed, a host unknown), for the user to mend.
  // What starts now is in the answer, as a line for the console, and its failure leaves
  // Errors(); one that fails again keeps the failure it first had, so that a caller trying every
  // few seconds says it once.
  std::vector<std::string> Retry();
  // True while a part of the last Apply waits to be tried again.
  bool Retrying() const { return !Waiting.empty(); }
  // The parts, for callers that already hold the host and port (port 0: any free port).
  bool ListenTcp(const std::string& host, uint16_t port, std::string& error);
  bool SendUdpTo(const std::string& host, uint16_t port, bool broadcast, std::string& error);
  void Stop();
  bool Active() const { return TcpOn || UdpOn; }

  // Bytes as received: queued for every TCP client and written as far as each takes them now;
  // whole lines go out as datagrams, a part line waits for its end.
  void Feed(std::string_view bytes);
  // Takes new clients, writes what waits, lets go of clients that left. For the session's tick.
  void Poll();
  // Writes what waits for the clients for at most `timeoutMs`, for a caller about to end; true
  // when all went out.
  bool Drain(int timeoutMs) { return !TcpOn || Server.Drain(timeoutMs); }

  uint16_t TcpPort() const { return Server.Port(); }
  size_t ClientCount() const { return Server.ClientCount(); }
  size_t DroppedCount() const { return Server.DroppedCount() - DroppedBefore; }
  uint64_t BytesServed() const { return Server.BytesSent() - ServedBefore; }
  uint64_t DatagramCount() const { return Datagrams; }
  const std::vector<std::string>& Errors() const { return Errors_; }
  // One line for the console: what is shared, to how many, how much; or the failures.
  std::string StatusText() const;

private:
  // A part that could not start: what to open again, and the failure said for it.
  struct TWaiting {
    TNetAddress Address;
    bool Broadcast = false;
    std::string Error;
  };
  bool Open(const TWaiting& part, std::string& error);
  void SendLine(std::string_view line);

  TTcpServer Server;
  TUdpSender Udp;
  bool TcpOn = false, UdpOn = false;
  std::string TcpName, UdpName;
  std::string Partial;  // the start of a line not yet ended, for the datagrams
  uint64_t Datagrams = 0;
  uint64_t ServedBefore = 0;  // the server counts for its life; a new start counts from 0
  size_t DroppedBefore = 0;
  std::string UdpError;  // the last refusal of a send, said once until sending works again
  std::vector<std::string> Errors_;
  std::vector<TWaiting> Waiting;
};

}  // namespace orvane
