// SPDX-License-Identifier: GPL-3.0-or-later
// Everything learned from the receiver, and the main settings, in one program-wide record.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/Color.h"
#include "common/CoordFormat.h"

namespace orvane {

// The satellite systems a multi-GNSS receiver reports; Unknown for a PRN that no rule places.
enum class TGnssSystem : uint8_t { Unknown, Gps, Glonass, Galileo, BeiDou, Qzss, Sbas };

struct TSatInfo {
  std::string Prn;  // as received ("07"); empty: no satellite in this entry
  int32_t Elevation = 0;
  int32_t Azimuth = 0;
  int32_t Snr = 0;
  bool Used = false;                          // listed in the last valid GSA (of its system, with Gnss on)
  TGnssSystem System = TGnssSystem::Unknown;  // set with Gnss on only
};

// Satellites stored from the GSV cycle: kMaxSats as the receivers of old sent them, up to
// kMaxGnssSats with Gnss on, where every system's cycle adds its own.
constexpr int kMaxSats = 24;
constexpr int kMaxGnssSats = 64;

struct TNmeaRec {
  int32_t SatInView = 0;
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
  // GST: the receiver's own error estimate, in metres (the orientation in degrees from true north).
  double GstRms = 0;
  double GstMajor = 0;
  double GstMinor = 0;
  double GstOrient = 0;
  double GstLatSigma = 0;
  double GstLonSigma = 0;
  double GstAltSigma = 0;
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
