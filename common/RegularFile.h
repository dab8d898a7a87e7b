// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a file that must be a regular one (a log, a replay, a map): a folder, a FIFO, a device
// or a socket of that name is refused at once, and nothing here ever blocks waiting for a FIFO's
// other end.
#pragma once

#include <string>

#include <sys/types.h>

namespace orvane {

// Opens `path` with open(2)'s `flags` (O_CLOEXEC added) and `mode` for a file it creates.
// Answers the descriptor, in blocking mode, or -1 with `cause` set: the system's words ("No such
// file or directory", "Is a directory") or "not a regular file".
int OpenRegularFile(const std::string& path, int flags, std::string& cause, mode_t mode = 0666);

}  // namespace orvane
