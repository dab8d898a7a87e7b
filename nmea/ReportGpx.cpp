// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/ReportGpx.h"

#include "nmea/ReportFix.h"

namespace orvane {

void TGpxLog::Add(const TSentenceInfo& info) {
  if (info.outcome != TSentenceOutcome::Decoded) return;
  const std::string_view type = info.type;
  // A GNS has its height where a GGA has it.
  const bool gga = type == "GGA" || type == "GNS", rmc = type == "RMC";
  if (!gga && !rmc) return;
  const std::vector<std::string_view>& f = Proc.Fields();
  if (rmc && !f[9].empty()) LastDate = f[9];
  if (!SentenceHasFix(type, f) || SecondsOfDay(Rec.FixTime) < 0) return;
  if (!Pending || Rec.FixTime != Time) {
    Flush();
    Pending = true;
    Point = {};
    Time = Rec.FixTime;
  }
  Date = LastDate;
  DmsToWgs84(Rec.GpsDatum, Rec.LatNS == "S" ? -Rec.Lat : Rec.Lat, Rec.LonEW == "W" ? -Rec.Lon : Rec.Lon, Point.Lat,
             Point.Lon);
  if (gga && !f[9].empty() && Rec.AltUnit == 'm') {
    Point.HasEle = true;
    Point.Ele = Rec.Altitude;
  }
}

void TGpxLog::Flush() {
  if (!Pending) return;
  Pending = false;
  // Seconds with the date when there is one, else of the day (a step back then crosses midnight).
  int64_t seconds = GpxSeconds(Date, Time);
  const bool dated = seconds >= 0;
  if (!dated) seconds = SecondsOfDay(Time);
  if (LastSeconds >= 0) {
    const int64_t step =
        dated && LastDated ? seconds - LastSeconds : ((seconds % 86400) - (LastSeconds % 86400) + 86400) % 86400;
    if (step > 60 || step < 0) Gpx.BreakSegment();
  }
  LastSeconds = seconds;
  LastDated = dated;
  Point.Time = GpxTime(Date, Time);
  Gpx.Point(Point);
  ++Count;
}

void TGpxLog::Finish() {
  Flush();
  Gpx.Finish();
}

}  // namespace orvane
