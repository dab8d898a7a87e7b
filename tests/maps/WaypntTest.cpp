// SPDX-License-Identifier: GPL-3.0-or-later
// The waypoint and track layer: both formats, hemisphere letters, the datum records and the
// conversion of each record to the map datum, the track extent, and the drawing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/HostConv.h"
#include "maps/MapFile.h"
#include "maps/UWaypnt.h"
#include "tests/maps/MapFiles.h"
#include "tests/track/RecordingCanvas.h"

namespace orvane {
namespace {

using test::RecordingCanvas;
using test::TCanvasOp;

class WaypntTest : public test::MapFiles {
protected:
  std::string mapDatum = "Tokyo";
  TColor wpLineColor = RGBColor(200, 0, 100);
  TWayPnt layer{mapDatum, wpLineColor};
};

TEST_F(WaypntTest, ReadsBothFormatsByExtension) {
  struct Case {
    std::string Name, Text;
    double Lat, Lon;
    std::string WayPoint;  // empty for a track point
  };
  const std::vector<Case> cases = {
      {"a.WPT", "W  PORT1   N35.123456  E135.654321  08-DEC-26  10:00:00  12.5  PORT\r\n", 35.123456, 135.654321,
       "PORT"},
      {"a.trk", "T  S33.5  W070.25  08-DEC-26\r\n", -33.5, -70.25, ""},
      {"a.Wpt", "W,1,S1.5,W2.5,d,t,h,\"HOME \x89\xc6\"\n", -1.5, -2.5, "HOME 家"},
      {"a.txt", "WP,1,BASE,-12.25,-45.5\n", -12.25, -45.5, "BASE"},
      {"a.txt", "TP,1,35.5,139.5\n", 35.5, 139.5, ""},
      {"a.wpt.d/no-ext", "TP,1,35.5,139.5\n", 35.5, 139.5, ""},  // a dot of the folder chooses nothing
      {"a.txt", "\n  \nX,1,2,3\nT,S1,W2\nW,1,2,3,4\nTP,1,35.5,139.5\n", 35.5, 139.5, ""},  // other tags
  };
  for (const Case& c : cases) {
    std::filesystem::create_directories((dir / c.Name).parent_path());
    ASSERT_TRUE(layer.Load(Write(c.Name, c.Text))) << c.Name;
    EXPECT_TRUE(layer.Datum().empty());
    const bool wp = !c.WayPoint.empty();
    ASSERT_EQ(layer.WayPoints().size(), wp ? 1u : 0u) << c.Name;
    ASSERT_EQ(layer.TrackPoints().size(), wp ? 0u : 1u) << c.Name;
    const double lat = wp ? layer.WayPoints()[0].Lat : layer.TrackPoints()[0].Lat;
    const double lon = wp ? layer.WayPoints()[0].Lon : layer.TrackPoints()[0].Lon;
    EXPECT_DOUBLE_EQ(lat, c.Lat) << c.Name;
    EXPECT_DOUBLE_EQ(lon, c.Lon) << c.Name;
    if (wp) {
      EXPECT_EQ(layer.WayPoints()[0].Name, c.WayPoint);
    }
  }
}

TEST_F(WaypntTest, RecordsAfterTheDatumRecordAreCarriedToTheMapDatum) {
  // WGS 84 to Tokyo at 35.5 N, 139.5 E: about 11.7" south and 11.5" east.
  const std::string text =
      "WP,1,EARLY,35.5,139.5\ndatum,WGS84\nWP,1,HOME,35.5,139.5\nXX,1\nWP,2,NEXT,35.5,139.5\n"
      "TP,1,35.5,139.5\n";
  struct Case {
    std::string MapDatum;
    double DLat, DLon;  // arc-seconds moved by the records after the datum record
  };
  for (const Case& c : std::vector<Case>{{"Tokyo", -11.69, 11.50}, {"WGS 84", 0, 0}}) {
    mapDatum = c.MapDatum;
    ASSERT_TRUE(layer.Load(Write("home.txt", text)));
    EXPECT_EQ(layer.Datum(), "WGS 84");
    const auto& w = layer.WayPoints();
    ASSERT_EQ(w.size(), 3u);
    EXPECT_DOUBLE_EQ(w[0].Lat, 35.5);  // before the datum record: as read
    for (const TWayPointRec& p : {w[1], w[2]}) {
      EXPECT_NEAR((p.Lat - 35.5) * 3600, c.DLat, 0.01) << c.MapDatum;
      EXPECT_NEAR((p.Lon - 139.5) * 3600, c.DLon, 0.01) << c.MapDatum;
    }
    EXPECT_DOUBLE_EQ(layer.TrackPoints()[0].Lat, w[1].Lat);
    EXPECT_DOUBLE_EQ(layer.South(), w[1].Lat);
  }
  // The next file names no datum: nothing is converted.
  mapDatum = "Tokyo";
  ASSERT_TRUE(layer.Load(Write("plain.txt", "WP,1,HOME,35.5,139.5\n")));
  EXPECT_TRUE(layer.Datum().empty());
  EXPECT_DOUBLE_EQ(layer.WayPoints()[0].Lat, 35.5);
  // The tagged datum record: "WGS" of "WGS 84" split at its blank; an unknown datum keeps positions.
  ASSERT_TRUE(layer.Load(Write("a.wpt", "M  d  WGS 84\nM  d  Mars\nT  N35.5  E139.5\n")));
  EXPECT_EQ(layer.Datum(), "Mars");
  EXPECT_DOUBLE_EQ(layer.TrackPoints()[0].Lon, 139.5);
}

TEST_F(WaypntTest, DrawsTheTrackThenLabelledWaypoints) {
  mapDatum = "WGS 84";
  ASSERT_TRUE(layer.Load(Write("t.txt",
                               "TP,1,34,135\nTP,1,35,136\nTP,1,34.5,135.5\nWP,1,AB,34.5,135.5\n"
                               "WP,1,FAR,40,135.5\n")));
  EXPECT_EQ(std::vector<double>({layer.West(), layer.South(), layer.East(), layer.North()}),
            std::vector<double>({135, 34, 136, 35}));
  RecordingCanvas canvas(100, 100);
  layer.Draw(canvas, {135, 34, 136, 35});
  const auto poly = canvas.Of(TCanvasOp::Polyline);
  ASSERT_EQ(poly.size(), 1u);
  EXPECT_EQ(poly[0]->Points, (std::vector<TPoint>{{0, 100}, {100, 0}, {50, 50}}));
  EXPECT_EQ(poly[0]->State.PenColor, wpLineColor);
  EXPECT_EQ(poly[0]->State.PenWidth, 3);
  // The name centred 3 pixels below the point (12 pixels wide), then the dot in the track pen.
  EXPECT_EQ(canvas.Texts(), (std::vector<std::pair<TPoint, std::string>>{{{44, 53}, "AB"}}));
  const auto dots = canvas.Of(TCanvasOp::Ellipse);
  ASSERT_EQ(dots.size(), 1u);
  EXPECT_EQ(dots[0]->Rect, (TRect{48, 48, 52, 52}));
  EXPECT_EQ(dots[0]->State.PenWidth, 3);

  // A view between the track's points but outside its extent draws none of it.
  RecordingCanvas outside(100, 100);
  layer.Draw(outside, {137, 34, 138, 35});
  EXPECT_TRUE(outside.Calls.empty());
}

TEST_F(WaypntTest, MissingFileAndBadRecords) {
  EXPECT_FALSE(layer.Load((dir / "none.wpt").string()));
  struct Case {
    std::string Name, Text, Message;
  };
  for (const Case& c :
       std::vector<Case>{{"a.txt", "TP,1,1,2\nTP,1,35\n", "line 2: item 3 missing in 'TP,1,35'"},
                         {"a.txt", "TP,1,1,2\nWP,1,X,35.x,2\n", "line 2: '35.x' is not a valid floating point value"},
                         {"a.wpt", "T  N1  E2\nW  1  N35  E\n", "line 2: '' is not a valid floating point value"},
                         {"a.wpt", "T  N1  E2\nM\n", "line 2: item 2 missing in 'M'"}}) {
    const std::string path = Write(c.Name, c.Text);
    try {
      layer.Load(path);
      ADD_FAILURE() << c.Message;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), path + ", " + c.Message);
    }
    EXPECT_EQ(layer.TrackPoints().size(), 1u);  // the record before stays
  }
}

}  // namespace
}  // namespace orvane
