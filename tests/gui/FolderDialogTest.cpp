// SPDX-License-Identifier: GPL-3.0-or-later
// The folder chooser: what it preselects, how it is set up, and what a choice does to Directory.
#include "gui/FolderDialog.h"

#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QDir>

#include "tests/common/TempFiles.h"
#include "tests/gui/WindowTest.h"

namespace orvane {
namespace {

class FolderDialogTest : public TempDir {
protected:
  void SetUp() override {
    TempDir::SetUp();
    EnsureApp();
    folder = (dir / "area").string();
    std::filesystem::create_directory(folder);
    file = (dir / "area.txt").string();
    WriteAll(file, "x");
    owner = std::make_unique<QWidget>();
  }
  std::string folder, file;
  std::unique_ptr<QWidget> owner;
};

TEST_F(FolderDialogTest, OnlyAnExistingFolderIsPreselected) {
  EXPECT_EQ(FolderPreselection(folder), folder);
  EXPECT_EQ(FolderPreselection(file), "");
  EXPECT_EQ(FolderPreselection((dir / "missing").string()), "");
  EXPECT_EQ(FolderPreselection(""), "");
}

TEST_F(FolderDialogTest, TheBrowserChoosesFoldersUnderTheTitleStartingAtThePreselection) {
  TFolderDialog chooser(owner.get());
  EXPECT_EQ(chooser.Directory, "");
  EXPECT_EQ(chooser.Title, "フォルダーの選択");
  chooser.Directory = folder;
  QString seenDir;
  chooser.RunBrowser = [&](QFileDialog& browser, QString&) {
    EXPECT_EQ(browser.fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(browser.testOption(QFileDialog::ShowDirsOnly));
    EXPECT_EQ(browser.windowTitle(), QString::fromUtf8("フォルダーの選択"));
    EXPECT_EQ(browser.parentWidget(), owner.get());
    seenDir = browser.directory().absolutePath();
    return false;
  };
  EXPECT_FALSE(chooser.Execute());
  EXPECT_EQ(seenDir.toStdString(), folder);
  // Cancel: Directory keeps what it was given.
  EXPECT_EQ(chooser.Directory, folder);

  // A file is not preselected: the tree starts at the top.
  chooser.Directory = file;
  EXPECT_FALSE(chooser.Execute());
  EXPECT_EQ(seenDir, QDir::rootPath());
  EXPECT_EQ(chooser.Directory, file);
}

TEST_F(FolderDialogTest, AConfirmedFolderIsTakenAndAnythingElseLeavesDirectory) {
  TFolderDialog chooser(owner.get());
  chooser.Directory = file;
  QString answer = QString::fromStdString(folder + "/");
  chooser.RunBrowser = [&](QFileDialog&, QString& selection) {
    selection = answer;
    return true;
  };
  EXPECT_TRUE(chooser.Execute());
  EXPECT_EQ(chooser.Directory, folder);

  // Confirmed, but not a folder of the file system: true, and Directory as it was.
  for (const std::string& other : {file, std::string(), (dir / "gone").string()}) {
    answer = QString::fromStdString(other);
    chooser.Directory = "/previous";
    EXPECT_TRUE(chooser.Execute()) << other;
    EXPECT_EQ(chooser.Directory, "/previous") << other;
  }
}

}  // namespace
}  // namespace orvane
