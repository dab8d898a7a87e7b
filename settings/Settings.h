// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: every user setting, read once at start and written once at exit.
//
// Where it is: $XDG_CONFIG_HOME/Orvane/Orvane.ini (~/.config/Orvane/Orvane.ini when the variable
// is unset), created by the first save, for an installed program. Orvane.ini in the program's
// folder only for a portable copy (the folder already holds one and can be written) or a program
// run from its build tree: a one-user install's bin folder is the user's too, and settings do not
// belong there. The program's --settings FILE overrides both; the window placements live in the
// same file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/Color.h"
#include "common/ProgramFolder.h"

namespace orvane {

constexpr const char* kSettingsName = "Orvane.ini";

// The rule, for a program folder and the environment: the folder's Orvane.ini when the program
// is a portable copy or runs from its build tree, else the user's configuration folder (an unset,
// empty or relative XDG_CONFIG_HOME counts as unset).
std::string DefaultSettingsFileName(const std::string& programFolder, bool portable, const char* xdgConfigHome,
                                    const std::string& home);

// True for the folder of a portable copy (it holds an Orvane.ini and can be written) or of a
// program in this build tree.
bool PortableProgramFolder(const std::string& folder);

// The settings file of this run: the override when one is set, else the rule above.
std::string SettingsFileName();
// --settings FILE, and tests; an empty name returns to the rule.
void SetSettingsFileName(std::string fileName);
// True while an override is set.
bool SettingsFileGiven();

// What the load had to tell: why an existing file could not be read (its content is then left
// alone, and the defaults apply), and each stored value it had to bring into range or could not
// read.
struct TSettingsLoad {
  std::string ReadError;
  std::vector<std::string> Adjusted;
};

// Reads every setting into its place: the settings fields of NmeaRec, the main window's and the
// track module's variables, the deviation and charts windows' choices, the definition lists and
// the [Ports] device names. Missing or broken values give their defaults; this never fails.
TSettingsLoad LoadSettings();

// Bounds of values that size memory or drawing: the mark's radius in pixels, the track entries.
constexpr int32_t kHeadRMin = 1, kHeadRMax = 500;
constexpr int32_t kDataMaxLimit = 100000;
// Writes [Settings], [Track], [Deviation] and [Charts] and nothing else. Raises EIniFileError
// naming the file and the cause when it cannot be written; the old file then stays as it was.
void SaveSettings();

// Writes only the two multi-GNSS keys, at once, so that an answer given in the run is kept
// whatever becomes of it. Raises EIniFileError as SaveSettings does.
void SaveGnssSettings();

}  // namespace orvane
