// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RegularFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {
const char* KindCause(mode_t mode) { return S_ISDIR(mode) ? std::strerror(EISDIR) : "not a regular file"; }
}  // namespace

int OpenRegularFile(const std::string& path, int flags, std::string& cause, mode_t mode) {
  // Told apart before the open: opened for writing without a reader, a FIFO answers "No such
  // device or address", which names neither the file's kind nor the cause.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    cause = KindCause(st.st_mode);
    return -1;
  }
  // Non-blocking, so that a FIFO put in the file's place meanwhile still opens at once.
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
  if (fd < 0) {
    cause = std::strerror(errno);
    return -1;
  }
  const bool known = ::fstat(fd, &st) == 0;
  if (!known || !S_ISREG(st.st_mode)) {
    cause = known ? KindCause(st.st_mode) : std::strerror(errno);
    ::close(fd);
    return -1;
  }
  const int fl = ::fcntl(fd, F_GETFL);
  if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
  return fd;
}

}  // namespace orvane
