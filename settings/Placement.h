// SPDX-License-Identifier: GPL-3.0-or-later
// Window placement kept across runs: each window's state and normal rectangle as one line of
// nine integers under [Bounds] of the placement file, key "<window name>.Bounds".
//
// The line: state (0 normal, 1 minimized, 2 maximized), the minimized position x and y, the
// maximized position x and y, then left, top, right and bottom of the normal rectangle. Qt keeps
// no minimized or maximized position of its own, so those four are carried through as read.
// The normal rectangle is the window's client area (Qt's geometry), right and bottom exclusive.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// A rectangle in pixels, as a screen or a window has one.
struct TPixelRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TPixelRect&) const = default;
};

// A screen: the whole of it and the part windows may use (without panels and docks).
struct TScreenArea {
  TPixelRect Whole, Available;
};

// Where a stored normal rectangle opens on the screens there are now (the primary screen first).
struct TRestoredRect {
  TPixelRect Rect;
  // The window's frame goes to Rect's corner rather than its client area: the stored corner
  // would put the title bar above the screen, where it cannot be dragged.
  bool ByFrame = false;
};

// The normal rectangle of `p` made usable: it opens on the screen it overlaps most (or at the
// primary screen's corner when it overlaps none) and is never larger than that screen's
// available area, so that a hand-edited or overflowing value cannot ask for a window of
// thousands of screens. A corner outside the available area is moved into it. False, and `out`
// untouched, when the stored rectangle is empty or inverted; no screens at all leave the
// position as stored and cap the size at kMaxWindowSide.
bool RestoreRect(const TPlacement& p, const std::vector<TScreenArea>& screens, TRestoredRect& out);
constexpr int kMaxWindowSide = 16384;

// The placement file: the program's path with its extension replaced by ".ini", in the folder
// the settings file is in, so that for the program "Orvane" it is the settings file itself and a
// renamed program keeps its placements apart. A settings file named on the command line holds
// the placements too.
std::string PlacementFileFor(const std::string& programPath, const std::string& settingsFile, bool settingsGiven);
// The same for this run.
std::string PlacementFileName();

// The stored line of a key, "" when there is none.
std::string ReadPlacement(const std::string& key);
// One write of the file for every key and line. Raises EIniFileError naming the file when it
// cannot be written.
void StorePlacements(const std::vector<std::pair<std::string, std::string>>& lines);

}  // namespace orvane
