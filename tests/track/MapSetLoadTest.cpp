// SPDX-License-Identifier: GPL-3.0-or-later
// A load of the layer set made away from the set on screen: what it shows, what it says, the
// paths it clears, and a load called off.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "common/LoadCancel.h"
#include "maps/GpxFile.h"
#include "maps/UWaypnt.h"
#include "nmea/NmeaRec.h"
#include "tests/common/TempFiles.h"
#include "track/LayerKinds.h"
#include "track/MapLayers.h"
#include "track/MapSetLoad.h"

namespace orvane {
namespace {

std::string Gpx(int points) {
  std::string text = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\"><trk><trkseg>\n";
  for (int i = 0; i < points; ++i)
    text += "<trkpt lat=\"34." + std::to_string(100000 + i) + "\" lon=\"134.5\"></trkpt>\n";
  return text + "</trkseg></trk></gpx>\n";
}

class MapSetLoadTest : public TempDir {
protected:
  void SetUp() override {
    TempDir::SetUp();
    state.MapDatum = "WGS 84";
    for (const TLayerKind& k : LayerKinds()) LayerPath(state, k).clear();
  }
  TMapSetLoad& Load() {
    load = std::make_unique<TMapSetLoad>(state, shown, TLayerMakers{state, rec, {}, nullptr, {}, nullptr}, nullptr);
    return *load;
  }
  TTrackState state;
  TNmeaRec rec;
  TMapLayers shown{state};
  std::unique_ptr<TMapSetLoad> load;
};

TEST_F(MapSetLoadTest, ShowsItsLayersAndClearsOnlyThePathsLeftAsItStarted) {
  WriteAll(dir / "track.gpx", Gpx(3));
  LayerPath(state, 'W') = (dir / "track.gpx").string();
  LayerPath(state, 'C') = (dir / "no-coast.txt").string();
  TMapSetLoad& l = Load();
  // Meanwhile the user chose another coast file: that path is not the load's to clear.
  LayerPath(state, 'C') = (dir / "other-coast.txt").string();
  l.Run();
  EXPECT_FALSE(l.Cancelled());
  EXPECT_TRUE(l.Notes().empty()) << l.Notes()[0].Text;
  EXPECT_EQ(shown.MapSet, "");
  l.ShowIn(shown, state);
  EXPECT_EQ(shown.MapSet, "W");
  EXPECT_TRUE(shown.MapReady);
  ASSERT_NE(shown.Layer('W'), nullptr);
  EXPECT_EQ(static_cast<TWayPnt*>(shown.Layer('W'))->TrackPoints().size(), 3u);
  EXPECT_EQ(LayerPath(state, 'W'), (dir / "track.gpx").string());
  EXPECT_EQ(LayerPath(state, 'C'), (dir / "other-coast.txt").string());
  // Left as it started, a path that gave nothing is cleared.
  Load().Run();
  load->ShowIn(shown, state);
  EXPECT_EQ(LayerPath(state, 'C'), "");
  EXPECT_EQ(shown.MapSet, "W");
}

TEST_F(MapSetLoadTest, WhatTheLoadSaysIsKeptInOrderAndAnErrorNamesTheFile) {
  WriteAll(dir / "broken.gpx", "<gpx><trk><trkseg><trkpt lat=\"34\" lon=\"134\">");
  WriteAll(dir / "coast.txt", "#\r\n134.96,34.96\r\n135.04,34.99\r\n");
  LayerPath(state, 'W') = (dir / "broken.gpx").string();
  LayerPath(state, 'C') = (dir / "coast.txt").string();  // loaded after the waypoints
  LayerPath(state, 'E') = (dir / "chart.000").string();  // no converter: the kind has no object
  TMapSetLoad& l = Load();
  l.Run();
  ASSERT_EQ(l.Notes().size(), 1u);
  EXPECT_TRUE(l.Notes()[0].Error);
  EXPECT_NE(l.Notes()[0].Text.find((dir / "broken.gpx").string()), std::string::npos) << l.Notes()[0].Text;
  // The file that cannot be read is left out, keeping its path; the others are drawn.
  l.ShowIn(shown, state);
  EXPECT_TRUE(shown.MapReady);
  EXPECT_TRUE(shown.Has('C'));
  EXPECT_FALSE(shown.Has('W'));
  EXPECT_EQ(LayerPath(state, 'W'), (dir / "broken.gpx").string());
}

TEST_F(MapSetLoadTest, ALoadCalledOffSaysNothingAndLeavesThePaths) {
  WriteAll(dir / "broken.gpx", "<gpx><trk>");
  LayerPath(state, 'W') = (dir / "broken.gpx").string();
  LayerPath(state, 'C') = (dir / "no-coast.txt").string();
  TMapSetLoad& l = Load();
  l.Cancel();
  l.Run();
  EXPECT_TRUE(l.Cancelled());
  EXPECT_TRUE(l.Notes().empty());
  EXPECT_EQ(LayerPath(state, 'C'), (dir / "no-coast.txt").string());
}

// Inside one long file the reader stops within a piece of it, keeping nothing.
TEST_F(MapSetLoadTest, AGpxReadStopsWithinAPieceOnceCalledOff) {
  struct TStopAfterFirst : TGpxSink {
    std::atomic<bool> Stop{false};
    size_t Vertices = 0;
    void Waypoint(TGpxWaypoint&&) override {}
    void Line(TGpxLineKind) override {}
    void Vertex(double, double) override {
      ++Vertices;
      Stop = true;
    }
  } sink;
  const std::string text = Gpx(100000);  // about 4 MB, many pieces
  const TLoadCancelScope scope(sink.Stop);
  EXPECT_THROW(ReadGpx(text, "long.gpx", sink), ELoadCancelled);
  EXPECT_LT(sink.Vertices, 5000u);
  // A thread that names no flag is never called off.
  std::atomic<bool> never{false};
  const TLoadCancelScope inner(never);
  EXPECT_NO_THROW(ThrowIfCancelled());
}

}  // namespace
}  // namespace orvane
