// SPDX-License-Identifier: GPL-3.0-or-later
// What the text map readers share: the whole file read at once, its lines walked as views into
// that buffer, fixed byte columns, and conversions whose errors name the file, the line and the
// text found. Nothing here allocates per field, which is what keeps a 30 MB road file quick.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvane {

// A map file that cannot be read, or a record that lacks what its format requires.
class EMapFileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// True for a regular file (a folder of the same name does not count).
bool MapFileExists(const std::string& path);

// The whole file, or its first `limit` bytes. Throws EMapFileError("Cannot open file \"path\":
// reason"); anything but a regular file (a folder, a pipe, a device) is refused without blocking.
std::string ReadMapFile(const std::string& path, size_t limit = static_cast<size_t>(-1));

// The lines of a buffer, split at LF with a CR before it dropped. A last line without LF is a
// line; a final LF does not start another one.
class TLineReader {
public:
  explicit TLineReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line);
  bool AtEnd() const { return pos_ >= text_.size(); }
  // 1-based number of the line last returned by Next.
  int LineNo() const { return lineNo_; }
  // Bytes not yet read: a bound for anything sized from a count the file states.
  size_t Remaining() const { return text_.size() - pos_; }

private:
  std::string_view text_;
  size_t pos_ = 0;
  int lineNo_ = 0;
};

// Bytes `from` to `to` of a line, 1-based and inclusive; a short line gives what it has.
inline std::string_view Columns(std::string_view line, size_t from, size_t to) {
  if (from > line.size()) return {};
  return line.substr(from - 1, to - from + 1);
}

// Without the bytes of codes 0 to 32 at either end.
std::string_view TrimControls(std::string_view s);

// Where a field came from, for the error that names it.
struct TFilePlace {
  const std::string& File;
  int Line;
};

// The host's integer and real conversions (HostConv.h); a text that does not convert throws
// EConvertError("file, line 12: 'x1' is not a valid integer value").
int32_t FieldToInt(std::string_view text, const TFilePlace& at);
double FieldToFloat(std::string_view text, const TFilePlace& at);

// Throws EMapFileError("file, line 12: what").
[[noreturn]] void ThrowAt(const TFilePlace& at, const std::string& what);

// A file's text for a message: Shift_JIS decoded, cut after 40 bytes, in single quotes.
std::string QuoteFound(std::string_view text);

// The national-land records in the first bytes of a file: its header line ("NLA" or "GSI" in
// columns 4 to 13 of line 1) and how many "L" (line) and "P" (point) records are long enough to
// be ones. XML is never such a file.
struct TNationalLandRecords {
  bool Header = false;
  int Lines = 0;
  int Points = 0;
};
TNationalLandRecords CountNationalLandRecords(std::string_view head);

}  // namespace orvane
