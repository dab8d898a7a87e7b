// SPDX-License-Identifier: GPL-3.0-or-later
// From received text to decoded sentences: framing at line ends, the log write, the
// checksum cut, the split into fields, and the dispatch by address field to the decoders of one
// table, each row with its decoder for GP talkers alone and for every multi-GNSS talker.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "nmea/Csv.h"
#include "nmea/GnssSystems.h"
#include "nmea/NmeaDisplay.h"
#include "nmea/NmeaRec.h"

namespace orvane {

// False when `sentence` ("$...*hh") has a checksum that is not the XOR of the characters between
// "$" and "*" (or is not two hexadecimal digits); a sentence without "*" has none to fail.
bool ChecksumMatches(std::string_view sentence);

class TNmeaProc {
public:
  // A receiver at the wrong speed never sends a line end; pending text beyond this is
  // garbage (a sentence is at most 82 characters), so only its newest part is kept. A line that
  // grew beyond it is overlong: only a sentence at its end, from its last "$" on, is handled.
  static constexpr size_t kMaxPendingText = 4096;

  TNmeaProc(TNmeaRec& rec, TNmeaDisplay& display, TNmeaLogWriter* log = nullptr);

  // Appends text to the pending text and handles every sentence it completes.
  void ProcessNmea(std::string_view text);
  // The receive path: as if the delivery were cut at line feeds and each piece handed to
  // ProcessNmea, but framed in place. An error from a piece (the log) ends the delivery; its
  // remaining bytes are not handled.
  void ProcessReceivedBytes(const uint8_t* data, size_t count);

  const std::string& PendingText() const { return PendingText_; }
  // Forgets a half sentence: the input closed, hung up or changed, or a replay starts, and what
  // comes next must not be joined to it.
  void ClearPending();
  int GsvSatCount() const { return GsvSatCount_; }
  // With Gnss on, the index in kGnssTalkers of the last dispatched sentence's talker; -1 for
  // "$PGRMM", a sentence not dispatched, and with Gnss off.
  int TalkerIndex() const { return TalkerIndex_; }
  // The satellites used in the fix: those of the GSA sentences of the last second, as the sky
  // view colours them (with Gnss on, the last GSA of each system).
  size_t UsedSatCount() const;
  // The sentence types decoded, in the dispatch table's order ("GSV" ... "TXT").
  static constexpr size_t kTypeCount = 12;
  static const char* TypeName(size_t row);
  // The fields of the last sentence split; they stay valid until the next one.
  const std::vector<std::string_view>& Fields() const { return Fields_; }

  // Observer of every framed sentence, after it has been handled (for tools and statistics).
  std::function<void(const TSentenceInfo&)> OnSentence;
  // For each overlong line, before what is left of it is handled.
  std::function<void()> OnOverlongLine;

private:
  struct TDecoder;
  struct TDispatchRow;
  static const std::array<TDispatchRow, kTypeCount> kDispatch;

  // The decoders read the field list of the last split, which the dispatch has checked to be
  // long enough for them.
  void DecodeGSV();
  void DecodeGSA();
  void DecodeGGA();
  void DecodeGLL();
  void DecodeRMC();
  void DecodePGRMM();
  void DecodeGST();
  void DecodeVTG();
  void DecodeZDA();
  void DecodeGNS();
  void DecodeGBS();
  void DecodeTXT();
  // The multi-GNSS forms of the two satellite decoders.
  void DecodeGnssGSV();
  void DecodeGnssGSA();
  // The row the address field names in the current mode, or null; sets TalkerIndex_.
  const TDispatchRow* FindRow(std::string_view address);
  // A GSA's fix type, dilutions and fix caption; false, with the fix cleared, when it has none.
  bool ReadGsaFix();
  // A latitude or longitude field and its hemisphere letter after it; an empty field clears
  // both. True when the field held a value.
  bool ReadCoordinate(size_t field, double& value, std::string& hemisphere);
  // The DGPS age in `field` and the station after it.
  void ReadDgps(size_t field);
  // The first character of a field that later versions of NMEA added; 0 when absent or empty.
  char OptionalChar(size_t field) const;
  void ShowAccuracy();
  // Gnss was switched: the satellites of the other mode are forgotten and hidden.
  void ResetSatellites();
  void RebuildSatLists();
  // A first GSV message's count of satellites in view, for the talker of the sentence.
  void NoteInView(bool named, std::string_view signal, int32_t count);
  std::string_view F(size_t i) const { return Fields_[i]; }

  // `pieces`: the text is a delivery that the framing treats as cut at its line feeds.
  void Frame(std::string_view text, bool pieces);
  void FramePending();
  // A sentence in `text` is read in place; one joined from pending text lives in Joined, which
  // the next join reuses, so its fields are taken from a copy.
  void HandleSentence(std::string_view s, bool inText);
  // The end of the line end that begins at `end` (a CR or an LF); notes one cut off by the end
  // of the text.
  size_t AfterLineEnd(std::string_view text, size_t end);
  size_t SkipRestOfLineEnd(std::string_view text);
  void KeepPendingAfterError(std::string_view text, size_t from, bool pieces);
  void KeepFields(std::string_view text);
  void TrimPending();

  TNmeaRec& Rec;
  TNmeaDisplay& Display;
  TNmeaLogWriter* Log;
  std::string PendingText_;
  // The last text ended after one or two carriage returns of a line end: a line feed (or a CR
  // LF after one CR) that begins the next text is the rest of it.
  uint8_t LineEndCrs = 0;
  // The pending text was cut to its newest part since the last sentence end.
  bool Overlong = false;
  std::string Joined;
  tcsv Csv;
  std::vector<std::string_view> Fields_;
  std::string FieldText;  // what Fields_ view once the text they were cut from is gone
  std::string Block;      // the last monitor block built, kept for its storage
  int GsvSatCount_ = 0;

  // Multi-GNSS state: which talker's cycle stored each entry (index + 1, 0 for none), the
  // satellites in view each talker's cycles announced (one count per signal ID, or one for a
  // talker without), and the PRNs the last GSA of each system used.
  struct TCycleInView {
    bool Named = false;  // the cycle had a signal ID
    std::string Id;
    int32_t Count = 0;
  };
  bool GnssMode = false;
  int TalkerIndex_ = -1;
  std::array<int8_t, kMaxGnssSats> SlotTalker{};
  std::array<std::vector<TCycleInView>, std::size(kGnssTalkers)> TalkerInView{};
  std::array<std::vector<std::string>, kGnssSystemCount> UsedBySystem;
  // GP talkers alone: the last sentence was a GSA, and the PRNs of that run of GSAs.
  bool InGsaRun = false;
  std::vector<std::string> UsedInRun;
};

}  // namespace orvane
