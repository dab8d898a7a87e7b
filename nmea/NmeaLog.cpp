#include "nmea/NmeaLog.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "common/NmeaConv.h"
#include "nmea/UNmeaProc.h"

namespace orvane {

namespace {
std::string FileError(const char* what, const std::string& name, int err) {
  return std::string(what) + " \"" + name + "\": " + std::strerror(err);
}
}  // namespace

// ---- recording ----

TNmeaLogRecorder::TNmeaLogRecorder(TNmeaRec& rec, TLogTimer* saveTimer, TClock clock)
    : Rec(rec), Timer(saveTimer), Clock(clock ? std::move(clock) : TClock(TickCount32)) {}

TNmeaLogRecorder::~TNmeaLogRecorder() {
  if (File) std::fclose(File);
}

void TNmeaLogRecorder::Start() {
  Period = Rec.SaveInterval > 0 ? kSaveWindowMs : 0;
  LastSaveTick_ = 0;
  // A stored SaveLog means the user left recording on: it goes on from the first sentence,
  // whether or not the save timer ever ticks.
  SaveNow_ = Rec.SaveLog;
  if (Rec.SaveLog) LastSaveTick_ = Clock();
  if (Rec.SaveLog) StartTimer();
  else StopTimer();
}

void TNmeaLogRecorder::OpenLogFile() {
  if (File) return;
  std::FILE* f = std::fopen(Rec.SaveLogName.c_str(), "wb");
  if (!f) throw std::runtime_error(FileError("Cannot create file", Rec.SaveLogName, errno));
  File = f;
  OpenedName_ = Rec.SaveLogName;
}

void TNmeaLogRecorder::CloseLogFile() {
  if (!File) return;
  std::FILE* f = std::exchange(File, nullptr);
  const std::string name = std::exchange(OpenedName_, {});
  if (std::fclose(f) != 0) throw std::runtime_error(FileError("Cannot write file", name, errno));
}

void TNmeaLogRecorder::WriteLogLine(const std::string& sentence) {
  try {
    OpenLogFile();
    // Flushed line by line, so that the log is whole up to the last sentence however the
    // program ends.
    if (std::fwrite(sentence.data(), 1, sentence.size(), File) != sentence.size() ||
        std::fwrite("\r\n", 1, 2, File) != 2 || std::fflush(File) != 0)
      throw std::runtime_error(FileError("Cannot write file", OpenedName_, errno));
  } catch (const std::runtime_error& e) {
    Fail(e.what());
  }
}

// A log that cannot be written would fail again with every sentence, ten times a second: one
// report, and recording is off until the user switches it on again.
void TNmeaLogRecorder::Fail(const std::string& message) {
  if (File) {
    std::fclose(File);
    File = nullptr;
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
  if (on) StartTimer();
  else StopTimer();
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

void TNmeaLogRecorder::SuspendSaveTimer() { StopTimer(); }

void TNmeaLogRecorder::ResumeSaveTimer() {
  if (Rec.SaveLog) StartTimer();
  else StopTimer();
}

void TNmeaLogRecorder::StartTimer() {
  TimerOn = Period > 0;
  if (!Timer) return;
  if (TimerOn) Timer->Start(Period);
  else Timer->Stop();
}

void TNmeaLogRecorder::StopTimer() {
  TimerOn = false;
  if (Timer) Timer->Stop();
}

// ---- replay ----

TNmeaReplayer::TNmeaReplayer(TNmeaProc& proc, TLogTimer* timer, TPortPolling* port,
                             TNmeaLogRecorder* recorder)
    : Proc(proc), Timer(timer), Port(port), Recorder(recorder) {}

TNmeaReplayer::~TNmeaReplayer() {
  if (File) std::fclose(File);
}

uint32_t TNmeaReplayer::Period() const {
  return Interval_ > 0 ? static_cast<uint32_t>(Interval_) : 1;
}

void TNmeaReplayer::SetInterval(int32_t ms) { Interval_ = ms; }

void TNmeaReplayer::StartReplay(const std::string& fileName) {
  std::FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) throw std::runtime_error(FileError("Cannot open file", fileName, errno));
  StopReplay();
  File = f;
  FileName_ = fileName;
  Lines = 0;
  ++Generation;
  if (Timer) Timer->Start(Period());
  if (Port) Port->SuspendPolling();
  if (Recorder) {
    Recorder->ClearSaveNow();
    Recorder->SuspendSaveTimer();
  }
  if (OnRunningChanged) OnRunningChanged(true);
}

void TNmeaReplayer::StopReplay() {
  if (!File) return;
  if (Timer) Timer->Stop();
  std::fclose(File);
  File = nullptr;
  ++Generation;
  if (Port) Port->ResumePolling();
  if (Recorder) Recorder->ResumeSaveTimer();
  if (OnRunningChanged) OnRunningChanged(false);
}

// One line without its terminator (LF or CR LF); a last line without one counts too. False at
// the end of the file.
bool TNmeaReplayer::ReadLine(std::string& line) {
  line.clear();
  int c;
  while ((c = std::fgetc(File)) != EOF) {
    if (c == '\n') break;
    line.push_back(static_cast<char>(c));
  }
  if (std::ferror(File)) throw std::runtime_error(FileError("Cannot read file", FileName_, errno));
  if (c == EOF && line.empty()) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
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
