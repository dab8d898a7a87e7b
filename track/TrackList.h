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
  std::string FixTime;  // hh:mm:ss UTC
  TTrackPoint Point;
};

class TTrackList {
public:
  // One sample of the receiver: converted from its datum to `mapDatum`, signed by hemisphere,
  // and appended unless there is no fix or the receiver has not moved. At `dataMax` entries or
  // more, every entry at an odd index goes first. True when an entry was appended.
  bool Sample(const TNmeaRec& rec, const std::string& mapDatum, int32_t dataMax);
  void Thin();
  void Clear() { entries_.clear(); }

  const std::vector<TTrackEntry>& Entries() const { return entries_; }
  size_t Count() const { return entries_.size(); }
  const TTrackEntry& operator[](size_t i) const { return entries_[i]; }
  void Append(TTrackEntry entry) { entries_.push_back(std::move(entry)); }

private:
  std::vector<TTrackEntry> entries_;
};

// "Route Track  (%d/%d)": entry count and DataMax.
std::string TrackCaption(size_t count, int32_t dataMax);

// One line per entry: time, then ",%.6f,%.6f" of latitude and longitude with period decimals,
// CR LF. An existing file is replaced as a whole or not at all. Throws std::runtime_error naming
// the file and the cause.
void WriteTrackFile(const std::string& path, const TTrackList& track);

// The sampling period set by a menu choice: the interval plus 10 ms, kept within 32 bits.
int32_t TimerPeriod(int32_t interval);
// "Other...": the answer in whole seconds; nothing, letters, 0 or a negative number give one
// second, and no answer may overflow the millisecond count.
int32_t OtherInterval(const std::string& answer);
// The box's pre-filled text: the current interval in whole seconds.
std::string OtherIntervalPrompt(int32_t interval);

}  // namespace orvane
