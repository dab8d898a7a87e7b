// SPDX-License-Identifier: GPL-3.0-or-later
// Where orvane-nmea's reports go: one buffer, written out in large pieces.
#pragma once

#include <cstdio>
#include <string>

namespace orvane {

// Output goes through one buffer: a 24-hour log makes millions of lines.
class TOut {
public:
  // nullptr: the output is discarded (for measuring).
  explicit TOut(FILE* file = stdout) : File(file) {}
  std::string buf;
  void Flush() {
    if (File && !buf.empty() && std::fwrite(buf.data(), 1, buf.size(), File) != buf.size()) failed = true;
    buf.clear();
  }
  void MaybeFlush() {
    if (buf.size() > (1 << 16)) Flush();
  }
  bool Finish() {
    Flush();
    return !File || (std::fflush(File) == 0 && !failed && !std::ferror(File));
  }

private:
  FILE* File;
  bool failed = false;
};

}  // namespace orvane
