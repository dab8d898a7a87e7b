// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/NtripClient.h"

#include <chrono>
#include <cstdio>

#include "net/TcpSource.h"

namespace orvane {

// One request on one connection: the request sent once it stands, the answer parsed as it comes.
class TNtripConnection : public TTcpSource {
public:
  TNtripConnection(const TNtripConfig& config, bool table)
      : TTcpSource(TNetAddress{TNetKind::Tcp, config.Host, config.Port, {}}),
        Request(NtripRequest(config, table)),
        Reply(table ? std::string() : config.Mount) {}

private:
  std::string Request;

public:
  TNtripReply Reply;

protected:
  bool OnConnected() override { return SendText(Request); }

public:
  // A line for the caster (the position); short enough for any socket's buffer.
  bool SendLine(const std::string& line) { return SendText(line); }

protected:
  bool Deliver(const char* data, size_t size, std::string& out) override {
    if (Reply.Feed(std::string_view(data, size), out)) return true;
    Fail(Reply.Error());
    return false;
  }
};

namespace {

int64_t SteadyNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::string Kilo(double bytes) {
  char buf[32];
  if (bytes < 1000)
    std::snprintf(buf, sizeof buf, "%.0f B", bytes);
  else
    std::snprintf(buf, sizeof buf, "%.1f kB", bytes / 1000);
  return buf;
}

}  // namespace

TNtripClient::TNtripClient(TClock clock) : Clock(clock ? std::move(clock) : TClock(SteadyNowMs)) {}

TNtripClient::~TNtripClient() = default;

void TNtripClient::Start(const TNtripConfig& config) {
  Stop();
  Config_ = config;
  OnlyTable = false;
  Bytes_ = 0;
  GgaSent_ = 0;
  LastDataMs = -1;
  Recent.clear();
  WantsGga = config.Gga == TNtripGga::Always;
  TableRead = false;
  // Only the sourcetable says whether the mountpoint wants the position.
  Connect(config.Gga == TNtripGga::WhenAsked);
}

void TNtripClient::FetchTable(const TNtripConfig& config) {
  Stop();
  Config_ = config;
  OnlyTable = true;
  Connect(true);
}

void TNtripClient::Stop() {
  Connection.reset();
  State_ = TState::Idle;
  Error.clear();
}

void TNtripClient::Connect(bool table) {
  Connection = std::make_unique<TNtripConnection>(Config_, table);
  TableText.clear();
  State_ = table ? TState::Table : TState::Connecting;
  StateMs = Clock();
  if (!Connection->Open()) Dropped(Connection->LastError());
}

void TNtripClient::Log(const std::string& line) {
  if (OnLog) OnLog(line);
}

void TNtripClient::Dropped(std::string why) {
  Connection.reset();
  Error = std::move(why);
  if (OnlyTable) {
    State_ = TState::Refused;
    return;
  }
  State_ = TState::Waiting;
  StateMs = Clock();
  Log(Error + "; connecting again in " + std::to_string(kRetryMs / 1000) + " s");
}

void TNtripClient::Refuse(std::string why) {
  Connection.reset();
  // Not logged: it ends the client, and its owner says why from LastError().
  Error = std::move(why);
  State_ = TState::Refused;
}

void TNtripClient::TableArrived() {
  Connection.reset();
  Table_ = ParseSourcetable(TableText);
  TableRead = true;
  if (OnlyTable) {
    State_ = TState::TableDone;
    return;
  }
  const TMountpoint* entry = nullptr;
  for (const TMountpoint& m : Table_)
    if (m.Mount == Config_.Mount) entry = &m;
  if (!entry) return Refuse("the caster has no mountpoint \"" + Config_.Mount + "\" in its sourcetable");
  WantsGga = entry->Nmea;
  Connect(false);
}

void TNtripClient::Poll(std::string& out) {
  const int64_t now = Clock();
  if (State_ == TState::Waiting && now - StateMs >= kRetryMs)
    Connect(Config_.Gga == TNtripGga::WhenAsked && !TableRead);
  if (!Connection) return;
  TNtripConnection& c = *Connection;
  const bool table = State_ == TState::Table;
  std::string got;
  const bool alive = c.ReadQueued(table ? TableText : got);
  const TNtripReply::TKind kind = c.Reply.Kind();
  if (kind == TNtripReply::TKind::Refused) return Refuse(c.Reply.Error());
  if (table) {
    if (kind == TNtripReply::TKind::Data && !TableText.empty())
      return Refuse("the caster sent data where its sourcetable belongs");
    // A table ends with its last line, its last chunk, or the caster closing the connection.
    if (SourcetableEnded(TableText) || c.Reply.Ended() ||
        (!alive && c.PeerClosed() && kind != TNtripReply::TKind::Pending))
      return TableArrived();
    if (!alive) return OnlyTable ? Refuse(c.LastError()) : Dropped(c.LastError());
    if (now - StateMs > kAnswerMs) return Dropped("the caster sent no sourcetable within 10 s");
    return;
  }
  if (State_ == TState::Connecting && kind == TNtripReply::TKind::Data) {
    // The answer is in; the data may wait for the position, which is what the GGA is for.
    State_ = TState::Streaming;
    StateMs = now;
    NextGgaMs = now;
    Log("connected to " + Config_.Text());
  }
  if (!got.empty()) {
    out += got;
    Bytes_ += got.size();
    LastDataMs = now;
    Recent.emplace_back(now, got.size());
  }
  while (!Recent.empty() && now - Recent.front().first > kRateWindowMs) Recent.pop_front();
  if (!alive) {
    if (c.PeerClosed()) return Dropped("the caster closed the connection");
    return Dropped(c.LastError());
  }
  if (kind == TNtripReply::TKind::Pending) {
    if (now - StateMs > kAnswerMs) Dropped("the caster gave no answer within 10 s");
    return;
  }
  if (WantsGga && !Gga.empty() && now >= NextGgaMs) {
    if (!c.SendLine(Gga + "\r\n")) return Dropped(c.LastError());
    ++GgaSent_;
    NextGgaMs = now + kGgaEveryMs;
  }
  const int64_t since = LastDataMs < 0 ? StateMs : std::max(LastDataMs, StateMs);
  if (now - since > kQuietMs) Dropped("no corrections for " + std::to_string(kQuietMs / 1000) + " s");
}

double TNtripClient::Rate() const {
  if (Recent.empty()) return 0;
  size_t sum = 0;
  for (const auto& r : Recent) sum += r.second;
  return static_cast<double>(sum) * 1000.0 / static_cast<double>(kRateWindowMs);
}

std::string TNtripClient::Status() const {
  switch (State_) {
    case TState::Idle:
      return "not connected";
    case TState::Table:
      return OnlyTable ? "asking " + Config_.Host + ":" + std::to_string(Config_.Port) + " for its sourcetable..."
                       : "reading the sourcetable of " + Config_.Host + ":" + std::to_string(Config_.Port) + "...";
    case TState::Connecting:
      return "connecting to " + Config_.Text() + "...";
    case TState::Streaming: {
      std::string s = Config_.Text() + ": " + Kilo(Rate()) + "/s, " + std::to_string(Bytes_) + " bytes";
      const int64_t age = AgeMs();
      char buf[48];
      if (age < 0) {
        s += ", none yet";
      } else {
        std::snprintf(buf, sizeof buf, ", %.1f s old", static_cast<double>(age) / 1000);
        s += buf;
      }
      if (WantsGga)
        s += Gga.empty() ? ", waiting for a fix to send" : ", position sent " + std::to_string(GgaSent_) + " times";
      return s;
    }
    case TState::Waiting:
      return Error + "; connecting again in " + std::to_string(kRetryMs / 1000) + " s";
    case TState::Refused:
      return Error;
    case TState::TableDone:
      return std::to_string(Table_.size()) + " mountpoints";
  }
  return {};
}

}  // namespace orvane
