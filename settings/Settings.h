// The settings file: every user setting, read once at start and written once at exit.
//
// Where it is: Orvane.ini in the program's folder, as a portable copy or the build tree has it.
// An installed program's folder cannot be written, and every setting would be lost at exit, so
// then the file is $XDG_CONFIG_HOME/Orvane/Orvane.ini (~/.config/Orvane/Orvane.ini when the
// variable is unset), created by the first save. The program's --settings FILE overrides both;
// the window placements live in the same file.
#pragma once

#include <string>

#include "common/Color.h"
#include "common/ProgramFolder.h"

namespace orvane {

constexpr const char* kSettingsName = "Orvane.ini";

// The rule, for a program folder and the environment: the folder's Orvane.ini when the folder is
// writable, else the user's configuration folder (an unset, empty or relative XDG_CONFIG_HOME
// counts as unset).
std::string DefaultSettingsFileName(const std::string& programFolder, bool folderWritable, const char* xdgConfigHome,
                                    const std::string& home);

// The settings file of this run: the override when one is set, else the rule above.
std::string SettingsFileName();
// --settings FILE, and tests; an empty name returns to the rule.
void SetSettingsFileName(std::string fileName);
// True while an override is set.
bool SettingsFileGiven();

// Reads every setting into its place: the settings fields of NmeaRec, the main window's and the
// track module's variables, the definition lists and the [Ports] device names. Missing or
// broken values give their defaults; this never fails.
void LoadSettings();
// Writes [Settings] and [Track] and nothing else. Raises EIniFileError naming the file and the
// cause when it cannot be written; the old file then stays as it was.
void SaveSettings();

// "$" and at least six upper-case hexadecimal digits of the colour's 32-bit pattern.
std::string FormatColor(TColor color);

}  // namespace orvane
