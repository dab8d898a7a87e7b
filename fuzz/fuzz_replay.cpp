// The replay reader over any file: lines read, paced by a replay timer that only records what it
// is asked (no sleeping), with the recorder paused and resumed around it on an injected clock.
// Inputs also pick the interval and a line at which the step's event run stops or restarts the
// replay. It must end, hand over no more lines than the file holds, never start the timer with
// period 0, and leave the timer stopped at the end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/ReplayFuzz.h"
#include "nmea/NmeaLog.h"
#include "nmea/UNmeaProc.h"

using fuzzfile::TFakeTimer;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  int32_t interval;
  std::memcpy(&interval, data, sizeof interval);
  const unsigned stopAt = data[4];  // 0: never
  const bool restart = data[5] & 1;
  data += 6;
  size -= 6;
  size_t lines = 0;
  const std::string& fileName = fuzzfile::WriteLog("replay.log", data, size, lines);

  orvane::TNmeaRec rec;
  orvane::TNullDisplay display;
  uint32_t now = 0;
  TFakeTimer saveTimer, replayTimer;
  orvane::TNmeaLogRecorder recorder(rec, &saveTimer, [&now] { return now += 250; });
  orvane::TNmeaProc proc(rec, display, &recorder);
  orvane::TNmeaReplayer replayer(proc, &replayTimer, nullptr, &recorder);
  replayer.SetInterval(interval);
  unsigned events = 0, restarts = 0, told = 0;
  replayer.OnLongLine = [&told](const std::string&) { ++told; };
  replayer.ProcessEvents = [&] {
    if (++events != stopAt) return;
    if (restart && restarts++ == 0)
      replayer.StartReplay(fileName);
    else
      replayer.StopReplay();
  };
  replayer.StartReplay(fileName);
  if (!replayTimer.Running) std::abort();
  // A timer started with period 0 would fire without pause in the window; 0 means never.
  auto periodZero = [&] {
    return (replayTimer.Running && replayTimer.Period == 0) || (saveTimer.Running && saveTimer.Period == 0);
  };
  if (periodZero()) std::abort();
  size_t handed = 0, steps = 0;
  const size_t maxSteps = 2 * (lines / orvane::TNmeaReplayer::kLinesPerStep + 2);
  while (replayer.Running()) {
    // A restart reads the file again from its start.
    if (++steps > maxSteps) std::abort();
    replayer.ReplayStep();
    if (periodZero()) std::abort();
  }
  handed = replayer.LinesReplayed();
  if (handed > lines) std::abort();
  if (told > 1 + restarts) std::abort();
  if (replayTimer.Running) std::abort();
  return 0;
}
