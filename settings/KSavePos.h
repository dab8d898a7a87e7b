// Window placement kept across runs: each window's state and normal rectangle as one line of
// nine integers under [Bounds] of the placement file, key "<window name>.Bounds".
//
// The line: state (0 normal, 1 minimized, 2 maximized), the minimized position x and y, the
// maximized position x and y, then left, top, right and bottom of the normal rectangle. Qt keeps
// no minimized or maximized position of its own, so those four are carried through as read.
// The normal rectangle is the window's client area (Qt's geometry), right and bottom exclusive.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/KSubWnd.h"

namespace orvane {

// The placement as the stored line carries it; free of Qt so the rules can be tested exactly.
struct TPlacement {
  int State = 0;
  int MinX = -1, MinY = -1;
  int MaxX = -1, MaxY = -1;
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

constexpr int kStateNormal = 0, kStateMinimized = 1, kStateMaximized = 2;

// "%d,%d,%d,%d,%d,%d,%d,%d,%d" of the nine values.
std::string FormatPlacement(const TPlacement& p);
// Cuts the line by SplitCommaText. Other than nine items: false and `p` untouched. Otherwise
// each item that is an integer replaces its value in `p` and any other item leaves it as it was.
bool ParsePlacement(std::string_view text, TPlacement& p);

// The placement file: the program's path with its extension replaced by ".ini", in the folder
// the settings file is in, so that for the program "Orvane" it is the settings file itself and a
// renamed program keeps its placements apart. A settings file named on the command line holds
// the placements too.
std::string PlacementFileFor(const std::string& programPath, const std::string& settingsFile, bool settingsGiven);
// The same for this run.
std::string PlacementFileName();

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
  virtual void SavePos();
  // Applies the stored line. The window is never shown by this; its own visibility decides.
  virtual void LoadPos();

  // The owner has been built: hook it and restore its placement.
  void Loaded();

  QWidget* Owner() const { return OwnerWindow; }

private:
  QWidget* OwnerWindow;
  // The minimized and maximized positions read, written back as they came.
  TPlacement Kept;
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
