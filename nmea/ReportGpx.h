// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-nmea --gpx: every fix of the log as one track.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "nmea/GpxWriter.h"
#include "nmea/NmeaRec.h"
#include "nmea/UNmeaProc.h"

namespace orvane {

// One point per fix time: the GGA and RMC of one second make one point, with the RMC's date and
// the GGA's height. A gap of more than a minute between fixes starts a new segment. Positions
// come from the receiver's datum (the last $PGRMM, WGS 84 until one) into WGS 84.
class TGpxLog {
public:
  TGpxLog(const TNmeaRec& rec, const TNmeaProc& proc, std::string& out, std::string_view name)
      : Rec(rec), Proc(proc), Gpx(out, name) {}
  void Add(const TSentenceInfo& info);
  // Writes the last point and closes the document.
  void Finish();
  int64_t Points() const { return Count; }

private:
  void Flush();
  const TNmeaRec& Rec;
  const TNmeaProc& Proc;
  TGpxWriter Gpx;
  bool Pending = false;
  TGpxPoint Point;
  std::string Time, Date;  // of the pending point
  std::string LastDate;    // of the last RMC
  int64_t LastSeconds = -1;
  bool LastDated = false;
  int64_t Count = 0;
};

}  // namespace orvane
