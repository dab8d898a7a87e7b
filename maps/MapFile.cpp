// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/MapFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/HostConv.h"
#include "common/RegularFile.h"
#include "common/ShiftJis.h"

namespace orvane {

bool MapFileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ReadMapFile(const std::string& path, size_t limit) {
  const auto fail = [&path](const std::string& reason) {
    return EMapFileError("Cannot open file \"" + path + "\": " + reason);
  };
  std::string cause;
  const int fd = OpenRegularFile(path, O_RDONLY, cause);
  if (fd < 0) throw fail(cause);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    throw fail(std::strerror(err));
  }
  std::string data;
  data.resize(std::min(static_cast<size_t>(st.st_size), limit));
  size_t got = 0;
  // The size is a hint only: a file that grows or shrinks while it is read still reads whole.
  // Past the size the bytes go through a small buffer, so the usual case never moves the data.
  char more[4096];
  while (got < limit) {
    const bool inside = got < data.size();
    const ssize_t r = inside ? ::read(fd, data.data() + got, data.size() - got)
                             : ::read(fd, more, std::min(sizeof more, limit - got));
    if (r < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      throw fail(std::strerror(err));
    }
    if (r == 0) break;
    if (!inside) data.append(more, static_cast<size_t>(r));
    got += static_cast<size_t>(r);
  }
  ::close(fd);
  data.resize(got);
  return data;
}

bool TLineReader::Next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  const char* start = text_.data() + pos_;
  const void* lf = std::memchr(start, '\n', text_.size() - pos_);
  size_t len = lf ? static_cast<size_t>(static_cast<const char*>(lf) - start) : text_.size() - pos_;
  pos_ += len + (lf ? 1 : 0);
  if (len > 0 && start[len - 1] == '\r') --len;
  line = std::string_view(start, len);
  ++lineNo_;
  return true;
}

std::string_view TrimControls(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
  return s;
}

void ThrowAt(const TFilePlace& at, const std::string& what) {
  throw EMapFileError(at.File + ", line " + std::to_string(at.Line) + ": " + what);
}

std::string QuoteFound(std::string_view text) {
  constexpr size_t kShown = 40;
  if (text.size() <= kShown) return "'" + SjisToUtf8(text) + "'";
  return "'" + SjisToUtf8(text.substr(0, kShown)) + "...'";
}

namespace {

// Blanks, an optional sign, up to nine digits, blanks: nearly every fixed column, read here
// without the general conversion, which takes over for anything else (hexadecimal included).
bool PlainDecimal(std::string_view s, int32_t& value) {
  size_t i = 0;
  const size_t n = s.size();
  while (i < n && s[i] == ' ') ++i;
  const bool negative = i < n && s[i] == '-';
  if (i < n && (s[i] == '-' || s[i] == '+')) ++i;
  const size_t digitsAt = i;
  int32_t v = 0;
  while (i < n && s[i] >= '0' && s[i] <= '9' && i - digitsAt < 9) v = v * 10 + (s[i++] - '0');
  if (i == digitsAt) return false;
  while (i < n && s[i] == ' ') ++i;
  if (i != n) return false;
  value = negative ? -v : v;
  return true;
}

}  // namespace

int32_t FieldToInt(std::string_view text, const TFilePlace& at) {
  int32_t v = 0;
  if (PlainDecimal(text, v)) return v;
  if (!TryStrToInt(text, v))
    throw EConvertError(at.File + ", line " + std::to_string(at.Line) + ": " + QuoteFound(text) +
                        " is not a valid integer value");
  return v;
}

double FieldToFloat(std::string_view text, const TFilePlace& at) {
  double v = 0;
  if (!TryStrToFloat(text, v))
    throw EConvertError(at.File + ", line " + std::to_string(at.Line) + ": " + QuoteFound(text) +
                        " is not a valid floating point value");
  return v;
}

TNationalLandRecords CountNationalLandRecords(std::string_view head) {
  TNationalLandRecords r;
  // Markup (a GPX file, whatever its name) begins with "<" after a byte order mark and blanks.
  if (head.starts_with("\xef\xbb\xbf")) head.remove_prefix(3);
  const size_t first = head.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && head[first] == '<') return r;
  TLineReader in(head);
  std::string_view line;
  while (in.Next(line)) {
    if (in.LineNo() == 1) {
      const std::string_view header = Columns(line, 4, 13);
      r.Header = header.starts_with("NLA") || header.starts_with("GSI");
    }
    if (line.starts_with("L") && line.size() >= 51) ++r.Lines;
    if (line.starts_with("P") && line.size() >= 73) ++r.Points;
  }
  return r;
}

}  // namespace orvane
