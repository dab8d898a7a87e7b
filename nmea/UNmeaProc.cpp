#include "nmea/UNmeaProc.h"

#include <array>
#include <cctype>

#include "geodrel.h"
#include "nmea/NmeaBlocks.h"
#include "common/NmeaConv.h"

namespace orvane {

TNmeaRec NmeaRec;

namespace {
constexpr char CR = 13;
constexpr char LF = 10;
}  // namespace

// One row per decoded sentence: the address field must begin with `prefix` (only those
// characters are compared, so "$GPGGAX" is a GGA too), and shorter sentences are ignored.
struct TNmeaProc::TDispatchRow {
  const char* prefix;
  const char* type;
  size_t minFields;  // address field included
  void (TNmeaProc::*decode)();
};

const std::array<TNmeaProc::TDispatchRow, 6> TNmeaProc::kDispatch{{
    {"$GPGSV", "GSV", 20, &TNmeaProc::DecodeGSV},
    {"$GPGSA", "GSA", 18, &TNmeaProc::DecodeGSA},
    {"$GPGGA", "GGA", 15, &TNmeaProc::DecodeGGA},
    {"$GPGLL", "GLL", 7, &TNmeaProc::DecodeGLL},
    {"$GPRMC", "RMC", 12, &TNmeaProc::DecodeRMC},
    {"$PGRMM", "PGRMM", 2, &TNmeaProc::DecodePGRMM},
}};

TNmeaProc::TNmeaProc(TNmeaRec& rec, TNmeaDisplay& display, TNmeaLogWriter* log)
    : Rec(rec), Display(display), Log(log) {
  Csv.tokns = ",";
  Csv.stokns = "\"";
  Csv.sepstring = "\"";
  Csv.stringflg = true;
  Csv.sepaflg = false;
}

void TNmeaProc::ProcessReceivedBytes(const uint8_t* data, size_t count) {
  Piece.clear();
  for (size_t i = 0; i < count; ++i) {
    Piece.push_back(static_cast<char>(data[i]));
    if (data[i] == LF) {
      ProcessNmea(Piece);
      Piece.clear();
    }
  }
  if (!Piece.empty()) ProcessNmea(Piece);
}

void TNmeaProc::ProcessNmea(std::string_view text) {
  PendingText_.append(text);
  size_t start = 0;
  // The consumed head is cut once at the end, also when the log write throws in between.
  struct Consume {
    std::string& text;
    size_t& start;
    ~Consume() {
      text.erase(0, start);
      if (text.size() > kMaxPendingText) text.erase(0, text.size() - kMaxPendingText);
    }
  } consume{PendingText_, start};

  std::string s;
  for (;;) {
    const size_t cr = PendingText_.find(CR, start);
    if (cr == std::string::npos) return;
    s.assign(PendingText_, start, cr - start);
    // The character after the carriage return goes with it, whatever it is (normally LF).
    start = std::min(cr + 2, PendingText_.size());
    HandleSentence(s);
  }
}

void TNmeaProc::HandleSentence(const std::string& s) {
  if (s.empty() || s[0] != '$') {
    if (OnSentence) OnSentence({s, {}, nullptr, TSentenceOutcome::Dropped});
    return;
  }
  Display.SetRecvCaption(s);
  if (Log && Log->SaveNow()) {
    // ">" tells the user the sentence is in the log, so only a written one gets it.
    if (Log->WriteLogLine(s)) Display.SetRecvCaption(">" + s);
  }

  // No checksum is verified: the "*" and all after it are cut away.
  const size_t star = s.find('*');
  Csv.text.assign(s, 0, star);
  Csv.split();

  const std::string& address = Csv.items.front();
  const TDispatchRow* row = nullptr;
  for (const TDispatchRow& r : kDispatch)
    if (address.starts_with(r.prefix)) row = &r;

  TSentenceOutcome outcome = TSentenceOutcome::Ignored;
  if (row && Csv.items.size() < row->minFields) {
    outcome = TSentenceOutcome::TooFewFields;
  } else if (row) {
    (this->*row->decode)();
    outcome = TSentenceOutcome::Decoded;
  }
  if (OnSentence) OnSentence({s, address, row ? row->type : nullptr, outcome});
}

// $GPGSV,3,1,12,02,59,110,42,05,27,047,38,12,70,255,45,25,12,310,30*7A
//   1 number of messages   2 message number   3 satellites in view
//   4.. four groups of: PRN, elevation (deg), azimuth (deg true), SNR (dB)
void TNmeaProc::DecodeGSV() {
  const bool last = F(1) == F(2);
  if (F(2) == "1") {
    GsvSatCount_ = 0;
    for (TSatInfo& sat : Rec.Sats) sat.Prn.clear();
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
    if (GsvSatCount_ == 1) Rec.SatInViewList = e.Prn;
    else Rec.SatInViewList += "," + e.Prn;
  }
  if (last)
    for (int n = 1; n <= kMaxSats; ++n) Display.SetSatVisible(n, !Rec.Sats[n - 1].Prn.empty());
}

// $GPGSA,A,3,02,05,12,25,,,,,,,,,1.8,1.0,1.5*33
//   1 selection mode   2 fix type (1 none, 2 2D, 3 3D)   3..14 PRNs used   15 PDOP 16 HDOP 17 VDOP
void TNmeaProc::DecodeGSA() {
  Rec.SatUsedList.clear();
  const char c = F(2).empty() ? '\0' : F(2)[0];
  // Some receivers write a letter here; any code above "1" counts as a fix.
  if (static_cast<unsigned char>(c) <= '1') {
    Rec.FixValid = false;
    Display.SetFixCaption("FIX N/A");
    return;
  }
  Rec.FixValid = true;
  Rec.FixMode = c;
  Rec.Pdop = static_cast<float>(SafeStrToFloat(F(15)));
  Rec.Hdop = static_cast<float>(SafeStrToFloat(F(16)));
  Rec.Vdop = static_cast<float>(SafeStrToFloat(F(17)));
  Display.SetFixCaption(std::string(1, c) + "D Fix");
  for (int n = 1; n <= kMaxSats; ++n) {
    Rec.Sats[n - 1].Used = false;
    Display.SetSatColor(n, clRed);
  }
  for (size_t k = 3; k <= 14; ++k) {
    if (F(k).empty()) continue;
    // A text match: "7" and "07" are different satellites here.
    for (int n = 1; n <= kMaxSats; ++n) {
      if (Rec.Sats[n - 1].Prn != F(k)) continue;
      Rec.Sats[n - 1].Used = true;
      Display.SetSatColor(n, clBlue);
    }
    if (k == 3) Rec.SatUsedList = F(k);
    else Rec.SatUsedList += "," + F(k);
  }
}

namespace {

char LowerFirst(const std::string& field) {
  return field.empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(field[0])));
}

}  // namespace

// $GPGGA,123456.00,3539.1234,N,13945.5000,E,1,07,1.0,45.3,M,36.7,M,,*5C
//   1 time hhmmss.ss   2,3 latitude ddmm.mmmm, N/S   4,5 longitude dddmm.mmmm, E/W
//   6 quality (0 invalid, 1 GPS, 2 DGPS)   7 satellites used   8 HDOP
//   9,10 altitude, unit   11,12 geoidal separation, unit   13 DGPS age   14 DGPS station
void TNmeaProc::DecodeGGA() {
  Rec.FixTime = NmeaTimeText(F(1));
  if (!F(2).empty()) {
    Rec.Lat = NmeaToDms(F(2));
    Rec.LatNS = F(3);
  } else {
    Rec.Lat = 0;
    Rec.LatNS.clear();
  }
  if (!F(4).empty()) {
    Rec.Lon = NmeaToDms(F(4));
    Rec.LonEW = F(5);
  } else {
    Rec.Lon = 0;
    Rec.LonEW.clear();
  }
  if (!F(6).empty()) {
    switch (F(6)[0]) {
      case '0': Rec.FixQuality = "Invalid"; break;
      case '1': Rec.FixQuality = "GPS Fix"; break;
      case '2': Rec.FixQuality = "DGPS Fix"; break;
      default: break;  // other qualities (estimated, RTK, ...) leave the last one shown
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
  Display.ShowGGA(GgaBlock(Rec));
}

// $GPGLL,3539.1234,N,13945.5000,E,123456.00,A,A*6E
//   1,2 latitude, N/S   3,4 longitude, E/W   5 time hhmmss.ss   6 status (A valid, V void)
void TNmeaProc::DecodeGLL() {
  if (!F(1).empty()) {
    Rec.GllLat = NmeaToDms(F(1));
    Rec.GllLatNS = F(2);
  } else {
    Rec.GllLat = 0;
    Rec.GllLatNS.clear();
  }
  if (!F(3).empty()) {
    Rec.GllLon = NmeaToDms(F(3));
    Rec.GllLonEW = F(4);
  } else {
    Rec.GllLon = 0;
    Rec.GllLonEW.clear();
  }
  Rec.GllTime = NmeaTimeText(F(5));
  if (!F(6).empty()) Rec.GllStatus = F(6)[0];
  Display.ShowGLL(GllBlock(Rec));
}

// $GPRMC,010203.00,A,3539.1234,N,13945.5000,E,10.0,45.5,061226,7.0,W,A*1C
//   1 time   2 status (not read)   3,4 latitude, N/S   5,6 longitude, E/W
//   7 speed (knots)   8 course (deg true)   9 date ddmmyy   10,11 magnetic variation, E/W
void TNmeaProc::DecodeRMC() {
  Rec.FixTime = NmeaTimeText(F(1));
  if (!F(3).empty()) {
    Rec.Lat = NmeaToDms(F(3));
    Rec.LatNS = F(4);
    if (Rec.GpsFix == "$GPRMC") Rec.FixValid = true;
  } else {
    Rec.Lat = 0;
    Rec.LatNS.clear();
  }
  if (!F(5).empty()) {
    Rec.Lon = NmeaToDms(F(5));
    Rec.LonEW = F(6);
  } else {
    Rec.Lon = 0;
    Rec.LonEW.clear();
  }
  // Stored as knots times 1.583, the figure this monitor has always shown.
  if (!F(7).empty()) Rec.Speed = SafeStrToFloat(F(7)) * 1.583;
  if (!F(8).empty()) Rec.Course = DegToDms(SafeStrToFloat(F(8)));
  if (!F(9).empty()) Rec.FixDate = F(9);
  if (!F(10).empty()) {
    Rec.MagVar = SafeStrToFloat(F(10));
    Rec.MagVarEW = F(11);
  } else {
    Rec.MagVar = 0;
    Rec.MagVarEW.clear();
  }
  Display.ShowRMC(RmcBlock(Rec));
}

// $PGRMM,WGS 84*06
//   1 the datum the receiver's positions are in, as the receiver spells it
void TNmeaProc::DecodePGRMM() {
  if (!F(1).empty()) Rec.GpsDatum = F(1);
}

}  // namespace orvane
