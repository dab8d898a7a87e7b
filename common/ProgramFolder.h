// SPDX-License-Identifier: GPL-3.0-or-later
// Where the running program and its user live: the settings file, the window placements and the
// tools' shipped files are found from these.
#pragma once

#include <string>

namespace orvane {

// The running program's file (/proc/self/exe); "Orvane" when the system does not say.
std::string ProgramPath();
// Its folder without a trailing "/" ("" for the root, "." when unknown).
std::string ProgramFolder();
// $HOME, else the password database's home folder, else "/".
std::string HomeFolder();
// The folder part of a path without a trailing "/" ("" for the root, "." when it has none).
std::string FolderOf(const std::string& path);

}  // namespace orvane
