// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/FolderDialog.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>

namespace orvane {

std::string FolderPreselection(const std::string& directory) {
  struct stat st {};
  if (directory.empty() || ::stat(directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
  return directory;
}

TFolderDialog::TFolderDialog(QWidget* owner) : QObject(owner), OwnerWindow(owner) {
  RunBrowser = [](QFileDialog& browser, QString& selection) {
    if (browser.exec() != QDialog::Accepted) return false;
    const QStringList chosen = browser.selectedFiles();
    selection = chosen.isEmpty() ? QString() : chosen.first();
    return true;
  };
}

bool TFolderDialog::Execute() {
  const QString title = QString::fromStdString(Title);
  QFileDialog browser(OwnerWindow, title);
  browser.setFileMode(QFileDialog::Directory);
  browser.setOption(QFileDialog::ShowDirsOnly, true);
  browser.setAcceptMode(QFileDialog::AcceptOpen);
  const std::string preselect = FolderPreselection(Directory);
  if (preselect.empty()) {
    // Nothing preselected: the tree starts at the top of the file system.
    browser.setDirectory(QDir::rootPath());
  } else {
    // Opened in the folder, which is what confirming at once chooses.
    browser.setDirectory(QFileInfo(QString::fromLocal8Bit(preselect.c_str())).absoluteFilePath());
  }
  browser.setLabelText(QFileDialog::LookIn, title);

  QString selection;
  if (!RunBrowser(browser, selection)) return false;
  const QFileInfo chosen(selection);
  if (!selection.isEmpty() && chosen.isDir())
    Directory = QDir::cleanPath(chosen.absoluteFilePath()).toLocal8Bit().toStdString();
  return true;
}

}  // namespace orvane
