// SPDX-License-Identifier: GPL-3.0-or-later
// The map tool as a user runs it: info on map files written here, the plane conversion both
// ways, and render compared pixel for pixel with the track window's own surface.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QImage>

#include "common/HostConv.h"
#include "geodrel.h"
#include "gui/ErrorHandler.h"
#include "gui/UTrackForm.h"
#include "maps/PlaneRect.h"
#include "maps/UVectLine.h"
#include "nmea/NmeaRec.h"
#include "settings/MainVars.h"
#include "settings/Settings.h"
#include "tests/gui/WindowTest.h"
#include "tests/maps/MapFiles.h"
#include "tests/tools/S57Writer.h"
#include "track/TrackState.h"
#include "track/TrackView.h"

extern char** environ;

namespace orvane {
namespace {

struct TRun {
  int Status = -1;
  std::string Out, Err;
};

class MapToolTest : public test::MapFiles {
protected:
  TRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), ORVANE_MAP_PATH);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string out = (dir / "stdout").string(), err = (dir / "stderr").string();
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    TRun r;
    EXPECT_EQ(posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&fa);
    int status = 0;
    waitpid(pid, &status, 0);
    r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.Out = ReadAll(out);
    r.Err = ReadAll(err);
    return r;
  }

  // Around 35 N, 135 E: a road of two lines (one classed through the attribute file), two
  // place names, a coastline of two segments, a waypoint file and a bitmap, all in view of a
  // settings file that configures every one of them.
  std::string WriteMapSet() {
    Write("N0113線.TXT", LineFile({{{{4858200, 1258920}, {4860000, 1260000}, {4861800, 1261080}}, 1, 7},
                                   {{{4858000, 1261000}, {4862000, 1259000}}}}));
    Write(*TVectLine::AttributeFileName("N0113線.TXT"), AttributeFile({{"00007", 1}}));
    Write("P0213.TXT", PointFile({{4860000, 1260000, 1, "Town"}, {4859000, 1261500, 2, "Cape"}}));
    Write("coast.txt", "#\r\n134.96,34.96\r\n135.04,34.99\r\n#\r\n134.97,35.05\r\n135.02,35.06\r\n");
    Write("route.txt", "DATUM,Tokyo\r\nWP,1,Mark,35.02,134.98\r\nTP,1,34.98,134.96\r\nTP,2,35.01,135.03\r\n");
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(qRgb(200, 230, 255));
    for (int x = 0; x < 40; ++x) picture.setPixel(x, x * 3 / 4, qRgb(90, 60, 30));
    EXPECT_TRUE(picture.save(QString::fromStdString((dir / "area.bmp").string()), "BMP"));
    Write("area.HDR", "ULXMAP 134.93\nULYMAP 35.06\nXDIM 0.003\nYDIM 0.004\n");
    return Write("Orvane.ini",
                 "[Settings]\r\nBGColor=$E0F0F0\r\nCoLineColor=$FF0000\r\nWpLineColor=$0080FF\r\n"
                 "[Track]\r\nMapDatum=Tokyo\r\nBmpMap=" +
                     (dir / "area.bmp").string() + "\r\nRoadMap=" + (dir / "N0113線.TXT").string() +
                     "\r\nPointMap=" + (dir / "P0213.TXT").string() + "\r\nCoastLine=" + (dir / "coast.txt").string() +
                     "\r\nWayPntMap=" + (dir / "route.txt").string() +
                     "\r\n[METADEF]\r\nN01-0=Road,0,2,$0000C0,0,0,0\r\nN01-1=Main,0,4,$00A000,0,0,0\r\n"
                     "P02-0=Village,0,1,$000000,0,0,0\r\nP02-1=City,0,1,$000000,0,0,0\r\n");
  }

  // A one-arc, one-polygon, one-point area of zone 9 as the folder <dir>/13101.
  std::string WriteArea() {
    const std::filesystem::path folder = dir / "13101";
    std::filesystem::create_directories(folder);
    auto xy = [](double lat, double lon) {
      double X = 0, Y = 0;
      GeodeticToPlane(9, lat, lon, X, Y);
      return FormatFixed(X, 4) + "," + FormatFixed(Y, 4) + "\r\n";
    };
    WriteAll(folder / "13101.txt", "1\n2\n3\n4\n5\n6\n9,-,-,-,-,-,-,-,-,0\n8\n9\n");
    WriteAll(folder / "arc.txt", "H,-,-,-,0,-,-,-,0,0\r\nL1101,\"1\",1,3\r\n" + xy(36.0, 139.8) + xy(36.05, 139.85) +
                                     xy(36.0, 139.9) + "L1101,\"1\",2,2\r\n" + xy(36.0, 139.9) + xy(36.0, 139.8));
    WriteAll(folder / "pgn.txt", "H,-,-,-,1,-,-,-,0,0\r\nA1101,P1,2," + xy(36.01, 139.85) + "1\r\n2\r\n");
    WriteAll(folder / "pnt.txt", "H,-,-,-,1,-,-,-,0,0\r\nP1101,Q1," + xy(36.02, 139.86));
    Write("kdd.ini",
          "[KDDARC]\r\nARC00=Edge,\\arc.txt,0.1,1,$00FF00\r\n[KDDPGN]\r\n"
          "PGN00=Town,\\pgn.txt,0.1,1,$C0C0C0,0,-,-,-,-,-,2,0,\\pgnatr.txt\r\n"
          "[KDDPNT]\r\nPNT00=Place,\\pnt.txt,0,-,9,-,-,0,3,\\pntatr.txt\r\n");
    return folder.string();
  }
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(MapToolTest, InfoDescribesEveryKindOfFile) {
  const std::string ini = WriteMapSet();
  const std::string area = WriteArea();
  Write("ORVTEST1.000", s57w::SampleCell(8, 4));
  // No telling name: read from the content; a misleading one: --kind.
  Write("shore.dat", "#\n135.5,35.5\n135.6,35.7\n");
  Write("N01shore.TXT", "#\n135.5,35.5\n135.6,35.7\n");
  Write("wgs.WPT", "M,G,WGS,x\r\nW,Mark,N35.0,E135.0,0,0,0,Mark\r\n");
  Write("N0313.TXT", LineFile({{{{4860000, 1260000}, {4860360, 1260360}}}}));
  Write("trip.gpx",
        "<gpx version=\"1.1\"><wpt lat=\"35.1\" lon=\"135.1\"><name>Inn</name></wpt>"
        "<rte><rtept lat=\"35\" lon=\"135\"/><rtept lat=\"35.2\" lon=\"135.1\"/><rtept lat=\"35.3\" lon=\"135\"/></rte>"
        "<trk><trkseg><trkpt lat=\"34.9\" lon=\"134.8\"/></trkseg>"
        "<trkseg><trkpt lat=\"35\" lon=\"135\"/><trkpt lat=\"35.1\" lon=\"135.2\"/><trkpt lat=\"35.2\" lon=\"135\"/>"
        "</trkseg></trk></gpx>");
  struct TCase {
    std::vector<std::string> Args;
    std::vector<std::string> Expected;
  } cases[] = {
      {{"--settings", ini, "N0113線.TXT"},
       {"kind: line", "lines: 2", "vertices: 5",
        "extent: west 134.944444, south 34.970000, east 135.055556, north 35.030000",
        "attributes: " + (dir / "N0113台.TXT").string() + ", 1 records",
        "N01-0: 'Road', min scale 0, pen width 2, colour $0000C0; 1 records",
        "N01-1: 'Main', min scale 0, pen width 4, colour $00A000; 1 records"}},
      {{"N0313.TXT"}, {"kind: line", "lines: 1", "vertices: 2", "styles: none read ([METADEF] needs --settings)"}},
      {{"--settings", ini, "P0213.TXT"},
       {"kind: point", "points: 2", "extent: west 134.972222, south 35.000000, east 135.000000, north 35.041667",
        "P02-1: 'City', min scale 0, pen width 1, colour $000000; 1 records",
        "P02-2: no entry (not drawn); 1 records"}},
      {{"coast.txt"}, {"kind: coastline", "segments: 2", "points: 4", "east 135.040000, north 35.060000"}},
      {{"shore.dat"}, {"kind: coastline", "segments: 1", "points: 2"}},
      {{"--kind", "coastline", "N01shore.TXT"}, {"kind: coastline", "segments: 1", "points: 2"}},
      {{"route.txt"},
       {"kind: waypoint", "waypoints: 1", "track points: 2", "datum: Tokyo (the map datum)",
        "extent: west 134.960000, south 34.980000, east 135.030000, north 35.020000 (Tokyo)"}},
      {{"--settings", Write("wgs.ini", "[Track]\r\nMapDatum=WGS 84\r\n"), "trip.gpx"},
       {"kind: waypoint", "waypoints: 1\n  routes: 1\n  route points: 3\n  track segments: 2\n  track points: 4\n",
        "extent: west 134.800000, south 34.900000, east 135.200000, north 35.300000", "datum: WGS 84 (the map datum)"}},
      {{"--settings", ini, "wgs.WPT"},
       {"waypoints: 1", "datum: WGS 84 (converted to Tokyo)", "south 34.996806, east 135.002787"}},
      {{"area.bmp"},
       {"kind: bitmap", "ULXMAP 134.93, ULYMAP 35.06, XDIM 0.003, YDIM 0.004", "pixels: 40 x 30",
        "extent: west 134.930000, south 34.940000, east 135.050000, north 35.060000"}},
      {{"--settings", (dir / "kdd.ini").string(), area},
       {"kind: kdd", "zone: 9", "datum: none flagged (drawn in the map datum without a datum shift)", "arcs: 2",
        "polygons of type 0: 1 (\\pgn.txt)", "points: 1", "south 36.000000"}},
      {{"ORVTEST1.000"}, {"kind: enc", "edges: 8", "connected nodes: 8", "area features: ", "classes: "}},
  };
  for (const TCase& c : cases) {
    // Names without a folder are the test's files.
    std::vector<std::string> args{"info"};
    for (const std::string& a : c.Args)
      args.push_back(a.find('/') == std::string::npos && a.find('.') != std::string::npos ? (dir / a).string() : a);
    const TRun r = Run(args);
    SCOPED_TRACE(c.Args.back() + "\n" + r.Out + r.Err);
    EXPECT_EQ(r.Status, 0);
    for (const std::string& e : c.Expected) EXPECT_TRUE(Contains(r.Out, e)) << e;
  }
}

TEST_F(MapToolTest, FailuresNameTheFileAndTheLineAndWrongCommandLinesExitWithTwo) {
  const std::string bad = Write("N0199.TXT",
                                "   NLA-N01-01\r\n               1       2\r\n"
                                "L" +
                                    std::string(26, ' ') + "     1 0          1\r\n 48600x0 1260000\r\n");
  Write("lone.bmp", "BM");
  // Named as map files, a FIFO and a folder are refused at once instead of blocking or misread.
  const std::string fifo = (dir / "pipe.txt").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string area = WriteArea(), ini = WriteMapSet();
  struct TCase {
    std::vector<std::string> Args;
    int Status;
    std::string Message;
  } cases[] = {
      {{"info", bad}, 1, bad + ", line 4: ' 48600x0' is not a valid integer value"},
      {{"info", (dir / "none.txt").string()}, 1, "none.txt"},
      {{"info", (dir / "lone.bmp").string()}, 1, ".HDR File not found: " + (dir / "lone.HDR").string()},
      {{"info", "--settings", (dir / "missing.ini").string(), bad}, 1, "missing.ini"},
      {{"info", "--kind", "river", bad}, 2, "unknown kind 'river'"},
      {{"info"}, 2, "info needs at least one PATH"},
      {{"render", "--settings", bad, "--center", "35,135", "-o", "x.png"}, 2, "--center needs --zoom"},
      {{"render", "--settings", bad, "--view", "135,35,134,36", "-o", "x.png"}, 2, "--view"},
      {{"render", "--settings", bad, "--center", "35,135", "--zoom", "18", "-o", "x.png"}, 2, "--zoom: '18'"},
      {{"render", "--settings", bad, "--center", "35;135", "--zoom", "9", "-o", "x.png"}, 2, "--center: '35;135'"},
      {{"render", "--settings", (dir / "missing.ini").string(), "--center", "35,135", "--zoom", "9", "-o", "x.png"},
       1,
       "missing.ini"},
      {{"info", fifo}, 1, "Cannot open file \"" + fifo + "\": not a regular file"},
      {{"info", "--kind", "line", fifo}, 1, "Cannot open file \"" + fifo + "\": not a regular file"},
      {{"info", "--kind", "waypoint", dir.string()}, 1, "Cannot open file \"" + dir.string() + "\": a folder"},
      {{"info", "--kind", "kdd", bad}, 1, "Cannot open file \"" + bad + "\": not a folder"},
      // The picture is put in place whole or not at all.
      {{"render", "--settings", ini, "--center", "35,135", "--zoom", "9", "-o", (dir / "no" / "x.png").string()},
       1,
       "Cannot write"},
      {{"plane", "20", "0", "0"}, 1, "zone 20"},
      {{"plane", "9", "1e3x", "0"}, 2, "'1e3x' is not a number"},
      {{"plane", "9", "nan", "nan"}, 1, "X nan is not a finite number"},
      {{"plane", "9", "1e308", "1e308"}, 1, "too far from the zone"},
      {{"plane", "--inverse", "9", "91", "181"}, 1, "latitude 91 is outside -90 to 90"},
      {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
  };
  for (const TCase& c : cases) {
    const TRun r = Run(c.Args);
    SCOPED_TRACE(c.Args[0] + " " + c.Args.back() + "\n" + r.Err);
    EXPECT_EQ(r.Status, c.Status);
    EXPECT_TRUE(Contains(r.Err, c.Message));
  }
  // No kind is named for a file that is not there, nor for one whose content says none (an NMEA
  // log is said to be one), nor for a folder that is no area.
  const std::string log = Write("drive.log", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
  const std::string binary = Write("data.bin", std::string("\x01\x02$GPGGA\0\xff", 10));
  std::filesystem::create_directory(dir / "photos");
  const std::string photos = (dir / "photos").string();
  const struct {
    std::string Path, Message, Out;
  } refused[] = {
      {"/nonexistent.gpx", "Cannot open file \"/nonexistent.gpx\": no such file", ""},
      {log, "\"" + log + "\" is an NMEA log, not a map file; orvane-nmea decodes it", ""},
      {binary, "\"" + binary + "\": neither its name nor its first bytes say which kind of map file it is", ""},
      {photos, "\"" + photos + "\" is not a Digital Map 2500 area", ""},
  };
  for (const auto& c : refused) {
    const TRun r = Run({"info", c.Path});
    SCOPED_TRACE(c.Path + "\n" + r.Err);
    EXPECT_EQ(r.Status, 1);
    EXPECT_TRUE(Contains(r.Err, c.Message));
    EXPECT_EQ(r.Out, c.Out);
  }
  const TRun help = Run({"--help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_TRUE(Contains(help.Out, "highest zoom whose view holds the box"));
}

TEST_F(MapToolTest, PlaneGivesTheLibraryFiguresAndComesBackWithinATenthOfAMillimetre) {
  struct TCase {
    int Zone;
    double X, Y;
  } cases[] = {{1, 0, 0}, {9, -12345.678, 45678.9}, {9, 150000, -80000}, {13, 3000, 100}, {19, -200000, 250000}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Zone);
    const TRun forward = Run({"plane", std::to_string(c.Zone), FormatShortest(c.X), FormatShortest(c.Y)});
    ASSERT_EQ(forward.Status, 0);
    double lat = 0, lon = 0;
    PlaneToGeodetic(c.Zone, lat, lon, c.X, c.Y);
    EXPECT_EQ(forward.Out, FormatFixed(lat, 9) + " " + FormatFixed(lon, 9) + "\n");
    const size_t blank = forward.Out.find(' ');
    const TRun back = Run({"plane", "--inverse", std::to_string(c.Zone), forward.Out.substr(0, blank),
                           forward.Out.substr(blank + 1, forward.Out.size() - blank - 2)});
    ASSERT_EQ(back.Status, 0);
    const size_t b2 = back.Out.find(' ');
    // 1e-9 degrees is 0.1 mm of latitude and less of longitude; the printed figures hold it.
    EXPECT_NEAR(HostStrToFloat(back.Out.substr(0, b2)), c.X, 2e-4);
    EXPECT_NEAR(HostStrToFloat(back.Out.substr(b2 + 1, back.Out.size() - b2 - 2)), c.Y, 2e-4);
  }
}

TEST_F(MapToolTest, StyleNamesAreDecodedLikeTheLayersTexts) {
  WriteMapSet();
  const std::string ini = Write("sjis.ini", "[METADEF]\r\nN01-0=\x93\xb9\x98\x48,0,2,$0000C0,0,0,0\r\n");
  const TRun r = Run({"info", "--settings", ini, (dir / "N0113線.TXT").string()});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_TRUE(Contains(r.Out, "N01-0: '道路', min scale 0")) << r.Out;
}

TEST_F(MapToolTest, RenderSaysTheZoomAndViewItDrewAndWritesAWorldFile) {
  const std::string ini = WriteMapSet();
  const std::string png = (dir / "view.png").string();
  const TRun r = Run(
      {"render", "--settings", ini, "--center", "35,135", "--zoom", "10", "--size", "400x300", "-o", png, "--world"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  double w = 0, s = 0, e = 0, n = 0;
  ASSERT_EQ(std::sscanf(r.Err.c_str() + std::min(r.Err.size(), r.Err.find("orvane-map: zoom")),
                        "orvane-map: zoom 10, view west %lf, south %lf, east %lf, north %lf", &w, &s, &e, &n),
            4)
      << r.Err;
  // Zoom 10 is one pixel per arc-second.
  EXPECT_NEAR(e - w, 400 / 3600.0, 1e-6);
  EXPECT_NEAR(n - s, 300 / 3600.0, 1e-6);
  EXPECT_NEAR((w + e) / 2, 135, 1e-3);
  std::istringstream world(ReadAll(dir / "view.pgw"));
  double v[6] = {};
  for (double& x : v) world >> x;
  ASSERT_FALSE(world.fail());
  const double expected[6] = {1 / 3600.0, 0, 0, -1 / 3600.0, w + 0.5 / 3600, n - 0.5 / 3600};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(v[i], expected[i], 1e-6) << i;
  // A layer that cannot be read is said and the rest drawn; the status says it.
  const std::string broken = Write("broken.gpx", "<gpx><trk><trkseg><trkpt lat=\"35\" lon=\"135\">");
  std::string text = ReadAll(ini);
  text.replace(text.find("WayPntMap=") + 10, (dir / "route.txt").string().size(), broken);
  const std::string brokenIni = Write("Broken.ini", text);
  const TRun partial =
      Run({"render", "--settings", brokenIni, "--center", "35,135", "--zoom", "10", "-o", (dir / "c.png").string()});
  EXPECT_EQ(partial.Status, 1);
  EXPECT_TRUE(Contains(partial.Err, broken)) << partial.Err;
  EXPECT_TRUE(std::filesystem::exists(dir / "c.png"));
  // Without --world no world file.
  ASSERT_EQ(
      Run({"render", "--settings", ini, "--center", "35,135", "--zoom", "10", "-o", (dir / "b.png").string()}).Status,
      0);
  EXPECT_FALSE(std::filesystem::exists(dir / "b.pgw"));
}

// A GeoTIFF with overviews made by GDAL's tools: 200 x 200 pixels of 0.0005 degrees from
// 134.95 E, 35.05 N (WGS 84), white with one red pixel at column 60, row 140.
TEST_F(MapToolTest, RasterInfoTellsItsGeoreferencingAndRenderPutsItsMarkInTheMapDatum) {
  std::string rgb(200 * 200 * 3, '\xff');
  rgb[(140 * 200 + 60) * 3 + 1] = rgb[(140 * 200 + 60) * 3 + 2] = 0;
  const std::string ppm = Write("mark.ppm", "P6\n200 200\n255\n" + rgb), tif = (dir / "mark.tif").string();
  ASSERT_EQ(std::system(("gdal_translate -q -a_srs EPSG:4326 -a_ullr 134.95 35.05 135.05 34.95 " + ppm + " " + tif +
                         " && gdaladdo -q " + tif + " 2 4")
                            .c_str()),
            0);
  const TRun info = Run({"info", tif});
  ASSERT_EQ(info.Status, 0) << info.Err;
  for (const char* line : {"kind: raster", "driver: GTiff (GeoTIFF)", "pixels: 200 x 200",
                           "bands: 3 (Red Byte, Green Byte, Blue Byte)", "WGS 84 (EPSG:4326), drawn in the map datum",
                           "pixel size: 0.0005 x 0.0005", "overviews: 100 x 100, 50 x 50", "(Tokyo)"})
    EXPECT_NE(info.Out.find(line), std::string::npos) << line << " in\n" << info.Out;

  const std::string ini = Write("raster.ini", "[Track]\nRasterMap=" + tif + "\n");
  const std::string png = (dir / "raster.png").string();
  const TRun r =
      Run({"render", "--settings", ini, "--center", "35,135", "--zoom", "10", "--size", "400x400", "-o", png});
  ASSERT_EQ(r.Status, 0) << r.Err;
  TGeoPoint wgs{DegToDms(35.05 - 140.5 * 0.0005), DegToDms(134.95 + 60.5 * 0.0005), 0}, tokyo = wgs;
  ASSERT_TRUE(DmsConv("WGS 84", "Tokyo", &wgs, &tokyo));
  // Zoom 10: one pixel per arc-second, the centre at pixel (200, 200).
  const double x = 200 + (DmsToDeg(tokyo.lon) - 135) * 3600, y = 200 - (DmsToDeg(tokyo.lat) - 35) * 3600;
  const QImage image(QString::fromStdString(png));
  int found = 0;
  for (int j = 0; j < image.height(); ++j)
    for (int i = 0; i < image.width(); ++i)
      if (image.pixel(i, j) == qRgb(255, 0, 0)) {
        ++found;
        EXPECT_NEAR(i + 0.5, x, 1.0);
        EXPECT_NEAR(j + 0.5, y, 1.0);
      }
  EXPECT_GT(found, 0);
}

// ---- render against the window -----------------------------------------------------------------

TEST_F(MapToolTest, RenderGivesTheTrackWindowsPixels) {
  EnsureApp();
  const std::string ini = WriteMapSet();
  struct TCase {
    double Lat, Lon;
    int Zoom;
    int W, H;                           // 0: the window's default size, --size left out
    std::vector<std::string> ViewArgs;  // when set, --view instead of --center and --zoom
  } cases[] = {
      {35.0, 135.0, 9, 0, 0, {}},
      {35.01, 134.99, 10, 600, 400, {}},
      // 0.15 x 0.1 degrees: zoom 9 shows 0.27 x 0.17 on 485 x 305, zoom 10 only half of it.
      {35.0, 135.0, 9, 0, 0, {"--view", "134.925,34.95,135.075,35.05"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Zoom);
    SetSettingsFileName(ini);
    NmeaRec = TNmeaRec{};
    LoadSettings();
    ShowTrk = false;
    TrackState.CenterB = DegToDms(c.Lat);
    TrackState.CenterL = DegToDms(c.Lon);
    TrackState.Zoom = c.Zoom;
    std::vector<std::string> errors;
    SetErrorReporter([&](const std::string& m) { errors.push_back(m); });
    auto* form = new TTrackForm;
    form->WaitForLayers();
    if (c.W) {
      form->show();
      form->resize(c.W, c.H);
      for (int i = 0; i < 200 && form->Surface().size() != QSize(c.W, c.H); ++i) QApplication::processEvents();
    }
    const QImage window = form->Surface().convertToFormat(QImage::Format_RGB32);
    delete form;
    SetErrorReporter(nullptr);
    SetSettingsFileName("");
    EXPECT_TRUE(errors.empty());

    const std::string png = (dir / "out.png").string();
    std::vector<std::string> args{"render", "--settings", ini, "-o", png};
    if (c.ViewArgs.empty())
      args.insert(args.end(),
                  {"--center", FormatShortest(c.Lat) + "," + FormatShortest(c.Lon), "--zoom", std::to_string(c.Zoom)});
    else
      args.insert(args.end(), c.ViewArgs.begin(), c.ViewArgs.end());
    if (c.W) args.insert(args.end(), {"--size", std::to_string(c.W) + "x" + std::to_string(c.H)});
    const TRun r = Run(args);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_FALSE(Contains(r.Err, "warning")) << r.Err;
    const QImage rendered = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(rendered.size(), window.size());
    EXPECT_EQ(rendered.size(), c.W ? QSize(c.W, c.H) : QSize(kTrackClientWidth, kTrackClientHeight));
    int differ = 0;
    for (int y = 0; y < window.height(); ++y)
      for (int x = 0; x < window.width(); ++x) differ += rendered.pixel(x, y) != window.pixel(x, y);
    EXPECT_EQ(differ, 0);
    // Every layer left its colour: the bitmap, the two road styles, the coastline and the track.
    for (const QRgb colour :
         {qRgb(200, 230, 255), qRgb(0xC0, 0, 0), qRgb(0, 0xA0, 0), qRgb(0, 0, 0xFF), qRgb(0xFF, 0x80, 0)}) {
      int n = 0;
      for (int y = 0; y < window.height(); ++y)
        for (int x = 0; x < window.width(); ++x) n += window.pixel(x, y) == colour;
      EXPECT_GT(n, 10) << std::hex << colour;
    }
  }
}

}  // namespace
}  // namespace orvane
