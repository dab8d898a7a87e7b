// SPDX-License-Identifier: GPL-3.0-or-later
// A client of a caster of corrections, polled like the byte sources: it connects without
// blocking, asks for the mountpoint (after the sourcetable, when only the table says whether the
// mountpoint wants the receiver's position), hands on the corrections as they arrive, sends the
// receiver's GGA every ten seconds when wanted, and connects again a few seconds after a drop.
// A refusal (a wrong password, an unknown mountpoint) is said and not tried again.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "net/NtripProtocol.h"

namespace orvane {

class TNtripConnection;

class TNtripClient {
public:
  using TClock = std::function<int64_t()>;
  static constexpr int64_t kGgaEveryMs = 10000;
  static constexpr int64_t kRetryMs = 5000;
  // No answer, or no corrections, for this long: the connection is taken for lost.
  static constexpr int64_t kAnswerMs = 10000;
  static constexpr int64_t kQuietMs = 30000;
  static constexpr int64_t kRateWindowMs = 10000;

  enum class TState { Idle, Table, Connecting, Streaming, Waiting, Refused, TableDone };

  explicit TNtripClient(TClock clock = nullptr);
  ~TNtripClient();
  TNtripClient(const TNtripClient&) = delete;
  TNtripClient& operator=(const TNtripClient&) = delete;

  // Begins receiving the corrections of `config`'s mountpoint.
  void Start(const TNtripConfig& config);
  // Asks only for the caster's sourcetable; Table() holds it once the state is TableDone.
  void FetchTable(const TNtripConfig& config);
  void Stop();
  // Moves on without waiting: connects, reads, sends the GGA when due, retries after a drop.
  // The corrections that arrived are appended to `out`.
  void Poll(std::string& out);
  // The receiver's newest GGA ("$GPGGA,...*hh", without its line end).
  void SetGga(std::string gga) { Gga = std::move(gga); }

  TState State() const { return State_; }
  bool Active() const { return State_ != TState::Idle && State_ != TState::Refused && State_ != TState::TableDone; }
  // What the client is doing or why it stopped, in words.
  std::string Status() const;
  const std::string& LastError() const { return Error; }
  const std::vector<TMountpoint>& Table() const { return Table_; }
  const TNtripConfig& Config() const { return Config_; }
  bool SendsGga() const { return WantsGga; }

  uint64_t Bytes() const { return Bytes_; }
  // Corrections per second over the last kRateWindowMs.
  double Rate() const;
  // Milliseconds since the last corrections; -1 before any.
  int64_t AgeMs() const { return LastDataMs < 0 ? -1 : Clock() - LastDataMs; }
  int GgaSent() const { return GgaSent_; }

  // Each change of what Status() says for a reason (connected, dropped, refused), for a log.
  std::function<void(const std::string& line)> OnLog;

private:
  void Connect(bool table);
  void Dropped(std::string why);
  void Refuse(std::string why);
  void TableArrived();
  void Log(const std::string& line);

  TClock Clock;
  TNtripConfig Config_;
  TState State_ = TState::Idle;
  bool OnlyTable = false;
  bool WantsGga = false;
  bool TableRead = false;
  std::unique_ptr<TNtripConnection> Connection;
  std::string TableText;
  std::vector<TMountpoint> Table_;
  std::string Gga;
  std::string Error;
  int64_t StateMs = 0;
  int64_t LastDataMs = -1;
  int64_t NextGgaMs = 0;
  uint64_t Bytes_ = 0;
  int GgaSent_ = 0;
  std::deque<std::pair<int64_t, size_t>> Recent;  // (when, bytes) of the last reads
};

}  // namespace orvane
