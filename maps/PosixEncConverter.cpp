// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/PosixEncConverter.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string_view>

extern char** environ;

namespace orvane {
void TPosixEncConverter::Convert(const std::string& chart, const std::string& output) {
  const std::string program = ConverterPath();
  if (program.empty()) throw std::runtime_error(CannotRunMessage("marlisk: No such file or directory"));
  int pipeFd[2];
  if (::pipe2(pipeFd, O_CLOEXEC) != 0) throw std::runtime_error(CannotRunMessage(std::strerror(errno)));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFd[1], STDERR_FILENO);
  // "--": a chart whose name begins with "-" is still a file.
  std::string arg0 = program, dashes = "--", arg1 = chart, arg2 = output;
  char* argv[] = {arg0.data(), dashes.data(), arg1.data(), arg2.data(), nullptr};
  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFd[1]);
  if (rc != 0) {
    ::close(pipeFd[0]);
    throw std::runtime_error(CannotRunMessage(std::strerror(rc)));
  }
  // Read to the end before waiting: a converter with much to say must not block on a full pipe.
  TConverterEnd end;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(pipeFd[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    KeepConverterErrors(end.Errors, std::string_view(buf, static_cast<size_t>(n)));
  }
  ::close(pipeFd[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  end.Signalled = WIFSIGNALED(status);
  end.Code = end.Signalled ? WTERMSIG(status) : WEXITSTATUS(status);
  if (end.Failed()) throw std::runtime_error(ConverterFailure(chart, end));
  // Warnings of a conversion that succeeded are the user's to see.
  std::fputs(end.Errors.c_str(), stderr);
}

}  // namespace orvane
