// SPDX-License-Identifier: GPL-3.0-or-later
// Everything learned from the receiver, and the main settings, in one program-wide record.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/Color.h"
#include "common/CoordFormat.h"

namespace orvane {

// The satellite systems a multi-GNSS receiver reports; Unknown for a PRN that no rule places.
enum class TGnssSystem : uint8_t { Unknown, Gps, Glonass, Galileo, BeiDou, Qzss, Sbas, NavIC };
constexpr size_t kGnssSystemCount = 8;

// One signal of a satellite, from a GSV cycle that names its signal (NMEA 4.10 and later).
struct TSatSignal {
  std::string Id;  // the signal ID as received ("1", "6", "B"); empty: sent empty, a band without a number
  int32_t Snr = 0;
  bool operator==(const TSatSignal&) const = default;
};

struct TSatInfo {
  std::string Prn;  // as received ("07"); empty: no satellite in this entry
  int32_t Elevation = 0;
  int32_t Azimuth = 0;
  int32_t Snr = 0;
  bool Used = false;                          // listed in the last valid GSA (of its system, with Gnss on)
  TGnssSystem System = TGnssSystem::Unknown;  // set with Gnss on only
  // With Gnss on, the signals the cycles that name one gave, in the order of their IDs; Snr is then
  // the strongest of them. Empty for a satellite of a cycle without signal ID.
  std::vector<TSatSignal> Signals{};
};

// Signals kept of one satellite: a band each, at most.
constexpr size_t kMaxSatSignals = 16;

// Satellites stored from the GSV cycle: kMaxSats as the receivers of old sent them, up to
// kMaxGnssSats with Gnss on, where every system's cycle adds its own.
constexpr int kMaxSats = 24;
constexpr int kMaxGnssSats = 64;

// A receiver's text message (TXT): its type ("00" error, "01" warning, "02" notice, "07" user),
// the text, and the receiver's time of day when it came.
struct TReceiverText {
  std::string Time;
  std::string Type;
  std::string Text;
};

// The receiver's messages kept, newest last.
constexpr size_t kMaxReceiverTexts = 10;

struct TNmeaRec {
  int32_t SatInView = 0;
  // The signals in view, as the cycles of each signal announce them; SatInView counts a satellite
  // once however many bands it is received on.
  int32_t SignalsInView = 0;
  std::string SatInViewList;
  std::array<TSatInfo, kMaxGnssSats> Sats{};  // entry n of the text is Sats[n - 1]
  bool FixValid = false;
  std::string SatUsedList;
  char FixMode = 0;  // 0 stands for "none"
  int32_t SatUsed = 0;
  float GgaHdop = 0;
  float Pdop = 0;
  float Hdop = 0;
  float Vdop = 0;
  std::string FixQuality;
  char GgaQuality = 0;  // the last GGA's quality digit, 0 before one came
  std::string FixTime;
  std::string FixDate;
  double Lat = 0;  // D.MMSS, unsigned; the hemisphere is LatNS
  double Lon = 0;
  std::string LatNS;
  std::string LonEW;
  double Altitude = 0;
  double Geoid = 0;
  char AltUnit = 0;
  char GeoidUnit = 0;
  double Speed = 0;   // km/h
  double Course = 0;  // D.MMSS
  double MagVar = 0;
  std::string MagVarEW;
  std::string GllTime;
  double GllLat = 0;
  double GllLon = 0;
  std::string GllLatNS;
  std::string GllLonEW;
  char GllStatus = 0;
  std::string GpsDatum;
  // GGA fields 13 and 14: the age of the differential corrections in seconds (-1: not sent) and
  // the station that sent them.
  double DgpsAge = -1;
  std::string DgpsStation;
  // RMC field 12 (NMEA 2.3) and 13 (NMEA 4.10): the mode letter and the navigational status
  // (S safe, C caution, U unsafe, V not valid); 0 when not sent.
  char RmcMode = 0;
  char RmcNavStatus = 0;
  // GNS: one mode letter per system (GPS, GLONASS, Galileo, BeiDou, QZSS, NavIC) and the status.
  std::string GnsMode;
  char GnsNavStatus = 0;
  // GST: the receiver's own error estimate, in metres (the orientation in degrees from true north).
  double GstRms = 0;
  double GstMajor = 0;
  double GstMinor = 0;
  double GstOrient = 0;
  double GstLatSigma = 0;
  double GstLonSigma = 0;
  double GstAltSigma = 0;
  bool GstSent = false;  // a GST came: the accuracy block shows it rather than a GBS
  // GBS: the expected errors of latitude, longitude and height (m), the satellite most likely
  // failed (empty: none named), the probability that it was missed, its bias and the bias' sigma.
  double GbsLatError = 0;
  double GbsLonError = 0;
  double GbsAltError = 0;
  std::string GbsFailedSat;
  double GbsProbability = 0;
  double GbsBias = 0;
  double GbsBiasSigma = 0;
  bool GbsSent = false;
  // VTG: courses in decimal degrees, as sent (not D.MMSS like Course).
  double VtgCourseTrue = 0;
  double VtgCourseMag = 0;
  double VtgSpeedKn = 0;
  double VtgSpeedKmh = 0;
  char VtgMode = 0;  // 0: none sent
  // ZDA: "yyyy-mm-dd", "hh:mm:ss" (UTC) and the local zone "+hh:mm"; empty when not sent.
  std::string ZdaDate;
  std::string ZdaTime;
  std::string ZdaZone;
  std::vector<TReceiverText> Texts;  // at most kMaxReceiverTexts

  // Settings, named after their keys in the settings file.
  bool SaveLog = false;
  int32_t SaveInterval = 0;
  std::string SaveLogName;
  int32_t ComPort = 0;
  int32_t ComSpeed = 0;
  TColor BGColor = 0;
  TColor GridColor = 0;
  TColor CoLineColor = 0;
  TColor TrackColor = 0;
  TColor WpLineColor = 0;
  std::string GpsFix;
  bool Headding = false;
  bool HeadGuide = false;
  int32_t HeadR = 0;
  bool Checksum = true;                            // a sentence whose checksum fails is not decoded
  bool Gnss = false;                               // the talkers of multi-GNSS receivers are decoded too
  bool GnssAsked = false;                          // the user was asked once whether to switch Gnss on
  TCoordFormat CoordFormat = TCoordFormat::DMmss;  // how positions are shown
  TPlaneChoice Plane;                              // PlaneZone, PlaneDatum: what Plane shows
  // The input: a device path or a network address (tcp://, udp://, gpsd://); empty for ComPort.
  std::string Source;
};

// The number of satellite entries the decoders fill in the record's present mode.
inline int SatLimit(const TNmeaRec& rec) { return rec.Gnss ? kMaxGnssSats : kMaxSats; }

// The program's one record; zero-filled at start, filled by the settings load and the decoders.
extern TNmeaRec NmeaRec;

}  // namespace orvane
