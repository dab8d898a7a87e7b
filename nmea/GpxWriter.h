// SPDX-License-Identifier: GPL-3.0-or-later
// GPX 1.1 as other tools read it: one track of segments of points in WGS 84, each with its UTC
// time when the date is known and its elevation when the receiver gave one. Written piece by
// piece, so that a day-long log needs no list of its points.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

struct TGpxPoint {
  double Lat = 0;  // signed decimal degrees, WGS 84
  double Lon = 0;
  bool HasEle = false;
  double Ele = 0;    // metres
  std::string Time;  // "2026-12-08T09:00:00Z", or empty
};

// "YYYY-MM-DDThh:mm:ssZ" from an RMC date (ddmmyy; years 80 to 99 are the 1900s) and an
// hh:mm:ss time; empty when either is not a valid date or time.
std::string GpxTime(std::string_view ddmmyy, std::string_view hhmmss);
// Seconds since 1970 of the same; -1 when either is not valid.
int64_t GpxSeconds(std::string_view ddmmyy, std::string_view hhmmss);

// Text for XML character data and attribute values, as UTF-8: a byte that does not belong to a
// UTF-8 character (a file name in another encoding) becomes U+FFFD.
std::string XmlEscape(std::string_view text);

class TGpxWriter {
public:
  // Appends to `out`; the document header at once.
  TGpxWriter(std::string& out, std::string_view trackName);
  // A new trkseg starts with the next point.
  void BreakSegment() { breakPending_ = true; }
  void Point(const TGpxPoint& p);
  // Closes the open elements; the document is complete afterwards.
  void Finish();

private:
  std::string& out_;
  bool inSegment_ = false;
  bool breakPending_ = false;
  bool finished_ = false;
};

// A track's points converted from `datum` (any of Geodrel's names; positions in signed D.MMSS)
// to WGS 84 as signed decimal degrees.
void DmsToWgs84(const std::string& datum, double latDms, double lonDms, double& latDeg, double& lonDeg);

}  // namespace orvane
