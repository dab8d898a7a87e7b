// SPDX-License-Identifier: GPL-3.0-or-later
// How good the fix is: the fixes of a run with their quality, their offsets in metres east, north
// and up of a reference, and the figures a user judges a receiver by (CEP50, CEP95, 2DRMS, the
// sigmas, the span). The deviation window and orvane-nmea --stats both read them from here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nmea/NmeaDisplay.h"
#include "nmea/NmeaRec.h"

namespace orvane {

// One fix: signed decimal degrees in WGS 84, the height as the GGA gives it (above the geoid, in
// metres), the GGA's quality digit and the seconds since the first fix of the run.
struct TFix {
  double Lat = 0, Lon = 0, Height = 0;
  char Quality = '1';
  double Time = 0;
};

// Where the offsets are counted from.
enum class TReferenceKind { Mean, First, Given };
struct TReference {
  TReferenceKind Kind = TReferenceKind::Mean;
  double Lat = 0, Lon = 0, Height = 0;  // for Given; the height is that of the mean
};
// "mean", "first" or "LAT,LON" in signed decimal degrees; nullopt for anything else.
std::optional<TReference> ParseReference(std::string_view text);

// Offsets in metres of a point from an origin, both geodetic on WGS 84 (Geodrel's ellipsoid):
// through geocentric coordinates, exact at any distance.
struct TEnu {
  double E = 0, N = 0, U = 0;
};
TEnu EnuOffset(double lat0, double lon0, double h0, double lat, double lon, double h);

struct TFixStats {
  int64_t Count = 0;
  double MeanLat = 0, MeanLon = 0, MeanHeight = 0;
  // Radii about the reference holding 50 % and 95 % of the points: the smallest distance that at
  // least that share of them does not exceed.
  double Cep50 = 0, Cep95 = 0;
  // Standard deviations of the offsets about their own mean (population, divided by n).
  double SigmaE = 0, SigmaN = 0, SigmaU = 0;
  double Drms2 = 0;                        // 2 sqrt(sigmaE^2 + sigmaN^2)
  double SpanE = 0, SpanN = 0, SpanU = 0;  // greatest minus least offset
  double SpanTime = 0;                     // seconds from the first fix to the last
};

// The orders in which qualities are listed: the best first.
inline constexpr char kQualityOrder[] = {'4', '5', '2', '3', '1', '6', '7', '8'};

class TFixSet {
public:
  // A receiver left running for weeks must not fill the memory: past this many fixes (11 days at
  // 1 Hz, about 64 MB) the oldest tenth goes.
  static constexpr size_t kMaxFixes = 1000000;

  void Add(const TFix& fix);
  void Clear();
  const std::vector<TFix>& Fixes() const { return Fixes_; }
  // The qualities present, best first.
  std::vector<char> Qualities() const;

  // The reference of the fixes of `quality` ('\0': all): their mean, their first, or the given
  // position (with the mean height).
  TFix ReferencePoint(const TReference& ref, char quality = '\0') const;
  // Every fix's offset from `origin`, in the order of the fixes.
  std::vector<TEnu> Offsets(const TFix& origin) const;
  // The figures of the fixes of `quality` ('\0': all), about `origin`.
  TFixStats Stats(const TFix& origin, char quality = '\0') const;

  // Geocentric coordinates of each fix, kept so that offsets from a new reference cost no
  // trigonometry per fix.
  struct TEcef {
    double X, Y, Z;
  };

private:
  std::vector<TFix> Fixes_;
  std::vector<TEcef> Ecef_;
  double SumLat = 0, SumLon = 0, SumHeight = 0;
};

// A fix from a decoded GGA of a quality other than 0 with both coordinates, the position taken
// from the receiver's datum into WGS 84; `fields` are the sentence's fields. The time is the
// GGA's time of day, for the collector to make continuous.
std::optional<TFix> GgaFix(const TSentenceInfo& info, const TNmeaRec& rec, const std::vector<std::string_view>& fields);

// Collects the fixes of a run, its times counted on across midnight.
class TFixCollector {
public:
  // True when the sentence added a fix.
  bool Add(const TSentenceInfo& info, const TNmeaRec& rec, const std::vector<std::string_view>& fields);
  void Clear();
  TFixSet Set;

private:
  int PrevSeconds = -1;
  double Elapsed = 0;
};

}  // namespace orvane
