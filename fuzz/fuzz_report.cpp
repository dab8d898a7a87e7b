// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-nmea's report over any stream: the text blocks and satellite table, one JSON object
// per sentence, and the summary, in deliveries of varying size as reads hand them over. The
// first byte picks the output and the decoding mode. Summary lines stay printable.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "nmea/ReportJson.h"
#include "nmea/ReportSummary.h"
#include "nmea/ReportText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const unsigned mode = data[0] % 3;
  orvane::TNmeaRec rec;
  rec.GpsFix = data[0] & 4 ? "$GPRMC" : "$GPGSA";
  rec.GpsDatum = "WGS 84";
  rec.Gnss = data[0] & 8;
  ++data;
  --size;

  orvane::TOut out(nullptr);
  orvane::TTextDisplay text(rec, out);
  orvane::TNullDisplay none;
  orvane::TNmeaProc proc(rec, mode == 0 ? static_cast<orvane::TNmeaDisplay&>(text) : none);
  orvane::TSummary summary(rec, proc);
  if (mode == 1) {
    proc.OnSentence = [&](const orvane::TSentenceInfo& info) {
      if (info.outcome != orvane::TSentenceOutcome::Decoded) return;
      orvane::AppendJsonRecord(out.buf, info.type, rec, proc.GsvSatCount());
      out.MaybeFlush();
    };
  } else if (mode == 2) {
    proc.OnSentence = [&](const orvane::TSentenceInfo& info) { summary.Add(info); };
  }
  size_t at = 0, step = 1;
  while (at < size) {
    const size_t n = std::min(step, size - at);
    proc.ProcessReceivedBytes(data + at, n);
    at += n;
    step = step * 5 % 97 + 1;
  }
  if (mode == 2) {
    std::string report;
    summary.Print(report, "fuzz", size);
    for (unsigned char c : report)
      if (c < 0x20 && c != '\n') std::abort();
  }
  if (!out.Finish()) std::abort();
  return 0;
}
