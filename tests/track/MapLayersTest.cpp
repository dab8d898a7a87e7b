// SPDX-License-Identifier: GPL-3.0-or-later
// Layer management: the MapSet letters, load and draw order, MapReady, the bitmap's header
// problems, errors that end the set-up, layer kinds without a class yet.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/HostConv.h"
#include "maps/MapBitmap.h"
#include "tests/common/TempFiles.h"
#include "tests/track/RecordingCanvas.h"
#include "track/LayerKinds.h"
#include "track/MapLayers.h"
#include "track/TrackState.h"

namespace orvane {
namespace {

using test::RecordingCanvas;
using test::TCanvasOp;

// Every load and draw goes into one shared log, one letter each.
struct LoggingLayer : TMapLayer {
  LoggingLayer(char l, std::string& loads, std::string& draws) : letter(l), loadLog(loads), drawLog(draws) {}
  bool Load(const std::string& path) override {
    loadLog += letter;
    paths.push_back(path);
    if (throws) throw std::runtime_error("bad data in " + path);
    return result;
  }
  void Draw(TCanvas&, const TViewBox& v) override {
    drawLog += letter;
    box = {v.West, v.South, v.East, v.North};
  }
  char letter;
  std::string& loadLog;
  std::string& drawLog;
  bool result = true;
  bool throws = false;
  std::vector<std::string> paths;
  std::vector<double> box;
};

struct LoggingImage : test::FakeImage {
  explicit LoggingImage(std::string& log) : log_(log) {}
  void LoadFromFile(const std::string& path, TImageKind kind) override {
    log_ += 'B';
    FakeImage::LoadFromFile(path, kind);
  }
  std::string& log_;
};

constexpr const char* kVector = "ROPMKWCE";

class MapLayersTest : public TempDir {
protected:
  void SetUp() override {
    TempDir::SetUp();
    ClearPaths();
    for (const char* l = kVector; *l; ++l) {
      vector.emplace_back(*l, loadLog, drawLog);
    }
    for (LoggingLayer& layer : vector) layers.SetLayer(layer.letter, &layer);
    layers.SetLayer('B', &bitmap);
  }
  void TearDown() override {
    ClearPaths();
    TempDir::TearDown();
  }
  void ClearPaths() {
    for (const TLayerKind& k : LayerKinds()) layers.PathOf(k.Letter).clear();
  }
  LoggingLayer& Of(char letter) {
    for (LoggingLayer& l : vector)
      if (l.letter == letter) return l;
    throw std::logic_error("no layer");
  }
  void AllPaths() {
    for (const char* l = kVector; *l; ++l) layers.PathOf(*l) = std::string("/maps/") + *l;
  }
  // A 2000 x 1000 bitmap with a good header.
  void GoodBitmap() {
    LayerPath(state, 'B') = (dir / "area.bmp").string();
    WriteAll(dir / "area.HDR", "ULXMAP 139.5\r\nULYMAP 36.0\r\nXDIM 0.0001\r\nYDIM 0.0001\r\n");
    image.Files[LayerPath(state, 'B')] = {2000, 1000};
  }
  void Load() {
    layers.BuildMapSet();
    layers.LoadMapSet([this](const std::string& m) { messages.push_back(m); });
  }
  std::string Drawn() {
    drawLog.clear();
    RecordingCanvas c(485, 305);
    layers.DrawMapLayers(c, {139.4, 35.9, 139.8, 36.1}, 0.05);
    return std::string(c.Of(TCanvasOp::CopyFromImage).empty() ? "" : "B") + drawLog;
  }

  std::string loadLog, drawLog;
  std::vector<std::string> messages;
  std::vector<LoggingLayer> vector;
  LoggingImage image{loadLog};
  TTrackState state;
  TBitmapLayer bitmap{image, state.MapDatum};
  TMapLayers layers{state};
};

TEST_F(MapLayersTest, MapSetHoldsTheLettersOfTheSetPaths) {
  layers.BuildMapSet();
  EXPECT_EQ(layers.MapSet, "");
  LayerPath(state, 'B') = "a.bmp";
  LayerPath(state, 'R') = "r";
  LayerPath(state, 'P') = "p";
  LayerPath(state, 'K') = "/kdd";
  LayerPath(state, 'E') = "e";
  layers.BuildMapSet();
  EXPECT_EQ(layers.MapSet, "BRPKE");
  AllPaths();
  layers.BuildMapSet();
  EXPECT_EQ(layers.MapSet, "BROPMKWCE");
  EXPECT_EQ(&layers.PathOf('O'), &LayerPath(state, 'O'));
  EXPECT_EQ(&layers.PathOf('M'), &LayerPath(state, 'M'));
  EXPECT_EQ(&layers.PathOf('W'), &LayerPath(state, 'W'));
  EXPECT_EQ(&layers.PathOf('C'), &LayerPath(state, 'C'));
}

TEST_F(MapLayersTest, LoadOrderThenDrawOrderWithTheBitmapFirst) {
  AllPaths();
  GoodBitmap();
  EXPECT_FALSE(layers.MapReady);
  Load();
  EXPECT_EQ(loadLog, "ROPMKWCEB");
  EXPECT_TRUE(layers.MapReady);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(Of('K').paths, (std::vector<std::string>{"/maps/K"}));
  EXPECT_EQ(image.Loads.at(0).kind, TImageKind::Palette8);
  for (const char l : std::string(kVector) + "B") EXPECT_TRUE(layers.Has(l)) << l;

  EXPECT_EQ(Drawn(), "BKPROMWCE");
  EXPECT_EQ(Of('E').box, (std::vector<double>{139.4, 35.9, 139.8, 36.1}));
}

TEST_F(MapLayersTest, LayerThatFindsNothingLosesItsPathAndLetter) {
  AllPaths();
  Of('O').result = false;
  Of('C').result = false;
  Load();
  EXPECT_EQ(loadLog, "ROPMKWCE");
  EXPECT_TRUE(LayerPath(state, 'O').empty());
  EXPECT_TRUE(LayerPath(state, 'C').empty());
  EXPECT_EQ(LayerPath(state, 'R'), "/maps/R");
  EXPECT_EQ(layers.MapSet, "RPMKWE");
  EXPECT_TRUE(layers.MapReady);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(Drawn(), "KPRMWE");
}

// One file that cannot be read must not take the other layers with it.
TEST_F(MapLayersTest, ALayerThatThrowsIsLeftOutAndTheOthersLoad) {
  AllPaths();
  GoodBitmap();
  Of('P').throws = true;
  EXPECT_THROW(Load(), std::runtime_error);
  EXPECT_EQ(loadLog, "ROPMKWCEB");
  EXPECT_TRUE(layers.MapReady);
  EXPECT_FALSE(layers.Has('P'));
  EXPECT_TRUE(layers.Has('C'));
  EXPECT_TRUE(layers.Has('B'));
  EXPECT_EQ(LayerPath(state, 'P'), "/maps/P");

  // Two at once are said together, a line each.
  Of('M').throws = true;
  loadLog.clear();
  try {
    Load();
    ADD_FAILURE() << "no error";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()).find('\n') != std::string::npos, true) << e.what();
  }
  EXPECT_EQ(loadLog, "ROPMKWCEB");
  EXPECT_EQ(Drawn().find_first_of("PM"), std::string::npos);
}

TEST_F(MapLayersTest, KindsWithoutAClassKeepTheirPathsAndAreSkipped) {
  AllPaths();
  layers.SetLayer('K', nullptr);
  layers.SetLayer('E', nullptr);
  Load();
  EXPECT_EQ(loadLog, "ROPMWC");
  EXPECT_EQ(LayerPath(state, 'K'), "/maps/K");
  EXPECT_EQ(LayerPath(state, 'E'), "/maps/E");
  EXPECT_TRUE(layers.Has('K'));
  EXPECT_TRUE(layers.Has('E'));
  EXPECT_TRUE(layers.MapReady);
  EXPECT_EQ(Drawn(), "PROMWC");
  // The picture is a layer like the others; only a letter outside the set's range is refused.
  EXPECT_THROW(layers.SetLayer('1', nullptr), std::invalid_argument);
}

TEST_F(MapLayersTest, MissingHeaderTurnsAllMapsOffUntilTheNextLoad) {
  LayerPath(state, 'R') = "/maps/R";
  LayerPath(state, 'B') = (dir / "area.bmp").string();
  image.Files[LayerPath(state, 'B')] = {100, 100};
  Load();
  EXPECT_EQ(messages, (std::vector<std::string>{".HDR File not found: " + (dir / "area.HDR").string()}));
  EXPECT_EQ(loadLog, "R");  // the vector layers are loaded, the picture is not
  EXPECT_FALSE(layers.MapReady);
  EXPECT_TRUE(LayerPath(state, 'B').empty());
  EXPECT_EQ(layers.MapSet, "R");

  // A good load before does not keep the maps on.
  messages.clear();
  Load();
  EXPECT_TRUE(layers.MapReady);
  LayerPath(state, 'B') = (dir / "area.bmp").string();
  Load();
  EXPECT_FALSE(layers.MapReady);
  // The next load runs without the bitmap and turns them on again.
  Load();
  EXPECT_TRUE(layers.MapReady);
  EXPECT_EQ(Drawn(), "R");
}

TEST_F(MapLayersTest, WrongHeaderTurnsOnlyTheBitmapOff) {
  LayerPath(state, 'R') = "/maps/R";
  LayerPath(state, 'B') = (dir / "area.bmp").string();
  image.Files[LayerPath(state, 'B')] = {100, 100};
  // Tabs are no separators: no key is found.
  WriteAll(dir / "area.HDR", "ULXMAP\t139.5\nULYMAP\t36.0\nXDIM\t0.0001\nYDIM\t0.0001\n");
  Load();
  EXPECT_EQ(messages, (std::vector<std::string>{"Wrong HDR: " + (dir / "area.HDR").string()}));
  EXPECT_FALSE(layers.MapReady);  // as it was
  EXPECT_EQ(LayerPath(state, 'B'), (dir / "area.bmp").string());
  EXPECT_FALSE(layers.Has('B'));
  EXPECT_TRUE(image.Loads.empty());

  // With the maps on from a load before, they stay on, without the bitmap.
  const std::string path = LayerPath(state, 'B');
  LayerPath(state, 'B').clear();
  Load();
  ASSERT_TRUE(layers.MapReady);
  LayerPath(state, 'B') = path;
  messages.clear();
  Load();
  EXPECT_EQ(messages, (std::vector<std::string>{"Wrong HDR: " + (dir / "area.HDR").string()}));
  EXPECT_TRUE(layers.MapReady);
  EXPECT_EQ(Drawn(), "R");
}

// The bitmap is left out as any layer is; the others are drawn.
TEST_F(MapLayersTest, AHeaderNumberOrPictureThatFailsLeavesTheBitmapOut) {
  GoodBitmap();
  WriteAll(dir / "area.HDR", "XDIM 0.0001\nYDIM one\n");
  EXPECT_THROW(Load(), EConvertError);
  EXPECT_TRUE(layers.MapReady);
  EXPECT_FALSE(layers.Has('B'));
  EXPECT_TRUE(messages.empty());

  GoodBitmap();
  image.Files.clear();
  EXPECT_THROW(Load(), std::runtime_error);
  EXPECT_TRUE(layers.MapReady);
  EXPECT_FALSE(layers.Has('B'));
  EXPECT_EQ(LayerPath(state, 'B'), (dir / "area.bmp").string());
}

}  // namespace
}  // namespace orvane
