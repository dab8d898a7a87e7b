// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Session.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iterator>

#include <QCoreApplication>
#include <QTimer>

#include "gui/ErrorHandler.h"
#include "gui/MenuItems.h"
#include "nmea/NmeaRec.h"
#include "serial/PortNames.h"
#include "settings/MainVars.h"
#include "settings/Settings.h"

namespace orvane {

TSession* Session = nullptr;

TSession::TSession(const std::optional<std::string>& sourceForRun, const std::optional<TShareSettings>& shareForRun)
    : Receiver(NmeaRec, {&PollTimer, &ReopenTimer, &Timer, &SLTimer, &AgeTimer}) {
  // An error that escapes a tick (the log) ends only that tick.
  PollTimer.OnTick = [this] { Guard([this] { Receiver.PollTick(); }); };
  ReopenTimer.OnTick = [this] { Guard([this] { Receiver.ReopenTick(); }); };
  Timer.OnTick = [this] { Guard([this] { Receiver.ReplayTick(); }); };
  SLTimer.OnTick = [this] { Receiver.SaveTick(); };
  AgeTimer.OnTick = [this] { Receiver.AgeTick(); };
  Receiver.OnLog = [](const std::string& line) { std::fprintf(stderr, "Orvane: %s\n", line.c_str()); };
  Receiver.Replayer().ProcessEvents = [] { QCoreApplication::processEvents(); };
  // Each piece goes on as it arrives, replayed lines included; the share never waits for a client.
  Receiver.OnReceived = [this](std::string_view bytes) {
    if (Share.Active()) Share.Feed(bytes);
  };
  ShareTimer.OnTick = [this] { ShareTick(); };
  ShareRetryTimer.OnTick = [this] { ShareRetryTick(); };

  // Settings before anything that shows them.
  const TSettingsLoad load = LoadSettings();
  for (const std::string& note : load.Adjusted) std::fprintf(stderr, "Orvane: %s\n", note.c_str());
  // Running on defaults without a word would look like lost settings; the file is left as it is.
  if (!load.ReadError.empty())
    QTimer::singleShot(0, [message = load.ReadError + "; the defaults are used and the file is left as it is"] {
      ShowError(message);
    });
  Receiver.Replayer().SetInterval(RepInterval);
  // Recording resumes as it was left.
  Receiver.Recorder().Start();
  ApplyStoredSource(sourceForRun);
  Receiver.OpenSource();
  // A share that cannot start is said, and the receiver goes on without it.
  const std::vector<std::string> failed = ApplyShare(shareForRun ? *shareForRun : ShareSettings);
  if (!failed.empty()) {
    std::string message;
    for (const std::string& f : failed) {
      std::fprintf(stderr, "Orvane: %s\n", f.c_str());
      message += (message.empty() ? "" : "\n") + f;
    }
    QTimer::singleShot(0, [message] { ShowError(message); });
  }
  NtripTimer.OnTick = [this] { Guard([this] { CorrectionsTick(); }); };
  Ntrip.OnLog = [](const std::string& line) { std::fprintf(stderr, "Orvane: NTRIP: %s\n", line.c_str()); };
  if (NtripOn && !NtripConfig.Host.empty() && !NtripConfig.Mount.empty()) StartCorrections();
}

std::vector<std::string> TSession::ApplyShare(const TShareSettings& settings) {
  ShareInForce_ = settings;
  std::vector<std::string> failed = Share.Apply(settings);
  if (Share.Retrying())
    failed.push_back("It is tried again every " + std::to_string(kShareRetryMs / 1000) +
                     " seconds; the console says when it is shared.");
  RunShareTimers();
  TellShareStatus();
  return failed;
}

void TSession::RunShareTimers() {
  if (Share.Active())
    ShareTimer.Start(kSharePollMs);
  else
    ShareTimer.Stop();
  if (Share.Retrying())
    ShareRetryTimer.Start(kShareRetryMs);
  else
    ShareRetryTimer.Stop();
}

// The failure was said when the share was applied; only a start is worth a line.
void TSession::ShareRetryTick() {
  const std::vector<std::string> started = Share.Retry();
  if (started.empty()) return;
  for (const std::string& line : started) std::fprintf(stderr, "Orvane: %s\n", line.c_str());
  RunShareTimers();
  TellShareStatus();
}

void TSession::ShareTick() {
  Share.Poll();
  if (++ShareTicks % 10 == 0) TellShareStatus();
}

void TSession::TellShareStatus() {
  std::string status = Share.StatusText();
  if (status == ShareSaid) return;
  ShareSaid = std::move(status);
  if (OnShareStatus) OnShareStatus(ShareSaid);
}

void TSession::StartCorrections() {
  CorrectionsNotWritten.clear();
  Ntrip.Start(NtripConfig);
  NtripTimer.Start(kCorrectionsPollMs);
}

void TSession::StopCorrections() {
  NtripTimer.Stop();
  Ntrip.Stop();
  CorrectionsNotWritten.clear();
}

void TSession::CorrectionsTick() {
  Ntrip.SetGga(Receiver.LastGga());
  std::string bytes;
  Ntrip.Poll(bytes);
  if (bytes.empty()) return;
  std::string error;
  if (Receiver.Send(bytes, error)) {
    CorrectionsNotWritten.clear();
  } else if (error != CorrectionsNotWritten) {
    // Said once while it holds: corrections come every second.
    CorrectionsNotWritten = error;
    std::fprintf(stderr, "Orvane: NTRIP: corrections not written: %s\n", error.c_str());
  }
}

std::string TSession::CorrectionsStatus() const {
  std::string s = Ntrip.Status();
  if (!CorrectionsNotWritten.empty()) s += "\nNot written to the receiver: " + CorrectionsNotWritten;
  return s;
}

TSession::~TSession() { Close(); }

// The stored port and speed are chosen and opened once.
void TSession::ApplyStoredSource(const std::optional<std::string>& sourceForRun) {
  TCommPortDriver& port = Receiver.UseSerialPort();
  if (NmeaRec.ComPort >= 1 && NmeaRec.ComPort <= kComPortCount)
    port.SetComPort(static_cast<TComPortNumber>(NmeaRec.ComPort - 1));
  TComPortBaudRate rate;
  if (std::find(std::begin(kSpeedItems), std::end(kSpeedItems), NmeaRec.ComSpeed) != std::end(kSpeedItems) &&
      BaudRateOf(static_cast<uint32_t>(NmeaRec.ComSpeed), rate))
    port.SetComPortSpeed(rate);
  Receiver.SetAutoSpeed(NmeaRec.ComSpeed == kAutoSpeed);
  const std::string& source = sourceForRun ? *sourceForRun : NmeaRec.Source;
  if (!source.empty()) Receiver.SetSourceAddress(source);
}

void TSession::Close() {
  if (Closed) return;
  Closed = true;
  StopCorrections();
  Receiver.StopReplay();
  Receiver.CloseSource();
  ShareTimer.Stop();
  ShareRetryTimer.Stop();
  Share.Stop();
  Receiver.Recorder().CloseLogFile();
  try {
    SaveSettings();
  } catch (const std::exception& e) {
    ExitFailures().push_back(std::string("The settings were not saved: ") + e.what());
  }
}

}  // namespace orvane
