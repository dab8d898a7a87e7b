// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/StreamShare.h"

#include <algorithm>

namespace orvane {

bool ParseShareAddress(std::string_view text, TNetKind kind, TNetAddress& address, std::string& error) {
  const char* form = kind == TNetKind::Tcp ? "tcp://HOST:PORT" : "udp://HOST:PORT";
  const std::string quoted = "\"" + QuotedAddress(text) + "\": ";
  if (!IsNetAddress(text)) {
    error = quoted + "not an address to share on (" + form + ")";
    return false;
  }
  TNetAddress a;
  if (!ParseNetAddress(text, a, error)) return false;
  if (a.Kind != kind) {
    error = quoted + "not a " + (kind == TNetKind::Tcp ? "TCP" : "UDP") + " address (" + form + ")";
    return false;
  }
  if (a.Host.empty()) {
    error = quoted + "the host to send to is missing, as in udp://192.168.1.255:10110";
    return false;
  }
  address = std::move(a);
  return true;
}

TShareSettings ShareForAddress(const std::string& address) {
  TShareSettings s;
  s.On = true;
  TNetAddress a;
  std::string error;
  if (ParseNetAddress(address, a, error) && a.Kind == TNetKind::Udp) {
    s.Tcp.clear();
    s.Udp = address;
    s.Broadcast = true;
  } else {
    s.Tcp = address;
  }
  return s;
}

bool ListensOnAll(const std::string& tcp) {
  TNetAddress a;
  std::string error;
  return ParseShareAddress(tcp, TNetKind::Tcp, a, error) && (a.Host == "0.0.0.0" || a.Host == "::");
}

std::string WithHost(const std::string& tcp, const std::string& host) {
  TNetAddress a;
  std::string error;
  if (!ParseShareAddress(tcp, TNetKind::Tcp, a, error)) return tcp;
  a.Host = host;
  return a.Text();
}

std::vector<std::string> TStreamShare::Apply(const TShareSettings& settings) {
  Stop();
  if (!settings.On) return {};
  // A text that does not parse is named by the parser's message; one that does, by its plain form.
  const auto start = [this](const std::string& text, TNetKind kind, bool broadcast) {
    TWaiting part;
    part.Broadcast = broadcast;
    std::string error;
    if (!ParseShareAddress(text, kind, part.Address, error)) {
      Errors_.push_back("Cannot share: " + error);
    } else if (!Open(part, error)) {
      part.Error =
          "Cannot share " + std::string(kind == TNetKind::Tcp ? "on " : "to ") + part.Address.Text() + ": " + error;
      Errors_.push_back(part.Error);
      if (kind == TNetKind::Tcp) Waiting.push_back(std::move(part));
    }
  };
  if (!settings.Tcp.empty()) start(settings.Tcp, TNetKind::Tcp, false);
  if (!settings.Udp.empty()) start(settings.Udp, TNetKind::Udp, settings.Broadcast);
  return Errors_;
}

bool TStreamShare::Open(const TWaiting& part, std::string& error) {
  const TNetAddress& a = part.Address;
  return a.Kind == TNetKind::Tcp ? ListenTcp(a.Host, a.Port, error) : SendUdpTo(a.Host, a.Port, part.Broadcast, error);
}

std::vector<std::string> TStreamShare::Retry() {
  std::vector<std::string> started;
  for (auto it = Waiting.begin(); it != Waiting.end();) {
    std::string error;
    if (!Open(*it, error)) {
      ++it;
      continue;
    }
    started.push_back("Sharing on " + TcpName + " now");  // only a listener waits
    std::erase(Errors_, it->Error);
    it = Waiting.erase(it);
  }
  return started;
}

bool TStreamShare::ListenTcp(const std::string& host, uint16_t port, std::string& error) {
  Server.Close();
  TcpOn = false;
  if (!Server.Listen(host, port, error)) return false;
  Server.SetQueueLimit(kBacklog);
  Server.SetSendBuffer(kSendBuffer);
  TNetAddress a;
  a.Host = host;
  a.Port = Server.Port();
  TcpName = a.Text();
  ServedBefore = Server.BytesSent();
  DroppedBefore = Server.DroppedCount();
  return TcpOn = true;
}

bool TStreamShare::SendUdpTo(const std::string& host, uint16_t port, bool broadcast, std::string& error) {
  Udp.Close();
  UdpOn = false;
  if (!Udp.Open(host, port, error, broadcast)) return false;
  TNetAddress a;
  a.Kind = TNetKind::Udp;
  a.Host = host;
  a.Port = port;
  UdpName = a.Text();
  Datagrams = 0;
  Partial.clear();
  UdpError.clear();
  return UdpOn = true;
}

void TStreamShare::Stop() {
  Server.Close();
  Udp.Close();
  TcpOn = UdpOn = false;
  Partial.clear();
  UdpError.clear();
  Errors_.clear();
  Waiting.clear();
}

void TStreamShare::Feed(std::string_view bytes) {
  if (TcpOn) Server.Send(bytes);
  if (!UdpOn) return;
  // A line that began in an earlier piece is completed first; the rest goes line by line
  // straight from the piece.
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    const size_t take = end == std::string_view::npos ? bytes.size() : end + 1;
    const std::string_view part = bytes.substr(0, take);
    bytes.remove_prefix(take);
    if (Partial.empty() && end != std::string_view::npos && part.size() <= kMaxDatagram) {
      SendLine(part);
      continue;
    }
    for (std::string_view rest = part; !rest.empty();) {
      const size_t room = kMaxDatagram - Partial.size();
      Partial.append(rest.substr(0, room));
      rest.remove_prefix(std::min(room, rest.size()));
      if (Partial.size() == kMaxDatagram || (rest.empty() && end != std::string_view::npos)) {
        SendLine(Partial);
        Partial.clear();
      }
    }
  }
}

void TStreamShare::SendLine(std::string_view line) {
  std::string error;
  if (Udp.SendDatagram(line, error)) {
    ++Datagrams;
    UdpError.clear();
  } else if (!error.empty()) {
    UdpError = error;
  }
}

void TStreamShare::Poll() {
  if (TcpOn) Server.Poll(0);
}

std::string TStreamShare::StatusText() const {
  std::vector<std::string> parts;
  if (TcpOn) {
    const size_t n = ClientCount();
    std::string t = TcpName + " to " + std::to_string(n) + (n == 1 ? " client, " : " clients, ") +
                    std::to_string(BytesServed()) + " bytes served";
    if (const size_t d = DroppedCount(); d > 0)
      t += ", " + std::to_string(d) + (d == 1 ? " client" : " clients") + " let go for not reading";
    parts.push_back(t);
  }
  if (UdpOn)
    parts.push_back(UdpName + ", " + std::to_string(Datagrams) + " datagrams" +
                    (UdpError.empty() ? "" : ", the last refused: " + UdpError));
  std::string s;
  for (const std::string& p : parts) s += (s.empty() ? "Sharing " : "; ") + p;
  for (const std::string& e : Errors_) {
    s += (s.empty() ? "" : "; ") + e;
    if (std::any_of(Waiting.begin(), Waiting.end(), [&e](const TWaiting& w) { return w.Error == e; }))
      s += " (trying again)";
  }
  return s.empty() ? "Not shared" : s;
}

}  // namespace orvane
