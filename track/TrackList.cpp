// SPDX-License-Identifier: GPL-3.0-or-later
#include "track/TrackList.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "common/HostConv.h"
#include "common/NmeaConv.h"
#include "common/ReplaceFile.h"
#include "geodrel.h"
#include "nmea/GpxWriter.h"

namespace orvane {

int64_t ReceiverSeconds(const TNmeaRec& rec, bool& dated) {
  const int64_t full = GpxSeconds(rec.FixDate, rec.FixTime);
  dated = full >= 0;
  if (dated) return full;
  const std::string& t = rec.FixTime;
  int64_t v = 0;
  if (t.size() != 8 || t[2] != ':' || t[5] != ':') return -1;
  for (size_t i : {0u, 3u, 6u}) {
    if (t[i] < '0' || t[i] > '9' || t[i + 1] < '0' || t[i + 1] > '9') return -1;
    v = v * 60 + (t[i] - '0') * 10 + (t[i + 1] - '0');
  }
  return v;
}

bool ReceiverPosition(const TNmeaRec& rec, const std::string& mapDatum, TTrackPoint& point) {
  if (!rec.FixValid) return false;
  const TGeoPoint p{rec.Lat, rec.Lon, rec.Altitude};
  TGeoPoint q = p;
  // The result is not checked: an unknown datum name leaves the position as received.
  DmsConv(rec.GpsDatum.c_str(), mapDatum.c_str(), &p, &q);
  // The conversion works on the unsigned values; the hemisphere comes after it.
  if (rec.LatNS == "S") q.lat = -q.lat;
  if (rec.LonEW == "W") q.lon = -q.lon;
  point = {q.lat, q.lon};
  return true;
}

bool TTrackList::Sample(const TNmeaRec& rec, const std::string& mapDatum, int32_t dataMax, int32_t interval) {
  TTrackPoint q;
  if (!ReceiverPosition(rec, mapDatum, q)) return false;
  // A gap in the receiver's own time since the last sample that saw a fix: a receiver that went
  // quiet (its record keeps the old time) or lost its fix comes back with a later time.
  bool dated = false;
  const int64_t now = ReceiverSeconds(rec, dated);
  bool gap = false;
  if (now >= 0 && lastSeen_ >= 0) {
    int64_t step = now - lastSeen_;
    if (!(dated && lastSeenDated_)) step = ((now % 86400) - (lastSeen_ % 86400) + 86400) % 86400;
    const int64_t allowed = kSegmentGapSeconds + std::max<int64_t>(interval, 0) / 1000;
    gap = step > allowed || step < 0;
  }
  // Kept until an entry is added: the receiver may come back where it was lost.
  if (gap) breakPending_ = true;
  if (now >= 0) {
    lastSeen_ = now;
    lastSeenDated_ = dated;
  }
  if (!entries_.empty() && entries_.back().Point.Lat == q.Lat && entries_.back().Point.Lon == q.Lon) return false;
  if (static_cast<int64_t>(entries_.size()) >= dataMax) Thin();
  TTrackEntry e{rec.FixTime, q};
  e.FixDate = rec.FixDate;
  e.HasAltitude = rec.AltUnit == 'm';
  e.Altitude = rec.Altitude;
  e.Datum = mapDatum;
  e.NewSegment = breakPending_ && !entries_.empty();
  breakPending_ = false;
  entries_.push_back(std::move(e));
  return true;
}

void TTrackList::Thin() {
  // Keeps indices 0, 2, 4, ...: the whole journey at half the density.
  size_t kept = 0;
  // Entry 0 stays where it is: moving a string onto itself empties it.
  for (size_t i = 0; i < entries_.size(); i += 2, ++kept) {
    if (i > 0 && entries_[i - 1].NewSegment) entries_[i].NewSegment = true;
    if (kept != i) entries_[kept] = std::move(entries_[i]);
  }
  // The last entry goes when the count is even: its break passes to the next one appended.
  if (entries_.size() % 2 == 0 && !entries_.empty() && entries_.back().NewSegment) breakPending_ = true;
  entries_.resize(kept);
}

std::string TrackCaption(size_t count, int32_t dataMax) {
  return "Route Track  (" + std::to_string(count) + "/" + std::to_string(dataMax) + ")";
}

void WriteTrackFile(const std::string& path, const TTrackList& track) {
  std::string content;
  content.reserve(track.Count() * 32);
  for (const TTrackEntry& e : track.Entries())
    content += e.FixTime + "," + FormatFixed(e.Point.Lat, 6) + "," + FormatFixed(e.Point.Lon, 6) + "\r\n";
  // Written beside it and renamed: a full disk midway must not cost the earlier file.
  ReplaceFile(path, content);
}

bool TrackFileIsGpx(const std::string& path, bool gpxFilterChosen) {
  if (gpxFilterChosen) return true;
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return ext == ".gpx";
}

std::string TrackGpx(const TTrackList& track) {
  std::string out;
  out.reserve(track.Count() * 120 + 512);
  TGpxWriter gpx(out, "Orvane track");
  for (const TTrackEntry& e : track.Entries()) {
    if (e.NewSegment) gpx.BreakSegment();
    TGpxPoint p;
    DmsToWgs84(e.Datum, e.Point.Lat, e.Point.Lon, p.Lat, p.Lon);
    p.HasEle = e.HasAltitude;
    p.Ele = e.Altitude;
    p.Time = GpxTime(e.FixDate, e.FixTime);
    gpx.Point(p);
  }
  gpx.Finish();
  return out;
}

void WriteGpxFile(const std::string& path, const TTrackList& track) { ReplaceFile(path, TrackGpx(track)); }

int32_t TimerPeriod(int32_t interval) {
  const int64_t period = static_cast<int64_t>(interval) + 10;
  return period > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
         : period < 10                                ? 10
                                                      : static_cast<int32_t>(period);
}

int32_t OtherInterval(const std::string& answer) {
  int32_t seconds = SafeStrToInt(answer);
  if (seconds <= 0) seconds = 1;
  constexpr int32_t kMaxSeconds = (std::numeric_limits<int32_t>::max() - 10) / 1000;
  if (seconds > kMaxSeconds) seconds = kMaxSeconds;
  return seconds * 1000;
}

std::string OtherIntervalPrompt(int32_t interval) { return std::to_string(interval / 1000); }

}  // namespace orvane
