// SPDX-License-Identifier: GPL-3.0-or-later
// The receive session the program composes before any window: the settings loaded, the receiver
// with its five timers, the stored port, speed and source applied and opened, and at the end
// the input and the log closed and the settings saved. The windows are handed its receiver. The
// share of the received stream with other programs hangs on the receiver here, not on a window.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gui/QtTimer.h"
#include "net/NtripClient.h"
#include "net/StreamShare.h"
#include "nmea/Receiver.h"

namespace orvane {

class TSession {
public:
  // `sourceForRun`, when given, is read instead of the stored source without replacing it;
  // `shareForRun` is shared instead of the stored share the same way.
  explicit TSession(const std::optional<std::string>& sourceForRun = std::nullopt,
                    const std::optional<TShareSettings>& shareForRun = std::nullopt);
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;
  ~TSession();

  // The replay stopped, the input and the log closed, the settings saved (a failure kept for the
  // exit). Runs once; the destructor runs it when nobody did.
  void Close();

  // Stops the share and starts what `settings` ask for; the failures, each naming its address and
  // cause (the receiver goes on either way). A good address that could not start (its port held
  // by another program) is tried again every kShareRetryMs until it starts or the share is
  // changed; the answer then says so in a last line. The status is told at once.
  std::vector<std::string> ApplyShare(const TShareSettings& settings);
  // What the share was last told to do: the run's share, the stored one, or the dialog's.
  const TShareSettings& ShareInForce() const { return ShareInForce_; }
  // The share's line for the console, told when it changes (at most twice a second).
  std::function<void(const std::string& status)> OnShareStatus;

  // Declared before the receiver, so they outlive it.
  TQtTimer PollTimer, ReopenTimer, Timer, SLTimer, AgeTimer, ShareTimer, ShareRetryTimer;
  TStreamShare Share;
  TReceiver Receiver;

  // How often the share takes new clients and writes what waits, between received pieces.
  static constexpr uint32_t kSharePollMs = 50;
  // How often a share that could not start is tried again: soon enough after the other program
  // lets the port go, rarely enough to cost nothing.
  static constexpr uint32_t kShareRetryMs = 5000;
  // ---- corrections from a caster, written to the receiver as they arrive
  static constexpr uint32_t kCorrectionsPollMs = 100;
  // Connects to the caster the settings name (NtripConfig) and keeps the stream running.
  void StartCorrections();
  void StopCorrections();
  void CorrectionsTick();
  // What the stream does, and why corrections were not written to the receiver, in words.
  std::string CorrectionsStatus() const;
  TQtTimer NtripTimer;
  TNtripClient Ntrip;

private:
  void ApplyStoredSource(const std::optional<std::string>& sourceForRun);
  void ShareTick();
  void ShareRetryTick();
  void RunShareTimers();
  void TellShareStatus();
  TShareSettings ShareInForce_;
  std::string ShareSaid;
  unsigned ShareTicks = 0;
  bool Closed = false;
  std::string CorrectionsNotWritten;  // why the last corrections did not reach the receiver
};

// The program's one session (null before start-up made it).
extern TSession* Session;

}  // namespace orvane
