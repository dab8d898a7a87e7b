// SPDX-License-Identifier: GPL-3.0-or-later
// What the replay's fuzz target stands on: a timer that only records whether it was asked to run,
// and the log written from the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz/FuzzFile.h"
#include "nmea/NmeaLog.h"

namespace fuzzfile {

class TFakeTimer : public orvane::TLogTimer {
public:
  void Start(uint32_t periodMs) override {
    Running = true;
    Period = periodMs;
  }
  void Stop() override { Running = false; }
  bool Running = false;
  uint32_t Period = 0;
};

// Writes the bytes as the log `name` and gives its path and how many lines a reader finds in it.
inline const std::string& WriteLog(const char* name, const uint8_t* data, size_t size, size_t& lines) {
  const std::string& path = Path(name);
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), size);
  lines = 0;
  for (size_t i = 0; i < size; ++i) lines += data[i] == '\n';
  lines += size && data[size - 1] != '\n';
  return path;
}

}  // namespace fuzzfile
