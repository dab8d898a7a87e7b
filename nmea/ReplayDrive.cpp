// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/ReplayDrive.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace orvane {

namespace {

// The field after the address that holds the time, by sentence (the talker aside).
struct TTimeField {
  const char* Sentence;
  int Field;
};
constexpr TTimeField kTimeFields[] = {{"GGA", 1}, {"RMC", 1}, {"ZDA", 1}, {"GNS", 1},
                                      {"GST", 1}, {"GBS", 1}, {"GLL", 5}};

std::string OpenError(const std::string& name) { return "Cannot open file \"" + name + "\": " + std::strerror(errno); }

}  // namespace

double SentenceTime(std::string_view line) {
  if (line.size() < 6 || line[0] != '$') return -1;
  const std::string_view sentence = line.substr(3, 3);
  int want = 0;
  for (const TTimeField& t : kTimeFields)
    if (sentence == t.Sentence) want = t.Field;
  if (want == 0) return -1;
  size_t at = 0;
  for (int i = 0; i < want; ++i) {
    at = line.find(',', at);
    if (at == std::string_view::npos) return -1;
    ++at;
  }
  const std::string_view f = line.substr(at, line.find_first_of(",*", at) - at);
  if (f.size() < 6) return -1;
  for (size_t i = 0; i < 6; ++i)
    if (f[i] < '0' || f[i] > '9') return -1;
  const auto two = [&](size_t i) { return (f[i] - '0') * 10 + (f[i + 1] - '0'); };
  double fraction = 0, scale = 0.1;
  if (f.size() > 7 && f[6] == '.')
    for (size_t i = 7; i < f.size() && f[i] >= '0' && f[i] <= '9'; ++i, scale /= 10) fraction += (f[i] - '0') * scale;
  const int h = two(0), m = two(2), s = two(4);
  if (h > 23 || m > 59 || s > 60) return -1;
  return h * 3600 + m * 60 + s + fraction;
}

std::string FormatUtc(double seconds) {
  if (seconds < 0) return "--:--:--";
  const int t = static_cast<int>(seconds);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t / 3600 % 100, t / 60 % 60, t % 60);
  return buf;
}

TReplayDrive::TReplayDrive(TLogTimer* timer, TClock clock, TPortPolling* port, TNmeaLogRecorder* recorder)
    : Timer(timer), Clock(std::move(clock)), Port(port), Recorder(recorder) {}

TReplayDrive::~TReplayDrive() {
  if (File) std::fclose(File);
}

void TReplayDrive::Start(const std::string& fileName) {
  std::FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) throw std::runtime_error(OpenError(fileName));
  Stop();
  File = f;
  FileName_ = fileName;
  std::fseek(File, 0, SEEK_END);
  Size_ = static_cast<uint64_t>(std::max(0L, std::ftell(File)));
  // The end's time from the last lines that carry one.
  EndTime_ = -1;
  const uint64_t tail = Size_ > 65536 ? Size_ - 65536 : 0;
  std::fseek(File, static_cast<long>(tail), SEEK_SET);
  // Read as bytes: a NUL inside a line must not cut it short.
  std::string text(static_cast<size_t>(Size_ - tail), '\0');
  text.resize(std::fread(text.data(), 1, text.size(), File));
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    if (const double t = SentenceTime(std::string_view(text).substr(start, end - start)); t >= 0) EndTime_ = t;
    start = end + 1;
  }
  std::clearerr(File);
  std::fseek(File, 0, SEEK_SET);
  Offset = Lines = 0;
  Time = -1;
  HasNext = false;
  Paused_ = Finished_ = LongLineTold = false;
  ++Generation;
  if (Port) Port->SuspendPolling();
  if (Recorder) Recorder->SuspendForReplay();
  if (OnStartStop) OnStartStop();
  if (OnRunningChanged) OnRunningChanged(true);
  Restart();
  Schedule(kPaceItems[Pace_].Kind == TPaceKind::Lines ? static_cast<uint64_t>(LineMs) : 0);
  Changed();
}

void TReplayDrive::Stop() {
  if (!File) return;
  if (Timer) Timer->Stop();
  std::fclose(File);
  File = nullptr;
  ++Generation;
  if (Port) Port->ResumePolling();
  if (Recorder) Recorder->ResumeAfterReplay();
  if (OnStartStop) OnStartStop();
  if (OnRunningChanged) OnRunningChanged(false);
  // "Stop Play" and an error close the log as the end does: the window must not go on showing
  // a replay that runs.
  Changed();
}

bool TReplayDrive::Peek() {
  if (HasNext) return true;
  Next.clear();
  int c;
  uint64_t end = Offset;
  while ((c = std::fgetc(File)) != EOF) {
    ++end;
    if (c == '\n') break;
    // A line longer than any sentence is read past, so memory stays bounded.
    if (Next.size() <= TNmeaProc::kMaxPendingText) Next.push_back(static_cast<char>(c));
  }
  if (std::ferror(File)) throw std::runtime_error("Cannot read file \"" + FileName_ + "\": " + std::strerror(errno));
  if (c == EOF && end == Offset) return false;
  if (!Next.empty() && Next.back() == '\r') Next.pop_back();
  NextTooLong = Next.size() > TNmeaProc::kMaxPendingText;
  NextEnd = end;
  HasNext = true;
  return true;
}

bool TReplayDrive::DeliverOne() {
  const uint64_t generation = Generation;
  HasNext = false;
  if (NextTooLong) {
    if (!LongLineTold && OnLongLine)
      OnLongLine("The line at byte " + std::to_string(Offset) + " of \"" + FileName_ + "\" is longer than " +
                 std::to_string(TNmeaProc::kMaxPendingText) + " bytes and was skipped");
    LongLineTold = true;
    Offset = NextEnd;
    return true;
  }
  Offset = NextEnd;
  ++Lines;
  if (const double t = SentenceTime(Next); t >= 0) Time = t;
  if (Deliver) Deliver(Next);
  if (ProcessEvents) ProcessEvents();
  return Generation == generation && File;
}

bool TReplayDrive::DeliverBurst() {
  double burst = -1;
  while (Peek()) {
    const double t = SentenceTime(Next);
    if (t >= 0 && burst >= 0 && t != burst) return true;
    if (t >= 0) burst = t;
    if (!DeliverOne()) return false;
  }
  return true;
}

void TReplayDrive::Schedule(uint64_t delayMs) {
  if (Timer) Timer->Start(static_cast<uint32_t>(delayMs > 0 ? delayMs : 1));
}

void TReplayDrive::Restart() {
  RefClock = Clock ? Clock() : 0;
  RefTime = -1;
}

// The end: the log is closed, so the port and the recording go on as before the replay.
void TReplayDrive::Finish() {
  Finished_ = true;
  Stop();
}

void TReplayDrive::Tick() {
  if (!File || Paused_ || Finished_) return;
  if (Timer) Timer->Stop();
  // An error from the log or from the processor ends the replay and is the caller's to show.
  try {
    Run();
  } catch (...) {
    Stop();
    throw;
  }
}

void TReplayDrive::Run() {
  const TPaceItem& pace = kPaceItems[Pace_];
  if (pace.Kind == TPaceKind::Lines) {
    for (int i = 0; i < kLinesPerTick; ++i) {
      if (!Peek()) return Finish();
      if (!DeliverOne()) return Changed();
    }
    Changed();
    return Schedule(static_cast<uint64_t>(LineMs));
  }
  if (pace.Kind == TPaceKind::Fastest) {
    const uint64_t start = Clock ? Clock() : 0;
    do {
      if (!Peek()) return Finish();
      if (!DeliverBurst()) return Changed();
    } while (Clock && Clock() - start < kFastestRunMs);
    Changed();
    return Schedule(1);
  }
  // Speed: one burst now, the next when its sentence time, sped up, has come on the clock.
  if (!Peek()) return Finish();
  if (!DeliverBurst()) return Changed();
  Changed();
  if (!Peek()) return Finish();
  const double next = SentenceTime(Next);
  const uint64_t now = Clock ? Clock() : 0;
  // A gap, a jump back or midnight: the clock starts again from the burst just handed on.
  if (RefTime < 0 || Time < 0 || next < Time || next - Time > kMaxGapSeconds) {
    RefTime = Time;
    RefClock = now;
  }
  double ahead = next - RefTime;
  if (next < 0 || RefTime < 0 || ahead < 0 || next - Time > kMaxGapSeconds) ahead = 1;
  const uint64_t due = RefClock + static_cast<uint64_t>(std::llround(ahead * 1000.0 / pace.Value));
  Schedule(due > now ? due - now : 0);
}

void TReplayDrive::Pause() {
  if (!File || Paused_) return;
  Paused_ = true;
  ++Generation;
  if (Timer) Timer->Stop();
  Changed();
}

void TReplayDrive::Resume() {
  if (!File || !Paused_) return;
  Paused_ = false;
  Restart();
  if (!Finished_) Schedule(0);
  Changed();
}

void TReplayDrive::Step() {
  if (!File) return;
  if (!Paused_) Pause();
  if (Finished_) return;
  if (!Peek()) return Finish();
  if (!DeliverBurst()) return Changed();
  if (!Peek()) return Finish();
  Changed();
}

void TReplayDrive::Seek(uint64_t position) {
  if (!File) return;
  ++Generation;
  if (position > Size_) position = Size_;
  // The burst that holds the position began at the last change of the sentence time before it;
  // a little of the log before the position is read to find it.
  const uint64_t from = position > 8192 ? position - 8192 : 0;
  std::fseek(File, static_cast<long>(from), SEEK_SET);
  Offset = from;
  HasNext = false;
  if (from > 0 && Peek()) {  // the part of a line before the first whole one
    HasNext = false;
    Offset = NextEnd;
  }
  uint64_t burstStart = Offset, lastLine = Offset;
  bool found = false;
  double last = -1;
  while (Offset <= position && Peek()) {
    const double t = SentenceTime(Next);
    if (t >= 0 && t != last) {
      burstStart = Offset;
      found = true;
      last = t;
    }
    lastLine = Offset;
    HasNext = false;
    Offset = NextEnd;
  }
  if (!found) burstStart = lastLine;
  std::fseek(File, static_cast<long>(burstStart), SEEK_SET);
  Offset = burstStart;
  HasNext = false;
  Finished_ = false;
  Restart();
  if (!Paused_) Schedule(0);
  Changed();
}

void TReplayDrive::SetInterval(int32_t ms) {
  LineMs = ms > 0 ? ms : 1;
  Pace_ = 0;  // the slowest, unless one is as fast or faster
  for (int i = 0; i < kPaceCount; ++i)
    if (kPaceItems[i].Kind == TPaceKind::Lines && kPaceItems[i].Value >= LineMs) Pace_ = i;
  Restart();
  Changed();
}

void TReplayDrive::SetPace(int index) {
  if (index < 0 || index >= kPaceCount || index == Pace_) return;
  Pace_ = index;
  if (kPaceItems[index].Kind == TPaceKind::Lines) LineMs = kPaceItems[index].Value;
  Restart();
  if (File && !Paused_ && !Finished_) Schedule(0);
  Changed();
}

}  // namespace orvane
