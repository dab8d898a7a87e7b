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
    {"$GPGSV", "GSV", false, {20, &TNmeaProc::DecodeGSV}, {8, &TNmeaProc::DecodeGnssGSV}},
    {"$GPGSA", "GSA", false, {18, &TNmeaProc::DecodeGSA}, {18, &TNmeaProc::DecodeGnssGSA}},
    {"$GPGGA", "GGA", false, {15, &TNmeaProc::DecodeGGA}, {15, &TNmeaProc::DecodeGGA}},
    {"$GPGLL", "GLL", false, {7, &TNmeaProc::DecodeGLL}, {7, &TNmeaProc::DecodeGLL}},
    {"$GPRMC", "RMC", false, {12, &TNmeaProc::DecodeRMC}, {12, &TNmeaProc::DecodeRMC}},
    {"$PGRMM", "PGRMM", true, {2, &TNmeaProc::DecodePGRMM}, {2, &TNmeaProc::DecodePGRMM}},
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
  Rec.SatInViewList.clear();
  Rec.SatUsedList.clear();
  SlotTalker.fill(0);
  TalkerInView.fill(0);
  for (auto& used : UsedBySystem) used.clear();
  UsedInRun.clear();
  InGsaRun = false;
  TalkerIndex_ = -1;
  // Only what may be shown is hidden: nothing at the start.
  for (int n = 1; n <= kMaxGnssSats; ++n)
    if (!Rec.Sats[n - 1].Prn.empty()) Display.SetSatVisible(n, false);
  for (TSatInfo& sat : Rec.Sats) sat = TSatInfo{};
}

// $GPGSV,3,1,12,02,59,110,42,05,27,047,38,12,70,255,45,25,12,310,30*7A
//   1 number of messages   2 message number   3 satellites in view
//   4.. four groups of: PRN, elevation (deg), azimuth (deg true), SNR (dB)
void TNmeaProc::DecodeGSV() {
  const bool last = F(1) == F(2);
  if (F(2) == "1") {
    GsvSatCount_ = 0;
    // Entries beyond kMaxSats stay empty in this mode.
    for (int n = 0; n < kMaxSats; ++n) Rec.Sats[n].Prn.clear();
    Rec.SatInViewList.clear();
    Rec.SatInView = SafeStrToInt(F(3));
  }
  for (size_t k = 4; k <= 16; k += 4) {
    if (F(k).empty() || GsvSatCount_ >= kMaxSats) continue;
    ++GsvSatCount_;
    TSatInfo& e = Rec.Sats[GsvSatCount_ - 1];
    e.Prn = F(k);
    e.Elevation = SafeStrToInt(F(k + 1));
    e.Azimuth = SafeStrToInt(F(k + 2));
    e.Snr = SafeStrToInt(F(k + 3));
    Display.PlaceSatellite(e.Prn, GsvSatCount_, e.Elevation, e.Azimuth, e.Snr);
    if (GsvSatCount_ == 1)
      Rec.SatInViewList = e.Prn;
    else
      Rec.SatInViewList.append(",").append(e.Prn);
  }
  if (last)
    for (int n = 1; n <= kMaxSats; ++n) Display.SetSatVisible(n, !Rec.Sats[n - 1].Prn.empty());
}

namespace {

// A PRN text of up to seven characters as one number, its length in the top byte, so that two
// PRNs match exactly when their numbers do; longer texts share kLongPrn and are compared whole.
constexpr uint64_t kLongPrn = ~uint64_t{0};

uint64_t PrnKey(std::string_view prn) {
  if (prn.size() > 7) return kLongPrn;
  uint64_t key = uint64_t{prn.size()} << 56;
  for (size_t i = 0; i < prn.size(); ++i) key |= uint64_t{static_cast<unsigned char>(prn[i])} << (8 * i);
  return key;
}

}  // namespace

// Each talker's cycle replaces the satellites its own last cycle stored, in the free entries
// from the first on; a message may end after any whole group (a last message with fewer than
// four is common), and a field after the last group is NMEA 4.10's signal ID.
//   $GLGSV,3,3,10,83,52,346,29,84,05,307,,1
void TNmeaProc::DecodeGnssGSV() {
  const int8_t source = static_cast<int8_t>(TalkerIndex_ + 1);
  const std::string_view talker = F(0).substr(1, 2);
  const TGnssSystem own = TalkerSystem(talker);
  const bool last = F(1) == F(2);
  if (F(2) == "1") {
    for (int n = 0; n < kMaxGnssSats; ++n) {
      if (SlotTalker[n] != source) continue;
      SlotTalker[n] = 0;
      Rec.Sats[n].Prn.clear();
    }
    TalkerInView[TalkerIndex_] = SafeStrToInt(F(3));
  }
  const size_t groups = std::min<size_t>((Fields_.size() - 4) / 4, 4);
  int free = 0;
  for (size_t g = 0; g < groups; ++g) {
    const size_t k = 4 + 4 * g;
    if (F(k).empty()) continue;
    while (free < kMaxGnssSats && !Rec.Sats[free].Prn.empty()) ++free;
    if (free == kMaxGnssSats) break;
    TSatInfo& e = Rec.Sats[free];
    SlotTalker[free] = source;
    e.Prn = F(k);
    // PRNs 33-64 of the GPS talker are SBAS satellites; GN names no system, its PRN does.
    e.System = own;
    if (own == TGnssSystem::Unknown || (own == TGnssSystem::Gps && SystemOfPrn(e.Prn) == TGnssSystem::Sbas))
      e.System = SystemOfPrn(e.Prn);
    e.Elevation = SafeStrToInt(F(k + 1));
    e.Azimuth = SafeStrToInt(F(k + 2));
    e.Snr = SafeStrToInt(F(k + 3));
    const std::vector<std::string>& used = UsedBySystem[static_cast<size_t>(UsedGroup(e.System))];
    e.Used = std::find(used.begin(), used.end(), e.Prn) != used.end();
    const char letter = SystemLetter(e.System);
    Display.PlaceSatellite(letter ? letter + e.Prn : e.Prn, free + 1, e.Elevation, e.Azimuth, e.Snr);
    Display.SetSatColor(free + 1, e.Used ? clBlue : clRed);
  }
  RebuildSatLists();
  if (last)
    for (int n = 1; n <= kMaxGnssSats; ++n) Display.SetSatVisible(n, !Rec.Sats[n - 1].Prn.empty());
}

void TNmeaProc::RebuildSatLists() {
  GsvSatCount_ = 0;
  Rec.SatInViewList.clear();
  for (const TSatInfo& sat : Rec.Sats) {
    if (sat.Prn.empty()) continue;
    if (GsvSatCount_++) Rec.SatInViewList += ',';
    Rec.SatInViewList += sat.Prn;
  }
  Rec.SatInView = 0;
  for (int32_t n : TalkerInView) Rec.SatInView += n;
}

// One GSA per system and second: each marks the satellites of its own system, named by the
// system-ID field, else by its talker, else (a GN GSA of before NMEA 4.10) by each PRN's range.
//   $GNGSA,A,3,82,73,74,67,81,83,68,,,,,,0.99,0.54,0.83,2
void TNmeaProc::DecodeGnssGSA() {
  if (!ReadGsaFix()) return;

  TGnssSystem whole = Fields_.size() > 18 ? SystemOfId(F(18)) : TGnssSystem::Unknown;
  if (whole == TGnssSystem::Unknown) whole = TalkerSystem(F(0).substr(1, 2));
  std::array<bool, 7> covered{};
  if (whole != TGnssSystem::Unknown) covered[static_cast<size_t>(UsedGroup(whole))] = true;
  std::array<std::vector<std::string>, 7> listed;
  for (size_t k = 3; k <= 14; ++k) {
    if (F(k).empty()) continue;
    const size_t group = static_cast<size_t>(UsedGroup(whole != TGnssSystem::Unknown ? whole : SystemOfPrn(F(k))));
    covered[group] = true;
    listed[group].emplace_back(F(k));
  }
  for (size_t g = 0; g < covered.size(); ++g)
    if (covered[g]) UsedBySystem[g] = std::move(listed[g]);

  for (int n = 0; n < kMaxGnssSats; ++n) {
    TSatInfo& sat = Rec.Sats[n];
    const size_t group = static_cast<size_t>(UsedGroup(sat.System));
    if (sat.Prn.empty() || !covered[group]) continue;
    const std::vector<std::string>& used = UsedBySystem[group];
    sat.Used = std::find(used.begin(), used.end(), sat.Prn) != used.end();
    Display.SetSatColor(n + 1, sat.Used ? clBlue : clRed);
  }
  for (const std::vector<std::string>& used : UsedBySystem)
    for (const std::string& prn : used) {
      if (!Rec.SatUsedList.empty()) Rec.SatUsedList += ',';
      Rec.SatUsedList += prn;
    }
}

// $GPGSA,A,3,02,05,12,25,,,,,,,,,1.8,1.0,1.5*33
//   1 selection mode   2 fix type (1 none, 2 2D, 3 3D)   3..14 PRNs used   15 PDOP 16 HDOP 17 VDOP
bool TNmeaProc::ReadGsaFix() {
  Rec.SatUsedList.clear();
  const char c = F(2).empty() ? '\0' : F(2)[0];
  // Some receivers write a letter here; any code above "1" counts as a fix.
  if (static_cast<unsigned char>(c) <= '1') {
    Rec.FixValid = false;
    Display.SetFixCaption("FIX N/A");
    return false;
  }
  Rec.FixValid = true;
  Rec.FixMode = c;
  Rec.Pdop = static_cast<float>(SafeStrToFloat(F(15)));
  Rec.Hdop = static_cast<float>(SafeStrToFloat(F(16)));
  Rec.Vdop = static_cast<float>(SafeStrToFloat(F(17)));
  Display.SetFixCaption(std::string(1, c) + "D Fix");
  return true;
}

// A receiver that tracks more than twelve satellites, or more than one system, sends one GSA
// after another in each second: the used satellites are those of all of them.
void TNmeaProc::DecodeGSA() {
  const bool more = InGsaRun && !UsedInRun.empty();
  std::string list = more ? std::move(Rec.SatUsedList) : std::string();
  if (!ReadGsaFix()) {
    UsedInRun.clear();
    return;
  }
  if (!more) {
    UsedInRun.clear();
    for (int n = 1; n <= kMaxSats; ++n) {
      Rec.Sats[n - 1].Used = false;
      Display.SetSatColor(n, clRed);
    }
  }
  std::array<uint64_t, kMaxSats> keys;
  for (int n = 0; n < kMaxSats; ++n) keys[n] = PrnKey(Rec.Sats[n].Prn);
  for (size_t k = 3; k <= 14; ++k) {
    if (F(k).empty()) continue;
    // A text match: "7" and "07" are different satellites here.
    const uint64_t key = PrnKey(F(k));
    for (int n = 1; n <= kMaxSats; ++n) {
      if (keys[n - 1] != key || (key == kLongPrn && Rec.Sats[n - 1].Prn != F(k))) continue;
      Rec.Sats[n - 1].Used = true;
      Display.SetSatColor(n, clBlue);
    }
    if (std::find(UsedInRun.begin(), UsedInRun.end(), F(k)) == UsedInRun.end()) UsedInRun.emplace_back(F(k));
    if (k == 3 && !more)
      list = F(k);
    else
      list.append(",").append(F(k));
  }
  Rec.SatUsedList = std::move(list);
}

size_t TNmeaProc::UsedSatCount() const {
  if (!GnssMode) return UsedInRun.size();
  size_t n = 0;
  for (const std::vector<std::string>& used : UsedBySystem) n += used.size();
  return n;
}

bool TNmeaProc::ReadCoordinate(size_t field, double& value, std::string& hemisphere) {
  if (F(field).empty()) {
    value = 0;
    hemisphere.clear();
    return false;
  }
  value = NmeaToDms(F(field));
  hemisphere = F(field + 1);
  return true;
}

namespace {

char LowerFirst(std::string_view field) {
  return field.empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(field[0])));
}

}  // namespace

// $GPGGA,123456.00,3539.1234,N,13945.5000,E,1,07,1.0,45.3,M,36.7,M,,*5C
//   1 time hhmmss.ss   2,3 latitude ddmm.mmmm, N/S   4,5 longitude dddmm.mmmm, E/W
//   6 quality (0 invalid, 1 GPS, 2 DGPS)   7 satellites used   8 HDOP
//   9,10 altitude, unit   11,12 geoidal separation, unit   13 DGPS age   14 DGPS station
void TNmeaProc::DecodeGGA() {
  Rec.FixTime = NmeaTimeText(F(1));
  ReadCoordinate(2, Rec.Lat, Rec.LatNS);
  ReadCoordinate(4, Rec.Lon, Rec.LonEW);
  if (!F(6).empty()) {
    switch (F(6)[0]) {
      case '0':
        Rec.FixQuality = "Invalid";
        break;
      case '1':
        Rec.FixQuality = "GPS Fix";
        break;
      case '2':
        Rec.FixQuality = "DGPS Fix";
        break;
      default:
        break;  // other qualities (estimated, RTK, ...) leave the last one shown
    }
  }
  Rec.SatUsed = SafeStrToInt(F(7));
  Rec.GgaHdop = static_cast<float>(SafeStrToFloat(F(8)));
  if (!F(9).empty()) {
    Rec.Altitude = SafeStrToFloat(F(9));
    Rec.AltUnit = LowerFirst(F(10));
  } else {
    Rec.Altitude = 0;
    Rec.AltUnit = '\0';
  }
  if (!F(11).empty()) {
    Rec.Geoid = SafeStrToFloat(F(11));
    Rec.GeoidUnit = LowerFirst(F(12));
  } else {
    Rec.Geoid = 0;
    Rec.GeoidUnit = '\0';
  }
  if (Display.WantsBlocks()) {
    BuildGgaBlock(Rec, Block);
    Display.ShowGGA(Block);
  }
}

// $GPGLL,3539.1234,N,13945.5000,E,123456.00,A,A*6E
//   1,2 latitude, N/S   3,4 longitude, E/W   5 time hhmmss.ss   6 status (A valid, V void)
void TNmeaProc::DecodeGLL() {
  ReadCoordinate(1, Rec.GllLat, Rec.GllLatNS);
  ReadCoordinate(3, Rec.GllLon, Rec.GllLonEW);
  Rec.GllTime = NmeaTimeText(F(5));
  if (!F(6).empty()) Rec.GllStatus = F(6)[0];
  if (Display.WantsBlocks()) {
    BuildGllBlock(Rec, Block);
    Display.ShowGLL(Block);
  }
}

// $GPRMC,010203.00,A,3539.1234,N,13945.5000,E,10.0,45.5,061226,7.0,W,A*1C
//   1 time   2 status (A valid, V no fix)   3,4 latitude, N/S   5,6 longitude, E/W
//   7 speed (knots)   8 course (deg true)   9 date ddmmyy   10,11 magnetic variation, E/W
void TNmeaProc::DecodeRMC() {
  Rec.FixTime = NmeaTimeText(F(1));
  if (ReadCoordinate(3, Rec.Lat, Rec.LatNS) && Rec.GpsFix == "$GPRMC" && F(2) == "A") Rec.FixValid = true;
  ReadCoordinate(5, Rec.Lon, Rec.LonEW);
  // A receiver without a fix says so with "V" and may still send its last position: it must
  // not be recorded as one.
  if (Rec.GpsFix == "$GPRMC" && F(2) == "V") Rec.FixValid = false;
  // Kept in km/h: one knot is 1.852 km/h.
  if (!F(7).empty()) Rec.Speed = SafeStrToFloat(F(7)) * 1.852;
  if (!F(8).empty()) Rec.Course = DegToDms(SafeStrToFloat(F(8)));
  if (!F(9).empty()) Rec.FixDate = F(9);
  if (!F(10).empty()) {
    Rec.MagVar = SafeStrToFloat(F(10));
    Rec.MagVarEW = F(11);
  } else {
    Rec.MagVar = 0;
    Rec.MagVarEW.clear();
  }
  if (Display.WantsBlocks()) {
    BuildRmcBlock(Rec, Block);
    Display.ShowRMC(Block);
  }
}

// $PGRMM,WGS 84*06
//   1 the datum the receiver's positions are in, as the receiver spells it
void TNmeaProc::DecodePGRMM() {
  if (!F(1).empty()) Rec.GpsDatum = F(1);
}

}  // namespace orvane
