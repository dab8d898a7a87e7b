// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/EncConverter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/ProgramFolder.h"

namespace orvane {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string ConverterPath() {
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

std::string ConverterReason(std::string_view errors) {
  std::string_view first;
  for (size_t pos = 0; pos < errors.size();) {
    size_t end = errors.find('\n', pos);
    if (end == std::string_view::npos) end = errors.size();
    std::string_view line = errors.substr(pos, end - pos);
    pos = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.empty()) continue;
    if (line.starts_with("marlisk: ")) line.remove_prefix(9);
    if (first.empty()) first = line;
    if (!line.starts_with("warning: ")) return std::string(line);
  }
  return first.empty() ? "no message" : std::string(first);
}

std::string ConverterFailure(const std::string& chart, const TConverterEnd& end) {
  std::string how;
  if (end.Signalled) {
    const char* name = strsignal(end.Code);
    how = "killed by signal " + std::to_string(end.Code) + (name ? std::string(", ") + name : std::string());
  } else {
    how = "exit status " + std::to_string(end.Code);
  }
  return "marlisk failed on \"" + chart + "\" (" + how + "): " + ConverterReason(end.Errors);
}

}  // namespace orvane
