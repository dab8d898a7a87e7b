// SPDX-License-Identifier: GPL-3.0-or-later
// A simulated GPS receiver: a car driving along a wandering road under a slowly turning sky,
// reported once a second as a receiver would (GSV cycle, GSA, GGA, GLL, RMC, now and then
// $PGRMM), with correct checksums and CR LF line ends. Deterministic for a given seed, so logs,
// tests and benchmarks can be regenerated exactly. No Qt, no dependency on the core.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

struct TSimOptions {
  int64_t StartTime = 1717232400;  // UTC seconds since 1970; this is 2024-06-01 09:00:00
  double StartLat = 35.68;         // signed decimal degrees, north and east positive
  double StartLon = 139.76;
  uint64_t Seed = 1;
  // Mean seconds between fix losses (a tunnel, an underpass); 0: the fix is never lost.
  double OutageEvery = 900;
  // Seconds between $PGRMM announcements (the first burst always carries one); 0: never again.
  int DatumEvery = 300;
  std::string Datum = "WGS 84";
  double MagVar = -7.3;  // magnetic variation in degrees, west negative
  // Many receivers fill the last GSV message up to four satellites with empty fields; some stop
  // after the last satellite, which leaves that message shorter than a full one.
  bool PadGsv = true;
  // A dual-band receiver of NMEA 4.11: a GSV cycle of L1 C/A (signal ID 1) and one of L2C-L
  // (signal ID 6) for the satellites that send it, and the system ID in GSA.
  bool DualBand = false;
};

// Default starting points of the four hemispheres: "NE" Tokyo, "NW" San Francisco, "SE" Sydney,
// "SW" Santiago de Chile. Case is ignored; false for any other text.
bool HemisphereStart(std::string_view hemisphere, double& lat, double& lon);

// Reads "YYYY-MM-DD", "YYYY-MM-DDTHH:MM[:SS]" or the same with a blank for the "T", UTC, with an
// optional trailing "Z". False when the text is no such date or time.
bool ParseUtc(std::string_view text, int64_t& seconds);

struct TSimSat {
  int Prn = 0;
  int Elevation = 0;  // degrees, as written
  int Azimuth = 0;
  int Snr = 0;        // dB; 0: not tracked, written as an empty field
  int L2Snr = -1;     // dB of L2C-L with DualBand; -1: the satellite sends none, 0: not tracked
  bool Used = false;  // listed in GSA
};

// What one burst reported, in the values exactly as they were written.
struct TSimEpoch {
  int64_t Time = 0;  // UTC seconds
  bool Fix = false;  // false during a fix loss: no position, GGA quality 0, GSA fix type 1
  int Quality = 0;   // GGA quality: 0, 1 (GPS) or 2 (DGPS)
  int FixType = 1;   // GSA fix type: 1, 2 or 3
  double Lat = 0;    // signed decimal degrees, rounded to the written 1/10000 minute
  double Lon = 0;
  double SpeedKnots = 0;
  double Course = 0;    // degrees true
  double Altitude = 0;  // metres above the geoid
  double Geoid = 0;
  double Pdop = 0, Hdop = 0, Vdop = 0;
  std::vector<TSimSat> Sats;  // in view, in the order of the GSV cycle
  std::vector<int> UsedPrns;  // in the order of the GSA list
  bool DatumAnnounced = false;
};

class TNmeaSim {
public:
  explicit TNmeaSim(const TSimOptions& options = {});

  // Appends the sentences of the next second, each ending in CR LF.
  void NextBurst(std::string& out);
  std::string NextBurst() {
    std::string s;
    NextBurst(s);
    return s;
  }
  // What the last burst reported.
  const TSimEpoch& Epoch() const { return Epoch_; }
  // UTC seconds of the next burst.
  int64_t Time() const { return Time_; }

private:
  struct TOrbit {
    int Prn;
    double Phase0, Rate;  // of the pass; the satellite is up while the phase is in 0..pi
    double MaxElevation;  // degrees
    double RiseAzimuth, Sweep;
  };

  double Uniform();  // 0 <= x < 1
  void Drive();
  void Sky();
  void Dilutions();
  void Write(std::string& out) const;

  TSimOptions Opt;
  uint64_t Rng;
  int64_t Time_;
  int64_t Elapsed = 0;
  std::vector<TOrbit> Orbits;
  // The car: true position and motion.
  double Lat, Lon;   // decimal degrees
  double Speed = 0;  // m/s
  double Course;     // degrees
  double TargetSpeed = 0;
  double TurnLeft = 0;  // degrees of a turn still to be made
  int StopFor = 0;      // seconds still to wait at a light
  int CruiseFor = 0;    // seconds until the next change of pace
  int OutageFor = 0;    // seconds of fix loss still ahead
  int DgpsFor = 0;      // seconds until DGPS corrections come or go
  bool Dgps = false;
  double AltitudeBase;
  TSimEpoch Epoch_;
};

// The NMEA checksum: the exclusive or of every character between "$" and "*".
uint8_t NmeaChecksum(std::string_view body);
// Appends "$", the body, "*", the checksum as two upper-case hexadecimal digits, CR LF.
void AppendSentence(std::string& out, std::string_view body);

}  // namespace orvane
