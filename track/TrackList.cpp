#include "track/TrackList.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "common/HostConv.h"
#include "geodrel.h"
#include "common/NmeaConv.h"
#include "common/ReplaceFile.h"

namespace orvane {

bool TTrackList::Sample(const TNmeaRec& rec, const std::string& mapDatum, int32_t dataMax) {
  if (!rec.FixValid) return false;
  const TGeoPoint p{rec.Lat, rec.Lon, rec.Altitude};
  TGeoPoint q = p;
  // The result is not checked: an unknown datum name leaves the position as received.
  DmsConv(rec.GpsDatum.c_str(), mapDatum.c_str(), &p, &q);
  // The conversion works on the unsigned values; the hemisphere comes after it.
  if (rec.LatNS == "S") q.lat = -q.lat;
  if (rec.LonEW == "W") q.lon = -q.lon;
  if (!entries_.empty() && entries_.back().Point.Lat == q.lat && entries_.back().Point.Lon == q.lon) return false;
  if (static_cast<int64_t>(entries_.size()) >= dataMax) Thin();
  entries_.push_back({rec.FixTime, {q.lat, q.lon}});
  return true;
}

void TTrackList::Thin() {
  // Keeps indices 0, 2, 4, ...: the whole journey at half the density.
  size_t kept = 0;
  // Entry 0 stays where it is: moving a string onto itself empties it.
  for (size_t i = 0; i < entries_.size(); i += 2, ++kept)
    if (kept != i) entries_[kept] = std::move(entries_[i]);
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
