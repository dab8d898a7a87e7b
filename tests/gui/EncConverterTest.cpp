// The chart converter as the track window starts it: a process found beside the program or on
// PATH, its output read by the chart layer.
#include "gui/QtEncConverter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "maps/UEncMap.h"
#include "tests/common/TempFiles.h"
#include "tests/gui/WindowTest.h"
#include "tests/tools/S57Writer.h"

namespace orvane {
namespace {

class EncConverterTest : public TempDir {
protected:
  void SetUp() override {
    TempDir::SetUp();
    EnsureApp();
    const char* path = std::getenv("PATH");
    oldPath = path ? path : "";
  }
  void TearDown() override {
    setenv("PATH", oldPath.c_str(), 1);
    TempDir::TearDown();
  }
  std::string oldPath;
};

TEST_F(EncConverterTest, AConverterThatCannotStartSaysWhy) {
  setenv("PATH", dir.c_str(), 1);  // no marlisk here, none beside the test
  TQtEncConverter converter;
  try {
    converter.Convert((dir / "A.000").string(), (dir / "out.txt").string());
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("実行できません (", 0), 0u) << e.what();
  }
}

TEST_F(EncConverterTest, TheInstalledConverterTurnsACellIntoADrawableChart) {
  setenv("PATH", (std::string(ORVANE_BIN_DIR) + ":" + oldPath).c_str(), 1);
  const std::filesystem::path chart = dir / "chart with blank 'quote'.000";
  std::ofstream(chart, std::ios::binary) << s57w::SampleCell(40, 20);
  TQtEncConverter converter;
  TEncMap enc(converter, std::string(ORVANE_BIN_DIR) + "/Marlisk.ini");
  ASSERT_TRUE(enc.Load(chart.string()));
  EXPECT_FALSE(enc.Edges().empty());
  EXPECT_FALSE(enc.Areas().empty() && enc.LineShapes().empty() && enc.Spots().empty());
  // The private output is gone again.
  for (const auto& e : std::filesystem::directory_iterator(dir)) EXPECT_EQ(e.path(), chart);
}

}  // namespace
}  // namespace orvane
