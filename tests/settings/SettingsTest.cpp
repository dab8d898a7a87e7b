// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "nmea/NmeaRec.h"
#include "serial/PortNames.h"
#include "settings/IniFile.h"
#include "settings/MainVars.h"
#include "settings/WindowChoices.h"
#include "tests/common/TempFiles.h"
#include "track/LayerKinds.h"
#include "track/TrackState.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

// Every loaded value as "Key=value", one row each, so that a test compares all of them at once.
std::vector<std::string> Loaded() {
  auto b = [](bool v) { return std::string(v ? "1" : "0"); };
  auto n = [](auto v) { return std::to_string(v); };
  auto d = [](double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.12g", v);
    return std::string(text);
  };
  std::vector<std::string> rows = {
      "SaveLogName=" + NmeaRec.SaveLogName,
      "SaveLog=" + b(NmeaRec.SaveLog),
      "SaveInterval=" + n(NmeaRec.SaveInterval),
      "GpsDatum=" + NmeaRec.GpsDatum,
      "ComPort=" + n(NmeaRec.ComPort),
      "ComSpeed=" + n(NmeaRec.ComSpeed),
      "BGColor=" + n(NmeaRec.BGColor),
      "GridColor=" + n(NmeaRec.GridColor),
      "CoLineColor=" + n(NmeaRec.CoLineColor),
      "TrackColor=" + n(NmeaRec.TrackColor),
      "WpLineColor=" + n(NmeaRec.WpLineColor),
      "GpsFix=" + NmeaRec.GpsFix,
      "Headding=" + b(NmeaRec.Headding),
      "HeadGuide=" + b(NmeaRec.HeadGuide),
      "HeadR=" + n(NmeaRec.HeadR),
      "Gnss=" + b(NmeaRec.Gnss),
      "GnssAsked=" + b(NmeaRec.GnssAsked),
      "CoordFormat=" + n(static_cast<int>(NmeaRec.CoordFormat)),
      "Checksum=" + b(NmeaRec.Checksum),
      "Share=" + b(ShareSettings.On),
      "ShareTcp=" + ShareSettings.Tcp,
      "ShareUdp=" + ShareSettings.Udp,
      "ShareBroadcast=" + b(ShareSettings.Broadcast),
      "ShowData=" + b(ShowData),
      "ShowTrk=" + b(ShowTrk),
      "ShowSignal=" + b(ShowSignal),
      "ShowConsole=" + b(ShowConsole),
      "RepInterval=" + n(RepInterval),
      "Enable=" + b(TrackState.TrackEnabled),
      "Zoom=" + n(TrackState.Zoom),
      "CenterB=" + d(TrackState.CenterB),
      "CenterL=" + d(TrackState.CenterL),
      "DataMax=" + n(TrackState.DataMax),
      "Interval=" + n(TrackState.Interval),
      "MapDatum=" + TrackState.MapDatum,
      "IconMark=" + TrackState.IconMark,
  };
  for (const TLayerKind& k : LayerKinds()) rows.push_back(std::string(k.Key) + "=" + LayerPath(TrackState, k));
  return rows;
}

// Row by row, so that a failure names the key.
void ExpectRows(const std::vector<std::string>& got, const std::vector<std::string>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], want[i]);
}

class SettingsTest : public TempDir {
protected:
  void SetUp() override {
    TempDir::SetUp();
    file = dir / "Orvane.ini";
    SetSettingsFileName(file.string());
    ClearComDevices();
  }
  void TearDown() override {
    SetSettingsFileName("");
    ClearComDevices();
    TempDir::TearDown();
  }
  fs::path file;
};

TEST_F(SettingsTest, NoFileGivesTheDefaults) {
  NmeaRec.ComPort = 9;
  NmeaRec.Gnss = NmeaRec.GnssAsked = true;
  TrackState.CenterB = 1;
  TrackState.MetaDefList = {"stale=1"};
  LoadSettings();
  std::vector<std::string> want = {
      "SaveLogName=NMEA.log",
      "SaveLog=0",
      "SaveInterval=0",
      "GpsDatum=WGS 84",
      "ComPort=1",
      "ComSpeed=4800",
      "BGColor=16777215",
      "GridColor=16711680",
      "CoLineColor=0",
      "TrackColor=61440",
      "WpLineColor=61680",
      "GpsFix=$GPGSA",
      "Headding=0",
      "HeadGuide=0",
      "HeadR=25",
      "Gnss=0",
      "GnssAsked=0",
      "CoordFormat=" + std::to_string(static_cast<int>(TCoordFormat::DMmss)),
      "Checksum=1",
      "Share=0",
      "ShareTcp=tcp://127.0.0.1:10110",
      "ShareUdp=",
      "ShareBroadcast=0",
      "ShowData=0",
      "ShowTrk=0",
      "ShowSignal=0",
      "ShowConsole=0",
      "RepInterval=900",
      "Enable=0",
      "Zoom=6",
      "CenterB=34",
      "CenterL=134",
      "DataMax=1000",
      "Interval=1000",
      "MapDatum=Tokyo",
      "IconMark=",
  };
  for (const TLayerKind& k : LayerKinds()) want.push_back(std::string(k.Key) + "=");
  ExpectRows(Loaded(), want);
  EXPECT_TRUE(TrackState.MetaDefList.empty());
  EXPECT_EQ(ComDeviceName(1), "/dev/ttyS0");
  EXPECT_FALSE(fs::exists(file)) << "loading must not create the file";
}

TEST_F(SettingsTest, SavedFileHasEveryKeyInOrderWithItsEncoding) {
  LoadSettings();
  TrackState.CenterB = 34.3;
  TrackState.CenterL = 134;
  NmeaRec.SaveLog = true;
  SaveSettings();
  EXPECT_EQ(ReadAll(file),
            "[Settings]\n"
            "SaveLogName=NMEA.log\n"
            "SaveLog=1\n"
            "SaveInterval=0\n"
            "GpsDatum=WGS 84\n"
            "ComPort=1\n"
            "ComSpeed=4800\n"
            "BGColor=$FFFFFF\n"
            "GridColor=$FF0000\n"
            "CoLineColor=$000000\n"
            "TrackColor=$00F000\n"
            "WpLineColor=$00F0F0\n"
            "GpsFix=$GPGSA\n"
            "Headding=0\n"
            "HeadGuide=0\n"
            "HeadR=25\n"
            "ShowData=0\n"
            "ShowTrk=0\n"
            "RepInterval=900\n"
            "Gnss=0\n"
            "GnssAsked=0\n"
            "ShowSignal=0\n"
            "ShowConsole=0\n"
            "CoordFormat=D.MMSS\n"
            "Source=\n"
            "Recent1=\n"
            "Recent2=\n"
            "Recent3=\n"
            "Recent4=\n"
            "Recent5=\n"
            "Recent6=\n"
            "Recent7=\n"
            "Recent8=\n"
            "Checksum=1\n"
            "Share=0\n"
            "ShareTcp=tcp://127.0.0.1:10110\n"
            "ShareUdp=\n"
            "ShareBroadcast=0\n"
            "ShowDeviation=0\n"
            "ShowCharts=0\n"
            "PlaneZone=9\n"
            "PlaneDatum=JGD2011\n"
            "\n"
            "[Track]\n"
            "Enable=0\n"
            "Zoom=6\n"
            "CenterB=34.3\n"
            "CenterL=134\n"
            "DataMax=1000\n"
            "Interval=1000\n"
            "BmpMap=\n"
            "RoadMap=\n"
            "BorderMap=\n"
            "PointMap=\n"
            "KkCoastMap=\n"
            "KddMap=\n"
            "WayPntMap=\n"
            "CoastLine=\n"
            "EncMap=\n"
            "MapDatum=Tokyo\n"
            "IconMark=\n");
}

// The answer to the multi-GNSS question is written at once: only its two keys, after the others,
// the rest of the file as it was.
TEST_F(SettingsTest, GnssKeysAreSavedAloneAfterTheExistingKeys) {
  const std::string before = "[Settings]\nComPort=3\nRepInterval=900\n\n[Track]\nZoom=7\n\n[Own]\nx=1\n";
  std::ofstream(file) << before;
  LoadSettings();
  NmeaRec.ComPort = 5;  // not saved by this write
  NmeaRec.Gnss = false;
  NmeaRec.GnssAsked = true;
  SaveGnssSettings();
  EXPECT_EQ(ReadAll(file),
            "[Settings]\nComPort=3\nRepInterval=900\nGnss=0\nGnssAsked=1\n\n[Track]\nZoom=7\n\n[Own]\nx=1\n");
  NmeaRec.Gnss = true;
  SaveGnssSettings();
  LoadSettings();
  EXPECT_TRUE(NmeaRec.Gnss);
  EXPECT_TRUE(NmeaRec.GnssAsked);
  EXPECT_EQ(NmeaRec.ComPort, 3);
}

// A key that came later is added after the existing ones once set, and a file without it is
// saved byte for byte as it was.
TEST_F(SettingsTest, RasterMapIsWrittenOnlyOnceSetAfterTheExistingKeys) {
  LoadSettings();
  SaveSettings();
  const std::string before = ReadAll(file);
  EXPECT_EQ(before.find("RasterMap"), std::string::npos);
  LoadSettings();
  SaveSettings();
  EXPECT_EQ(ReadAll(file), before);
  LayerPath(TrackState, LayerKindOf('T')) = "/maps/a.tif | /maps/b.mbtiles";
  SaveSettings();
  EXPECT_EQ(ReadAll(file), before + "RasterMap=/maps/a.tif | /maps/b.mbtiles\n");
  LayerPath(TrackState, LayerKindOf('T')).clear();
  SaveSettings();
  EXPECT_EQ(ReadAll(file), before + "RasterMap=\n") << "once there, the key stays, empty";
}

TEST_F(SettingsTest, EachLayerRowIsWrittenFromItsMemberAndReadIntoIt) {
  LoadSettings();
  for (const TLayerKind& k : LayerKinds()) LayerPath(TrackState, k) = std::string("/maps/") + k.Letter + " " + k.Key;
  SaveSettings();
  std::ifstream in(file);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t last = 0;
  for (const TLayerKind& k : LayerKinds()) {
    const size_t at = text.find(std::string(k.Key) + "=/maps/" + k.Letter + " " + k.Key + "\n");
    ASSERT_NE(at, std::string::npos) << k.Key;
    EXPECT_GT(at, last) << k.Key << " out of the table's order";
    last = at;
    LayerPath(TrackState, k) = "stale";
  }
  LoadSettings();
  for (const TLayerKind& k : LayerKinds())
    EXPECT_EQ(LayerPath(TrackState, k), std::string("/maps/") + k.Letter + " " + k.Key) << k.Key;
}

TEST_F(SettingsTest, EveryKeyRoundTrips) {
  LoadSettings();
  const std::vector<std::string> defaults = Loaded();
  NmeaRec.SaveLogName = "/tmp/drive log.nmea";
  NmeaRec.SaveLog = true;
  NmeaRec.SaveInterval = 5;
  NmeaRec.GpsDatum = "Tokyo";
  NmeaRec.ComPort = 16;
  NmeaRec.ComSpeed = 9600;
  NmeaRec.BGColor = 0x123456;
  NmeaRec.GridColor = 0x0000FF;
  NmeaRec.CoLineColor = 0x00FF00;
  NmeaRec.TrackColor = 0x7F7F7F;
  NmeaRec.WpLineColor = 0x010203;
  NmeaRec.GpsFix = "$GPRMC";
  NmeaRec.Headding = true;
  NmeaRec.HeadGuide = true;
  NmeaRec.HeadR = 40;
  ShowData = true;
  ShowTrk = true;
  ShowSignal = true;
  ShowConsole = true;
  RepInterval = 100;
  NmeaRec.Gnss = true;
  NmeaRec.GnssAsked = true;
  NmeaRec.CoordFormat = TCoordFormat::Dms;
  NmeaRec.Checksum = false;
  ShareSettings = {true, "tcp://0.0.0.0:2000", "udp://192.168.1.255:10110", true};
  TrackState.TrackEnabled = true;
  TrackState.Zoom = 17;
  TrackState.CenterB = 35.392812345678;
  TrackState.CenterL = -139.4512;
  TrackState.DataMax = 5000;
  TrackState.Interval = 250;
  const std::pair<char, const char*> paths[] = {
      {'B', "/maps/a.bmp"},   {'R', "/maps/N01-road.txt"}, {'O', "/maps/N03.txt"},   {'P', "/maps/P.txt"},
      {'M', "/maps/C23.txt"}, {'W', "/maps/w.wpt"},        {'C', "/maps/coast.dat"}, {'E', "/maps/JP44.txt"},
      {'K', "/maps/kdd"},     {'T', "/maps/relief.tif"}};
  for (const auto& [letter, path] : paths) LayerPath(TrackState, LayerKindOf(letter)) = path;
  TrackState.MapDatum = "WGS 84";
  TrackState.IconMark = "/icons/car.ico";
  SaveSettings();
  const std::string first = ReadAll(file);

  const std::vector<std::string> set = Loaded();
  // Every key is set to something other than its default, so each is round-tripped for real.
  for (size_t i = 0; i < set.size(); ++i) EXPECT_NE(set[i], defaults[i]);
  LoadSettings();
  ExpectRows(Loaded(), set);

  SaveSettings();
  EXPECT_EQ(ReadAll(file), first) << "a second save of the same values changes nothing";
}

// The recent sources: at most eight, most recent first, each address whole whatever characters
// it holds, written after the keys that were there before.
TEST_F(SettingsTest, RecentSourcesRoundTripInOrderWithAnyCharacter) {
  LoadSettings();
  const std::vector<std::string> chosen = {
      "/dev/ttyACM0",
      "tcp://127.0.0.1:10110",
      "udp://:10110",
      "gpsd://localhost/dev/ttyACM0",
      "/dev/serial/by-id/usb-A,B;C|D=E x-if00",
      "tcp://[::1]:2947",
      "/dev/rfcomm0",
      "tcp://host.example:10110",
      "/dev/ttyUSB0",
      "udp://:10110",  // again: moves to the front, not listed twice
  };
  for (const std::string& a : chosen) RememberSource(RecentSources, a);
  RememberSource(RecentSources, "");
  const std::vector<std::string> want = {
      "udp://:10110",
      "/dev/ttyUSB0",
      "tcp://host.example:10110",
      "/dev/rfcomm0",
      "tcp://[::1]:2947",
      "/dev/serial/by-id/usb-A,B;C|D=E x-if00",
      "gpsd://localhost/dev/ttyACM0",
      "tcp://127.0.0.1:10110",
  };
  ASSERT_EQ(RecentSources, want);
  SaveSettings();
  const std::string text = ReadAll(file);
  EXPECT_NE(text.find("Source=\nRecent1=udp://:10110\nRecent2=/dev/ttyUSB0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Recent6=/dev/serial/by-id/usb-A,B;C|D=E x-if00\n"), std::string::npos) << text;
  RecentSources = {"stale"};
  LoadSettings();
  EXPECT_EQ(RecentSources, want);
  // A shorter list leaves no entry of the longer one behind.
  RecentSources = {"/dev/ttyACM1"};
  SaveSettings();
  LoadSettings();
  EXPECT_EQ(RecentSources, std::vector<std::string>{"/dev/ttyACM1"});
}

TEST_F(SettingsTest, RecentSourcesFromOldOrHandEditedFiles) {
  struct Case {
    const char* stored;
    std::vector<std::string> recent;
  };
  const Case cases[] = {
      {"[Settings]\nComPort=2\nSource=/dev/ttyACM0\n", {}},
      {"[Settings]\nRecent2=b\nRecent1=a\n", {"a", "b"}},
      // Gaps close, a repeat keeps its most recent place, keys past the eighth are not read.
      {"[Settings]\nRecent1=a\nRecent3=b\nRecent4=a\nRecent8= c \nRecent9=d\n", {"a", "b", "c"}},
  };
  for (const Case& c : cases) {
    WriteAll(file, c.stored);
    RecentSources = {"stale"};
    LoadSettings();
    EXPECT_EQ(RecentSources, c.recent) << c.stored;
  }
}

TEST_F(SettingsTest, HandEditedValuesAndBrokenNumbers) {
  WriteAll(file,
           "[settings]\r\n"
           "bgcolor = 0x00FF00\r\n"
           "GridColor=blue\r\n"
           "ComPort=$3\r\n"
           "ComSpeed=96OO\r\n"
           "[TRACK]\r\n"
           "Zoom=40\r\n"
           "CenterL=east\r\n"
           "DataMax=12x\r\n"
           "Interval=\r\n");
  LoadSettings();
  EXPECT_EQ(NmeaRec.BGColor, 0x00FF00) << "0x prefix reads as hexadecimal: green";
  EXPECT_EQ(NmeaRec.GridColor, 0xFF0000) << "a word gives the default";
  EXPECT_EQ(NmeaRec.ComPort, 3);
  EXPECT_EQ(NmeaRec.ComSpeed, 4800);
  EXPECT_DOUBLE_EQ(TrackState.CenterB, 34.0) << "an absent key gives its default text";
  EXPECT_DOUBLE_EQ(TrackState.CenterL, 0.0) << "a text that does not convert gives 0";
  EXPECT_EQ(TrackState.DataMax, 0);
  EXPECT_EQ(TrackState.Interval, 0);
  EXPECT_EQ(TrackState.Zoom, 17) << "a zoom beyond the tables is brought into range";
  WriteAll(file, "[Track]\nZoom=0\n");
  LoadSettings();
  EXPECT_EQ(TrackState.Zoom, 1);
}

TEST_F(SettingsTest, HandMadeSectionsSurviveManySavesByteForByte) {
  const std::string head =
      "; my receiver on the USB adapter\r\n"
      "[Ports]\r\n"
      "COM3=/dev/ttyUSB0\r\n"
      "[METADEF]\r\n"
      "N01=road,1,2\r\n"
      "N03=border,3\r\n"
      "[KDDARC]\r\n"
      "a=1\r\n";
  const std::string tail =
      "[Bounds]\r\n"
      "SatVForm.Bounds=1,2,3,4,5,6,7,8,9\r\n"
      "[KDDPNT]\r\n"
      "p=\xE5\x9C\xB0\xE5\x90\x8D\r\n";
  WriteAll(file, head + "[Settings]\r\nComPort=3\r\n" + tail);
  LoadSettings();
  EXPECT_EQ(ComDeviceName(3), "/dev/ttyUSB0");
  EXPECT_EQ(ComDeviceName(2), "/dev/ttyS1");
  EXPECT_EQ(TrackState.MetaDefList, (std::vector<std::string>{"N01=road,1,2", "N03=border,3"}));
  EXPECT_EQ(TrackState.KddArcList, (std::vector<std::string>{"a=1"}));
  EXPECT_EQ(TrackState.KddPntList, (std::vector<std::string>{"p=\xE5\x9C\xB0\xE5\x90\x8D"}));
  for (int i = 0; i < 20; ++i) {
    LoadSettings();
    TrackState.CenterB = 34 + i / 100.0;
    SaveSettings();
  }
  const std::string text = ReadAll(file);
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_NE(text.find(tail), std::string::npos) << text;
  EXPECT_NE(text.find("CenterB=34.19\r\n"), std::string::npos) << "new lines follow the file's line ends";
  EXPECT_EQ(text.find("[Ports]"), text.rfind("[Ports]"));
}

TEST_F(SettingsTest, HostileFilesLoadDefaultsWithoutCrashing) {
  std::string garbage;
  for (int i = 0; i < 70000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  const std::string hostile[] = {
      garbage,
      std::string("[Settings]\nComPort=") + std::string(100000, '9') + "\nSaveLogName=" + std::string(5000, 'x') + "\n",
      std::string("[Settings]\0ComPort=7\n", 20),
      "[Settings\nComPort=7\n[[Track]]\nZoom=-5\n",
      "[Track]\nCenterB=1e999\nCenterL=nan\n",
  };
  for (const std::string& content : hostile) {
    WriteAll(file, content);
    LoadSettings();
    EXPECT_GE(NmeaRec.ComPort, 0);
    EXPECT_LE(NmeaRec.SaveLogName.size(), kIniValueMax);
    EXPECT_TRUE(std::isfinite(TrackState.CenterB));
    EXPECT_TRUE(std::isfinite(TrackState.CenterL));
  }
  EXPECT_EQ(TrackState.MapDatum, "Tokyo");
}

TEST_F(SettingsTest, UnwritableFileGivesAnErrorNamingItAndKeepsTheOldOne) {
  // A parent that is a regular file refuses the write even to root.
  const fs::path blocker = dir / "not-a-folder";
  WriteAll(blocker, "keep me");
  const fs::path inside = blocker / "Orvane.ini";
  SetSettingsFileName(inside.string());
  LoadSettings();
  try {
    SaveSettings();
    FAIL() << "the save should fail";
  } catch (const EIniFileError& e) {
    EXPECT_NE(std::string(e.what()).find(inside.string()), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadAll(blocker), "keep me");

  // A folder in the way of the file: the rename cannot replace it, nothing is lost.
  const fs::path folder = dir / "taken";
  fs::create_directory(folder);
  WriteAll(folder / "inside", "x");
  SetSettingsFileName(folder.string());
  EXPECT_THROW(SaveSettings(), EIniFileError);
  EXPECT_EQ(ReadAll(folder / "inside"), "x");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2) << "no temporary file left";
}

TEST_F(SettingsTest, ReadOnlyFileIsNotReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
  WriteAll(file, "[Settings]\nComPort=2\n");
  fs::permissions(file, fs::perms::owner_read);
  LoadSettings();
  EXPECT_THROW(SaveSettings(), EIniFileError);
  EXPECT_EQ(ReadAll(file), "[Settings]\nComPort=2\n");
}

TEST_F(SettingsTest, ValuesThatSizeMemoryOrPickAPortAreBroughtIntoRangeAndSaid) {
  struct Row {
    const char* lines;
    int32_t comPort, headR, dataMax;
    size_t notes;
  };
  const Row rows[] = {
      {"ComPort=3\nHeadR=25\n", 3, 25, 1000, 0},
      {"ComPort=17\nHeadR=2000000000\n", 1, kHeadRMax, 1000, 2},
      {"ComPort=0\nHeadR=0\n", 1, kHeadRMin, 1000, 2},
      {"ComPort=16\nHeadR=500\n[Track]\nDataMax=5000000\n", 16, 500, kDataMaxLimit, 1},
  };
  for (const Row& r : rows) {
    WriteAll(file, std::string("[Settings]\n") + r.lines);
    const TSettingsLoad load = LoadSettings();
    EXPECT_EQ(NmeaRec.ComPort, r.comPort) << r.lines;
    EXPECT_EQ(NmeaRec.HeadR, r.headR) << r.lines;
    EXPECT_EQ(TrackState.DataMax, r.dataMax) << r.lines;
    ASSERT_EQ(load.Adjusted.size(), r.notes) << r.lines;
    for (const std::string& note : load.Adjusted) EXPECT_NE(note.find(file.string()), std::string::npos) << note;
  }
}

// The deviation and charts windows' choices as one row of words, so that a case reads at a glance.
std::string Choices() {
  const char q = DeviationChoices.Quality;
  return ReferenceWords(DeviationChoices.Reference) + " " + (q ? std::string(1, q) : "-") + " " +
         SpanWord(ChartsChoices.Span) + " " + SeriesWords(ChartsChoices.Series);
}

TEST_F(SettingsTest, WindowChoicesRoundTripInTheirOwnSections) {
  LoadSettings();
  DeviationChoices = {*ParseReference("-35.681236,139.767125"), '2'};
  ChartsChoices = {TChartSpan::Run, {TChartQuantity::InView, TChartQuantity::SigmaAlt}};
  SaveSettings();
  const std::string text = ReadAll(file);
  EXPECT_NE(text.find("\n[Deviation]\nReference=-35.681236,139.767125\nQuality=2\n\n[Charts]\nSpan=run\n"
                      "Series=in_view,gst_alt_m\n"),
            std::string::npos)
      << text;
  DeviationChoices = {};
  ChartsChoices = {};
  LoadSettings();
  EXPECT_EQ(Choices(), "-35.681236,139.767125 2 run in_view,gst_alt_m");
  // Back to the defaults, the keys stay and say so; none ticked is a choice too.
  DeviationChoices = {};
  ChartsChoices = {TChartSpan::Minutes10, {}};
  SaveSettings();
  EXPECT_NE(ReadAll(file).find("[Deviation]\nReference=mean\nQuality=\n\n[Charts]\nSpan=10min\nSeries=\n"),
            std::string::npos);
  LoadSettings();
  EXPECT_EQ(Choices(), "mean - 10min ");
}

// Each bad value gives its own default and a note naming the file; the other keys still read.
TEST_F(SettingsTest, WindowChoicesThatDoNotReadGiveTheDefaults) {
  struct Row {
    const char* lines;
    const char* choices;
    size_t notes;
  };
  const Row rows[] = {
      {"[Settings]\nShowDeviation=1\nShowCharts=1\n", "mean - 10min used,hdop", 0},
      {"[Deviation]\nReference=first\nQuality=5\n[Charts]\nSpan=hour\nSeries= hdop , used ,,speed_kmh\n",
       "first 5 hour used,hdop,speed_kmh", 0},
      {"[Deviation]\nReference=90,-180\n", "90,-180 - 10min used,hdop", 0},
      {"[Deviation]\nReference=north\nQuality=4\n", "mean 4 10min used,hdop", 1},
      {"[Deviation]\nReference=90.1,139\n", "mean - 10min used,hdop", 1},
      {"[Deviation]\nReference=35,180.5\n", "mean - 10min used,hdop", 1},
      {"[Deviation]\nReference=35.5\n", "mean - 10min used,hdop", 1},
      {"[Deviation]\nReference=nan,139\n", "mean - 10min used,hdop", 1},
      {"[Deviation]\nQuality=0\n", "mean - 10min used,hdop", 1},
      {"[Deviation]\nQuality=44\n", "mean - 10min used,hdop", 1},
      {"[Charts]\nSpan=week\nSeries=used,altitude\n", "mean - 10min used,hdop", 2},
      {"[Charts]\nSpan=\nSeries=hdop\n", "mean - 10min hdop", 1},
  };
  for (const Row& r : rows) {
    WriteAll(file, r.lines);
    DeviationChoices = {*ParseReference("1,1"), '1'};  // what an earlier load left
    ChartsChoices = {TChartSpan::Run, {}};
    const TSettingsLoad load = LoadSettings();
    EXPECT_EQ(Choices(), r.choices) << r.lines;
    ASSERT_EQ(load.Adjusted.size(), r.notes) << r.lines;
    for (const std::string& note : load.Adjusted) EXPECT_NE(note.find(file.string()), std::string::npos) << note;
  }
}

TEST_F(SettingsTest, OnlyAPortableCopyOrTheBuildTreeKeepsItsSettingsBesideTheProgram) {
  // A folder the user owns, as ~/.local/bin is, is no reason to keep settings there.
  EXPECT_FALSE(PortableProgramFolder(dir.string()));
  WriteAll(dir / "Orvane.ini", "");
  EXPECT_TRUE(PortableProgramFolder(dir.string()));
  EXPECT_TRUE(PortableProgramFolder(ProgramFolder()));  // this test runs in the build tree
}

TEST(SettingsPath, ProgramFolderWhenWritableElseTheUsersConfigFolder) {
  EXPECT_EQ(DefaultSettingsFileName("/opt/orvane", true, "/xdg", "/home/u"), "/opt/orvane/Orvane.ini");
  EXPECT_EQ(DefaultSettingsFileName("/usr/local/bin", false, "/xdg/", "/home/u"), "/xdg/Orvane/Orvane.ini");
  EXPECT_EQ(DefaultSettingsFileName("/usr/local/bin", false, nullptr, "/home/u"), "/home/u/.config/Orvane/Orvane.ini");
  EXPECT_EQ(DefaultSettingsFileName("/usr/local/bin", false, "", "/home/u"), "/home/u/.config/Orvane/Orvane.ini");
  EXPECT_EQ(DefaultSettingsFileName("/usr/local/bin", false, "rel/dir", "/home/u"),
            "/home/u/.config/Orvane/Orvane.ini");
  EXPECT_EQ(FormatColor(0xFF0000), "$FF0000");
  EXPECT_EQ(FormatColor(0x0000ab), "$0000AB");
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

// The caster's password is in the file only while the user keeps it, and the file is then for
// its owner's eyes only.
TEST_F(SettingsTest, TheCasterPasswordIsKeptOnlyWhenAskedInAFileOnlyItsOwnerReads) {
  std::ofstream(file) << "[Settings]\nComPort=1\n";
  fs::permissions(file, fs::perms(0644));
  LoadSettings();
  NtripConfig.Host = "caster.example";
  NtripConfig.Mount = "VRS";
  NtripConfig.User = "me";
  NtripConfig.Password = "secret";
  NtripConfig.Gga = TNtripGga::Always;
  NtripKeepPassword = false;
  SaveSettings();
  EXPECT_EQ(ReadAll(file).find("secret"), std::string::npos);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms(0777), fs::perms(0644));

  NtripKeepPassword = true;
  SaveSettings();
  EXPECT_NE(ReadAll(file).find("NtripPassword=secret\n"), std::string::npos);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms(0777), fs::perms(0600));
  NtripConfig = TNtripConfig{};
  LoadSettings();
  EXPECT_EQ(NtripConfig.Text(), "caster.example:2101/VRS");
  EXPECT_EQ(NtripConfig.Password, "secret");
  EXPECT_EQ(NtripConfig.Gga, TNtripGga::Always);

  // Kept no longer, it leaves the file.
  NtripKeepPassword = false;
  SaveSettings();
  EXPECT_EQ(ReadAll(file).find("secret"), std::string::npos);
  NtripConfig = TNtripConfig{};
  NtripKeepPassword = false;
}

}  // namespace
}  // namespace orvane
