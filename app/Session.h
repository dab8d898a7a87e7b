// SPDX-License-Identifier: GPL-3.0-or-later
// The receive session the program composes before any window: the settings loaded, the receiver
// with its five timers, the stored port, speed and source applied and opened, and at the end
// the input and the log closed and the settings saved. The windows are handed its receiver.
#pragma once

#include <optional>
#include <string>

#include "gui/QtTimer.h"
#include "net/NtripClient.h"
#include "nmea/Receiver.h"

namespace orvane {

class TSession {
public:
  // `sourceForRun`, when given, is read instead of the stored source without replacing it.
  explicit TSession(const std::optional<std::string>& sourceForRun = std::nullopt);
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;
  ~TSession();

  // The replay stopped, the input and the log closed, the settings saved (a failure kept for the
  // exit). Runs once; the destructor runs it when nobody did.
  void Close();

  // Declared before the receiver, so they outlive it.
  TQtTimer PollTimer, ReopenTimer, Timer, SLTimer, AgeTimer;
  TReceiver Receiver;

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
  bool Closed = false;
  std::string CorrectionsNotWritten;  // why the last corrections did not reach the receiver
};

// The program's one session (null before start-up made it).
extern TSession* Session;

}  // namespace orvane
