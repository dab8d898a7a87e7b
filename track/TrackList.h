// SPDX-License-Identifier: GPL-3.0-or-later
// The recorded track: one entry per sample, oldest first, thinned to half its density when it
// reaches DataMax, and the text file it is saved to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nmea/NmeaRec.h"

namespace orvane {

// D.MMSS in the map datum current at the sample, south and west negative.
struct TTrackPoint {
  double Lat = 0;
  double Lon = 0;
};

struct TTrackEntry {
  TTrackEntry() = default;
  TTrackEntry(std::string fixTime, TTrackPoint point) : FixTime(std::move(fixTime)), Point(point) {}

  std::string FixTime;  // hh:mm:ss UTC
  TTrackPoint Point;
  // What a GPX file wants besides: the last RMC date (ddmmyy), the height a GGA gave, the datum
  // the point is in, and whether the track starts afresh here after a loss.
  std::string FixDate;
  bool HasAltitude = false;
  double Altitude = 0;
  std::string Datum;
  bool NewSegment = false;
};

// A loss of the receiver's fix longer than this (beyond the sampling interval) breaks the track:
// the next sample starts a new segment instead of joining a straight line across the gap.
constexpr int kSegmentGapSeconds = 60;

// The receiver's position as a sample takes it: converted to `mapDatum`, signed. False without
// a fix.
bool ReceiverPosition(const TNmeaRec& rec, const std::string& mapDatum, TTrackPoint& point);
// The receiver's time in seconds: with the date (`dated`) since 1970, else of the day; -1 when
// the record holds no time.
int64_t ReceiverSeconds(const TNmeaRec& rec, bool& dated);

class TTrackList {
public:
  // One sample of the receiver: converted from its datum to `mapDatum`, signed by hemisphere,
  // and appended unless there is no fix or the receiver has not moved. At `dataMax` entries or
  // more, every entry at an odd index goes first. True when an entry was appended.
  // `interval` is the sampling period in milliseconds.
  bool Sample(const TNmeaRec& rec, const std::string& mapDatum, int32_t dataMax, int32_t interval = 1000);
  // Keeps every second entry; a segment start that goes passes to the entry after it.
  void Thin();
  // The next entry starts a new segment: the data comes from another source now.
  void BreakSegment() { breakPending_ = true; }
  void Clear() {
    entries_.clear();
    lastSeen_ = -1;
    breakPending_ = false;
  }

  const std::vector<TTrackEntry>& Entries() const { return entries_; }
  size_t Count() const { return entries_.size(); }
  const TTrackEntry& operator[](size_t i) const { return entries_[i]; }
  void Append(TTrackEntry entry) { entries_.push_back(std::move(entry)); }

private:
  std::vector<TTrackEntry> entries_;
  // Receiver time (seconds, with the date when one is known) of the last sample that saw a fix,
  // whether or not it added an entry; -1 before the first.
  int64_t lastSeen_ = -1;
  bool lastSeenDated_ = false;
  bool breakPending_ = false;
};

// "Route Track  (%d/%d)": entry count and DataMax.
std::string TrackCaption(size_t count, int32_t dataMax);

// One line per entry: time, then ",%.6f,%.6f" of latitude and longitude with period decimals,
// CR LF. An existing file is replaced as a whole or not at all. Throws std::runtime_error naming
// the file and the cause.
void WriteTrackFile(const std::string& path, const TTrackList& track);

// The save dialog's filter: the text format, then GPX.
inline constexpr const char* kTrackFileFilter = "Track text|*|GPX track|*.gpx";
// GPX when its filter was chosen or the name ends in ".gpx" in any letter case.
bool TrackFileIsGpx(const std::string& path, bool gpxFilterChosen);

// GPX 1.1: one track, a segment per unbroken run, each point in WGS 84 with its UTC date and
// time and its height when known. Replaced as a whole, as WriteTrackFile does.
std::string TrackGpx(const TTrackList& track);
void WriteGpxFile(const std::string& path, const TTrackList& track);

// The sampling period set by a menu choice: the interval plus 10 ms, kept within 32 bits.
int32_t TimerPeriod(int32_t interval);
// "Other...": the answer in whole seconds; nothing, letters, 0 or a negative number give one
// second, and no answer may overflow the millisecond count.
int32_t OtherInterval(const std::string& answer);
// The box's pre-filled text: the current interval in whole seconds.
std::string OtherIntervalPrompt(int32_t interval);

}  // namespace orvane
