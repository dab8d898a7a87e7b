#include "tools/PosixEncConverter.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "common/ProgramFolder.h"

extern char** environ;

namespace orvane {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string TPosixEncConverter::ConverterPath() {
  const std::string beside = ProgramFolder() + "/marlisk";
  if (IsExecutableFile(beside)) return beside;
  const char* path = std::getenv("PATH");
  if (!path) return {};
  std::string_view rest(path);
  while (true) {
    const size_t colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    // An empty entry is the current folder, as the shell reads PATH.
    const std::string candidate = (folder.empty() ? std::string(".") : std::string(folder)) + "/marlisk";
    if (IsExecutableFile(candidate)) return candidate;
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return {};
}

void TPosixEncConverter::Convert(const std::string& chart, const std::string& output) {
  const std::string program = ConverterPath();
  if (program.empty()) throw std::runtime_error(CannotRunMessage("marlisk: No such file or directory"));
  std::string arg0 = program, arg1 = chart, arg2 = output;
  char* argv[] = {arg0.data(), arg1.data(), arg2.data(), nullptr};
  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ);
  if (rc != 0) throw std::runtime_error(CannotRunMessage(std::strerror(rc)));
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace orvane
