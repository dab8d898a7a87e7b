// SPDX-License-Identifier: GPL-3.0-or-later
// Log recording of the main window, without the window: the recorder decides when received
// sentences are written and writes them. Also what a replay shares with it: the timers, the port's
// polling and the menus' items. The window's menu handlers call these and mirror the state in
// their check marks and enabled items; its two timers stand behind TLogTimer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <sys/types.h>

#include "common/PollTimer.h"
#include "nmea/NmeaDisplay.h"
#include "nmea/NmeaRec.h"

namespace orvane {

// A timer of the main window (SLTimer, Timer). Start begins or restarts it with the period, after
// which the window calls the owner's tick handler every period; Stop disables it. The recorder and
// the replay never start a timer with period 0.
using TLogTimer = TPollTimer;

// What a replay needs of the receiver's port: its polling paused while the log plays, so the
// two streams do not mix.
class TPortPolling {
public:
  virtual ~TPortPolling() = default;
  virtual void SuspendPolling() = 0;
  virtual void ResumePolling() = 0;
};

// Filter of the open and save dialogs, as "description|pattern|...".
inline constexpr const char* kLogFileFilter = "LogFile|*.Log|TextFile|*.txt|All|*.*";
inline constexpr const char* kDefaultLogName = "NMEA.log";

// The "Save Interval" submenu: caption, object name and tag (seconds; -1 is "Other...").
struct TSaveIntervalItem {
  const char* caption;
  const char* name;
  int32_t tag;
};
inline constexpr TSaveIntervalItem kSaveIntervalItems[] = {
    {"All", "All1", 0},       {"1sec", "N1sec2", 1},  {"5sec", "N1sec1", 5},   {"10sec", "N10sec1", 10},
    {"30sec", "N30sec1", 30}, {"1min", "N1min1", 60}, {"5min", "N5min1", 300}, {"Other...", "Other1", -1},
};

// The "Replay Interval" submenu: caption, object name and the replay period in milliseconds.
struct TReplayIntervalItem {
  const char* caption;
  const char* name;
  int32_t tag;
};
inline constexpr TReplayIntervalItem kReplayIntervalItems[] = {
    {"Fast", "Fast1", 10}, {"Middle", "Middle1", 100}, {"Slow", "Slow1", 1000}};

// SLTimer's period while an interval is set: a save moment's window stays open this long, so it
// holds about one burst of a receiver that sends once a second. (A period of the interval's
// number of milliseconds would close it before the first delivery of the burst arrives.)
inline constexpr uint32_t kSaveWindowMs = 1000;

// The input box of "Other...".
inline constexpr const char* kOtherCaption = "Save Interval";
inline constexpr const char* kOtherPrompt = "Input Saving Interval Time.(Sec)";

// Records the received sentences: all of them ("All", interval 0) or those handled in the window
// after each save moment. Reads and writes the settings SaveLog, SaveInterval and SaveLogName of
// the record it is given.
class TNmeaLogRecorder : public TNmeaLogWriter {
public:
  using TClock = std::function<uint32_t()>;
  // Called once when recording had to be switched off because the log could not be created or
  // written; the message names the file and the cause. The window unchecks "Save Log" and shows
  // the message. Without it, WriteLogLine throws the message instead (once: recording is off then).
  using TFailureEvent = std::function<void(const std::string& message)>;

  // saveTimer is SLTimer; clock is the 32-bit millisecond clock (TickCount32 unless replaced).
  explicit TNmeaLogRecorder(TNmeaRec& rec, TLogTimer* saveTimer = nullptr, TClock clock = nullptr);
  TNmeaLogRecorder(const TNmeaLogRecorder&) = delete;
  TNmeaLogRecorder& operator=(const TNmeaLogRecorder&) = delete;
  ~TNmeaLogRecorder() override;  // closes the log

  // Start-up, after the settings are loaded: takes SLTimer's period from SaveInterval, enables it
  // with SaveLog, and resumes a stored SaveLog (the next sentences are written).
  void Start();

  // TNmeaLogWriter, for the sentence processor.
  bool SaveNow() const override { return SaveNow_; }
  // Opens the log when needed and writes the sentence and CR LF, whole or not at all. A failure
  // switches recording off and is reported once through OnFailure (or thrown when none is set).
  bool WriteLogLine(const std::string& sentence) override;

  // Opens the file SaveLogName for appending when the log is not open, creating it when missing:
  // an earlier recording is kept, and the two replay as one. Throws std::runtime_error naming the
  // file and the cause.
  void OpenLogFile();
  // Whether the open log is still the file its name names. One that was deleted or moved (or
  // replaced) is closed, so that nothing more goes into it, and the next sentence opens a new file
  // of the name; the answer says so, once. Empty while the log is in place or closed. Costs two
  // stat calls: for a timer, not for every sentence.
  std::string CheckLogFile();
  // Closes the log when it is open; everything written is on disk afterwards.
  void CloseLogFile();
  bool LogOpened() const { return Fd >= 0; }
  // The name the open log was created with (empty when closed).
  const std::string& OpenedName() const { return OpenedName_; }

  // menSaveLogClick with the item's new check state.
  void SetSaveLog(bool on);
  bool SaveLog() const { return Rec.SaveLog; }
  // SaveIvClick (every item of the submenu, "1sec" included) and the answer of OtherClick.
  void SetSaveInterval(int32_t seconds);
  int32_t SaveInterval() const { return Rec.SaveInterval; }
  // OtherClick: the pre-filled text of the input box, and the value its answer gives (non-numeric
  // text gives 0).
  std::string SaveIntervalText() const;
  static int32_t ParseSaveInterval(const std::string& answer);
  // LogFileClick: the name for the next log; an open log keeps its old name until it is closed.
  void SetSaveLogName(const std::string& name);
  const std::string& SaveLogName() const { return Rec.SaveLogName; }

  // SLTimer's tick.
  void SLTimerTimer();
  // Replay start: SLTimer off, and the replayed sentences are not written unless recording is
  // switched on again.
  void SuspendForReplay();
  // Replay end: recording goes on as it was before the replay (with "All", at once).
  void ResumeAfterReplay();

  uint32_t SaveTimerPeriod() const { return Period; }  // ms; 0: SLTimer never ticks
  bool SaveTimerEnabled() const { return TimerOn; }
  uint32_t LastSaveTick() const { return LastSaveTick_; }

  TFailureEvent OnFailure;

private:
  void Fail(const std::string& message);
  void StartTimer();
  void StopTimer();

  TNmeaRec& Rec;
  TLogTimer* Timer;
  TClock Clock;
  int Fd = -1;
  std::string OpenedName_;
  dev_t Dev = 0;  // the open log's device and inode, for CheckLogFile
  ino_t Ino = 0;
  bool SaveNow_ = false;
  bool SaveNowBeforeReplay_ = false;
  uint32_t LastSaveTick_ = 0;
  uint32_t Period = 0;
  bool TimerOn = false;
};

}  // namespace orvane
