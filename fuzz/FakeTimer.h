// A replay timer for the fuzz targets: it only records whether it was asked to run.
#pragma once

#include <cstdint>

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

}  // namespace fuzzfile
