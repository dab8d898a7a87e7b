// SPDX-License-Identifier: GPL-3.0-or-later
// The readers' shared pieces: lines over a buffer, byte columns, and the conversions that name
// where a field came from.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/HostConv.h"
#include "maps/LayerDescription.h"
#include "maps/MapFile.h"
#include "maps/ViewBox.h"
#include "tests/common/TempFiles.h"

namespace orvane {
namespace {

TEST(MapFileTest, LinesColumnsAndFields) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> texts = {
      {"a\r\nb\n\nc", {"a", "b", "", "c"}}, {"a\n", {"a"}}, {"", {}}, {"\r\n\r", {"", ""}}};
  for (const auto& [text, lines] : texts) {
    TLineReader in(text);
    std::vector<std::string> got;
    for (std::string_view l; in.Next(l);) got.emplace_back(l);
    EXPECT_EQ(got, lines) << text;
    EXPECT_EQ(in.LineNo(), static_cast<int>(lines.size()));
  }
  EXPECT_EQ(Columns("L123456", 2, 4), "123");
  EXPECT_EQ(Columns("L12", 2, 6), "12");
  EXPECT_EQ(Columns("L12", 4, 6), "");

  const std::string file = "N01.txt";
  const std::vector<std::pair<std::string, int32_t>> good = {
      {"  -12", -12}, {"+7 ", 7},    {"00123", 123}, {"999999999", 999999999}, {"2147483647", 2147483647},
      {"$1F", 31},    {" 0x10", 16}, {"\t5", 5}};
  for (const auto& [text, value] : good) EXPECT_EQ(FieldToInt(text, {file, 3}), value) << text;
  for (const std::string text : {"", "   ", "-", "1 2", "12a", "2147483648", "1.5"}) {
    try {
      FieldToInt(text, {file, 3});
      ADD_FAILURE() << text;
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), "N01.txt, line 3: '" + text + "' is not a valid integer value");
    }
  }
  EXPECT_DOUBLE_EQ(FieldToFloat(" 135.25 ", {file, 1}), 135.25);
  EXPECT_THROW(FieldToFloat("135,25", {file, 1}), EConvertError);
}

class MapFileReadTest : public TempDir {};

TEST_F(MapFileReadTest, ReadsWholeOrAPrefixAndRefusesAnythingButARegularFileAtOnce) {
  const std::string file = (dir / "a.txt").string(), fifo = (dir / "pipe.txt").string();
  WriteAll(file, "0123456789");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadMapFile(file), "0123456789");
  EXPECT_EQ(ReadMapFile(file, 4), "0123");
  EXPECT_EQ(ReadMapFile(file, 100), "0123456789");
  // A FIFO without a writer would block a plain open for ever.
  const struct {
    std::string Path, Cause;
  } refused[] = {{fifo, "not a regular file"},
                 {dir.string(), "Is a directory"},
                 {(dir / "none").string(), "No such file or directory"}};
  for (const auto& r : refused) {
    try {
      ReadMapFile(r.Path);
      ADD_FAILURE() << r.Path;
    } catch (const EMapFileError& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + r.Path + "\": " + r.Cause);
    }
  }
}

TEST(ViewBoxTest, MeetsHoldsAndExtentsLeaveNaNOut) {
  const TViewBox box{135, 34, 136, 35};
  const double nan = std::nan("");
  const struct {
    TViewBox Other;
    bool Meets;
  } meets[] = {{{135.5, 34.5, 137, 36}, true}, {{136, 35, 137, 36}, true},  {{136.1, 34, 137, 35}, false},
               {{130, 30, 134.9, 40}, false},  {{nan, 34, 136, 35}, false}, {{130, 30, 140, 40}, true}};
  for (const auto& m : meets) EXPECT_EQ(box.Meets(m.Other), m.Meets) << m.Other.West << " " << m.Other.South;
  EXPECT_TRUE(box.Holds(135, 35));
  EXPECT_FALSE(box.Holds(136.01, 34.5));
  EXPECT_FALSE(box.Holds(nan, 34.5));
  EXPECT_EQ(box.Scaled(36000), (TViewBox{4860000, 1224000, 4896000, 1260000}));

  std::optional<TViewBox> extent;
  WidenExtent(extent, nan, 34);
  EXPECT_FALSE(extent);
  for (const auto& [lon, lat] : {std::pair{135.0, 35.0}, {134.5, 35.5}, {nan, 0.0}, {136.0, 34.0}})
    WidenExtent(extent, lon, lat);
  EXPECT_EQ(extent, (TViewBox{134.5, 34, 136, 35.5}));
}

}  // namespace
}  // namespace orvane
