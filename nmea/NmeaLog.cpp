#include "nmea/NmeaLog.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <utility>

#include "common/NmeaConv.h"
#include "common/TickCount.h"
#include "nmea/UNmeaProc.h"

namespace orvane {

namespace {
std::string FileError(const char* what, const std::string& name, int err) {
  return std::string(what) + " \"" + name + "\": " + std::strerror(err);
}

// A failure here leaves the cut line in the file; the write error is still the one to report.
bool CutBack(int fd, off_t size) { return ::ftruncate(fd, size) == 0; }
}  // namespace

// ---- recording ----

TNmeaLogRecorder::TNmeaLogRecorder(TNmeaRec& rec, TLogTimer* saveTimer, TClock clock)
    : Rec(rec), Timer(saveTimer), Clock(clock ? std::move(clock) : TClock(TickCount32)) {}

TNmeaLogRecorder::~TNmeaLogRecorder() {
  if (Fd >= 0) ::close(Fd);
}

void TNmeaLogRecorder::Start() {
  Period = Rec.SaveInterval > 0 ? kSaveWindowMs : 0;
  LastSaveTick_ = 0;
  // A stored SaveLog means the user left recording on: it goes on from the first sentence,
  // whether or not the save timer ever ticks.
  SaveNow_ = Rec.SaveLog;
  if (Rec.SaveLog) LastSaveTick_ = Clock();
  if (Rec.SaveLog)
    StartTimer();
  else
    StopTimer();
}

void TNmeaLogRecorder::OpenLogFile() {
  if (Fd >= 0) return;
  const int fd = ::open(Rec.SaveLogName.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) throw std::runtime_error(FileError("Cannot create file", Rec.SaveLogName, errno));
  Fd = fd;
  OpenedName_ = Rec.SaveLogName;
}

void TNmeaLogRecorder::CloseLogFile() {
  if (Fd < 0) return;
  const int fd = std::exchange(Fd, -1);
  const std::string name = std::exchange(OpenedName_, {});
  if (::close(fd) != 0) throw std::runtime_error(FileError("Cannot write file", name, errno));
}

bool TNmeaLogRecorder::WriteLogLine(const std::string& sentence) {
  try {
    OpenLogFile();
    // One write per line, unbuffered, so that the log is whole up to the last sentence however
    // the program ends; a line that does not go in whole is cut off again.
    const std::string line = sentence + "\r\n";
    struct stat st {};
    const off_t before = ::fstat(Fd, &st) == 0 ? st.st_size : -1;
    size_t done = 0;
    while (done < line.size()) {
      const ssize_t n = ::write(Fd, line.data() + done, line.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        const int err = n < 0 ? errno : ENOSPC;
        if (done > 0 && before >= 0) static_cast<void>(CutBack(Fd, before));
        throw std::runtime_error(FileError("Cannot write file", OpenedName_, err));
      }
      done += static_cast<size_t>(n);
    }
    return true;
  } catch (const std::runtime_error& e) {
    Fail(e.what());
    return false;
  }
}

// A log that cannot be written would fail again with every sentence, ten times a second: one
// report, and recording is off until the user switches it on again.
void TNmeaLogRecorder::Fail(const std::string& message) {
  if (Fd >= 0) {
    ::close(Fd);
    Fd = -1;
    OpenedName_.clear();
  }
  Rec.SaveLog = false;
  SaveNow_ = false;
  StopTimer();
  if (!OnFailure) throw std::runtime_error(message);
  OnFailure(message);
}

void TNmeaLogRecorder::SetSaveLog(bool on) {
  if (!on && Rec.SaveLog) CloseLogFile();
  Rec.SaveLog = on;
  SaveNow_ = on;
  // Switching on opens a save window at once; the next one follows a whole interval later.
  if (on) LastSaveTick_ = Clock();
  if (on)
    StartTimer();
  else
    StopTimer();
}

void TNmeaLogRecorder::SetSaveInterval(int32_t seconds) {
  Rec.SaveInterval = seconds;
  // With a period of 0 the timer could never tick and a new interval would never take effect.
  if (Period == 0 && seconds > 0) {
    Period = kSaveWindowMs;
    if (Rec.SaveLog) StartTimer();
  }
}

std::string TNmeaLogRecorder::SaveIntervalText() const { return std::to_string(Rec.SaveInterval); }

int32_t TNmeaLogRecorder::ParseSaveInterval(const std::string& answer) { return SafeStrToInt(answer); }

void TNmeaLogRecorder::SetSaveLogName(const std::string& name) { Rec.SaveLogName = name; }

void TNmeaLogRecorder::SLTimerTimer() {
  SaveNow_ = false;
  // Unsigned difference: correct across the wrap of the 32-bit clock after 49.7 days.
  const double elapsed = static_cast<uint32_t>(Clock() - LastSaveTick_) / 1000.0;
  if (elapsed >= Rec.SaveInterval) {
    SaveNow_ = Rec.SaveLog;
    LastSaveTick_ = Clock();
  }
}

void TNmeaLogRecorder::SuspendForReplay() {
  SaveNowBeforeReplay_ = SaveNow_;
  SaveNow_ = false;
  StopTimer();
}

void TNmeaLogRecorder::ResumeAfterReplay() {
  // With "All" the save timer never ticks, so nothing but this brings recording back.
  SaveNow_ = Rec.SaveLog && (Rec.SaveInterval <= 0 || SaveNowBeforeReplay_ || SaveNow_);
  if (Rec.SaveLog)
    StartTimer();
  else
    StopTimer();
}

void TNmeaLogRecorder::StartTimer() {
  TimerOn = Period > 0;
  if (!Timer) return;
  if (TimerOn)
    Timer->Start(Period);
  else
    Timer->Stop();
}

void TNmeaLogRecorder::StopTimer() {
  TimerOn = false;
  if (Timer) Timer->Stop();
}

// ---- replay ----

TNmeaReplayer::TNmeaReplayer(TNmeaProc& proc, TLogTimer* timer, TPortPolling* port, TNmeaLogRecorder* recorder)
    : Proc(proc), Timer(timer), Port(port), Recorder(recorder) {}

TNmeaReplayer::~TNmeaReplayer() {
  if (File) std::fclose(File);
}

uint32_t TNmeaReplayer::Period() const { return Interval_ > 0 ? static_cast<uint32_t>(Interval_) : 1; }

void TNmeaReplayer::SetInterval(int32_t ms) { Interval_ = ms; }

void TNmeaReplayer::StartReplay(const std::string& fileName) {
  std::FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) throw std::runtime_error(FileError("Cannot open file", fileName, errno));
  StopReplay();
  // Half a sentence from the receiver must not be joined to the log's first line.
  Proc.ClearPending();
  File = f;
  FileName_ = fileName;
  Lines = 0;
  LineNumber = 0;
  LongLineTold = false;
  ++Generation;
  if (Timer) Timer->Start(Period());
  if (Port) Port->SuspendPolling();
  if (Recorder) Recorder->SuspendForReplay();
  if (OnRunningChanged) OnRunningChanged(true);
}

void TNmeaReplayer::StopReplay() {
  if (!File) return;
  if (Timer) Timer->Stop();
  std::fclose(File);
  File = nullptr;
  ++Generation;
  Proc.ClearPending();
  if (Port) Port->ResumePolling();
  if (Recorder) Recorder->ResumeAfterReplay();
  if (OnRunningChanged) OnRunningChanged(false);
}

// One line without its terminator (LF or CR LF); a last line without one counts too. False at
// the end of the file. A line longer than the live path keeps is read past and skipped, so
// memory stays bounded by that length.
bool TNmeaReplayer::ReadLine(std::string& line) {
  for (;;) {
    line.clear();
    bool tooLong = false;
    int c;
    while ((c = std::fgetc(File)) != EOF) {
      if (c == '\n') break;
      if (line.size() < TNmeaProc::kMaxPendingText)
        line.push_back(static_cast<char>(c));
      else
        tooLong = true;
    }
    if (std::ferror(File)) throw std::runtime_error(FileError("Cannot read file", FileName_, errno));
    if (c == EOF && line.empty()) return false;
    ++LineNumber;
    if (!tooLong) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    if (!LongLineTold && OnLongLine)
      OnLongLine("Line " + std::to_string(LineNumber) + " of \"" + FileName_ + "\" is longer than " +
                 std::to_string(TNmeaProc::kMaxPendingText) + " bytes and was skipped");
    LongLineTold = true;
  }
}

bool TNmeaReplayer::ReplayStep() {
  if (!File) return false;
  if (Timer) Timer->Stop();
  const uint64_t generation = Generation;
  std::string line;
  try {
    for (int i = 0; i < kLinesPerStep; ++i) {
      if (!ReadLine(line)) {
        StopReplay();
        return false;
      }
      // The processor frames at CR and drops the one character after it: the LF goes with the
      // checksum cut, or stays at the end of a line that has none.
      line += "\n\r";
      ++Lines;
      Proc.ProcessNmea(line);
      if (ProcessEvents) ProcessEvents();
      if (Generation != generation) return false;
    }
  } catch (...) {
    if (Generation == generation) StopReplay();
    throw;
  }
  if (Timer) Timer->Start(Period());
  return true;
}

}  // namespace orvane
