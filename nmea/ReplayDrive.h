// SPDX-License-Identifier: GPL-3.0-or-later
// A replay the user drives: pause and resume, one burst at a time, a choice of pace, a seek to
// any place of the log, and the times of the place reached and of the log's end. It reads the
// log itself, by byte position, and hands each line on; the owner wires it to the sentence
// processor. The pace is kept by an injected millisecond clock and
// one timer, so it runs the same under test as in the window.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "nmea/NmeaLog.h"
#include "nmea/UNmeaProc.h"

namespace orvane {

// How a pace plays the log: Lines, up to kLinesPerTick lines every Value ms (the "Replay
// Interval" paces); Speed, the sentence times Value times faster than they were recorded;
// Fastest, as fast as the program can, letting the windows draw between runs.
enum class TPaceKind { Lines, Speed, Fastest };

struct TPaceItem {
  const char* Caption;
  TPaceKind Kind;
  int Value;
};
inline constexpr TPaceItem kPaceItems[] = {
    {"Slow", TPaceKind::Lines, 1000}, {"Middle", TPaceKind::Lines, 100}, {"Fast", TPaceKind::Lines, 10},
    {"x2", TPaceKind::Speed, 2},      {"x4", TPaceKind::Speed, 4},       {"x8", TPaceKind::Speed, 8},
    {"x16", TPaceKind::Speed, 16},    {"x64", TPaceKind::Speed, 64},     {"as fast as possible", TPaceKind::Fastest, 0},
};
inline constexpr int kPaceCount = static_cast<int>(sizeof kPaceItems / sizeof kPaceItems[0]);

// The UTC time a sentence carries (GGA, RMC, GLL, ZDA, GNS, GST, GBS), as hhmmss in seconds of
// the day with its fraction; -1 for a sentence without one.
double SentenceTime(std::string_view line);
// "12:34:56" of seconds of the day; "--:--:--" for -1.
std::string FormatUtc(double seconds);

class TReplayDrive {
public:
  using TClock = std::function<uint64_t()>;  // monotonic milliseconds
  static constexpr int kLinesPerTick = 10;
  // The longest pause between two bursts at a Speed pace: a log with a gap goes on.
  static constexpr double kMaxGapSeconds = 5;
  // How long one run of the Fastest pace may hold the program before the windows draw.
  static constexpr uint64_t kFastestRunMs = 40;

  // While a log plays, the port's reading is suspended and the recorder paused (either may be
  // null).
  TReplayDrive(TLogTimer* timer, TClock clock, TPortPolling* port = nullptr, TNmeaLogRecorder* recorder = nullptr);
  TReplayDrive(const TReplayDrive&) = delete;
  TReplayDrive& operator=(const TReplayDrive&) = delete;
  ~TReplayDrive();

  // Opens the log and plays it from its start at the current pace. Throws std::runtime_error
  // naming the file and the cause; a running replay then goes on. A running replay is stopped
  // first.
  void Start(const std::string& fileName);
  // Closes the log; OnRunningChanged(false) and OnChanged follow. Nothing when none runs. The
  // pause is kept, for a seek that plays the log again.
  void Stop();
  bool Running() const { return File >= 0; }
  // The last replay reached the log's end (and stopped there).
  bool Finished() const { return Finished_; }

  void Pause();
  void Resume();
  bool Paused() const { return Paused_; }
  // One burst, up to the next change of the sentence time; the replay is paused after it.
  void Step();
  // To the start of the burst at byte `position` (clamped to the log); the pace goes on from there.
  void Seek(uint64_t position);

  void SetPace(int index);  // an index of kPaceItems; others are ignored
  int Pace() const { return Pace_; }
  void Faster() { SetPace(Pace_ + 1); }
  void Slower() { SetPace(Pace_ - 1); }
  // "Replay Interval" and start-up (RepInterval): the Lines pace with this period in ms, shown as
  // the Lines item of that period or, for another period, the nearest slower one.
  void SetInterval(int32_t ms);
  int32_t Interval() const { return LineMs; }

  // The timer's tick. An error reading the log or from Deliver stops the replay and is rethrown.
  void Tick();

  const std::string& FileName() const { return FileName_; }
  uint64_t Position() const { return Offset; }  // bytes read
  uint64_t Size() const { return Size_; }
  double PositionTime() const { return Time; }  // of the last timed line handed on; -1 before
  double EndTime() const { return EndTime_; }   // of the log's last timed line; -1 when none
  uint64_t LinesReplayed() const { return Lines; }

  // Each line, without its terminator.
  std::function<void(const std::string& line)> Deliver;
  // Between two lines; the window lets its events run, which may pause, seek or stop.
  std::function<void()> ProcessEvents;
  // At each start and stop, before OnRunningChanged: the owner forgets a half sentence, which
  // would otherwise be joined to lines of another input.
  std::function<void()> OnStartStop;
  std::function<void(bool running)> OnRunningChanged;
  // After each change the window shows: position, time, pause, pace, the end.
  std::function<void()> OnChanged;
  // Once per replay, for the first line too long to be a sentence; it is skipped, as the live
  // path drops what its pending text cannot hold.
  std::function<void(const std::string& message)> OnLongLine;

private:
  // The next line and where it starts, or the next piece of a line too long to be one; false at
  // the end.
  bool Peek();
  // Reads on into the buffer; false at the end of the file.
  bool Fill();
  void SeekFile(uint64_t position);
  // Hands on the peeked line; false when a pause, a seek or a stop came between lines.
  bool DeliverOne();
  // Lines up to the end of the burst that begins with the next line; false when interrupted.
  bool DeliverBurst();
  // One tick's work at the pace.
  void Run();
  void Schedule(uint64_t delayMs);
  void Finish();
  void Restart();  // a new reference for the Speed pace
  void Changed() {
    if (OnChanged) OnChanged();
  }

  TLogTimer* Timer;
  TClock Clock;
  TPortPolling* Port;
  TNmeaLogRecorder* Recorder;
  // Bytes read from the log per call, and the most of a long line one call reads past.
  static constexpr size_t kReadBlock = 64 << 10;
  static constexpr uint64_t kSkipPiece = 1 << 20;
  static constexpr int kPiecesPerTick = 16;
  int File = -1;
  std::vector<char> Buf;
  size_t BufAt = 0, BufEnd = 0;
  bool SkippingLong = false;  // inside a long line: what follows up to its LF is skipped too
  std::string FileName_;
  uint64_t Size_ = 0, Offset = 0, Lines = 0;
  double Time = -1, EndTime_ = -1;
  std::string Next;  // the peeked line
  bool HasNext = false, NextTooLong = false, LongLineTold = false;
  uint64_t NextEnd = 0;  // byte position after it
  bool Paused_ = false, Finished_ = false;
  int Pace_ = 0;
  int32_t LineMs = 1000;    // the Lines pace's period
  uint64_t Generation = 0;  // counts interruptions: a pause, a seek, a stop, a start
  // The Speed pace: the clock and the sentence time at the reference point.
  uint64_t RefClock = 0;
  double RefTime = -1;
};

}  // namespace orvane
