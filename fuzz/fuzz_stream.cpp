// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes through the receive path: cutting at line feeds, framing, dispatch and decoders,
// with a log writer that records. The pending text must stay bounded whatever arrives.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "nmea/UNmeaProc.h"

namespace {
class TCountingLog : public orvane::TNmeaLogWriter {
public:
  bool SaveNow() const override { return true; }
  bool WriteLogLine(const std::string& sentence) override {
    bytes += sentence.size() + 2;
    return true;
  }
  size_t bytes = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvane::TNmeaRec rec;
  rec.GpsFix = size % 2 ? "$GPRMC" : "$GPGSA";
  // Multi-GNSS decoding for some inputs, switched over halfway through for some.
  rec.Gnss = size % 4 >= 2;
  bool flip = size % 8 >= 4;
  // Until a sentence after the switch, the other mode's count stands.
  const int limit = flip ? orvane::kMaxGnssSats : orvane::SatLimit(rec);
  orvane::TNullDisplay display;
  TCountingLog log;
  orvane::TNmeaProc proc(rec, display, &log);
  // Deliveries of varying size, as a serial port hands them over.
  size_t at = 0, step = 1;
  while (at < size) {
    const size_t n = std::min(step, size - at);
    if (flip && at >= size / 2) {
      rec.Gnss = !rec.Gnss;
      flip = false;
    }
    proc.ProcessReceivedBytes(data + at, n);
    if (proc.PendingText().size() > orvane::TNmeaProc::kMaxPendingText) std::abort();
    if (proc.GsvSatCount() < 0 || proc.GsvSatCount() > limit) std::abort();
    at += n;
    step = step * 3 % 61 + 1;
  }
  if (log.bytes > 2 * size + 2) std::abort();
  return 0;
}
