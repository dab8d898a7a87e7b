// SPDX-License-Identifier: GPL-3.0-or-later
// The sending side of the network sources, for the simulated receiver, the tests and the
// benchmarks: a TCP server that any number of clients may connect to, each getting every byte
// sent from its connection on, and a UDP sender of datagrams.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

class TTcpServer {
public:
  TTcpServer() = default;
  TTcpServer(const TTcpServer&) = delete;
  TTcpServer& operator=(const TTcpServer&) = delete;
  ~TTcpServer() { Close(); }

  // Listens on a local address ("127.0.0.1", "::1", "0.0.0.0"); port 0 takes a free one.
  bool Listen(const std::string& host, uint16_t port, std::string& error);
  uint16_t Port() const { return Port_; }
  // Queues `bytes` for every client connected now.
  void Send(std::string_view bytes);
  // Accepts new clients, writes what is queued, lets go of clients that left; waits at most
  // `timeoutMs` for any of that.
  void Poll(int timeoutMs);
  // Polls until nothing is queued for any client or `timeoutMs` passed; true when all went out.
  bool Drain(int timeoutMs);
  size_t ClientCount() const { return Clients.size(); }
  // Clients dropped because they fell too far behind.
  size_t DroppedCount() const { return Dropped; }
  // Bytes written to clients, all of them together, since the server was made.
  uint64_t BytesSent() const { return BytesSent_; }
  // How much may wait for one client before it is let go (kQueueLimit unless set), and the
  // kernel's send buffer asked for each client taken from now on (the system's default unless
  // set): together they bound what a client that stops reading holds up.
  void SetQueueLimit(size_t bytes) { QueueLimit = bytes; }
  void SetSendBuffer(int bytes) { SendBuffer = bytes; }
  // The errno of the last accept that failed for want of descriptors or memory (EMFILE, ENFILE,
  // ENOBUFS, ENOMEM); 0 once a client is taken again.
  int AcceptError() const { return AcceptError_; }
  void Close();

  // A client that has this much queued and reads nothing is let go: it may connect again, and
  // no other client waits for it.
  static constexpr size_t kQueueLimit = 8 << 20;
  // A listener whose next client cannot be taken stays readable; it is left alone this long
  // before accepting is tried again, while the clients it has are served.
  static constexpr int kAcceptPauseMs = 250;

private:
  struct TClient {
    int Fd;
    std::string Queued;
    size_t Sent = 0;
  };
  void Accept();
  bool Write(TClient& c);

  int Listener = -1;
  uint16_t Port_ = 0;
  std::vector<TClient> Clients;
  size_t Dropped = 0;
  uint64_t BytesSent_ = 0;
  size_t QueueLimit = kQueueLimit;
  int SendBuffer = 0;
  int AcceptError_ = 0;
  std::chrono::steady_clock::time_point AcceptPausedUntil{};
};

class TUdpSender {
public:
  TUdpSender() = default;
  TUdpSender(const TUdpSender&) = delete;
  TUdpSender& operator=(const TUdpSender&) = delete;
  ~TUdpSender() { Close(); }

  // `broadcast` allows a broadcast address; without it one is refused with a message that says so.
  bool Open(const std::string& host, uint16_t port, std::string& error, bool broadcast = false);
  // One datagram, without waiting: when the system's queue is full it is dropped (false with
  // `error` empty). Nobody listening is no failure.
  bool SendDatagram(std::string_view datagram, std::string& error);
  // Sends whole lines, as many to a datagram as fit in kDatagramLimit bytes. Nobody listening is
  // no failure; false with `error` when the system refuses to send.
  bool Send(std::string_view lines, std::string& error);
  void Close();

  // Below the usual Ethernet payload, so that no datagram is fragmented on the way.
  static constexpr size_t kDatagramLimit = 1400;

private:
  int Fd = -1;
};

}  // namespace orvane
