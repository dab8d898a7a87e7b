// From received text to decoded sentences: framing at carriage returns, the log write, the
// checksum cut, the split into fields, and the dispatch by address field to six decoders.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "nmea/Csv.h"
#include "nmea/NmeaDisplay.h"
#include "nmea/NmeaRec.h"

namespace orvane {

// What became of one framed sentence; reported to TNmeaProc::OnSentence.
enum class TSentenceOutcome {
  Dropped,       // did not begin with "$": not shown, not logged, not decoded
  Ignored,       // shown and logged, but no decoder takes its address field
  TooFewFields,  // a decoder takes it, but it is shorter than that decoder needs
  Decoded,
};

struct TSentenceInfo {
  std::string_view sentence;  // as framed, checksum included
  std::string_view address;   // field 0; empty for a dropped sentence
  const char* type;           // the decoder's sentence type ("GGA", "PGRMM"), or nullptr
  TSentenceOutcome outcome;
};

class TNmeaProc {
public:
  // A receiver at the wrong speed never sends a carriage return; pending text beyond this is
  // garbage (a sentence is at most 82 characters), so only its newest part is kept.
  static constexpr size_t kMaxPendingText = 4096;

  TNmeaProc(TNmeaRec& rec, TNmeaDisplay& display, TNmeaLogWriter* log = nullptr);

  // Appends text to the pending text and handles every sentence it completes.
  void ProcessNmea(std::string_view text);
  // The receive path: cuts one delivery of bytes at line feeds and hands each piece on.
  // An error from a piece (the log) ends the delivery; its remaining bytes are not handled.
  void ProcessReceivedBytes(const uint8_t* data, size_t count);

  const std::string& PendingText() const { return PendingText_; }
  int GsvSatCount() const { return GsvSatCount_; }
  const std::vector<std::string>& Fields() const { return Csv.items; }

  // Observer of every framed sentence, after it has been handled (for tools and statistics).
  std::function<void(const TSentenceInfo&)> OnSentence;

private:
  struct TDispatchRow;
  static const std::array<TDispatchRow, 6> kDispatch;

  // The decoders read the field list of the last split, which the dispatch has checked to be
  // long enough for them.
  void DecodeGSV();
  void DecodeGSA();
  void DecodeGGA();
  void DecodeGLL();
  void DecodeRMC();
  void DecodePGRMM();
  void HandleSentence(const std::string& s);
  const std::string& F(size_t i) const { return Csv.items[i]; }

  TNmeaRec& Rec;
  TNmeaDisplay& Display;
  TNmeaLogWriter* Log;
  std::string PendingText_;
  std::string Piece;
  tcsv Csv;
  int GsvSatCount_ = 0;
};

}  // namespace orvane
