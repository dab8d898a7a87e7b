// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/UNmeaProc.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <functional>
#include <utility>

#include "common/NmeaConv.h"
#include "common/ScopeGuard.h"
#include "geodrel.h"
#include "nmea/NmeaBlocks.h"

namespace orvane {

TNmeaRec NmeaRec;

namespace {
constexpr char CR = 13;
constexpr char LF = 10;
}  // namespace

// A decoder and the fields it needs at least, address field included; shorter sentences are
// ignored.
struct TNmeaProc::TDecoder {
  size_t minFields;
  void (TNmeaProc::*decode)();
};

// One row per decoded sentence. The address field must begin with `prefix` (only those
// characters are compared, so "$GPGGAX" is a GGA too); with multi-GNSS talkers on, a row with a
// talker takes "$", any of the talkers and its type, and is decoded by its `gnss` column. A
// proprietary row has no talker and is taken as it stands in both modes.
struct TNmeaProc::TDispatchRow {
  const char* prefix;
  const char* type;
  bool proprietary;
  TDecoder gp;
  TDecoder gnss;  // a multi-GNSS GSV message may end after its first group
};

const std::array<TNmeaProc::TDispatchRow, TNmeaProc::kTypeCount> TNmeaProc::kDispatch{{
    // A GSV may end after any group (the last message of a cycle, without empty groups), and one
    // of no satellites ("$GPGSV,1,1,00", or "$GAGSV,1,1,00,2" for one band) ends them.
    {"$GPGSV", "GSV", false, {4, &TNmeaProc::DecodeGSV}, {4, &TNmeaProc::DecodeGnssGSV}},
    {"$GPGSA", "GSA", false, {18, &TNmeaProc::DecodeGSA}, {18, &TNmeaProc::DecodeGnssGSA}},
    {"$GPGGA", "GGA", false, {15, &TNmeaProc::DecodeGGA}, {15, &TNmeaProc::DecodeGGA}},
    {"$GPGLL", "GLL", false, {7, &TNmeaProc::DecodeGLL}, {7, &TNmeaProc::DecodeGLL}},
    {"$GPRMC", "RMC", false, {12, &TNmeaProc::DecodeRMC}, {12, &TNmeaProc::DecodeRMC}},
    {"$PGRMM", "PGRMM", true, {2, &TNmeaProc::DecodePGRMM}, {2, &TNmeaProc::DecodePGRMM}},
    {"$GPGST", "GST", false, {9, &TNmeaProc::DecodeGST}, {9, &TNmeaProc::DecodeGST}},
    // Receivers of before NMEA 2.3 end the VTG before the mode field.
    {"$GPVTG", "VTG", false, {9, &TNmeaProc::DecodeVTG}, {9, &TNmeaProc::DecodeVTG}},
    {"$GPZDA", "ZDA", false, {7, &TNmeaProc::DecodeZDA}, {7, &TNmeaProc::DecodeZDA}},
    {"$GPGNS", "GNS", false, {13, &TNmeaProc::DecodeGNS}, {13, &TNmeaProc::DecodeGNS}},
    {"$GPGBS", "GBS", false, {9, &TNmeaProc::DecodeGBS}, {9, &TNmeaProc::DecodeGBS}},
    {"$GPTXT", "TXT", false, {5, &TNmeaProc::DecodeTXT}, {5, &TNmeaProc::DecodeTXT}},
}};

TNmeaProc::TNmeaProc(TNmeaRec& rec, TNmeaDisplay& display, TNmeaLogWriter* log) : Rec(rec), Display(display), Log(log) {
  Csv.tokns = ",";
  Csv.stokns = "\"";
  Csv.sepstring = "\"";
  Csv.stringflg = true;
  Csv.sepaflg = false;
}

namespace {

constexpr size_t npos = std::string_view::npos;

size_t FindByte(std::string_view text, size_t from, char c) {
  if (from >= text.size()) return npos;
  const void* at = std::memchr(text.data() + from, c, text.size() - from);
  return at ? static_cast<size_t>(static_cast<const char*>(at) - text.data()) : npos;
}

}  // namespace

void TNmeaProc::ProcessNmea(std::string_view text) { Frame(text, false); }

void TNmeaProc::ClearPending() {
  PendingText_.clear();
  LineEndCrs = 0;
  Overlong = false;
}

void TNmeaProc::ProcessReceivedBytes(const uint8_t* data, size_t count) {
  Frame(std::string_view(reinterpret_cast<const char*>(data), count), true);
}

namespace {

size_t FindLineEnd(std::string_view text, size_t from) {
  for (size_t i = from; i < text.size(); ++i)
    if (text[i] == CR || text[i] == LF) return i;
  return npos;
}

}  // namespace

// Receivers end lines with CR LF, captures and pipes often with LF alone, and a text-mode copy
// of a CR LF log with CR CR LF: each is one line end. A CR followed by anything else ends the
// line too, and that character begins the next one.
size_t TNmeaProc::AfterLineEnd(std::string_view text, size_t end) {
  const size_t n = text.size();
  if (text[end] == LF) return end + 1;
  size_t p = end + 1;
  if (p < n && text[p] == CR) ++p;
  if (p == n) {
    LineEndCrs = static_cast<uint8_t>(p - end);
    return n;
  }
  return text[p] == LF ? p + 1 : p;
}

// The rest of a line end that the last text ended in the middle of.
size_t TNmeaProc::SkipRestOfLineEnd(std::string_view text) {
  if (text.empty()) return 0;
  const uint8_t crs = std::exchange(LineEndCrs, 0);
  if (crs == 0) return 0;
  if (text[0] == LF) return 1;
  if (text[0] != CR || crs > 1) return 0;
  if (text.size() == 1) {
    LineEndCrs = 2;
    return 1;
  }
  return text[1] == LF ? 2 : 1;
}

// Cutting a delivery at line feeds and appending each piece to the pending text would frame the
// same sentences as appending it whole, but for one thing that Frame keeps: an error ends the
// delivery after the piece it happened in.
void TNmeaProc::Frame(std::string_view text, bool pieces) {
  // Also when an error escapes: the fields of the last split outlive the caller's text.
  const TScopeGuard keep([this, text] { KeepFields(text); });

  const size_t n = text.size();
  size_t pos = SkipRestOfLineEnd(text);

  // Text left by a failed log write may still hold whole sentences: its first piece takes the
  // old road through the pending text.
  if (FindLineEnd(PendingText_, 0) != npos) {
    size_t end = n;
    if (pieces) {
      const size_t lf = FindByte(text, pos, LF);
      if (lf != npos) end = lf + 1;
    }
    PendingText_.append(text.substr(pos, end - pos));
    pos = end;
    FramePending();
  }

  // A sentence begun in an earlier delivery is completed in a copy.
  if (!PendingText_.empty() && pos < n) {
    const size_t end = FindLineEnd(text, pos);
    if (end == npos) {
      PendingText_.append(text.substr(pos));
      TrimPending();
      return;
    }
    Joined.swap(PendingText_);
    PendingText_.clear();
    Joined.append(text.substr(pos, end - pos));
    pos = AfterLineEnd(text, end);
    try {
      HandleSentence(Joined, false);
    } catch (...) {
      KeepPendingAfterError(text, pos, pieces);
      throw;
    }
  }

  while (pos < n) {
    const size_t end = FindLineEnd(text, pos);
    if (end == npos) {
      PendingText_.assign(text.substr(pos));
      TrimPending();
      return;
    }
    const size_t start = pos;
    pos = AfterLineEnd(text, end);
    try {
      HandleSentence(text.substr(start, end - start), true);
    } catch (...) {
      KeepPendingAfterError(text, pos, pieces);
      throw;
    }
  }
}

// Frames the pending text as a whole; the consumed head is cut once at the end, also when the
// log write throws in between.
void TNmeaProc::FramePending() {
  size_t start = 0;
  const TScopeGuard consume([this, &start] {
    PendingText_.erase(0, start);
    TrimPending();
  });
  for (;;) {
    const size_t end = FindLineEnd(PendingText_, start);
    if (end == npos) return;
    Joined.assign(PendingText_, start, end - start);
    start = AfterLineEnd(PendingText_, end);
    HandleSentence(Joined, false);
  }
}

// The sentence that ended before `from` failed: what follows it in its piece waits as pending
// text. A piece ends at a line feed, so nothing follows one that ended in it.
void TNmeaProc::KeepPendingAfterError(std::string_view text, size_t from, bool pieces) {
  size_t end = text.size();
  if (pieces) {
    const size_t lf = text[from - 1] == LF ? from - 1 : FindByte(text, from, LF);
    if (lf != npos) end = lf + 1;
  }
  from = std::min(from, end);
  PendingText_.assign(text.substr(from, end - from));
  TrimPending();
}

void TNmeaProc::KeepFields(std::string_view text) {
  if (Fields_.empty() || text.empty()) return;
  const char* first = Fields_.front().data();
  const std::less<const char*> before;
  if (before(first, text.data()) || !before(first, text.data() + text.size())) return;
  const char* last = Fields_.back().data() + Fields_.back().size();
  FieldText.assign(first, last);
  for (std::string_view& f : Fields_) f = std::string_view(FieldText.data() + (f.data() - first), f.size());
}

void TNmeaProc::TrimPending() {
  if (PendingText_.size() <= kMaxPendingText) return;
  PendingText_.erase(0, PendingText_.size() - kMaxPendingText);
  Overlong = true;
}

void TNmeaProc::HandleSentence(std::string_view s, bool inText) {
  TalkerIndex_ = -1;
  if (std::exchange(Overlong, false) || s.size() > kMaxPendingText) {
    // Garbage without a line end (a receiver at the wrong speed, a binary protocol) is dropped;
    // a sentence sent right after it still counts.
    if (OnOverlongLine) OnOverlongLine();
    const size_t dollar = s.rfind('$');
    s = dollar == npos || s.size() - dollar > kMaxPendingText ? std::string_view() : s.substr(dollar);
  }
  if (s.empty() || s[0] != '$') {
    if (OnSentence) OnSentence({s, {}, nullptr, TSentenceOutcome::Dropped});
    return;
  }
  const bool logged = Log && Log->SaveNow() && Log->WriteLogLine(std::string(s));

  std::string_view body = s.substr(0, s.find('*'));
  if (!inText) {
    FieldText.assign(body);
    body = FieldText;
  }
  Csv.SplitViews(body, Fields_);

  const std::string_view address = Fields_.front();
  if (Rec.Gnss != GnssMode) ResetSatellites();
  const TDispatchRow* row = FindRow(address);
  TSentenceOutcome outcome = TSentenceOutcome::Ignored;
  // A digit flipped on the line must not move the fix; hand-made logs may switch the check off.
  if (row && Rec.Checksum && !ChecksumMatches(s)) {
    outcome = TSentenceOutcome::BadChecksum;
  } else if (row) {
    const TDecoder& decoder = GnssMode ? row->gnss : row->gp;
    if (Fields_.size() < decoder.minFields) {
      outcome = TSentenceOutcome::TooFewFields;
    } else {
      (this->*decoder.decode)();
      outcome = TSentenceOutcome::Decoded;
    }
  }
  InGsaRun = outcome == TSentenceOutcome::Decoded && row == &kDispatch[1];
  const TSentenceInfo info{s, address, row ? row->type : nullptr, outcome, logged};
  // The observer first: a receiver says there that data comes, before the sentence is shown.
  if (OnSentence) OnSentence(info);
  Display.ShowSentence(info);
}

bool ChecksumMatches(std::string_view s) {
  const size_t star = s.find('*');
  if (star == npos) return true;
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
  };
  if (s.size() != star + 3 || hex(s[star + 1]) < 0 || hex(s[star + 2]) < 0) return false;
  unsigned sum = 0;
  for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(s[i]);
  return sum == static_cast<unsigned>(hex(s[star + 1]) * 16 + hex(s[star + 2]));
}

const char* TNmeaProc::TypeName(size_t row) { return kDispatch.at(row).type; }

const TNmeaProc::TDispatchRow* TNmeaProc::FindRow(std::string_view address) {
  for (const TDispatchRow& r : kDispatch) {
    const std::string_view prefix = r.prefix;
    if (!GnssMode || r.proprietary) {
      if (address.starts_with(prefix)) return &r;
      continue;
    }
    // "$" and any of the talkers, then the type: "$GLGSV", "$GNGGAX".
    if (address.size() < prefix.size() || address[0] != '$' || address.substr(3, 3) != prefix.substr(3)) continue;
    const int talker = GnssTalkerIndex(address.substr(1, 2));
    if (talker < 0) continue;
    TalkerIndex_ = talker;
    return &r;
  }
  return nullptr;
}

void TNmeaProc::ResetSatellites() {
  GnssMode = Rec.Gnss;
  GsvSatCount_ = 0;
  Rec.SatInView = 0;
  Rec.SignalsInView = 0;
  Rec.SatInViewList.clear();
  Rec.SatUsedList.clear();
  SlotTalker.fill(0);
  for (auto& cycles : TalkerInView) cycles.clear();
  for (auto& used : UsedBySystem) used.clear();
  UsedInRun.clear();
  InGsaRun = false;
  TalkerIndex_ = -1;
  // Only what may be shown is hidden: nothing at the start.
  for (int n = 1; n <= kMaxGnssSats; ++n)
    if (!Rec.Sats[n - 1].Prn.empty()) Display.SetSatVisible(n, false);
  for (TSatInfo& sat : Rec.Sats) sat = TSatInfo{};
}

}  // namespace orvane
