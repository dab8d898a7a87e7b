// SPDX-License-Identifier: GPL-3.0-or-later
// The named commands the console offers, kept in a plain text file beside the settings that the
// user edits: "[Group]" lines, "NAME=SENTENCE" lines, and ";" or "#" comments, the comment lines
// just above a command telling what it does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvane {

constexpr const char* kCommandListName = "Commands.ini";

struct TNamedCommand {
  std::string Group;     // the section it stands in, "" before the first
  std::string Name;      // as offered
  std::string Sentence;  // as typed on the console's command line
  std::string Note;      // the comment lines just above it, joined
};

// The commands of a file's text, in its order; lines that are none of the above are skipped.
std::vector<TNamedCommand> ParseCommandList(std::string_view text);

// What a new list holds: a few harmless commands per chipset family, each commented.
std::string DefaultCommandList();

// The list's file: beside the settings file.
std::string CommandListFileName();

// The commands of the list's file, which is written with the defaults when it does not exist
// yet. When it cannot be read or made, the defaults, with `error` naming the file and the cause.
std::vector<TNamedCommand> LoadCommandList(std::string& error);

}  // namespace orvane
