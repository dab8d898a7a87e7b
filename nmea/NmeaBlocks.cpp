#include "nmea/NmeaBlocks.h"

#include "common/HostConv.h"

namespace orvane {
namespace {

// A character field of code 0 ("none") shows as nothing.
std::string CharText(char c) { return c ? std::string(1, c) : std::string(); }

std::string Lines(std::initializer_list<std::string> lines) {
  std::string out;
  for (const std::string& line : lines) {
    if (!out.empty()) out += kBlockLineBreak;
    out += line;
  }
  return out;
}

std::string LatLine(const std::string& ns, double lat) { return "Latitude  " + ns + " " + FormatFixed(lat, 5); }
std::string LonLine(const std::string& ew, double lon) { return "Longitude " + ew + " " + FormatFixed(lon, 5); }

}  // namespace

std::string GgaBlock(const TNmeaRec& r) {
  return Lines({
      "GPS Fix Data",
      "FixTime   (UTM)" + r.FixTime + " (UTM)",
      LatLine(r.LatNS, r.Lat),
      LonLine(r.LonEW, r.Lon),
      "Fix Qual. " + r.FixQuality + " (Trk " + std::to_string(r.SatUsed) + "/" + std::to_string(r.SatInView) + ")",
      "Altitude  " + FormatFixed(r.Altitude, 2) + " " + CharText(r.AltUnit) + " (Geoid " + FormatFixed(r.Geoid, 2) +
          " " + CharText(r.GeoidUnit) + ")",
  });
}

std::string GllBlock(const TNmeaRec& r) {
  return Lines({
      "Geographic Position",
      "FixTime   " + r.GllTime + " (UTM)",
      LatLine(r.GllLatNS, r.GllLat),
      LonLine(r.GllLonEW, r.GllLon),
      "PDOP=" + FormatFixed(r.Pdop, 1) + " HDOP=" + FormatFixed(r.Hdop, 1) + " VDOP=" + FormatFixed(r.Vdop, 1),
  });
}

std::string RmcBlock(const TNmeaRec& r) {
  return Lines({
      "GPS RMC Data",
      "FixTime   (UTM)" + r.FixDate + " " + r.FixTime + " (UTM)",
      LatLine(r.LatNS, r.Lat),
      LonLine(r.LonEW, r.Lon),
      "Speed     " + FormatFixed(r.Speed, 3) + " ",
      "Course    " + FormatFixed(r.Course, 3) + " ",
      "Magnetic  " + r.MagVarEW + " " + FormatFixed(r.MagVar, 5),
  });
}

}  // namespace orvane
