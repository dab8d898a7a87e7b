// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence processor's decoders: each reads the fields of the sentence the dispatch handed
// it and writes the record and the displays. The framing and the dispatch are in UNmeaProc.cpp.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>

#include "common/NmeaConv.h"
#include "geodrel.h"
#include "nmea/FixQuality.h"
#include "nmea/NmeaBlocks.h"
#include "nmea/SignalBands.h"
#include "nmea/UNmeaProc.h"

namespace orvane {

// $GPGSV,3,1,12,02,59,110,42,05,27,047,38,12,70,255,45,25,12,310,30*7A
//   1 number of messages   2 message number   3 satellites in view
//   4.. up to four groups of: PRN, elevation (deg), azimuth (deg true), SNR (dB)
// Many receivers end the last message of a cycle after its last satellite instead of sending
// empty groups: its satellites are stored and the cycle ends there all the same.
void TNmeaProc::DecodeGSV() {
  // One SNR is kept per satellite here: the cycles a dual-band receiver sends of its other signals
  // (the signal ID after the last group) would replace its L1 C/A levels with weaker ones. The
  // ID is the one field left after whole groups, never a PRN.
  const bool named = (Fields_.size() - 4) % 4 == 1;
  if (named && !Fields_.back().empty() && Fields_.back() != "1") return;
  const size_t groupsEnd = std::min<size_t>(named ? Fields_.size() - 1 : Fields_.size(), 20);
  const auto group = [&](size_t i) { return i < groupsEnd ? F(i) : std::string_view(); };
  const bool last = F(1) == F(2);
  if (F(2) == "1") {
    GsvSatCount_ = 0;
    // Entries beyond kMaxSats stay empty in this mode.
    for (int n = 0; n < kMaxSats; ++n) Rec.Sats[n].Prn.clear();
    Rec.SatInViewList.clear();
    Rec.SatInView = SafeStrToInt(F(3));
  }
  for (size_t k = 4; k < groupsEnd; k += 4) {
    if (F(k).empty() || GsvSatCount_ >= kMaxSats) continue;
    ++GsvSatCount_;
    TSatInfo& e = Rec.Sats[GsvSatCount_ - 1];
    e.Prn = F(k);
    e.Elevation = SafeStrToInt(group(k + 1));
    e.Azimuth = SafeStrToInt(group(k + 2));
    e.Snr = SafeStrToInt(group(k + 3));
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

int32_t Strongest(const std::vector<TSatSignal>& signals) {
  int32_t snr = 0;
  for (const TSatSignal& s : signals) snr = std::max(snr, s.Snr);
  return snr;
}

// As the sky view labels a satellite: "G12".
std::string SatLabel(const TSatInfo& sat) {
  const char letter = SystemLetter(sat.System);
  return letter ? letter + sat.Prn : sat.Prn;
}

// Sets the signal `id` of `sat`, kept in the order of the IDs.
void SetSignal(TSatInfo& sat, std::string_view id, int32_t snr) {
  auto at = sat.Signals.begin();
  while (at != sat.Signals.end() && SignalBefore(at->Id, id)) ++at;
  if (at != sat.Signals.end() && at->Id == id) {
    at->Snr = snr;
    return;
  }
  if (sat.Signals.size() < kMaxSatSignals) sat.Signals.insert(at, TSatSignal{std::string(id), snr});
}

}  // namespace

// Each talker's cycle replaces the satellites its own last cycle stored, in the free entries
// from the first on; a message may end after any whole group (a last message with fewer than
// four is common). A field after the last group is NMEA 4.10's signal ID: a receiver that tracks
// several bands sends one cycle per signal, and such a cycle replaces only its own signal of the
// satellites, which are found by system and PRN.
//   $GLGSV,3,3,10,83,52,346,29,84,05,307,,1
void TNmeaProc::DecodeGnssGSV() {
  const int8_t source = static_cast<int8_t>(TalkerIndex_ + 1);
  const std::string_view talker = F(0).substr(1, 2);
  const TGnssSystem own = TalkerSystem(talker);
  const bool last = F(1) == F(2);
  const size_t groups = std::min<size_t>((Fields_.size() - 4) / 4, 4);
  const bool named = Fields_.size() == 4 + 4 * groups + 1;
  const std::string_view signal = named ? Fields_.back() : std::string_view();
  if (F(2) == "1") {
    for (int n = 0; n < kMaxGnssSats; ++n) {
      if (SlotTalker[n] != source) continue;
      TSatInfo& e = Rec.Sats[n];
      if (named) std::erase_if(e.Signals, [&](const TSatSignal& s) { return s.Id == signal; });
      if (named && !e.Signals.empty()) {
        // Kept for its other bands: shown again with what is left of it.
        e.Snr = Strongest(e.Signals);
        Display.PlaceSatellite(SatLabel(e), n + 1, e.Elevation, e.Azimuth, e.Snr);
        continue;
      }
      SlotTalker[n] = 0;
      e.Prn.clear();
      e.Signals.clear();
    }
    NoteInView(named, signal, SafeStrToInt(F(3)));
  }
  int free = 0;
  for (size_t g = 0; g < groups; ++g) {
    const size_t k = 4 + 4 * g;
    if (F(k).empty()) continue;
    // PRNs 33-64 of the GPS talker are SBAS satellites; GN names no system, its PRN does.
    TGnssSystem system = own;
    if (own == TGnssSystem::Unknown || (own == TGnssSystem::Gps && SystemOfPrn(F(k)) == TGnssSystem::Sbas))
      system = SystemOfPrn(F(k));
    int n = 0;
    if (named)
      while (n < kMaxGnssSats && (Rec.Sats[n].Prn != F(k) || Rec.Sats[n].System != system)) ++n;
    if (!named || n == kMaxGnssSats) {
      while (free < kMaxGnssSats && !Rec.Sats[free].Prn.empty()) ++free;
      if (free == kMaxGnssSats) break;
      n = free;
      Rec.Sats[n].Prn = F(k);
      Rec.Sats[n].System = system;
      Rec.Sats[n].Signals.clear();
    }
    TSatInfo& e = Rec.Sats[n];
    SlotTalker[n] = source;
    e.Elevation = SafeStrToInt(F(k + 1));
    e.Azimuth = SafeStrToInt(F(k + 2));
    e.Snr = SafeStrToInt(F(k + 3));
    if (named) {
      SetSignal(e, signal, e.Snr);
      e.Snr = Strongest(e.Signals);
    }
    const std::vector<std::string>& used = UsedBySystem[static_cast<size_t>(UsedGroup(e.System))];
    e.Used = std::find(used.begin(), used.end(), e.Prn) != used.end();
    Display.PlaceSatellite(SatLabel(e), n + 1, e.Elevation, e.Azimuth, e.Snr);
    Display.SetSatColor(n + 1, e.Used ? clBlue : clRed);
  }
  RebuildSatLists();
  if (last)
    for (int n = 1; n <= kMaxGnssSats; ++n) Display.SetSatVisible(n, !Rec.Sats[n - 1].Prn.empty());
}

// A cycle without signal ID stands for all of its talker's signals; one with an ID for its own.
void TNmeaProc::NoteInView(bool named, std::string_view signal, int32_t count) {
  std::vector<TCycleInView>& cycles = TalkerInView[static_cast<size_t>(TalkerIndex_)];
  if (!named) {
    cycles.assign(1, TCycleInView{false, {}, count});
    return;
  }
  std::erase_if(cycles, [](const TCycleInView& c) { return !c.Named; });
  for (TCycleInView& c : cycles)
    if (c.Id == signal) {
      c.Count = count;
      return;
    }
  if (cycles.size() < kMaxSatSignals) cycles.push_back(TCycleInView{true, std::string(signal), count});
}

void TNmeaProc::RebuildSatLists() {
  GsvSatCount_ = 0;
  Rec.SatInViewList.clear();
  for (const TSatInfo& sat : Rec.Sats) {
    if (sat.Prn.empty()) continue;
    if (GsvSatCount_++) Rec.SatInViewList += ',';
    Rec.SatInViewList += sat.Prn;
  }
  // A satellite is in view once however many of its signals are: each talker's count is that of
  // its fullest cycle.
  Rec.SatInView = 0;
  Rec.SignalsInView = 0;
  for (const std::vector<TCycleInView>& cycles : TalkerInView) {
    int32_t most = 0;
    for (const TCycleInView& c : cycles) {
      most = std::max(most, c.Count);
      Rec.SignalsInView += c.Count;
    }
    Rec.SatInView += most;
  }
}

// One GSA per system and second: each marks the satellites of its own system, named by the
// system-ID field, else by its talker, else (a GN GSA of before NMEA 4.10) by each PRN's range.
//   $GNGSA,A,3,82,73,74,67,81,83,68,,,,,,0.99,0.54,0.83,2
void TNmeaProc::DecodeGnssGSA() {
  if (!ReadGsaFix()) return;

  TGnssSystem whole = Fields_.size() > 18 ? SystemOfId(F(18)) : TGnssSystem::Unknown;
  if (whole == TGnssSystem::Unknown) whole = TalkerSystem(F(0).substr(1, 2));
  std::array<bool, kGnssSystemCount> covered{};
  if (whole != TGnssSystem::Unknown) covered[static_cast<size_t>(UsedGroup(whole))] = true;
  std::array<std::vector<std::string>, kGnssSystemCount> listed;
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
  Display.SetFixCaption(FixCaption(c, Rec.GgaQuality));
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
//   6 quality (0 invalid, 1 GPS, 2 DGPS, 4 RTK fixed, 5 RTK float, 6 dead reckoning, ...)
//   7 satellites used   8 HDOP
//   9,10 altitude, unit   11,12 geoidal separation, unit   13 DGPS age   14 DGPS station
void TNmeaProc::DecodeGGA() {
  Rec.FixTime = NmeaTimeText(F(1));
  ReadCoordinate(2, Rec.Lat, Rec.LatNS);
  ReadCoordinate(4, Rec.Lon, Rec.LonEW);
  if (!F(6).empty()) {
    Rec.GgaQuality = F(6)[0];
    // A digit no receiver should send leaves the last quality shown.
    if (const TFixQuality* q = FixQualityOf(F(6)[0])) Rec.FixQuality = q->Name;
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
  ReadDgps(13);
  if (Display.WantsBlocks()) {
    BuildGgaBlock(Rec, Block);
    Display.ShowGGA(Block);
  }
}

void TNmeaProc::ReadDgps(size_t field) {
  Rec.DgpsAge = F(field).empty() ? -1 : SafeStrToFloat(F(field));
  Rec.DgpsStation = F(field + 1);
}

char TNmeaProc::OptionalChar(size_t field) const {
  return Fields_.size() > field && !F(field).empty() ? F(field)[0] : '\0';
}

// $GNGNS,112257.00,3539.1234,N,13945.5000,E,RRFN,16,0.7,45.3,36.7,1.0,0123,S*hh
//   1 time   2,3 latitude, N/S   4,5 longitude, E/W   6 mode letters, one per system (GPS,
//   GLONASS, Galileo, BeiDou, QZSS, NavIC)   7 satellites used   8 HDOP   9 altitude (m)
//   10 geoidal separation (m)   11 DGPS age   12 DGPS station   13 navigational status (NMEA 4.10)
// It stands for a GGA: a receiver that sends it instead has its position, quality and height.
void TNmeaProc::DecodeGNS() {
  Rec.FixTime = NmeaTimeText(F(1));
  ReadCoordinate(2, Rec.Lat, Rec.LatNS);
  ReadCoordinate(4, Rec.Lon, Rec.LonEW);
  Rec.GnsMode = F(6);
  if (const TFixQuality* q = BestFixQualityOfModes(F(6))) {
    Rec.GgaQuality = q->Code;
    Rec.FixQuality = q->Name;
  }
  Rec.SatUsed = SafeStrToInt(F(7));
  Rec.GgaHdop = static_cast<float>(SafeStrToFloat(F(8)));
  Rec.Altitude = SafeStrToFloat(F(9));
  Rec.AltUnit = F(9).empty() ? '\0' : 'm';
  Rec.Geoid = SafeStrToFloat(F(10));
  Rec.GeoidUnit = F(10).empty() ? '\0' : 'm';
  ReadDgps(11);
  Rec.GnsNavStatus = OptionalChar(13);
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
  // Receivers of before NMEA 2.3 end after the variation, of before 4.10 after the mode.
  Rec.RmcMode = OptionalChar(12);
  Rec.RmcNavStatus = OptionalChar(13);
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

// $GPGST,123456.00,1.2,2.5,1.5,45.0,1.8,2.1,3.4*hh
//   1 time   2 RMS of the ranges   3,4 semi-major and semi-minor axes of the error ellipse (m)
//   5 orientation of the semi-major axis (deg true)   6,7,8 sigma of latitude, longitude, height (m)
void TNmeaProc::DecodeGST() {
  Rec.GstRms = SafeStrToFloat(F(2));
  Rec.GstMajor = SafeStrToFloat(F(3));
  Rec.GstMinor = SafeStrToFloat(F(4));
  Rec.GstOrient = SafeStrToFloat(F(5));
  Rec.GstLatSigma = SafeStrToFloat(F(6));
  Rec.GstLonSigma = SafeStrToFloat(F(7));
  Rec.GstAltSigma = SafeStrToFloat(F(8));
  Rec.GstSent = true;
  ShowAccuracy();
}

// $GPGBS,015509.00,-0.031,-0.186,0.219,19,0.000,-0.354,6.972*4D
//   1 time   2,3,4 expected error of latitude, longitude, height (m)   5 the satellite most likely
//   failed   6 probability of its missed detection   7 its estimated bias (m)   8 sigma of the bias
void TNmeaProc::DecodeGBS() {
  Rec.GbsLatError = SafeStrToFloat(F(2));
  Rec.GbsLonError = SafeStrToFloat(F(3));
  Rec.GbsAltError = SafeStrToFloat(F(4));
  Rec.GbsFailedSat = F(5);
  Rec.GbsProbability = SafeStrToFloat(F(6));
  Rec.GbsBias = SafeStrToFloat(F(7));
  Rec.GbsBiasSigma = SafeStrToFloat(F(8));
  Rec.GbsSent = true;
  ShowAccuracy();
}

void TNmeaProc::ShowAccuracy() {
  if (!Display.WantsBlocks()) return;
  BuildAccuracyBlock(Rec, Block);
  Display.ShowAccuracy(Block);
}

// $GPTXT,01,01,01,ANTENNA OPEN*hh
//   1 number of messages   2 message number   3 type (00 error, 01 warning, 02 notice, 07 user)
//   4 the text, which some receivers let run over commas
void TNmeaProc::DecodeTXT() {
  TReceiverText text{Rec.FixTime, std::string(F(3)), std::string(F(4))};
  for (size_t k = 5; k < Fields_.size(); ++k) text.Text.append(",").append(F(k));
  if (Rec.Texts.size() >= kMaxReceiverTexts) Rec.Texts.erase(Rec.Texts.begin());
  Rec.Texts.push_back(text);
  if (const char* kind = F(3) == "00" ? "Receiver error: " : F(3) == "01" ? "Receiver warning: " : nullptr)
    Display.ShowReceiverText(kind + text.Text);
}

// $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A*25
//   1,2 course (deg true), T   3,4 course (deg magnetic), M   5,6 speed (knots), N
//   7,8 speed (km/h), K   9 mode (A autonomous, D differential, E estimated, N not valid, ...)
void TNmeaProc::DecodeVTG() {
  Rec.VtgCourseTrue = SafeStrToFloat(F(1));
  Rec.VtgCourseMag = SafeStrToFloat(F(3));
  Rec.VtgSpeedKn = SafeStrToFloat(F(5));
  Rec.VtgSpeedKmh = SafeStrToFloat(F(7));
  Rec.VtgMode = Fields_.size() > 9 && !F(9).empty() ? F(9)[0] : '\0';
}

// $GPZDA,101010.00,01,01,2025,00,00*62
//   1 time (UTC)   2 day   3 month   4 year   5 local zone hours (-13..13)   6 local zone minutes
void TNmeaProc::DecodeZDA() {
  Rec.ZdaTime = F(1).empty() ? std::string() : NmeaTimeText(F(1));
  Rec.ZdaDate.clear();
  if (!F(2).empty() && !F(3).empty() && !F(4).empty())
    Rec.ZdaDate.append(F(4)).append("-").append(F(3)).append("-").append(F(2));
  Rec.ZdaZone.clear();
  if (!F(5).empty()) {
    // The sign belongs to the hours and applies to the minutes too: "-03,30" is 3 h 30 min west.
    const long long hours = SafeStrToInt(F(5));
    const long long minutes = SafeStrToInt(F(6));
    char zone[32];
    std::snprintf(zone, sizeof zone, "%c%02lld:%02lld", hours < 0 || F(5)[0] == '-' ? '-' : '+', std::llabs(hours),
                  std::llabs(minutes) % 60);
    Rec.ZdaZone = zone;
  }
}

}  // namespace orvane
