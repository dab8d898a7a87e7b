// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/Receiver.h"

#include <algorithm>
#include <utility>

#include "common/ScopeGuard.h"
#include "common/TickCount.h"
#include "net/NetAddress.h"

namespace orvane {

std::string PortOpenFailure(int number, const std::string& device, const std::string& lastOpenError) {
  // The driver's text repeats the port and the device that the message names already.
  std::string cause = lastOpenError;
  for (const std::string& prefix : {"COM" + std::to_string(number) + ": ", "Cannot open \"" + device + "\": "})
    if (cause.rfind(prefix, 0) == 0) cause.erase(0, prefix.size());
  if (cause.empty()) cause = "cannot be opened";
  std::string msg = "COM" + std::to_string(number) + " (" + device + "): " + cause;
  if (cause.find("Permission denied") != std::string::npos) msg += " (join the dialout group)";
  return msg;
}

namespace {

// "NAME: CAUSE"; a network source's messages name it already ("Cannot connect to tcp://...").
std::string SourceMessage(const std::string& name, const std::string& cause) {
  if (cause.find(name) != std::string::npos) return cause;
  return name + ": " + cause;
}

}  // namespace

TReceiver::TReceiver(TNmeaRec& rec, TTimers timers, TClock clock)
    : Rec(rec),
      Timers(timers),
      Clock(clock ? std::move(clock) : TClock(SteadyMs)),
      Recorder_(rec, timers.Save),
      Proc_(rec, Fan, &Recorder_),
      Replayer_(
          timers.Replay, [this] { return static_cast<uint64_t>(Clock()); }, &Polling, &Recorder_) {
  // A replayed line takes the received sentences' road, ended as a receiver ends it; those who
  // take the received bytes get it too, so that a log can stand in for the receiver.
  Replayer_.Deliver = [this](const std::string& line) {
    const std::string bytes = line + "\r\n";
    if (OnReceived) OnReceived(bytes);
    Proc_.ProcessNmea(bytes);
  };
  Replayer_.OnStartStop = [this] { Proc_.ClearPending(); };
  Proc_.OnSentence = [this](const TSentenceInfo& info) { Sentence(info); };
  Proc_.OnOverlongLine = [this] {
    if (std::exchange(OverlongTold, true)) return;
    const std::string text =
        "A line longer than " + std::to_string(TNmeaProc::kMaxPendingText) + " bytes without a line end was dropped";
    Notice(text);
  };
  Replayer_.OnLongLine = [this](const std::string& message) { Notice(message); };
  UseSerialPort();
  LastDataMs = LastBytesMs = Clock();
  if (Timers.Age) Timers.Age->Start(kAgeTickMs);
}

TReceiver::~TReceiver() {
  if (Timers.Age) Timers.Age->Stop();
  Replayer_.Stop();
  CloseSource();
}

void TReceiver::SetClock(TClock clock) {
  Clock = clock ? std::move(clock) : TClock(SteadyMs);
  LastDataMs = LastBytesMs = Clock();
}

// ---- displays ----

void TReceiver::AddDisplay(TNmeaDisplay& display) {
  if (std::find(Fan.Displays.begin(), Fan.Displays.end(), &display) != Fan.Displays.end()) return;
  Fan.Displays.push_back(&display);
  if (!Status_.empty()) display.ShowStatus(Status_);
  if (DataAge_ != kDataCurrent) display.ShowDataAge(DataAge_);
}

void TReceiver::RemoveDisplay(TNmeaDisplay& display) { std::erase(Fan.Displays, &display); }

TReceiver::TFan::THeldSat* TReceiver::TFan::Held(int index) {
  if (!Holding || index < 1 || index > kMaxGnssSats) return nullptr;
  THeldSat& s = Sats[static_cast<size_t>(index - 1)];
  if (!s.Placed && !s.Coloured && !s.Shown) SatsHeld.push_back(index);
  return &s;
}
void TReceiver::TFan::PlaceSatellite(const std::string& prn, int index, int elevation, int azimuth, int snr) {
  if (THeldSat* s = Held(index)) {
    s->Placed = true;
    s->Prn = prn;
    s->Elevation = elevation;
    s->Azimuth = azimuth;
    s->Snr = snr;
  }
  Pass([&](TNmeaDisplay& d) { d.PlaceSatellite(prn, index, elevation, azimuth, snr); });
}
void TReceiver::TFan::SetSatVisible(int index, bool visible) {
  if (THeldSat* s = Held(index)) {
    s->Shown = true;
    s->Visible = visible;
  }
  Pass([&](TNmeaDisplay& d) { d.SetSatVisible(index, visible); });
}
void TReceiver::TFan::SetSatColor(int index, TColor color) {
  if (THeldSat* s = Held(index)) {
    s->Coloured = true;
    s->Color = color;
  }
  Pass([&](TNmeaDisplay& d) { d.SetSatColor(index, color); });
}
void TReceiver::TFan::SetFixCaption(const std::string& caption) {
  if (Holding) Fix = caption, FixHeld = true;
  Pass([&](TNmeaDisplay& d) { d.SetFixCaption(caption); });
}
bool TReceiver::TFan::WantsBlocks() const {
  return std::any_of(Displays.begin(), Displays.end(), [](const TNmeaDisplay* d) { return d->WantsBlocks(); });
}
void TReceiver::TFan::ShowGGA(const std::string& block) {
  if (Holding) Gga = block, GgaHeld = true;
  Pass([&](TNmeaDisplay& d) { d.ShowGGA(block); });
}
void TReceiver::TFan::ShowGLL(const std::string& block) {
  if (Holding) Gll = block, GllHeld = true;
  Pass([&](TNmeaDisplay& d) { d.ShowGLL(block); });
}
void TReceiver::TFan::ShowRMC(const std::string& block) {
  if (Holding) Rmc = block, RmcHeld = true;
  Pass([&](TNmeaDisplay& d) { d.ShowRMC(block); });
}
void TReceiver::TFan::ShowAccuracy(const std::string& block) {
  if (Holding) Acc = block, AccHeld = true;
  Pass([&](TNmeaDisplay& d) { d.ShowAccuracy(block); });
}
void TReceiver::TFan::ShowReceiverText(const std::string& text) {
  // Seldom sent and each one worth reading: never held back.
  for (TNmeaDisplay* d : Displays) d->ShowReceiverText(text);
}
void TReceiver::TFan::ShowSentence(const TSentenceInfo& info) {
  if (Holding) {
    Line.Held = true;
    Line.Notice = false;
    Line.Text.assign(info.sentence);
    Line.Address.assign(info.address);
    Line.Type = info.type;
    Line.Outcome = info.outcome;
    Line.Logged = info.logged;
  }
  Pass([&](TNmeaDisplay& d) { d.ShowSentence(info); });
}
void TReceiver::TFan::ShowNotice(std::string_view text) {
  if (Holding) {
    Line.Held = Line.Notice = true;
    Line.Text.assign(text);
  }
  Pass([&](TNmeaDisplay& d) { d.ShowNotice(text); });
}
void TReceiver::TFan::Release() {
  Holding = false;
  const TSentenceInfo info{Line.Text, Line.Address, Line.Type, Line.Outcome, Line.Logged};
  // In the order the processor shows them: the decoders' texts, then the sentence. Displays that
  // want every line had each call as it came.
  for (TNmeaDisplay* d : Displays) {
    if (d->WantsEveryLine()) continue;
    for (const int index : SatsHeld) {
      const THeldSat& s = Sats[static_cast<size_t>(index - 1)];
      if (s.Placed) d->PlaceSatellite(s.Prn, index, s.Elevation, s.Azimuth, s.Snr);
      if (s.Coloured) d->SetSatColor(index, s.Color);
      if (s.Shown) d->SetSatVisible(index, s.Visible);
    }
    if (FixHeld) d->SetFixCaption(Fix);
    if (GgaHeld) d->ShowGGA(Gga);
    if (GllHeld) d->ShowGLL(Gll);
    if (RmcHeld) d->ShowRMC(Rmc);
    if (AccHeld) d->ShowAccuracy(Acc);
    if (Line.Held) {
      if (Line.Notice)
        d->ShowNotice(Line.Text);
      else
        d->ShowSentence(info);
    }
  }
  for (const int index : SatsHeld) Sats[static_cast<size_t>(index - 1)] = THeldSat{};
  SatsHeld.clear();
  Line.Held = FixHeld = GgaHeld = GllHeld = RmcHeld = AccHeld = false;
}
void TReceiver::TFan::ShowStatus(const std::string& text) {
  for (TNmeaDisplay* d : Displays) d->ShowStatus(text);
}
void TReceiver::TFan::ShowDataAge(int seconds) {
  for (TNmeaDisplay* d : Displays) d->ShowDataAge(seconds);
}

void TReceiver::Say(const std::string& status) {
  // Retries that fail alike leave the displays as they are.
  if (status == Status_) return;
  Status_ = status;
  Fan.ShowStatus(status);
  // Retries fail the same way every time; the log hears it once.
  if (status != LastSaid) Log(status);
  LastSaid = status;
}

void TReceiver::Notice(const std::string& text) {
  Log(text);
  Fan.ShowNotice(text);
}

void TReceiver::ClearStatus() {
  if (Status_.empty()) return;
  Status_.clear();
  Fan.ShowStatus("");
}

void TReceiver::Log(const std::string& line) {
  if (OnLog) OnLog(line);
}

// ---- the input ----

void TReceiver::SetSource(TMadeSource made) {
  if (!made.Source) return;
  if (Source_) CloseSource();
  Source_ = std::move(made.Source);
  Serial = made.Serial;
}

void TReceiver::SetSourceAddress(const std::string& address) {
  if (IsNetAddress(address)) {
    SetSource(MakeByteSource(address));
  } else {
    // A serial source made anew takes the stored port and speed.
    TComPortBaudRate speed = br9600;
    if (Serial)
      speed = Serial->ComPortSpeed();
    else
      BaudRateOf(static_cast<uint32_t>(Rec.ComSpeed), speed);
    const TComPortNumber number = Serial                                  ? Serial->ComPort()
                                  : Rec.ComPort >= 1 && Rec.ComPort <= 16 ? static_cast<TComPortNumber>(Rec.ComPort - 1)
                                                                          : pnCOM1;
    CloseSource();
    if (!Serial) SetSource(MakeByteSource(""));
    Serial->SetComPort(number);
    Serial->SetComPortSpeed(speed);
    Serial->SetDevicePath(address);
  }
  Address = address;
}

TCommPortDriver& TReceiver::UseSerialPort() {
  if (!Serial) SetSource(MakeByteSource(""));
  return *Serial;
}

std::string TReceiver::OpenFailure() const {
  if (Serial && Serial->DevicePath().empty())
    return PortOpenFailure(static_cast<int>(Serial->ComPort()) + 1, Serial->DeviceName(), Serial->LastError());
  const std::string& error = Source_->LastError();
  return SourceMessage(Source_->Name(), error.empty() ? "cannot be opened" : error);
}

bool TReceiver::OpenSource() {
  if (Source_->IsOpen()) return true;
  if (!Source_->Open()) {
    // No message box, as for a receiver that is simply unplugged; but say why no data will come.
    Say(OpenFailure());
    if (!EndOnLoss) StartReopen();
    AgeTick();
    return false;
  }
  if (Serial && Serial->ModemLines() == 0) Serial->SetCheckLineStatus(true);
  StartSpeedHunt();
  StopReopen();
  LastSaid.clear();
  OverlongTold = false;
  BackUntold = false;
  LastBytesMs = OpenedMs = Clock();
  ClearStatus();
  PollOn = true;
  if (Timers.Poll) Timers.Poll->Start(kPollMs);
  return true;
}

void TReceiver::SetAutoSpeed(bool on) {
  AutoSpeed_ = on;
  if (on) return;
  Hunt.Stop();
  if (Serial) Serial->SetLineSpeed(0);
}

void TReceiver::StartSpeedHunt() {
  if (!Serial || !AutoSpeed_) return;
  // The speed found last is tried first: a receiver that was unplugged comes back at it.
  Hunt.Start(Serial->LineSpeed(), Clock());
  TrySpeed();
}

void TReceiver::TrySpeed() {
  Serial->SetLineSpeed(Hunt.Speed());
  Notice(Source_->Name() + ": looking for the line speed, trying " + std::to_string(Hunt.Speed()) + " bit/s");
}

void TReceiver::HuntSpeed(int64_t now) {
  if (!Serial || !Hunt.Hunting()) return;
  if (Hunt.Feed(Received)) {
    Notice(Source_->Name() + ": line speed " + std::to_string(Hunt.Speed()) + " bit/s found");
  } else if (Hunt.Tick(now)) {
    TrySpeed();
  }
}

void TReceiver::CloseSource() {
  StopReopen();
  StopReading();
  Proc_.ClearPending();
}

void TReceiver::StopReading() {
  PollOn = false;
  Outgoing_.clear();
  Received.clear();
  ReceivedAt = 0;
  LostAfter.clear();
  if (Timers.Poll) Timers.Poll->Stop();
  Source_->Close();
}

void TReceiver::StartReopen() {
  ReopenOn = true;
  if (Timers.Reopen) Timers.Reopen->Start(kReopenMs);
}

void TReceiver::StopReopen() {
  if (!ReopenOn) return;
  ReopenOn = false;
  if (Timers.Reopen) Timers.Reopen->Stop();
}

void TReceiver::Lost(const std::string& why) {
  StopReading();
  if (EndOnLoss) {
    Say(SourceMessage(Source_->Name(), why));
    return;
  }
  // Half a sentence from before the loss must not be completed by the next device's data.
  Proc_.ClearPending();
  // Its last fix is no longer the receiver's word: the track must not go on recording it.
  Rec.FixValid = false;
  Fan.SetFixCaption("FIX N/A");
  Say(SourceMessage(Source_->Name(), why) + "; trying to reopen it every " + std::to_string(kReopenMs / 1000) +
      " seconds");
  StartReopen();
  AgeTick();
}

// ---- ticks ----

void TReceiver::PollTick() {
  // A handler that lets events run (a box shown at once) must not start a second tick inside this one.
  if (!PollOn || InPoll) return;
  const int64_t now = Clock();
  if (Polling.Count > 0) {
    // The source is not read during a replay, so it is not quiet either.
    LastBytesMs = now;
    return;
  }
  InPoll = true;
  const TScopeGuard done([this] { InPoll = false; });
  if (std::string error; !Outgoing_.empty() && !FlushOutgoing(error)) Notice("Not sent: " + error);
  // What an earlier tick read and left is handled before the source is read again: a flood then
  // waits in the source (the kernel's queue, a TCP sender held back), not in memory here.
  if (ReceivedAt >= Received.size()) {
    Received.clear();
    ReceivedAt = 0;
    if (!Source_->ReadQueued(Received))
      LostAfter = Source_->LastError().empty() ? "the source was lost" : Source_->LastError();
    if (!Received.empty() && OnReceived) OnReceived(Received);
    HuntSpeed(now);
    if (!Received.empty()) {
      if (std::exchange(BackUntold, false)) Reopened();
      ClearStatus();
    }
  }
  if (ReceivedAt < Received.size()) {
    LastBytesMs = now;
    HandleReceived();
  }
  if (!PollOn || ReceivedAt < Received.size()) return;
  if (!LostAfter.empty()) {
    Lost(std::exchange(LostAfter, {}));
    return;
  }
  if (const std::string progress = Source_->Progress(); !progress.empty()) {
    Opening(progress, now);
    return;
  }
  if (!ProgressSaid.empty() && Status_ == ProgressSaid) ClearStatus();
  ProgressSaid.clear();
  if (!Serial && !EndOnLoss && now - LastBytesMs >= kQuietMs)
    // A connection can stand with nobody sending at its far end (a peer gone without a word, a
    // gpsd without its receiver); only connecting again tells. A quiet serial line is just quiet.
    Lost("nothing received for " + std::to_string(kQuietMs / 1000) + " seconds");
}

// An open under way is no silence: the source's own deadline ends it, in its own words. What it
// does is said once it has lasted a moment (a quick connection shows nothing), and never over a
// failure that is being retried.
void TReceiver::Opening(const std::string& progress, int64_t now) {
  LastBytesMs = now;
  if (now - OpenedMs < kProgressMs || (!Status_.empty() && Status_ != ProgressSaid)) return;
  Say(SourceMessage(Source_->Name(), progress));
  ProgressSaid = Status_;
}

void TReceiver::HandleReceived() {
  const int64_t start = Clock();
  const auto* data = reinterpret_cast<const uint8_t*>(Received.data());
  const size_t end = std::min(Received.size(), ReceivedAt + kPollBytes);
  Fan.Hold();
  try {
    while (ReceivedAt < end && PollOn) {
      const size_t at = ReceivedAt;
      // Taken before the handling: a piece that raised an error is not handled twice.
      ReceivedAt = std::min(end, at + kPollPiece);
      Proc_.ProcessReceivedBytes(data + at, ReceivedAt - at);
      if (Clock() - start >= kPollBudgetMs) break;
    }
  } catch (...) {
    Fan.Release();
    throw;
  }
  Fan.Release();
}

void TReceiver::ReopenTick() {
  if (!ReopenOn) return;
  if (!Source_->Open()) return;
  if (Serial && Serial->ModemLines() == 0) Serial->SetCheckLineStatus(true);
  StartSpeedHunt();
  StopReopen();
  OverlongTold = false;
  LastBytesMs = OpenedMs = Clock();
  PollOn = true;
  if (Timers.Poll) Timers.Poll->Start(kPollMs);
  // A device that opens is there; a network source is there once it delivers.
  if (Serial)
    Reopened();
  else
    BackUntold = true;
}

void TReceiver::Reopened() {
  Log(Source_->Name() + " is back");
  LastSaid.clear();
  ClearStatus();
}

void TReceiver::AgeTick() {
  const int64_t now = Clock();
  // Once a second is often enough to notice a log moved or deleted under the recording.
  if (const std::string moved = Recorder_.CheckLogFile(); !moved.empty()) Notice(moved);
  // A replay shows the log at the log's pace, paused or not: the live source's silence is not news
  // meanwhile.
  if (Replayer_.Running()) {
    LastDataMs = now;
    SetDataAge(kDataCurrent);
    return;
  }
  const int64_t silent = std::max<int64_t>(0, now - LastDataMs);
  if (silent >= kDataOldMs || ReopenOn) SetDataAge(static_cast<int>(silent / 1000));
}

void TReceiver::SetDataAge(int seconds) {
  if (seconds == DataAge_) return;
  DataAge_ = seconds;
  Fan.ShowDataAge(seconds);
}

void TReceiver::ReplayTick() { Replayer_.Tick(); }

void TReceiver::SaveTick() { Recorder_.SLTimerTimer(); }

void TReceiver::StartReplay(const std::string& fileName) { Replayer_.Start(fileName); }

void TReceiver::StopReplay() { Replayer_.Stop(); }

bool TReceiver::Send(std::string_view bytes, std::string& error) {
  if (Replayer_.Running()) return (error = "A log is being replayed: nothing is sent to the receiver meanwhile"), false;
  if (!Source_->IsOpen()) return (error = Source_->Name() + " is not open: nothing was sent"), false;
  if (!(error = Source_->WriteRefusal()).empty()) return false;
  if (Outgoing_.size() + bytes.size() > kMaxOutgoing)
    return (error = Source_->Name() + " takes the bytes more slowly than they come (raise its line speed): " +
                    std::to_string(bytes.size()) + " bytes were dropped"),
           false;
  Outgoing_.append(bytes);
  return FlushOutgoing(error);
}

bool TReceiver::FlushOutgoing(std::string& error) {
  size_t written = 0;
  const bool ok = Source_->Write(Outgoing_, written, error);
  Outgoing_.erase(0, written);
  if (!ok) Outgoing_.clear();
  return ok;
}

void TReceiver::Sentence(const TSentenceInfo& info) {
  const int64_t now = Clock();
  // A sentence framed, live or replayed, is data arriving: what kept it from coming is over.
  if (info.outcome != TSentenceOutcome::Dropped) ClearStatus();
  if (info.outcome == TSentenceOutcome::Decoded) {
    LastDataMs = now;
    SetDataAge(kDataCurrent);
  }
  if (info.outcome == TSentenceOutcome::Decoded && info.type && std::string_view(info.type) == "GGA" &&
      Rec.GgaQuality > '0' && !Replayer_.Running())
    LastGga_.assign(info.sentence);
  if (GnssHint.Note(info, Rec, now) && OnGnssQuestion) OnGnssQuestion();
  if (OnSentence) OnSentence(info);
}

}  // namespace orvane
