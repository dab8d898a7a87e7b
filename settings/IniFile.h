// SPDX-License-Identifier: GPL-3.0-or-later
// The INI layer, with the semantics of the other platform's private-profile functions: section
// and key names compare without regard to case, blanks around names and values do not count, a
// value read is at most 2047 characters, and a write changes the one line of its key (or adds
// it, with its section when that is missing) while every other byte of the file stays as it was:
// comments, hand-made sections, line ends, a missing last line end.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

constexpr size_t kIniValueMax = 2047;

// A settings file that could not be read or written; the message names the file and the cause.
class EIniFileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The text of one INI file and the rules over it, without any file access.
class TIniText {
public:
  TIniText() = default;
  explicit TIniText(std::string_view text);

  // The file's bytes, exactly as given where nothing was written.
  std::string Text() const;

  // The value of the first key of that name in the first section of that name.
  bool Find(std::string_view section, std::string_view key, std::string& value) const;
  bool SectionExists(std::string_view section) const;
  // The section's keys as "name=value" lines in file order (comments and lines without a
  // name and "=" left out). An absent section gives an empty list.
  std::vector<std::string> SectionValues(std::string_view section) const;
  std::vector<std::string> SectionNames() const;

  // Line breaks in a value would start new lines of the file; the value is cut before the first.
  void Set(std::string_view section, std::string_view key, std::string_view value);

private:
  struct TLine {
    std::string text;  // without its line end
    std::string eol;   // "\n", "\r\n" or "" (the last line of a file without a final line end)
  };

  // Index of the header line of the first section of that name, or npos.
  size_t FindSection(std::string_view section) const;
  // One past the last line of the section whose header is at `header`.
  size_t SectionEnd(size_t header) const;
  std::string Eol() const;

  std::vector<TLine> lines_;
};

// One INI file. The file is read when the object is made (a missing file reads as empty); every
// write replaces the file as a whole and atomically: a temporary file beside it is written,
// flushed and renamed over it, so the old file stays intact when anything fails.
class TIniFile {
public:
  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return fileName_; }
  // Why an existing file could not be read (reads then give the defaults), empty otherwise.
  const std::string& ReadError() const { return readError_; }

  std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
  // Decimal, or hexadecimal after "$" or "0x"; a text that is not a number gives the default.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
  // An integer; non-zero is true.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  bool SectionExists(std::string_view section) const { return text_.SectionExists(section); }
  bool ValueExists(std::string_view section, std::string_view key) const;
  std::vector<std::string> ReadSectionValues(std::string_view section) const;

  // Each write reaches the disk at once, unless it falls between BeginUpdate and EndUpdate,
  // which write the file once at the end. Failures raise EIniFileError.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  void BeginUpdate() { ++updating_; }
  // The permission bits the next writes give the file (0600 for one that holds a password).
  void SetFileMode(int mode) { mode_ = mode; }
  void EndUpdate();

private:
  void Flush();

  std::string fileName_;
  TIniText text_;
  // The file exists but could not be read: writing would replace content never seen.
  std::string readError_;
  int updating_ = 0;
  int mode_ = -1;
  bool dirty_ = false;
};

// Replaces a file's content atomically (temporary file in the same folder, flushed, renamed).
// A symbolic link is followed, so the file it points to is replaced and the link stays. An
// existing file keeps its permission bits; a new one gets the usual ones for the user's umask.
void ReplaceFileContent(const std::string& fileName, std::string_view content, int mode = -1);

}  // namespace orvane
