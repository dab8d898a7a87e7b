// SPDX-License-Identifier: GPL-3.0-or-later
// GPX read as the waypoint layer's third format: files in the conventions of other tools, the
// conversion to the map datum, a line per route and track segment, and files that are not GPX.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "geodrel.h"
#include "maps/GpxFile.h"
#include "maps/UWaypnt.h"
#include "tests/maps/MapFiles.h"
#include "tests/track/RecordingCanvas.h"

namespace orvane {
namespace {

using test::RecordingCanvas;
using test::TCanvasOp;

struct TGpxCase {
  const char* what;
  std::string text;
  size_t waypoints;
  std::string lines;  // each line's kind and point count, "R2 T1": a route of two, a segment of one
  std::string firstName;
};

std::string Summary(const TGpxData& d) {
  std::string s;
  for (const TGpxLine& l : d.Lines)
    s += (s.empty() ? "" : " ") + std::string(l.Kind == TGpxLineKind::Route ? "R" : "T") +
         std::to_string(l.Points.size());
  return s;
}

std::string Repeated(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

// An entity that holds sixteen of another.
std::string Laughs(char name, char of) {
  return std::string("<!ENTITY ") + name + " \"" + Repeated(std::string("&") + of + ";", 16) + "\">";
}

// Attributes a0 to aN-1, each empty.
std::string Attributes(int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += " a" + std::to_string(i) + "=''";
  return r;
}

// Each byte of an ASCII text followed by a zero byte, after the byte order mark.
std::string Utf16Le(const std::string& ascii) {
  std::string r = "\xFF\xFE";
  for (char c : ascii) r += {c, '\0'};
  return r;
}

// As other programs write them: version 1.0 with routes, 1.1 with times and elevations,
// extensions of their own with nested elements, prefixes, entities, comments and CDATA, the
// encodings older and Japanese tools declare.
const std::vector<TGpxCase> kFiles = {
    {"GPX 1.0, waypoints and a route, no time",
     "<?xml version=\"1.0\"?>\n<gpx version=\"1.0\" creator=\"x\" xmlns=\"http://www.topografix.com/GPX/1/0\">\n"
     "<wpt lat=\"34.1\" lon=\"134.2\"><name>PORT</name><sym>Flag</sym></wpt>\n"
     "<wpt lat='34.2' lon='134.3'/>\n"
     "<rte><name>R</name><rtept lat=\"34.1\" lon=\"134.2\"/><rtept lat=\"34.2\" lon=\"134.3\"/></rte>\n"
     "</gpx>\n",
     2, "R2", "PORT"},
    {"GPX 1.1 track of two segments with time and elevation",
     "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
     "<gpx version=\"1.1\" creator=\"y\" xmlns=\"http://www.topografix.com/GPX/1/1\">\r\n"
     " <metadata><name>m</name><time>2024-01-01T00:00:00Z</time></metadata>\r\n"
     " <trk><name>T</name><trkseg>\r\n"
     "  <trkpt lat=\"34.0\" lon=\"134.0\"><ele>12.0</ele><time>2024-01-01T00:00:00Z</time></trkpt>\r\n"
     "  <trkpt lat=\"34.01\" lon=\"134.01\"><ele>13.0</ele><time>2024-01-01T00:00:01Z</time></trkpt>\r\n"
     " </trkseg><trkseg></trkseg><trkseg>\r\n"
     "  <trkpt lat=\"34.02\" lon=\"134.02\"></trkpt>\r\n"
     " </trkseg></trk>\r\n"
     "</gpx>\r\n",
     0, "T2 T1", ""},
    {"extensions with prefixes and their own points, entities, a comment and CDATA",
     "<?xml version=\"1.0\"?><!DOCTYPE gpx><!-- made by hand <wpt> -->\n"
     "<gpx:gpx xmlns:gpx=\"http://www.topografix.com/GPX/1/1\" xmlns:gpxx=\"urn:x\">\n"
     "<gpx:wpt lat=\"-33.5\" lon=\"-70.25\"><gpx:name>Caf&#233; &amp; Bar&#x21;</gpx:name>"
     "<gpx:extensions><gpxx:WaypointExtension><gpxx:wpt lat=\"1\" lon=\"2\"/>"
     "<gpxx:name>not this</gpxx:name></gpxx:WaypointExtension></gpx:extensions></gpx:wpt>\n"
     "<gpx:wpt lat=\"1\" lon=\"2\"><gpx:name><![CDATA[Q]]></gpx:name></gpx:wpt>\n"
     "<gpx:trk><gpx:extensions><gpxx:trkseg><gpxx:trkpt lat=\"5\" lon=\"5\"/></gpxx:trkseg></gpx:extensions>"
     "<gpx:trkseg><gpx:trkpt lat=\"1\" lon=\"2\"/></gpx:trkseg></gpx:trk>\n"
     "</gpx:gpx>",
     2, "T1", "Caf\xC3\xA9 & Bar!"},
    {"ISO-8859-1, the name between line breaks",
     "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<gpx><wpt lat=\"1\" lon=\"2\"><name>\n  Caf\xE9 "
     "\n</name></wpt></gpx>",
     1, "", "Caf\xC3\xA9"},
    {"windows-1252",
     "<?xml version='1.0' encoding='windows-1252'?><gpx><wpt lat=\"1\" lon=\"2\"><name>\x80 5</name></wpt></gpx>", 1,
     "", "\xE2\x82\xAC 5"},
    {"Shift_JIS",
     "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><gpx><wpt lat=\"1\" "
     "lon=\"2\"><name>\x93\x8C\x8B\x9E</name></wpt></gpx>",
     1, "", "\xE6\x9D\xB1\xE4\xBA\xAC"},
    {"UTF-16 with its byte order mark",
     Utf16Le("<?xml version=\"1.0\" encoding=\"UTF-16\"?><gpx><wpt lat=\"1\" lon=\"2\"><name>W</name></wpt></gpx>"), 1,
     "", "W"},
    {"a DTD that holds \">\", entities of its own, markup in a comment and in an entity never used",
     "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [\n <!ENTITY cmp \"a > b\">\n <!ATTLIST wpt sym CDATA \"x>y\">\n"
     " <!ENTITY evil \"<wpt lat='9' lon='9'><name>EVIL</name></wpt>\">\n <!-- <wpt lat=\"8\" lon=\"8\"/> -->\n]>\n"
     "<gpx><!-- <wpt lat=\"7\" lon=\"7\"><name>EVIL</name></wpt> --><wpt lat=\"1\" lon=\"2\"><name>&cmp;</name></wpt>"
     "</gpx>",
     1, "", "a > b"},
    {"CDATA keeps what looks like an entity",
     "<gpx><wpt lat=\"1\" lon=\"2\"><name>A <![CDATA[&amp;]]> &amp; B</name></wpt></gpx>", 1, "", "A &amp; & B"},
    {"elements of another program nested deeper than any file needs, an extension inside",
     "<gpx>" + Repeated("<x>", 100000) + "<extensions><wpt lat=\"1\" lon=\"2\"/></extensions>" +
         Repeated("</x>", 100000) +
         "<wpt lat=\"1\" lon=\"2\"><name>W</name></wpt><rte><rtept lat=\"1\" lon=\"2\"/></rte></gpx>",
     1, "R1", "W"},
};

TEST(GpxFileTest, ReadsWhatOtherToolsWrite) {
  for (const TGpxCase& c : kFiles) {
    const TGpxData d = ReadGpx(c.text, "f.gpx");
    EXPECT_EQ(d.Waypoints.size(), c.waypoints) << c.what;
    EXPECT_EQ(Summary(d), c.lines) << c.what;
    if (!d.Waypoints.empty()) {
      EXPECT_EQ(d.Waypoints[0].Name, c.firstName) << c.what;
    }
  }
  const TGpxData d = ReadGpx(kFiles[2].text, "f.gpx");
  EXPECT_EQ(d.Waypoints[0].Lat, -33.5);
  EXPECT_EQ(d.Waypoints[0].Lon, -70.25);
  EXPECT_EQ(d.Waypoints[1].Name, "Q");
}

TEST(GpxFileTest, WhatIsNotGpxIsAnErrorNamingFileAndLine) {
  struct Row {
    std::string text, message;
  } rows[] = {
      {"<kml></kml>", "f.gpx, line 1: the root element is <kml>, not <gpx>"},
      {"<?xml version=\"1.0\"?>\n", "f.gpx, line 2: no <gpx> element"},
      {"<gpx>\n<wpt lat=\"1\" lon=\"2\">\n</gpx>", "f.gpx, line 3: mismatched tag"},
      {"<gpx>\n<trk><trkseg>", "f.gpx, line 2: the file ends inside <trkseg>"},
      {"<gpx>\n<wpt lon=\"2\"/></gpx>", "f.gpx, line 2: <wpt> without lat"},
      {"<gpx>\n\n<wpt lat=\"91\" lon=\"2\"/></gpx>", "f.gpx, line 3: lat '91' of <wpt> is not a number from -90 to 90"},
      {"<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"x\"/></trkseg></trk></gpx>",
       "f.gpx, line 1: lon 'x' of <trkpt> is not a number from -180 to 180"},
      {"<gpx><wpt lat=1 lon=\"2\"/></gpx>", "f.gpx, line 1: not well-formed (invalid token)"},
      {"<gpx><!-- never closed", "f.gpx, line 1: unclosed token"},
      {"<gpx></gpx><gpx></gpx>", "f.gpx, line 1: junk after document element"},
      {"<?xml version=\"1.0\" encoding=\"KOI8-R\"?>\n<gpx></gpx>",
       "f.gpx, line 1: encoding 'KOI8-R' is not read (UTF-8, UTF-16, ISO-8859-1, windows-1252 or Shift_JIS)"},
      {"<gpx><wpt lat=\"1\" lon=\"2\"><name>&nbsp;</name></wpt></gpx>", "f.gpx, line 1: undefined entity"},
      // Nothing outside the file is read, whatever it declares.
      {"<!DOCTYPE gpx [<!ENTITY x SYSTEM \"file:///etc/hostname\">]>\n<gpx><wpt lat=\"1\" lon=\"2\"><name>&x;"
       "</name></wpt></gpx>",
       "f.gpx, line 2: the external entity 'file:///etc/hostname' is not read"},
      {"<!DOCTYPE gpx SYSTEM \"gpx.dtd\"><gpx><wpt lat=\"1\" lon=\"2\"><name>&x;</name></wpt></gpx>",
       "f.gpx, line 1: the entity 'x' is not defined"},
      // Entities that expand without end, and markup the parser would have to hold whole.
      {"<!DOCTYPE gpx [<!ENTITY a \"aaaaaaaaaaaaaaaa\">" + Laughs('b', 'a') + Laughs('c', 'b') + Laughs('d', 'c') +
           Laughs('e', 'd') + Laughs('f', 'e') + Laughs('g', 'f') +
           "]>\n<gpx><wpt lat=\"1\" lon=\"2\"><name>&g;"
           "</name></wpt></gpx>",
       "f.gpx, line 2: limit on input amplification factor (from DTD and entities) breached"},
      {"<gpx>\n<wpt lat=\"1\" lon=\"2\"" + Attributes(1000000) + "/></gpx>",
       "f.gpx, line 2: markup that would take the XML parser past 64 MB at once (a tag with too many or too long "
       "attributes, or elements nested too deep)"},
  };
  for (const Row& r : rows) {
    try {
      ReadGpx(r.text, "f.gpx");
      ADD_FAILURE() << r.message;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), r.message);
    }
  }
}

class GpxLayerTest : public test::MapFiles {
protected:
  std::string mapDatum = "Tokyo";
  TColor wpLineColor = RGBColor(200, 0, 100);
  TWayPnt layer{mapDatum, wpLineColor};
};

TEST_F(GpxLayerTest, ChosenByExtensionOrContentAndCarriedFromWgs84) {
  const std::string text =
      "<gpx version=\"1.1\"><wpt lat=\"35.5\" lon=\"139.5\"><name>HOME</name></wpt>"
      "<trk><trkseg><trkpt lat=\"35.5\" lon=\"139.5\"/></trkseg></trk></gpx>";
  TGeoPoint in{DegToDms(35.5), DegToDms(139.5), 0}, out{};
  DmsConv("WGS 84", "Tokyo", &in, &out);
  for (const char* name : {"a.GPX", "a.txt", "a.wpt"}) {
    ASSERT_TRUE(layer.Load(Write(name, text))) << name;
    EXPECT_EQ(layer.Format(), TWayPntFormat::Gpx) << name;
    EXPECT_EQ(layer.Datum(), "WGS 84");
    ASSERT_EQ(layer.WayPoints().size(), 1u);
    EXPECT_EQ(layer.WayPoints()[0].Name, "HOME");
    EXPECT_DOUBLE_EQ(layer.WayPoints()[0].Lat, DmsToDeg(out.lat));
    EXPECT_DOUBLE_EQ(layer.WayPoints()[0].Lon, DmsToDeg(out.lon));
    EXPECT_DOUBLE_EQ(layer.TrackPoints()[0].Lat, DmsToDeg(out.lat));
  }
  mapDatum = "WGS 84";
  ASSERT_TRUE(layer.Load(Write("b.gpx", text)));
  EXPECT_EQ(layer.WayPoints()[0].Lat, 35.5);
  // A text file again: its own format, one line.
  ASSERT_TRUE(layer.Load(Write("c.txt", "TP,1,35.5,139.5\n")));
  EXPECT_EQ(layer.Format(), TWayPntFormat::Word);
  EXPECT_EQ(layer.Lines(), (std::vector<TWayPntLine>{{0, TGpxLineKind::Track}}));
}

TEST_F(GpxLayerTest, RoutesAreDottedWithTheirPointsMarkedAndTracksSolid) {
  mapDatum = "WGS 84";
  ASSERT_TRUE(layer.Load(Write("t.gpx",
                               "<gpx><wpt lat=\"34.5\" lon=\"135.5\"><name>W</name></wpt>"
                               "<trk><trkseg><trkpt lat=\"34\" lon=\"136\"/></trkseg>"
                               "<trkseg><trkpt lat=\"35\" lon=\"135\"/><trkpt lat=\"34.5\" lon=\"135.5\"/></trkseg>"
                               "</trk><rte><rtept lat=\"34\" lon=\"135\"/><rtept lat=\"35\" lon=\"136\"/></rte>"
                               "<rte><rtept lat=\"34.25\" lon=\"135.25\"/></rte></gpx>")));
  EXPECT_EQ(
      layer.Lines(),
      (std::vector<TWayPntLine>{
          {0, TGpxLineKind::Track}, {1, TGpxLineKind::Track}, {3, TGpxLineKind::Route}, {5, TGpxLineKind::Route}}));
  RecordingCanvas canvas(100, 100);
  layer.Draw(canvas, TViewBox{135, 34, 136, 35});
  // In file order: no line for a one-point segment nor between lines; a route's dotted line,
  // then a diamond on each of its points, a one-point route being its diamond alone.
  struct Row {
    std::vector<TPoint> points;
    TPenStyle style;
    int width;
  } rows[] = {
      {{{0, 0}, {50, 50}}, TPenStyle::Solid, 3},
      {{{0, 100}, {100, 0}}, TPenStyle::Dot, 3},
      {{{0, 96}, {4, 100}, {0, 104}, {-4, 100}, {0, 96}}, TPenStyle::Solid, 2},
      {{{100, -4}, {104, 0}, {100, 4}, {96, 0}, {100, -4}}, TPenStyle::Solid, 2},
      {{{25, 71}, {29, 75}, {25, 79}, {21, 75}, {25, 71}}, TPenStyle::Solid, 2},
  };
  const auto poly = canvas.Of(TCanvasOp::Polyline);
  ASSERT_EQ(poly.size(), std::size(rows));
  for (size_t i = 0; i < poly.size(); ++i) {
    EXPECT_EQ(poly[i]->Points, rows[i].points) << i;
    EXPECT_EQ(poly[i]->State.PenStyle, rows[i].style) << i;
    EXPECT_EQ(poly[i]->State.PenWidth, rows[i].width) << i;
    EXPECT_EQ(poly[i]->State.PenColor, wpLineColor) << i;
  }
  // The waypoint is drawn with the track's pen, whatever line came last.
  const auto dots = canvas.Of(TCanvasOp::Ellipse);
  ASSERT_EQ(dots.size(), 1u);
  EXPECT_EQ(dots[0]->State.PenStyle, TPenStyle::Solid);
  EXPECT_EQ(dots[0]->State.PenWidth, 3);
}

TEST_F(GpxLayerTest, ABrokenFileIsAnErrorAndAMissingOneIsNot) {
  EXPECT_FALSE(layer.Load((dir / "none.gpx").string()));
  ASSERT_TRUE(layer.Load(Write("good.gpx", "<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg></trk></gpx>")));
  // Read in pieces: the points before the fault are not kept half-converted.
  const std::string path = Write("bad.gpx", "<gpx><trk><trkseg>" + Repeated("<trkpt lat=\"1\" lon=\"2\"/>\n", 10000) +
                                                "</trkseg></trk><wpt lat=\"1\"/></gpx>");
  try {
    layer.Load(path);
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), path + ", line 10001: <wpt> without lon");
  }
  EXPECT_TRUE(layer.TrackPoints().empty());
  EXPECT_TRUE(layer.Datum().empty());
}

}  // namespace
}  // namespace orvane
