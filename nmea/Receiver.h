// SPDX-License-Identifier: GPL-3.0-or-later
// The receive path below the windows: one input (a serial port, or any byte source), the framing
// and decoding, recording and replay, and reopening an input that failed or hung up. The windows
// are its displays and command it; tests drive it with scripted sources and hand-ticked timers.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/PollTimer.h"
#include "nmea/ByteSource.h"
#include "nmea/GnssHint.h"
#include "nmea/NmeaDisplay.h"
#include "nmea/NmeaLog.h"
#include "nmea/NmeaRec.h"
#include "nmea/ReplayDrive.h"
#include "nmea/SourceFactory.h"
#include "nmea/SpeedHunt.h"
#include "nmea/UNmeaProc.h"
#include "serial/ComDrv32.h"

namespace orvane {

// The message for a port that did not open: "COM3 (/dev/ttyUSB0): Permission denied (join the
// dialout group)".
std::string PortOpenFailure(int number, const std::string& device, const std::string& lastOpenError);

class TReceiver {
public:
  static constexpr uint32_t kPollMs = 50;
  static constexpr uint32_t kReopenMs = 2000;
  static constexpr uint32_t kAgeTickMs = 1000;
  // Data shown is old once no sentence has been decoded for this long.
  static constexpr int64_t kDataOldMs = 5000;
  // A network source that has sent nothing for this long is connected again.
  static constexpr int64_t kQuietMs = 10000;
  // A network source still opening after this long says what it is doing ("looking up HOST...").
  static constexpr int64_t kProgressMs = 1000;
  // One poll tick handles at most this many received bytes, in pieces of kPollPiece, and stops
  // after the piece that ends past kPollBudgetMs: a source faster than the windows can show
  // cannot hold the event loop. What is left waits, read or still in the source, for the next
  // tick.
  static constexpr size_t kPollBytes = 1 << 20;
  static constexpr size_t kPollPiece = 16 << 10;
  static constexpr int64_t kPollBudgetMs = 15;

  // The timers of the receive path, each ticking the handler of the same name.
  struct TTimers {
    TPollTimer* Poll = nullptr;    // reads the source: PollTick
    TPollTimer* Reopen = nullptr;  // tries a lost source again: ReopenTick
    TPollTimer* Replay = nullptr;  // the replay's pace: ReplayTick
    TPollTimer* Save = nullptr;    // the save interval: SaveTick
    TPollTimer* Age = nullptr;     // counts the age of the data shown: AgeTick
  };
  using TClock = std::function<int64_t()>;

  // Starts with a closed serial source for COM1 (the driver set up as the program uses it).
  TReceiver(TNmeaRec& rec, TTimers timers, TClock clock = nullptr);
  TReceiver(const TReceiver&) = delete;
  TReceiver& operator=(const TReceiver&) = delete;
  ~TReceiver();

  // Where decoded data, sentences and the receiver's status are shown. A display added while a
  // status is said is told it at once. Remove a display before it goes.
  void AddDisplay(TNmeaDisplay& display);
  void RemoveDisplay(TNmeaDisplay& display);

  // ---- the input
  // Replaces the source (the old one closed, its half sentence forgotten); not opened here.
  void SetSource(TMadeSource made);
  void SetSource(std::unique_ptr<TByteSource> source) { SetSource(TMadeSource{std::move(source)}); }
  TByteSource& Source() const { return *Source_; }
  // The serial driver when the source is one, else null.
  TCommPortDriver* SerialPort() const { return Serial; }
  // Makes the source a serial port again when it is not one; answers its driver.
  TCommPortDriver& UseSerialPort();
  // The source an address names: a network address (tcp://HOST:PORT, udp://[ADDRESS]:PORT,
  // gpsd://HOST[:PORT][/DEVICE]), a device path, or, empty, the serial port's COM number. The old
  // source is closed; the new one is not opened here.
  void SetSourceAddress(const std::string& address);
  const std::string& SourceAddress() const { return Address; }
  // Opens the source. A failure is said (status, log) and the source tried again every
  // kReopenMs; true when it is open.
  bool OpenSource();
  // Closes the source: no polling, no retries, no half sentence kept.
  void CloseSource();
  bool SourceOpen() const { return Source_->IsOpen(); }
  bool Reopening() const { return ReopenOn; }
  // For a reader of one run (orvane-nmea): a source that cannot be opened or is lost is said and
  // left closed instead of tried again, its half sentence and the fix kept for the reader to
  // tell, and a quiet network source is waited for, not connected again.
  void SetEndOnLoss(bool on) { EndOnLoss = on; }
  // The "Auto" speed: each time a serial source opens, its speeds are tried until sentences
  // with good checksums arrive; the speed found is said and kept. Off gives the port's chosen
  // speed back its say.
  void SetAutoSpeed(bool on);
  bool AutoSpeed() const { return AutoSpeed_; }
  bool HuntingSpeed() const { return Hunt.Hunting(); }

  // ---- sending to the receiver
  // Sends `bytes` (a framed command, corrections) through the source: what it does not take at
  // once waits, in order, for the next poll ticks, so a slow line never holds the caller. False,
  // with `error`, while a replay runs, while the source is closed, when it takes no bytes, when
  // the write failed, or when more than kMaxOutgoing bytes would wait (nothing of them is kept).
  bool Send(std::string_view bytes, std::string& error);
  static constexpr size_t kMaxOutgoing = 64 << 10;
  // Bytes sent and still waiting for the source to take them.
  size_t Outgoing() const { return Outgoing_.size(); }
  // The newest GGA read from the source with a fix, as it came ("$GPGGA,...*hh"); empty before one.
  const std::string& LastGga() const { return LastGga_; }

  // ---- timer ticks
  void PollTick();
  // Bytes read from the source wait to be handled by the next poll ticks.
  bool HasUnhandled() const { return ReceivedAt < Received.size(); }
  void ReopenTick();
  void ReplayTick();
  void SaveTick();
  void AgeTick();

  // ---- recording and replay
  TNmeaProc& Proc() { return Proc_; }
  TNmeaLogRecorder& Recorder() { return Recorder_; }
  TReplayDrive& Replayer() { return Replayer_; }
  // Throws std::runtime_error naming the file and the cause when it cannot be opened.
  void StartReplay(const std::string& fileName);
  void StopReplay();

  // What keeps data from coming, as said to the displays; empty while data comes.
  const std::string& Status() const { return Status_; }
  // Seconds since the last decoded sentence while the data shown is old, else kDataCurrent.
  int DataAge() const { return DataAge_; }

  void SetClock(TClock clock);

  // Lines for standard error, without the program's name.
  std::function<void(const std::string& line)> OnLog;
  // The bytes of each read from the source, as they came, before the framing sees them; during a
  // replay, each replayed line with its CR LF.
  std::function<void(std::string_view bytes)> OnReceived;
  // After each sentence the processor handled.
  std::function<void(const TSentenceInfo&)> OnSentence;
  // Once: a receiver sends only multi-GNSS talkers while they are not decoded; time to ask.
  std::function<void()> OnGnssQuestion;

private:
  // The displays as the processor sees them: every call goes to each display.
  class TFan : public TNmeaDisplay {
  public:
    void PlaceSatellite(const std::string& prn, int index, int elevation, int azimuth, int snr) override;
    void SetSatVisible(int index, bool visible) override;
    void SetSatColor(int index, TColor color) override;
    void SetFixCaption(const std::string& caption) override;
    bool WantsBlocks() const override;
    void ShowGGA(const std::string& block) override;
    void ShowGLL(const std::string& block) override;
    void ShowRMC(const std::string& block) override;
    void ShowAccuracy(const std::string& block) override;
    void ShowReceiverText(const std::string& text) override;
    void ShowSentence(const TSentenceInfo& info) override;
    void ShowNotice(std::string_view text) override;
    void ShowStatus(const std::string& text) override;
    void ShowDataAge(int seconds) override;
    // While held, each satellite, the last-sentence line, the fix caption and the blocks keep
    // only their newest state, which Release shows: a poll tick's many sentences update each of
    // them once. Displays that want every line are still given each call.
    void Hold() { Holding = true; }
    void Release();
    std::vector<TNmeaDisplay*> Displays;

  private:
    template <class TCall>
    void Pass(TCall call) {
      for (TNmeaDisplay* d : Displays)
        if (!Holding || d->WantsEveryLine()) call(*d);
    }
    // The newest of what one satellite entry was told while held.
    struct THeldSat {
      bool Placed = false, Coloured = false, Shown = false;
      std::string Prn;
      int Elevation = 0, Azimuth = 0, Snr = 0;
      TColor Color = 0;
      bool Visible = false;
    };
    // The newest sentence or notice for the last-sentence line, copied out of the framing.
    struct THeldLine {
      bool Held = false, Notice = false;
      std::string Text, Address;
      const char* Type = nullptr;
      TSentenceOutcome Outcome = TSentenceOutcome::Ignored;
      bool Logged = false;
    };
    THeldSat* Held(int index);
    bool Holding = false;
    bool FixHeld = false, GgaHeld = false, GllHeld = false, RmcHeld = false, AccHeld = false;
    std::string Fix, Gga, Gll, Rmc, Acc;
    THeldLine Line;
    std::array<THeldSat, kMaxGnssSats> Sats{};
    std::vector<int> SatsHeld;  // the entries told anything while held, in the order first told
  };
  // A replay stops the reading of the source meanwhile.
  struct TPolling final : TPortPolling {
    void SuspendPolling() override { ++Count; }
    void ResumePolling() override { --Count; }
    int Count = 0;
  };

  void Say(const std::string& status);
  // A notice for the log and the last-sentence line; the status stays as it is.
  void Notice(const std::string& text);
  void ClearStatus();
  void Log(const std::string& line);
  std::string OpenFailure() const;
  // No more polling: the source closed, what was read and not handled forgotten.
  void StopReading();
  void StartReopen();
  void StopReopen();
  void Lost(const std::string& why);
  void Opening(const std::string& progress, int64_t now);
  void Sentence(const TSentenceInfo& info);
  void SetDataAge(int seconds);
  // Hands on what was read and not yet handled, within the tick's bounds.
  void HandleReceived();
  // A source that opens again is back for the log once it delivers: a connection under way may
  // still fail, and a listener may hear nothing.
  void Reopened();
  // The auto speed's step of a poll tick, after a read.
  void HuntSpeed(int64_t now);
  // With the auto speed on, a serial source just opened begins the hunt.
  void StartSpeedHunt();
  // Sets the line to the hunt's speed and says so.
  void TrySpeed();

  TNmeaRec& Rec;
  TTimers Timers;
  TClock Clock;
  TFan Fan;
  TPolling Polling;
  TNmeaLogRecorder Recorder_;
  TNmeaProc Proc_;
  TReplayDrive Replayer_;
  TGnssHint GnssHint;
  std::unique_ptr<TByteSource> Source_;
  TCommPortDriver* Serial = nullptr;
  std::string Address;
  std::string Status_;
  std::string ProgressSaid;  // the status that says what an open under way does
  std::string LastSaid;      // the last failure written to the log, not repeated while it holds
  std::string Received;      // bytes read from the source, handled from ReceivedAt on
  size_t ReceivedAt = 0;
  std::string LastGga_;
  std::string Outgoing_;  // sent and not yet taken by the source
  // Hands on to the source what it takes of Outgoing_ now; false, with `error`, on a failure.
  bool FlushOutgoing(std::string& error);
  std::string LostAfter;  // the source failed after these bytes were read: why, once they are handled
  bool InPoll = false;
  bool PollOn = false;
  bool ReopenOn = false;
  bool EndOnLoss = false;
  bool AutoSpeed_ = false;
  TSpeedHunt Hunt;
  bool OverlongTold = false;
  bool BackUntold = false;  // reopened, "is back" said with its first bytes
  int64_t LastDataMs = 0;   // the last decoded sentence, or the start
  int64_t LastBytesMs = 0;  // the last bytes read, or the source's opening
  int64_t OpenedMs = 0;     // the source's last opening
  int DataAge_ = kDataCurrent;
};

}  // namespace orvane
