// SPDX-License-Identifier: GPL-3.0-or-later
// The chart converter as the track window and the tools start it: a process found beside the
// program or on PATH, its output read by the chart layer, its failure told in its own words.
#include "gui/QtEncConverter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include <QThread>

#include "common/LoadCancel.h"
#include "maps/PosixEncConverter.h"
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

  // A stand-in converter on PATH: a shell script with `body`.
  void FakeConverter(const std::string& body) {
    const std::filesystem::path script = dir / "bin" / "marlisk";
    std::filesystem::create_directories(script.parent_path());
    std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    setenv("PATH", (script.parent_path().string() + ":/usr/bin:/bin").c_str(), 1);
  }
};

// The window's converter and the tools' converter behave alike.
std::vector<std::unique_ptr<TEncConverter>> BothConverters() {
  std::vector<std::unique_ptr<TEncConverter>> v;
  v.push_back(std::make_unique<TQtEncConverter>());
  v.push_back(std::make_unique<TPosixEncConverter>());
  return v;
}

TEST_F(EncConverterTest, AFailingConverterIsReportedInItsOwnWords) {
  struct Case {
    const char* What;
    std::string Script;
    std::string Message;  // after 'marlisk failed on "CHART" '
  };
  const Case cases[] = {
      {"exit status and first reason after the warnings",
       "echo 'marlisk: warning: counts differ' >&2; echo \"marlisk: $2: byte 7: broken\" >&2; echo more >&2; exit 3",
       "(exit status 3): " + (dir / "-A.000").string() + ": byte 7: broken"},
      {"a crash", "kill -SEGV $$", "(killed by signal 11, Segmentation fault): no message"},
      {"a flood of messages", "head -c 3000000 /dev/zero | tr '\\0' x >&2; exit 1",
       "(exit status 1): " + std::string(4096, 'x')},
      {"arguments it does not expect", "[ \"$1\" = -- ] || { echo \"marlisk: no -- before $1\" >&2; exit 2; }; exit 4",
       "(exit status 4): no message"},
  };
  const std::string chart = (dir / "-A.000").string();
  for (const Case& c : cases) {
    FakeConverter(c.Script);
    for (const auto& converter : BothConverters()) {
      try {
        converter->Convert(chart, (dir / "out.txt").string());
        ADD_FAILURE() << c.What << ": no error";
      } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "marlisk failed on \"" + chart + "\" " + c.Message) << c.What;
      }
    }
  }
}

TEST_F(EncConverterTest, TheLayerSaysWhyTheConverterFailedNotThatItsOutputIsMissing) {
  FakeConverter("echo \"marlisk: $2: byte 12: format controls nested too deep\" >&2; exit 1");
  TQtEncConverter converter;
  TEncMap enc(converter, std::string(ORVANE_BIN_DIR) + "/Marlisk.ini");
  const std::string chart = (dir / "DEEP.000").string();
  try {
    enc.Load(chart);
    FAIL() << "loaded";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "marlisk failed on \"" + chart + "\" (exit status 1): " + chart +
                                         ": byte 12: format controls nested too deep");
  }
}

// The window's converter runs inside a load that may be called off: the process is ended and the
// load stops, rather than waiting for a conversion nobody wants any more.
TEST_F(EncConverterTest, ALoadCalledOffEndsTheConversion) {
  const std::filesystem::path started = dir / "started";
  FakeConverter("touch '" + started.string() + "'; exec sleep 60");
  std::atomic<bool> cancelled{false};
  QThread* caller = QThread::create([&] {
    while (!std::filesystem::exists(started)) QThread::msleep(5);
    cancelled = true;
  });
  caller->start();
  const TLoadCancelScope scope(cancelled);
  TQtEncConverter converter;
  EXPECT_THROW(converter.Convert((dir / "A.000").string(), (dir / "out.txt").string()), ELoadCancelled);
  caller->wait();
  delete caller;
}

TEST_F(EncConverterTest, AConverterThatCannotStartSaysWhy) {
  setenv("PATH", dir.c_str(), 1);  // no marlisk here, none beside the test
  for (const auto& converter : BothConverters()) {
    try {
      converter->Convert((dir / "A.000").string(), (dir / "out.txt").string());
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).rfind("実行できません (", 0), 0u) << e.what();
    }
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
