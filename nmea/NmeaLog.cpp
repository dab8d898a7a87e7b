// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/NmeaLog.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <utility>

#include "common/NmeaConv.h"
#include "common/RegularFile.h"
#include "common/TickCount.h"

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
  // A FIFO or a device named as the log would hold the window at its open or its first write.
  std::string cause;
  const int fd = OpenRegularFile(Rec.SaveLogName, O_WRONLY | O_CREAT | O_APPEND, cause);
  if (fd < 0) throw std::runtime_error("Cannot create file \"" + Rec.SaveLogName + "\": " + cause);
  struct stat st {};
  if (::fstat(fd, &st) == 0) {
    Dev = st.st_dev;
    Ino = st.st_ino;
  }
  Fd = fd;
  OpenedName_ = Rec.SaveLogName;
}

std::string TNmeaLogRecorder::CheckLogFile() {
  if (Fd < 0) return {};
  struct stat open {
  }, named{};
  const bool deleted = ::fstat(Fd, &open) == 0 && open.st_nlink == 0;
  const bool moved =
      !deleted && (::stat(OpenedName_.c_str(), &named) != 0 || named.st_dev != Dev || named.st_ino != Ino);
  if (!deleted && !moved) return {};
  const std::string message = "The log file \"" + OpenedName_ + "\" was " + (deleted ? "deleted" : "moved") +
                              "; recording goes on in a new file of that name";
  // What was written is where the user put it; the next sentence opens the new file.
  ::close(std::exchange(Fd, -1));
  OpenedName_.clear();
  return message;
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

}  // namespace orvane
