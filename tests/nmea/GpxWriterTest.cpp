// SPDX-License-Identifier: GPL-3.0-or-later
// GPX writing: dates and times, escaping, and a log's fixes made into one track.
#include "nmea/GpxWriter.h"

#include <gtest/gtest.h>

#include <string>

#include "nmea/ReportGpx.h"
#include "nmea/UNmeaProc.h"

namespace orvane {
namespace {

TEST(GpxWriterTest, TimesFromRmcDatesAndFixTimes) {
  struct Row {
    const char* date;
    const char* time;
    const char* text;
  } rows[] = {
      {"311224", "23:59:55", "2024-12-31T23:59:55Z"},
      {"010199", "00:00:00", "1999-01-01T00:00:00Z"},  // two-digit years from 80 are the 1900s
      {"290224", "12:00:60", "2024-02-29T12:00:60Z"},  // a leap day and a leap second
      {"290223", "12:00:00", ""},                      // no leap day in 2023
      {"321224", "12:00:00", ""},
      {"", "12:00:00", ""},
      {"311224", "::", ""},
      {"311224", "24:00:00", ""},
      {"3112245", "12:00:00", ""},
  };
  for (const Row& r : rows) EXPECT_EQ(GpxTime(r.date, r.time), r.text) << r.date << " " << r.time;
  EXPECT_EQ(GpxSeconds("010100", "00:00:01"), 946684801);
  EXPECT_EQ(GpxSeconds("010100", "00:00:00") - GpxSeconds("311299", "23:59:59"), 1);
  EXPECT_EQ(GpxSeconds("", "00:00:00"), -1);
}

TEST(GpxWriterTest, SegmentsPointsAndEscapes) {
  std::string out;
  TGpxWriter w(out, "a < b & \"c\"\x01");
  w.BreakSegment();  // before any point: no empty segment
  w.Point({34.5, -134.25, true, 12.5, "2024-12-31T23:59:55Z"});
  w.Point({34.5, 134.0, false, 0, ""});
  w.BreakSegment();
  w.Point({-1e-9, 0.1, false, 0, ""});
  w.Finish();
  w.Finish();  // once only
  EXPECT_EQ(out.substr(out.find("  <trk>")),
            "  <trk>\n"
            "    <name>a &lt; b &amp; &quot;c&quot;</name>\n"
            "    <trkseg>\n"
            "      <trkpt lat=\"34.500000000\" lon=\"-134.250000000\"><ele>12.5</ele>"
            "<time>2024-12-31T23:59:55Z</time></trkpt>\n"
            "      <trkpt lat=\"34.500000000\" lon=\"134.000000000\"></trkpt>\n"
            "    </trkseg>\n"
            "    <trkseg>\n"
            "      <trkpt lat=\"-0.000000001\" lon=\"0.100000000\"></trkpt>\n"
            "    </trkseg>\n"
            "  </trk>\n"
            "</gpx>\n");
  EXPECT_EQ(out.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\"", 0), 0u);
}

// A file name in another encoding still gives well-formed XML: what is not UTF-8 becomes U+FFFD,
// one for each byte, and the characters around it stay.
TEST(GpxWriterTest, TextThatIsNotUtf8IsWrittenAsUtf8) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"caf\xC3\xA9 \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x9B\xB0",
       "caf\xC3\xA9 \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x9B\xB0"},
      {"caf\xE9.log", "caf\uFFFD.log"},                                                  // Latin-1
      {"\x93\x8C\x8B\x9E.log", "\uFFFD\uFFFD\uFFFD\uFFFD.log"},                          // Shift_JIS
      {"a\xC3", "a\uFFFD"},                                                              // cut short at the end
      {"\xE6\x9D<", "\uFFFD\uFFFD&lt;"},                                                 // cut short before a character
      {"\xC0\xAF", "\uFFFD\uFFFD"},                                                      // overlong "/"
      {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},                                            // a surrogate
      {"\xEF\xBF\xBF \xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD \uFFFD\uFFFD\uFFFD\uFFFD"},  // U+FFFF, beyond U+10FFFF
  };
  for (const auto& [text, want] : cases) EXPECT_EQ(XmlEscape(text), want) << text;
}

// A log through the receive path, its fixes collected as orvane-nmea --gpx does.
std::string LogGpx(const std::string& log) {
  TNmeaRec rec;
  rec.GpsFix = "$GPGSA";
  rec.GpsDatum = "WGS 84";
  TNullDisplay none;
  TNmeaProc proc(rec, none);
  std::string out;
  TGpxLog gpx(rec, proc, out, "drive");
  proc.OnSentence = [&](const TSentenceInfo& info) { gpx.Add(info); };
  proc.ProcessReceivedBytes(reinterpret_cast<const uint8_t*>(log.data()), log.size());
  gpx.Finish();
  return out;
}

size_t Count(const std::string& s, const std::string& what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

TEST(GpxLogTest, OnePointPerFixTimeWithTheRmcDateAndTheGgaHeight) {
  const std::string gpx = LogGpx(
      "$GPGGA,235959.00,3746.4940,N,12225.1640,W,1,10,0.95,50.1,M,36.7,M,,\r\n"
      "$GPRMC,235959.00,A,3746.4940,N,12225.1640,W,0.02,139.2,311224,7.3,W,A\r\n"
      // Past midnight the GGA comes first; the RMC of the same second brings the new date.
      "$GPGGA,000000.00,3746.4937,S,12225.1637,E,1,10,0.95,,M,36.7,M,,\r\n"
      "$GPRMC,000000.00,A,3746.4937,S,12225.1637,E,2.92,139.2,010125,7.3,W,A\r\n"
      // No fix: nothing.
      "$GPGGA,000001.00,3746.4937,S,12225.1637,E,0,10,0.95,50,M,36.7,M,,\r\n"
      "$GPRMC,000001.00,V,3746.4937,S,12225.1637,E,2.92,139.2,010125,7.3,W,A\r\n"
      // Two minutes later: a new segment.
      "$GPRMC,000201.00,A,3746.5000,S,12225.1637,E,2.92,139.2,010125,7.3,W,A\r\n");
  EXPECT_EQ(Count(gpx, "<trkpt "), 3u);
  EXPECT_EQ(Count(gpx, "<trkseg>"), 2u);
  EXPECT_NE(gpx.find("<trkpt lat=\"37.774900000\" lon=\"-122.419400000\"><ele>50.1</ele>"
                     "<time>2024-12-31T23:59:59Z</time></trkpt>"),
            std::string::npos)
      << gpx;
  // An empty height field gives no elevation.
  EXPECT_NE(gpx.find("<trkpt lat=\"-37.774895000\" lon=\"122.419395000\"><time>2025-01-01T00:00:00Z</time>"),
            std::string::npos)
      << gpx;
  EXPECT_NE(gpx.find("<time>2025-01-01T00:02:01Z</time>"), std::string::npos);
}

TEST(GpxLogTest, WithoutAnRmcDateThePointsHaveNoTime) {
  const std::string gpx = LogGpx("$GPGGA,120000.00,3400.0000,N,13400.0000,E,1,10,0.95,5,M,36.7,M,,\r\n");
  EXPECT_EQ(Count(gpx, "<trkpt "), 1u);
  EXPECT_EQ(Count(gpx, "<time>"), 0u);
  EXPECT_EQ(Count(gpx, "<ele>5</ele>"), 1u);
}

}  // namespace
}  // namespace orvane
