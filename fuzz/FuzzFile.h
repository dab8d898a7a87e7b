// SPDX-License-Identifier: GPL-3.0-or-later
// One scratch file per fuzzing process for code that reads a named file: in memory where
// /dev/shm exists (the settings save syncs every write), removed with its folder at exit.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzfile {

inline const std::string& Path(const char* name) {
  static std::string dir, path;
  if (path.empty()) {
    char shm[] = "/dev/shm/orvane-fuzz.XXXXXX", tmp[] = "/tmp/orvane-fuzz.XXXXXX";
    const char* made = mkdtemp(shm);
    if (!made) made = mkdtemp(tmp);
    if (!made) std::abort();
    dir = made;
    path = dir + "/" + name;
    std::atexit([] {
      std::remove(path.c_str());
      rmdir(dir.c_str());
    });
  }
  return path;
}

}  // namespace fuzzfile
