// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a file so that it is never seen half written: a full disk or a crash midway leaves the
// old file as it was.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace orvane {

class EFileWriteError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Replaces a file's content atomically (temporary file in the same folder, flushed, renamed).
// A symbolic link is followed, so the file it points to is replaced and the link stays. An
// existing file keeps its permission bits; a new one gets the usual ones for the user's umask.
// A file the user made read-only is refused. Throws EFileWriteError("Cannot write "<file>": ...").
// A `mode` of 0 or more gives the file those permission bits instead (0600: a file that holds a
// password, readable by its owner only).
void ReplaceFile(const std::string& fileName, std::string_view content, int mode = -1);

}  // namespace orvane
