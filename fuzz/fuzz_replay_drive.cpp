// SPDX-License-Identifier: GPL-3.0-or-later
// The replay the window drives, over any file: a pace (or a "Replay Interval" of any value, the
// settings' RepInterval), a pause with a step, and a seek picked by the input, on timers that only
// record what they are asked and a clock that moves a second a tick. It must end, hand over no
// more lines than it read, keep its timer going while it plays unpaused, never start a timer with
// period 0 (it would fire without pause in the window), and leave the timer stopped at the end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/ReplayFuzz.h"
#include "nmea/NmeaLog.h"
#include "nmea/ReplayDrive.h"
#include "nmea/UNmeaProc.h"

using fuzzfile::TFakeTimer;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  // One more than the paces: an interval from the last byte, zero and negative ones included.
  const int pace = data[0] % (orvane::kPaceCount + 1);
  const int32_t interval = static_cast<int8_t>(data[5]) / 2;
  const unsigned pauseAt = data[1], seekAt = data[2];  // ticks; 0: never
  uint16_t seekTo;
  std::memcpy(&seekTo, data + 3, sizeof seekTo);
  const bool stepTwice = data[5] & 1;
  data += 6;
  size -= 6;
  size_t lines = 0;
  const std::string& fileName = fuzzfile::WriteLog("drive.log", data, size, lines);

  orvane::TNmeaRec rec;
  orvane::TNullDisplay display;
  TFakeTimer saveTimer, replayTimer;
  uint64_t now = 0;
  orvane::TNmeaLogRecorder recorder(rec, &saveTimer, [&now] { return static_cast<uint32_t>(now); });
  orvane::TNmeaProc proc(rec, display, &recorder);
  orvane::TReplayDrive drive(
      &replayTimer, [&now] { return now; }, nullptr, &recorder);
  drive.Deliver = [&proc](const std::string& line) { proc.ProcessNmea(line + "\n\r"); };
  drive.OnStartStop = [&proc] { proc.ClearPending(); };
  if (pace < orvane::kPaceCount)
    drive.SetPace(pace);
  else
    drive.SetInterval(interval);
  drive.Start(fileName);
  const auto periodZero = [&] {
    return (replayTimer.Running && replayTimer.Period == 0) || (saveTimer.Running && saveTimer.Period == 0);
  };
  // Every tick hands on at least one line or waits out at most a few seconds of log time.
  const size_t maxTicks = 20 * (2 * lines + 4);
  size_t ticks = 0;
  while (drive.Running()) {
    if (++ticks > maxTicks) std::abort();
    if (ticks == pauseAt) {
      drive.Pause();
      drive.Step();
      if (stepTwice) drive.Step();
      drive.Resume();
    }
    if (ticks == seekAt) drive.Seek(size ? seekTo % (size + 1) : 0);
    if (!drive.Paused() && drive.Running() && !replayTimer.Running) std::abort();
    if (periodZero()) std::abort();
    now += 1000;
    drive.Tick();
  }
  if (drive.LinesReplayed() > 2 * lines) std::abort();
  if (replayTimer.Running) std::abort();
  return 0;
}
