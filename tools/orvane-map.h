// SPDX-License-Identifier: GPL-3.0-or-later
// What the verbs of the map tool share: the kinds of map file, the messages and the settings load.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvane::maptool {

inline constexpr const char* kProgram = "orvane-map";

enum class TKind { Line, Point, Waypoint, Coastline, Bitmap, Kdd, Enc };

const char* KindName(TKind kind);
// The kind --kind names; a name that is none is a usage error.
TKind ParseKind(const std::string& name);
// From the name (a folder, the extension, the national-land prefix) or else the first 64 KB of
// the content. Anything but a regular file or a folder is refused without being opened.
TKind KindOf(const std::string& path);

// "orvane-map: warning: text" on standard error.
void Warn(const std::string& text);
// Loads FILE as the program loads its settings; a file that is not there is an error here,
// where the program would start with defaults.
void LoadSettingsFile(const std::string& file);

int Info(const std::vector<std::string>& args);
int Render(int argc, char** argv, const std::vector<std::string>& args);
int Plane(const std::vector<std::string>& args);

}  // namespace orvane::maptool
