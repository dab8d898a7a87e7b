// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/NmeaBlocks.h"

#include "common/CoordFormat.h"
#include "common/HostConv.h"
#include "common/TextHelpers.h"
#include "nmea/FixQuality.h"

namespace orvane {
namespace {

// A character field of code 0 ("none") shows as nothing.
void AppendChar(std::string& out, char c) {
  if (c) out += c;
}

void NewLine(std::string& out) { out += kBlockLineBreak; }

void Coord(std::string& out, const std::string& hemisphere, double dms, TCoordFormat format) {
  if (format != TCoordFormat::DMmss) {
    out += MonitorCoord(dms, hemisphere, format);
    return;
  }
  out.append(hemisphere).append(" ");
  AppendFixed(out, dms, 5);
}

void LatLonLines(std::string& out, const std::string& ns, double lat, const std::string& ew, double lon,
                 TCoordFormat format) {
  NewLine(out);
  out.append("Latitude  ");
  Coord(out, ns, lat, format);
  NewLine(out);
  out.append("Longitude ");
  Coord(out, ew, lon, format);
}

// " Safe" after a mode, or nothing when no status was sent.
void NavStatus(std::string& out, char status) {
  if (!status) return;
  const char* name = NavStatusName(status);
  out.append(", ");
  if (name)
    out.append(name);
  else
    out += status;
}

void Metres(std::string& out, double v) {
  AppendFixed(out, v, 3);
  out.append(" m");
}

void ThreeAxes(std::string& out, const char* label, double lat, double lon, double alt) {
  NewLine(out);
  out.append(label).append("N ");
  AppendFixed(out, lat, 3);
  out.append(" E ");
  AppendFixed(out, lon, 3);
  out.append(" U ");
  Metres(out, alt);
}

}  // namespace

void BuildGgaBlock(const TNmeaRec& r, std::string& out) {
  out.assign("GPS Fix Data");
  NewLine(out);
  out.append("FixTime   (UTM)").append(r.FixTime).append(" (UTM)");
  LatLonLines(out, r.LatNS, r.Lat, r.LonEW, r.Lon, r.CoordFormat);
  NewLine(out);
  out.append("Fix Qual. ").append(r.FixQuality).append(" (Trk ");
  AppendInt(out, r.SatUsed);
  out += '/';
  AppendInt(out, r.SatInView);
  out += ')';
  NewLine(out);
  out.append("Altitude  ");
  AppendFixed(out, r.Altitude, 2);
  out += ' ';
  AppendChar(out, r.AltUnit);
  out.append(" (Geoid ");
  AppendFixed(out, r.Geoid, 2);
  out += ' ';
  AppendChar(out, r.GeoidUnit);
  out += ')';
  // Lines of later receivers only: a receiver of old shows the block as it always was.
  if (!r.GnsMode.empty()) {
    NewLine(out);
    out.append("GNS Mode  ").append(r.GnsMode);
    NavStatus(out, r.GnsNavStatus);
  }
  if (r.DgpsAge >= 0) {
    NewLine(out);
    out.append("DGPS Age  ");
    AppendFixed(out, r.DgpsAge, 1);
    out.append(" s");
    if (!r.DgpsStation.empty()) out.append(" (Station ").append(r.DgpsStation).append(")");
  }
}

void BuildGllBlock(const TNmeaRec& r, std::string& out) {
  out.assign("Geographic Position");
  NewLine(out);
  out.append("FixTime   ").append(r.GllTime).append(" (UTM)");
  LatLonLines(out, r.GllLatNS, r.GllLat, r.GllLonEW, r.GllLon, r.CoordFormat);
  NewLine(out);
  out.append("PDOP=");
  AppendFixed(out, r.Pdop, 1);
  out.append(" HDOP=");
  AppendFixed(out, r.Hdop, 1);
  out.append(" VDOP=");
  AppendFixed(out, r.Vdop, 1);
}

void BuildRmcBlock(const TNmeaRec& r, std::string& out) {
  out.assign("GPS RMC Data");
  NewLine(out);
  out.append("FixTime   (UTM)").append(r.FixDate).append(" ").append(r.FixTime).append(" (UTM)");
  LatLonLines(out, r.LatNS, r.Lat, r.LonEW, r.Lon, r.CoordFormat);
  NewLine(out);
  out.append("Speed     ");
  AppendFixed(out, r.Speed, 3);
  out.append(" km/h");
  NewLine(out);
  out.append("Course    ");
  AppendFixed(out, r.Course, 3);
  out += ' ';
  NewLine(out);
  out.append("Magnetic  ").append(r.MagVarEW).append(" ");
  AppendFixed(out, r.MagVar, 5);
  if (r.RmcMode) {
    NewLine(out);
    out.append("Mode      ");
    if (const TFixQuality* q = FixQualityOfMode(r.RmcMode))
      out.append(q->ModeName);
    else
      out += r.RmcMode;
    NavStatus(out, r.RmcNavStatus);
  }
}

void BuildAccuracyBlock(const TNmeaRec& r, std::string& out) {
  if (r.GstSent) {
    out.assign("Accuracy (GST)");
    NewLine(out);
    out.append("RMS       ");
    Metres(out, r.GstRms);
    ThreeAxes(out, "Sigma     ", r.GstLatSigma, r.GstLonSigma, r.GstAltSigma);
    NewLine(out);
    out.append("Ellipse   ");
    AppendFixed(out, r.GstMajor, 3);
    out.append(" x ");
    Metres(out, r.GstMinor);
    out += ' ';
    AppendFixed(out, r.GstOrient, 1);
    out.append(" deg");
    return;
  }
  out.assign("Accuracy (GBS)");
  ThreeAxes(out, "Error     ", r.GbsLatError, r.GbsLonError, r.GbsAltError);
  NewLine(out);
  out.append("Failed    ");
  if (r.GbsFailedSat.empty()) {
    out.append("none");
    return;
  }
  out.append(r.GbsFailedSat).append(" (bias ");
  Metres(out, r.GbsBias);
  out += ')';
}

std::string GgaBlock(const TNmeaRec& rec) {
  std::string out;
  BuildGgaBlock(rec, out);
  return out;
}

std::string GllBlock(const TNmeaRec& rec) {
  std::string out;
  BuildGllBlock(rec, out);
  return out;
}

std::string RmcBlock(const TNmeaRec& rec) {
  std::string out;
  BuildRmcBlock(rec, out);
  return out;
}

std::string AccuracyBlock(const TNmeaRec& rec) {
  std::string out;
  BuildAccuracyBlock(rec, out);
  return out;
}

}  // namespace orvane
