#include "common/TextHelpers.h"

namespace orvane {

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

std::string Extension(std::string_view path) {
  const size_t slash = path.rfind('/'), dot = path.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return Upper(path.substr(dot + 1));
}

void AppendInt(std::string& out, int64_t v, int width) {
  char buf[24];
  int n = 0;
  const bool negative = v < 0;
  uint64_t u = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  do {
    buf[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  while (n < width) buf[n++] = '0';
  if (negative) out += '-';
  while (n) out += buf[--n];
}

}  // namespace orvane
