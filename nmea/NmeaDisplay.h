// SPDX-License-Identifier: GPL-3.0-or-later
// What the decoders and the sentence processor show, and where they write the log. The sky view,
// the data monitor, the signal levels, the console and the track window implement these; tests
// record the calls.
#pragma once

#include <string>
#include <string_view>

#include "common/Color.h"

namespace orvane {

// What became of one framed sentence; reported to TNmeaProc::OnSentence.
enum class TSentenceOutcome {
  Dropped,       // did not begin with "$": not shown, not logged, not decoded
  Ignored,       // shown and logged, but no decoder takes its address field
  TooFewFields,  // a decoder takes it, but it is shorter than that decoder needs
  Decoded,
  BadChecksum,  // shown and logged, but its checksum does not match what it holds: not decoded
};

struct TSentenceInfo {
  std::string_view sentence;  // as framed, checksum included
  std::string_view address;   // field 0; empty for a dropped sentence
  const char* type;           // the decoder's sentence type ("GGA", "PGRMM"), or nullptr
  TSentenceOutcome outcome;
  bool logged = false;  // written to the log whole
};

// After a sentence whose checksum failed, where lines are listed.
constexpr std::string_view kBadChecksumMark = "   <- checksum does not match, not decoded";

// A sentence as the last-sentence line shows it: one written to the log begins with ">".
inline std::string SentenceLine(const TSentenceInfo& info) {
  return (info.logged ? ">" : "") + std::string(info.sentence);
}

class TNmeaDisplay {
public:
  virtual ~TNmeaDisplay() = default;
  // Satellite `index` (1..kMaxGnssSats) of the sky view moves to its elevation and azimuth and
  // shows its SNR.
  virtual void PlaceSatellite(const std::string& /*prn*/, int /*index*/, int /*elevation*/, int /*azimuth*/,
                              int /*snr*/) {}
  // Shows or hides satellite `index`: its symbol, then its PRN label, then its SNR label.
  virtual void SetSatVisible(int /*index*/, bool /*visible*/) {}
  virtual void SetSatColor(int /*index*/, TColor /*color*/) {}
  virtual void SetFixCaption(const std::string& /*caption*/) {}  // lblFIX
  // The data monitor's blocks; lines are separated by LF CR. Building them costs more than the
  // decoding, so a display that shows none of them says so and is not handed any.
  virtual bool WantsBlocks() const { return true; }
  virtual void ShowGGA(const std::string& /*block*/) {}
  virtual void ShowGLL(const std::string& /*block*/) {}
  virtual void ShowRMC(const std::string& /*block*/) {}
  // The receiver's own estimate of its error (GST, else GBS).
  virtual void ShowAccuracy(const std::string& /*block*/) {}
  // A warning or an error the receiver sent as text ("Receiver warning: ANTENNA OPEN").
  virtual void ShowReceiverText(const std::string& /*text*/) {}
  // A sentence framed (not a dropped one), after its decoding; its views live only for the call.
  virtual void ShowSentence(const TSentenceInfo& /*info*/) {}
  // Something said in the last-sentence line's place (a line dropped, a log moved).
  virtual void ShowNotice(std::string_view /*text*/) {}
  // A display that lists the lines (the console, a report) is given every sentence, notice, fix
  // caption and block; the others may be given only the newest of a burst handled at once.
  virtual bool WantsEveryLine() const { return false; }
  // What keeps data from coming (a port that did not open, a receiver that hung up), until data
  // comes; an empty text takes it away.
  virtual void ShowStatus(const std::string& /*text*/) {}
  // Once no sentence has been decoded for a while, or the source is lost, the data shown is old:
  // said each second with the seconds since the last decoded sentence, then kDataCurrent once
  // the next one is decoded.
  virtual void ShowDataAge(int /*seconds*/) {}
};

constexpr int kDataCurrent = -1;

// How old data is said, naming the source it should come from: "COM1 (/dev/ttyS0): no data for
// 12 s", "tcp://host:10110: no data for 12 s".
inline std::string NoDataCaption(const std::string& source, int seconds) {
  return (source.empty() ? std::string("No data") : source + ": no data") + " for " + std::to_string(seconds) + " s";
}

// Shows nothing: for decoding without a window.
class TNullDisplay : public TNmeaDisplay {
public:
  bool WantsBlocks() const override { return false; }
};

// The log recorder as the sentence processor sees it.
class TNmeaLogWriter {
public:
  virtual ~TNmeaLogWriter() = default;
  // The sentences handled now are to be written.
  virtual bool SaveNow() const = 0;
  // Opens the log when it is not open yet and writes one line (the sentence, then CR LF). True
  // when the line reached the file; a failure is the writer's to report.
  virtual bool WriteLogLine(const std::string& sentence) = 0;
};

}  // namespace orvane
