// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ReplaceFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& fileName, int err) {
  throw EFileWriteError(what + " \"" + fileName + "\": " + std::strerror(err));
}

// The file a path finally names, following symbolic links (also one whose target is missing).
std::string ResolveLinks(const std::string& path) {
  std::string p = path;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st {};
    if (lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    char buf[PATH_MAX];
    const ssize_t n = readlink(p.c_str(), buf, sizeof buf - 1);
    if (n <= 0) return p;
    std::string target(buf, static_cast<size_t>(n));
    if (target.front() != '/') {
      const size_t slash = p.rfind('/');
      if (slash != std::string::npos) target = p.substr(0, slash + 1) + target;
    }
    p = target;
  }
  return p;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

void ReplaceFile(const std::string& fileName, std::string_view content, int newMode) {
  const std::string target = ResolveLinks(fileName);
  const size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string tmp = (dir == "/" ? "" : dir) + "/." + base + ".XXXXXX";

  struct stat old {};
  const bool existed = ::stat(target.c_str(), &old) == 0;
  // A file the user made read-only is not to be replaced behind their back by the rename, by
  // root neither, to whom access() grants everything.
  if (existed && ::access(target.c_str(), W_OK) != 0) Fail("Cannot write", fileName, errno);
  if (existed && (old.st_mode & 0222) == 0) Fail("Cannot write", fileName, EACCES);
  // A device or a folder in the file's place is not a file to replace with a renamed one.
  if (existed && !S_ISREG(old.st_mode)) Fail("Cannot write", fileName, S_ISDIR(old.st_mode) ? EISDIR : EINVAL);

  const int fd = mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    // The error is the folder's; said plainly, a file that is there would read as missing.
    if (existed)
      throw EFileWriteError("Cannot write \"" + fileName + "\": the file is there, but its folder \"" + dir +
                            "\" takes no new file to replace it with (" + std::strerror(err) + ")");
    Fail("Cannot write", fileName, err);
  }
  mode_t mode;
  if (existed) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = umask(022);
    umask(mask);
    mode = 0666 & ~mask;
  }
  if (newMode >= 0) mode = static_cast<mode_t>(newMode);
  int err = 0;
  if (!WriteAll(fd, content)) err = errno;
  if (!err && fchmod(fd, mode) != 0) err = errno;
  // Keep the owner when someone else (root) rewrites a user's file; refused for others.
  if (!err && existed) (void)!fchown(fd, old.st_uid, old.st_gid);
  if (!err && fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && !err) err = errno;
  if (!err && ::rename(tmp.c_str(), target.c_str()) != 0) err = errno;
  if (err) {
    ::unlink(tmp.c_str());
    Fail("Cannot write", fileName, err);
  }
  // Make the rename itself durable; a failure here leaves a complete file either way.
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    ::close(dfd);
  }
}

}  // namespace orvane
