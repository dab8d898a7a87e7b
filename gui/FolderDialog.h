// SPDX-License-Identifier: GPL-3.0-or-later
// The folder chooser: Qt's file dialog in directory mode, with the title as its prompt and a
// folder preselected when Directory names one.
#pragma once

#include <functional>
#include <string>

#include <QFileDialog>
#include <QObject>
#include <QWidget>

namespace orvane {

// The folder to preselect: `directory` when it names an existing folder, else empty (a file,
// a missing path or an empty text select nothing).
std::string FolderPreselection(const std::string& directory);

class TFolderDialog : public QObject {
public:
  // The owner window is the browser's parent and owns the chooser.
  explicit TFolderDialog(QWidget* owner);

  // On entry the folder to preselect; after a confirmed choice of a folder, its full path.
  std::string Directory;
  std::string Title = "フォルダーの選択";

  // True when the user confirmed. A confirmed selection that is not a folder leaves Directory as
  // it was; so does a cancel.
  bool Execute();

  // Runs the prepared browser modally: whether the user confirmed, and what was selected.
  // Tests replace it; by default the browser is shown.
  std::function<bool(QFileDialog& browser, QString& selection)> RunBrowser;

private:
  QWidget* OwnerWindow;
};

}  // namespace orvane
