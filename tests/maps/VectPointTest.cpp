// SPDX-License-Identifier: GPL-3.0-or-later
// The national-land point layer: names cut at the full-width blank and decoded once, the class
// styles, and where and when labels are written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/HostConv.h"
#include "maps/UVectPoint.h"
#include "tests/maps/MapFiles.h"
#include "tests/track/RecordingCanvas.h"

namespace orvane {
namespace {

using test::RecordingCanvas;

class VectPointTest : public test::MapFiles {
protected:
  std::vector<std::string> metaDef{"P02-0=city,0,1,0,0,0,0", "P02-1=village,0.05,1,0,0,0,0"};
  TVectPoint layer{metaDef};
};

TEST_F(VectPointTest, NameStopsAtTheFullWidthBlank) {
  const std::string blank = "\x81\x40";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\x93\x8c\x8b\x9e" + blank + "\x82\xc6\x82\xa4\x82\xab\x82\xe5\x82\xa4", "東京"},  // 東京　とうきょう
      {"  \x93\x8c\x8b\x9e\t" + blank, "東京"},
      {"\x8b\x81@" + blank + "x", "求@"},  // 求 ends in 0x81: its trail byte and "@" are no blank
      {blank + "reading", ""},
      {"Plain name", "Plain name"},
  };
  for (const auto& [field, name] : cases) EXPECT_EQ(TVectPoint::NameOf(field), name) << name;
}

TEST_F(VectPointTest, ReadsPointsAndDrawsLabelsInView) {
  // At 135 and 136 degrees east, 34 and 35 north, in tenths of an arc-second.
  const std::string path = Write("P02-27.txt", PointFile({{4860000, 1260000, 0, "\x91\xe5\x8d\xe3\x81\x40\x82\xa8"},
                                                          {4896000, 1224000, 1, "village"},
                                                          {4896000, 1260000, 7, "no style"},
                                                          {4950000, 1260000, 0, "east of the view"}}));
  ASSERT_TRUE(layer.Load(path));
  ASSERT_EQ(layer.Points().size(), 4u);
  EXPECT_EQ(layer.PointCount(), 4);
  EXPECT_EQ(layer.Points()[0].Name, "大阪");
  EXPECT_EQ(layer.Points()[1].ClassCode, 1);

  // Class 1 appears once the view is narrow enough: 0.05 pixels per tenth of an arc-second on
  // 1000 pixels is 20,000 tenths, 0.5556 degrees. A point on the west or north edge lands on 0.
  struct Case {
    double West, South, East, North;
    std::vector<std::pair<TPoint, std::string>> Texts;
  };
  const std::vector<Case> cases = {
      {135, 33, 137, 35, {{{0, 0}, "大阪"}}},
      {135.5, 33.5, 136.05, 34.05, {{{909, 63}, "village"}}},
      {135.5, 33.5, 136.06, 34.06, {}},
  };
  for (const Case& c : cases) {
    RecordingCanvas canvas(1000, 700);
    layer.Draw(canvas, {c.West, c.South, c.East, c.North});
    EXPECT_EQ(canvas.Texts(), c.Texts) << c.East;
    EXPECT_EQ(canvas.Calls.size(), c.Texts.size());
  }
}

TEST_F(VectPointTest, FieldThatDoesNotConvertNamesTheLine) {
  std::string file = PointFile({{1, 2, 0, "a"}, {3, 4, 0, "b"}});
  file.replace(file.rfind("       3"), 8, "     3x ");
  const std::string path = Write("P02.txt", file);
  try {
    layer.Load(path);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), path + ", line 4: '     3x ' is not a valid integer value");
  }
  EXPECT_EQ(layer.Points().size(), 1u);
}

}  // namespace
}  // namespace orvane
