// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/IniFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "tests/common/TempFiles.h"

namespace orvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

TEST(IniText, LookupIgnoresCaseBlanksCommentsAndLaterDuplicates) {
  const TIniText ini(
      "Orphan=before any section\n"
      "[ Settings ]\n"
      "; ComPort=9\n"
      "  comport =  3  \n"
      "COMPORT=4\n"
      "Path = a=b=c\n"
      "NoEquals\n"
      "=nameless\n"
      "[settings]\n"
      "Other=second section of the same name\n");
  std::string v;
  ASSERT_TRUE(ini.Find("SETTINGS", "ComPort", v));
  EXPECT_EQ(v, "3");
  ASSERT_TRUE(ini.Find("settings", "path", v));
  EXPECT_EQ(v, "a=b=c");
  EXPECT_FALSE(ini.Find("Settings", "Orphan", v));
  EXPECT_FALSE(ini.Find("Settings", "NoEquals", v));
  EXPECT_FALSE(ini.Find("Settings", "Other", v));  // the first section of a name is the one
  EXPECT_FALSE(ini.Find("Track", "ComPort", v));
  EXPECT_THAT(ini.SectionValues("Settings"), ElementsAre("comport=3", "COMPORT=4", "Path=a=b=c"));
  EXPECT_TRUE(ini.SectionValues("Absent").empty());
}

TEST(IniText, WriteChangesOneLineAndKeepsEveryOtherByte) {
  const std::string before =
      "; hand-made comment\r\n"
      "[METADEF]\r\n"
      "N01-0=Road, 0.1, 1, $0000FF, 0, 0, 0\r\n"
      "\r\n"
      "[Settings]\r\n"
      "  ComPort = 1   ; old\r\n"
      "SaveLog=0\r\n"
      "\r\n"
      "; belongs to Bounds\r\n"
      "[Bounds]\r\n"
      "SatVForm.Bounds=1,2,3,4,5,6,7,8,9";  // no final line end
  TIniText ini(before);
  EXPECT_EQ(ini.Text(), before);

  ini.Set("settings", "comport", "5");
  std::string expected = before;
  expected.replace(expected.find("  ComPort = 1   ; old"), 21, "ComPort=5");
  EXPECT_EQ(ini.Text(), expected);

  // A new key of an existing section goes after its last entry, in the file's line ends.
  ini.Set("Settings", "ComSpeed", "4800");
  expected.insert(expected.find("SaveLog=0\r\n") + 11, "ComSpeed=4800\r\n");
  EXPECT_EQ(ini.Text(), expected);

  // A new section comes at the end; the unterminated last line gets its line end first.
  ini.Set("Track", "Zoom", "6");
  expected += "\r\n\r\n[Track]\r\nZoom=6\r\n";
  EXPECT_EQ(ini.Text(), expected);

  ini.Set("Bounds", "MoniForm.Bounds", "x");
  expected.insert(expected.find("7,8,9\r\n") + 7, "MoniForm.Bounds=x\r\n");
  EXPECT_EQ(ini.Text(), expected);
}

TEST(IniText, EmptyTextAndLfFilesGetLfLines) {
  TIniText ini("");
  ini.Set("Settings", "A", "1");
  ini.Set("Settings", "B", "2");
  ini.Set("Track", "C", "3");
  EXPECT_EQ(ini.Text(), "[Settings]\nA=1\nB=2\n\n[Track]\nC=3\n");
}

TEST(IniText, ValuesCannotInjectLinesAndNamesMustBeUsable) {
  TIniText ini("[Settings]\n");
  ini.Set("Settings", "SaveLogName", "evil\n[Track]\nZoom=99");
  std::string v;
  ASSERT_TRUE(ini.Find("Settings", "SaveLogName", v));
  EXPECT_EQ(v, "evil");
  EXPECT_FALSE(ini.SectionExists("Track"));
  // A value cut at a bare CR comes back as written: no blank left at its end to be trimmed away.
  ini.Set("Settings", "GpsDatum", "WGS \r84");
  EXPECT_EQ(ini.Text(), "[Settings]\nSaveLogName=evil\nGpsDatum=WGS\n");
  EXPECT_THROW(ini.Set("Settings", "a=b", "1"), std::invalid_argument);
  EXPECT_THROW(ini.Set("Set]tings", "a", "1"), std::invalid_argument);
  EXPECT_THROW(ini.Set("Settings", "  ", "1"), std::invalid_argument);
}

TEST_F(TempDir, MissingFileReadsDefaultsAndIsCreatedByTheFirstWrite) {
  const fs::path file = dir / "new.ini";
  TIniFile ini(file.string());
  EXPECT_EQ(ini.ReadString("Settings", "GpsDatum", "WGS 84"), "WGS 84");
  EXPECT_EQ(ini.ReadInteger("Settings", "ComPort", 1), 1);
  EXPECT_TRUE(ini.ReadError().empty());
  ini.WriteInteger("Settings", "ComPort", 3);
  EXPECT_EQ(ReadAll(file), "[Settings]\nComPort=3\n");
  ini.WriteBool("Settings", "SaveLog", true);
  EXPECT_EQ(ReadAll(file), "[Settings]\nComPort=3\nSaveLog=1\n");
  EXPECT_EQ(FileCount(), 1);  // no temporary file left beside it
  const mode_t mask = umask(022);
  umask(mask);
  EXPECT_EQ(fs::status(file).permissions(), static_cast<fs::perms>(0666 & ~mask));
}

TEST_F(TempDir, NumbersBooleansAndLongValues) {
  const fs::path file = dir / "n.ini";
  WriteAll(file, "[S]\nHex=$FF\nC=0x00FF00\nBlank=  12  \nBad=12a\nEmpty=\nNeg=-5\nTwo=2\nWord=yes\nLong=" +
                     std::string(3000, 'x') + "\n");
  const TIniFile ini(file.string());
  EXPECT_EQ(ini.ReadInteger("S", "Hex", 0), 255);
  EXPECT_EQ(ini.ReadInteger("S", "C", 0), 0x00FF00);
  EXPECT_EQ(ini.ReadInteger("S", "Blank", 0), 12);
  EXPECT_EQ(ini.ReadInteger("S", "Bad", 7), 7);
  EXPECT_EQ(ini.ReadInteger("S", "Empty", 7), 7);
  EXPECT_EQ(ini.ReadInteger("S", "Neg", 0), -5);
  EXPECT_TRUE(ini.ReadBool("S", "Two", false));
  EXPECT_TRUE(ini.ReadBool("S", "Word", true));
  EXPECT_FALSE(ini.ReadBool("S", "Word", false));
  EXPECT_EQ(ini.ReadString("S", "Long", "").size(), kIniValueMax);
  EXPECT_EQ(ini.ReadSectionValues("S").back(), "Long=" + std::string(kIniValueMax, 'x'));
  EXPECT_EQ(ini.ReadString("S", "Empty", "default"), "");  // present but empty is not missing
}

TEST_F(TempDir, FailedWriteNamesTheFileAndLeavesTheOldOne) {
  const fs::path file = dir / "Orvane.ini";
  const std::string old = "[Settings]\nComPort=2\n[METADEF]\nN01-0=x\n";
  WriteAll(file, old);
  TIniFile ini(file.string());
  // Root passes every permission check, so the write is made to fail by a file size limit.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  try {
    ini.WriteInteger("Settings", "ComPort", 9);
    ADD_FAILURE() << "the write should have failed";
  } catch (const EIniFileError& e) {
    EXPECT_THAT(e.what(), HasSubstr(file.string()));
    EXPECT_THAT(e.what(), HasSubstr("File too large"));
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(ReadAll(file), old);
  EXPECT_EQ(FileCount(), 1);
}

TEST_F(TempDir, UnreadableOrOddFilesReadAsDefaultsAndAreNeverOverwritten) {
  // A folder under the settings name.
  const fs::path folder = dir / "folder.ini";
  fs::create_directory(folder);
  TIniFile a(folder.string());
  EXPECT_EQ(a.ReadInteger("Settings", "ComPort", 1), 1);
  EXPECT_FALSE(a.ReadError().empty());
  EXPECT_THROW(a.WriteInteger("Settings", "ComPort", 2), EIniFileError);
  EXPECT_TRUE(fs::is_directory(folder));

  // A FIFO must not hang the reader.
  const fs::path fifo = dir / "fifo.ini";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  TIniFile b(fifo.string());
  EXPECT_EQ(b.ReadString("Settings", "GpsFix", "$GPGSA"), "$GPGSA");
  try {
    b.WriteString("Settings", "GpsFix", "$GPRMC");
    ADD_FAILURE();
  } catch (const EIniFileError& e) {
    EXPECT_THAT(e.what(), HasSubstr(fifo.string()));
  }

  // A folder that does not exist.
  TIniFile c((dir / "missing" / "x.ini").string());
  EXPECT_THROW(c.WriteInteger("S", "K", 1), EIniFileError);
}

// There but not replaceable: read-only (for root too), or in a folder that takes no new file.
TEST_F(TempDir, AFileThatIsThereButCannotBeWrittenIsSaidSo) {
  const fs::path ro = dir / "ro.ini", proc = "/proc" / fs::read_symlink("/proc/self") / "comm";
  WriteAll(ro, "[S]\nK=2\n");
  fs::permissions(ro, static_cast<fs::perms>(0444));
  for (const auto& [file, said] : {std::pair{ro, std::string(": Permission denied")},
                                   {proc, ": the file is there, but its folder \"" + proc.parent_path().string()}}) {
    std::string what = "written";
    try {
      TIniFile(file.string()).WriteInteger("S", "K", 3);
    } catch (const EIniFileError& e) {
      what = e.what();
    }
    EXPECT_THAT(what, HasSubstr("\"" + file.string() + "\"" + said));
  }
  EXPECT_EQ(ReadAll(ro), "[S]\nK=2\n");
}

TEST_F(TempDir, LinkedFileIsReplacedBehindTheLinkWithItsPermissions) {
  const fs::path real = dir / "real.ini";
  const fs::path link = dir / "Orvane.ini";
  WriteAll(real, "[Settings]\nComPort=1\n");
  fs::permissions(real, static_cast<fs::perms>(0600));
  fs::create_symlink("real.ini", link);
  TIniFile ini(link.string());
  ini.WriteInteger("Settings", "ComPort", 4);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadAll(real), "[Settings]\nComPort=4\n");
  EXPECT_EQ(fs::status(real).permissions(), static_cast<fs::perms>(0600));
}

TEST_F(TempDir, BatchedWritesReplaceTheFileOnce) {
  const fs::path file = dir / "b.ini";
  TIniFile ini(file.string());
  ini.BeginUpdate();
  ini.WriteInteger("S", "A", 1);
  ini.WriteInteger("S", "B", 2);
  EXPECT_FALSE(fs::exists(file));
  ini.EndUpdate();
  EXPECT_EQ(ReadAll(file), "[S]\nA=1\nB=2\n");
}

}  // namespace
}  // namespace orvane
