// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/ReplayDrive.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/RegularFile.h"

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
  if (File >= 0) ::close(File);
}

void TReplayDrive::Start(const std::string& fileName) {
  // Only a regular file: a FIFO would hold the window at its open, a device would never end.
  std::string cause;
  const int fd = OpenRegularFile(fileName, O_RDONLY, cause);
  if (fd < 0) throw std::runtime_error("Cannot open file \"" + fileName + "\": " + cause);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const std::string error = OpenError(fileName);
    ::close(fd);
    throw std::runtime_error(error);
  }
  Stop();
  File = fd;
  FileName_ = fileName;
  Size_ = static_cast<uint64_t>(std::max<off_t>(0, st.st_size));
  // The end's time from the last lines that carry one.
  EndTime_ = -1;
  const uint64_t tail = Size_ > 65536 ? Size_ - 65536 : 0;
  // Read as bytes: a NUL inside a line must not cut it short.
  std::string text(static_cast<size_t>(Size_ - tail), '\0');
  const ssize_t got = ::pread(File, text.data(), text.size(), static_cast<off_t>(tail));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    if (const double t = SentenceTime(std::string_view(text).substr(start, end - start)); t >= 0) EndTime_ = t;
    start = end + 1;
  }
  SeekFile(0);
  SkippingLong = false;
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
  if (File < 0) return;
  if (Timer) Timer->Stop();
  ::close(File);
  File = -1;
  ++Generation;
  if (Port) Port->ResumePolling();
  if (Recorder) Recorder->ResumeAfterReplay();
  if (OnStartStop) OnStartStop();
  if (OnRunningChanged) OnRunningChanged(false);
  // "Stop Play" and an error close the log as the end does: the window must not go on showing
  // a replay that runs.
  Changed();
}

void TReplayDrive::SeekFile(uint64_t position) {
  ::lseek(File, static_cast<off_t>(position), SEEK_SET);
  BufAt = BufEnd = 0;
}

bool TReplayDrive::Fill() {
  if (Buf.empty()) Buf.resize(kReadBlock);
  ssize_t n;
  do {
    n = ::read(File, Buf.data(), Buf.size());
  } while (n < 0 && errno == EINTR);
  if (n < 0) throw std::runtime_error("Cannot read file \"" + FileName_ + "\": " + std::strerror(errno));
  BufAt = 0;
  BufEnd = static_cast<size_t>(n);
  return n > 0;
}

bool TReplayDrive::Peek() {
  if (HasNext) return true;
  Next.clear();
  uint64_t end = Offset;
  bool ended = false;  // by its LF
  // A line longer than any sentence is read past in pieces of at most kSkipPiece bytes, each
  // handed on as skipped, so memory stays bounded and no call holds the window for long.
  const bool piece = SkippingLong;
  while (!ended && end - Offset < kSkipPiece) {
    if (BufAt == BufEnd && !Fill()) break;
    const char* p = Buf.data() + BufAt;
    const size_t avail = std::min<uint64_t>(BufEnd - BufAt, kSkipPiece - (end - Offset));
    const void* lf = std::memchr(p, '\n', avail);
    const size_t take = lf ? static_cast<size_t>(static_cast<const char*>(lf) - p) + 1 : avail;
    ended = lf != nullptr;
    const size_t keep = ended ? take - 1 : take;
    if (!piece && Next.size() <= TNmeaProc::kMaxPendingText)
      Next.append(p, std::min(keep, TNmeaProc::kMaxPendingText + 1 - Next.size()));
    BufAt += take;
    end += take;
  }
  if (end == Offset) return false;
  // Next holds the whole line when it is no longer than this; its CR goes before the length counts.
  const uint64_t length = end - Offset - (ended ? 1 : 0);
  if (!piece && length <= TNmeaProc::kMaxPendingText + 1 && !Next.empty() && Next.back() == '\r') Next.pop_back();
  NextTooLong = piece || length > TNmeaProc::kMaxPendingText + 1 || Next.size() > TNmeaProc::kMaxPendingText;
  SkippingLong = NextTooLong && !ended;
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
  return Generation == generation && File >= 0;
}

bool TReplayDrive::DeliverBurst() {
  double burst = -1;
  while (Peek()) {
    // A piece of a long line ends the run: the pace decides when the next piece is read.
    if (NextTooLong) return DeliverOne();
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
  if (File < 0 || Paused_ || Finished_) return;
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
    // Pieces of a long line are no lines: they are read past, a bounded number per tick, and the
    // next tick follows at once when this one found nothing else.
    int lines = 0, pieces = 0;
    while (lines < kLinesPerTick && pieces < kPiecesPerTick) {
      if (!Peek()) return Finish();
      const bool piece = NextTooLong;
      if (!DeliverOne()) return Changed();
      ++(piece ? pieces : lines);
    }
    Changed();
    return Schedule(lines > 0 ? static_cast<uint64_t>(LineMs) : 0);
  }
  if (pace.Kind == TPaceKind::Fastest) {
    const uint64_t start = Clock ? Clock() : 0;
    int pieces = 0;
    do {
      if (!Peek()) return Finish();
      const bool piece = NextTooLong;
      if (!DeliverBurst()) return Changed();
      if (piece && ++pieces >= kPiecesPerTick) break;
    } while (Clock && Clock() - start < kFastestRunMs);
    Changed();
    return Schedule(1);
  }
  // Speed: one burst now, the next when its sentence time, sped up, has come on the clock.
  if (!Peek()) return Finish();
  if (!DeliverBurst()) return Changed();
  Changed();
  if (!Peek()) return Finish();
  if (NextTooLong) return Schedule(0);
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
  if (File < 0 || Paused_) return;
  Paused_ = true;
  ++Generation;
  if (Timer) Timer->Stop();
  Changed();
}

void TReplayDrive::Resume() {
  if (File < 0 || !Paused_) return;
  Paused_ = false;
  Restart();
  if (!Finished_) Schedule(0);
  Changed();
}

void TReplayDrive::Step() {
  if (File < 0) return;
  if (!Paused_) Pause();
  if (Finished_) return;
  if (!Peek()) return Finish();
  if (!DeliverBurst()) return Changed();
  if (!Peek()) return Finish();
  Changed();
}

void TReplayDrive::Seek(uint64_t position) {
  if (File < 0) return;
  ++Generation;
  if (position > Size_) position = Size_;
  // The burst that holds the position began at the last change of the sentence time before it;
  // a little of the log before the position is read to find it.
  const uint64_t from = position > 8192 ? position - 8192 : 0;
  SeekFile(from);
  SkippingLong = false;
  Offset = from;
  HasNext = false;
  if (from > 0 && Peek()) {  // the part of a line before the first whole one
    HasNext = false;
    Offset = NextEnd;
  }
  uint64_t burstStart = Offset, lastLine = Offset;
  // Whether each place is inside a long line, so the reading goes on there as it would have.
  bool burstSkipping = SkippingLong, lastSkipping = SkippingLong;
  bool found = false;
  double last = -1;
  while (Offset <= position) {
    const bool skipping = SkippingLong;
    if (!Peek()) break;
    const double t = SentenceTime(Next);
    if (t >= 0 && t != last) {
      burstStart = Offset;
      burstSkipping = false;
      found = true;
      last = t;
    }
    lastLine = Offset;
    lastSkipping = skipping;
    HasNext = false;
    Offset = NextEnd;
  }
  if (!found) {
    burstStart = lastLine;
    burstSkipping = lastSkipping;
  }
  SeekFile(burstStart);
  SkippingLong = burstSkipping;
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
  if (File >= 0 && !Paused_ && !Finished_) Schedule(0);
  Changed();
}

}  // namespace orvane
