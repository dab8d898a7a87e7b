// SPDX-License-Identifier: GPL-3.0-or-later
// What the verbs of the map tool share: the messages and the settings load. The kinds of map
// file are the layer table's rows (track/LayerKinds.h).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvane::maptool {

inline constexpr const char* kProgram = "orvane-map";

// "orvane-map: warning: text" on standard error.
void Warn(const std::string& text);
// Loads FILE as the program loads its settings; a file that is not there is an error here,
// where the program would start with defaults.
void LoadSettingsFile(const std::string& file);

int Info(const std::vector<std::string>& args);
int Render(int argc, char** argv, const std::vector<std::string>& args);
int Plane(const std::vector<std::string>& args);

}  // namespace orvane::maptool
