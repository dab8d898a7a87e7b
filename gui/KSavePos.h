// SPDX-License-Identifier: GPL-3.0-or-later
// Window placement kept across runs: each window's state and normal rectangle, taken from and
// applied to the window; the stored line and its file are settings/Placement's.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gui/KSubWnd.h"
#include "settings/Placement.h"

namespace orvane {

// Saves the owner window's placement at its destruction and restores it once the window is
// built. The storage is left to a subclass.
class TKSaveFormPos : public TKCustomSubWnd {
public:
  explicit TKSaveFormPos(QWidget* owner);

  // Save at destruction and restore after loading.
  bool SaveBounds = true;
  // Restore a minimized state too; otherwise a window minimized at exit reopens normal.
  bool ResumeIconic = false;

  virtual void WriteValue(const std::string& text) = 0;
  virtual std::string ReadValue() = 0;
  // The owner's placement now, and the stored line of it.
  TPlacement CurrentPlacement() const;
  // Writes the placement of a window that has been shown. One never shown has nothing of its
  // own to keep: its stored line, or the lack of one, stays as it is.
  virtual void SavePos();
  bool HasPlacement() const { return EverShown; }
  // Applies the stored line. The window is never shown by this; its own visibility decides.
  virtual void LoadPos();

  // The owner has been built: hook it and restore its placement.
  void Loaded();

  QWidget* Owner() const { return OwnerWindow; }

protected:
  bool WndProc(QEvent* event) override;

private:
  QWidget* OwnerWindow;
  // The minimized and maximized positions read, written back as they came.
  TPlacement Kept;
  bool EverShown = false;
  void FitFrame();
};

// The placement in the placement file, section [Bounds].
class TKSavePosIni : public TKSaveFormPos {
public:
  using TKSaveFormPos::TKSaveFormPos;

  // "<owner name>.Bounds".
  std::string Key() const;
  // Raises EIniFileError naming the file when it cannot be written.
  void WriteValue(const std::string& text) override;
  std::string ReadValue() override;
};

// Gives a window its FormPos (ResumeIconic false, SaveBounds true) and restores its placement.
// A window its constructor already showed is hidden while it is placed and shown again, so that
// the window system maps it where it belongs.
TKSavePosIni* AttachFormPos(QWidget* window);
// The FormPos of a window, or null.
TKSaveFormPos* FormPosOf(const QWidget* window);

// The exit. The placements are taken while every window is still whole and written once the
// windows are gone, after the settings save: that save is what creates a missing settings file
// (an installed program's first run, with the file shipped beside the program copied into it),
// and a file made earlier by the placements alone would stop that copy.
using TPendingPlacements = std::vector<std::pair<std::string, std::string>>;  // key, line
TPendingPlacements TakePlacements(std::initializer_list<const QWidget*> windows);
// One write of the file for all of them; a failure is reported on standard error, as the
// settings save at exit reports its own.
void WritePlacements(const TPendingPlacements& placements);

}  // namespace orvane
