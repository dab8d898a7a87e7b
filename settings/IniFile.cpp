// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/IniFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/HostConv.h"
#include "common/ReplaceFile.h"

namespace orvane {
namespace {

// Far beyond any settings file; a bigger one is not ours and is not taken into memory.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

enum class TKind { Blank, Comment, Section, Key, Other };

struct TParsed {
  TKind kind = TKind::Blank;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // key value, trimmed
};

TParsed Parse(std::string_view text) {
  TParsed p;
  const std::string_view t = Trim(text);
  if (t.empty()) return p;
  if (t.front() == ';') {
    p.kind = TKind::Comment;
    return p;
  }
  if (t.front() == '[') {
    const size_t close = t.find(']');
    if (close != std::string_view::npos) {
      p.kind = TKind::Section;
      p.name = Trim(t.substr(1, close - 1));
      return p;
    }
  }
  const size_t eq = t.find('=');
  if (eq != std::string_view::npos && !Trim(t.substr(0, eq)).empty()) {
    p.kind = TKind::Key;
    p.name = Trim(t.substr(0, eq));
    p.value = Trim(t.substr(eq + 1));
    return p;
  }
  p.kind = TKind::Other;
  return p;
}

std::string CutValue(std::string_view v) { return std::string(v.substr(0, kIniValueMax)); }

void CheckName(std::string_view name, std::string_view forbidden, const char* what) {
  if (Trim(name).empty() || name.find_first_of(forbidden) != std::string_view::npos)
    throw std::invalid_argument(std::string("not a usable INI ") + what + " name: \"" + std::string(name) + "\"");
}

std::string Quoted(const std::string& fileName) { return "\"" + fileName + "\""; }

}  // namespace

TIniText::TIniText(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos) {
      lines_.push_back({std::string(text.substr(pos)), ""});
      break;
    }
    size_t end = nl;
    const bool crlf = end > pos && text[end - 1] == '\r';
    if (crlf) --end;
    lines_.push_back({std::string(text.substr(pos, end - pos)), crlf ? "\r\n" : "\n"});
    pos = nl + 1;
  }
}

std::string TIniText::Text() const {
  std::string s;
  for (const TLine& l : lines_) {
    s += l.text;
    s += l.eol;
  }
  return s;
}

size_t TIniText::FindSection(std::string_view section) const {
  const std::string_view want = Trim(section);
  for (size_t i = 0; i < lines_.size(); ++i) {
    const TParsed p = Parse(lines_[i].text);
    if (p.kind == TKind::Section && SameName(p.name, want)) return i;
  }
  return std::string::npos;
}

size_t TIniText::SectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && Parse(lines_[i].text).kind != TKind::Section) ++i;
  return i;
}

std::string TIniText::Eol() const {
  for (const TLine& l : lines_)
    if (!l.eol.empty()) return l.eol;
  return "\n";
}

bool TIniText::Find(std::string_view section, std::string_view key, std::string& value) const {
  const size_t header = FindSection(section);
  if (header == std::string::npos) return false;
  const std::string_view want = Trim(key);
  const size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    const TParsed p = Parse(lines_[i].text);
    if (p.kind == TKind::Key && SameName(p.name, want)) {
      value.assign(p.value);
      return true;
    }
  }
  return false;
}

bool TIniText::SectionExists(std::string_view section) const { return FindSection(section) != std::string::npos; }

std::vector<std::string> TIniText::SectionValues(std::string_view section) const {
  std::vector<std::string> out;
  const size_t header = FindSection(section);
  if (header == std::string::npos) return out;
  const size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    const TParsed p = Parse(lines_[i].text);
    if (p.kind == TKind::Key) out.push_back(std::string(p.name) + "=" + CutValue(p.value));
  }
  return out;
}

std::vector<std::string> TIniText::SectionNames() const {
  std::vector<std::string> out;
  for (const TLine& l : lines_) {
    const TParsed p = Parse(l.text);
    if (p.kind == TKind::Section) out.emplace_back(p.name);
  }
  return out;
}

void TIniText::Set(std::string_view section, std::string_view key, std::string_view value) {
  CheckName(section, "]\r\n", "section");
  CheckName(key, "=\r\n", "key");
  section = Trim(section);
  key = Trim(key);
  // A value ends at a line end, and blanks at its ends are not read back: written without them,
  // what is read is what was written.
  value = Trim(value.substr(0, value.find_first_of("\r\n")));
  const std::string eol = Eol();

  size_t header = FindSection(section);
  if (header == std::string::npos) {
    if (!lines_.empty()) {
      if (lines_.back().eol.empty()) lines_.back().eol = eol;
      if (!Trim(lines_.back().text).empty()) lines_.push_back({"", eol});
    }
    lines_.push_back({"[" + std::string(section) + "]", eol});
    lines_.push_back({std::string(key) + "=" + std::string(value), eol});
    return;
  }
  const size_t end = SectionEnd(header);
  size_t insertAfter = header;
  for (size_t i = header + 1; i < end; ++i) {
    const TParsed p = Parse(lines_[i].text);
    if (p.kind == TKind::Key && SameName(p.name, key)) {
      // The key keeps its spelling; only its line changes.
      lines_[i].text = std::string(p.name) + "=" + std::string(value);
      return;
    }
    // A new key goes after the section's last entry, before the blank lines and comments that
    // lead to the next section.
    if (p.kind == TKind::Key || p.kind == TKind::Other) insertAfter = i;
  }
  if (lines_[insertAfter].eol.empty()) lines_[insertAfter].eol = eol;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAfter + 1),
                {std::string(key) + "=" + std::string(value), eol});
}

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
  // Non-blocking, so that a FIFO under the settings name cannot hang the start.
  const int fd = ::open(fileName_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno != ENOENT) readError_ = std::strerror(errno);
    return;
  }
  struct stat st {};
  std::string content;
  if (fstat(fd, &st) != 0) {
    readError_ = std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    readError_ = "not a regular file";
  } else if (st.st_size > kMaxFileSize) {
    readError_ = "file too large";
  } else {
    char buf[65536];
    for (;;) {
      const ssize_t n = ::read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        readError_ = std::strerror(errno);
        break;
      }
      if (n == 0) break;
      content.append(buf, static_cast<size_t>(n));
      if (content.size() > static_cast<size_t>(kMaxFileSize)) {
        readError_ = "file too large";
        break;
      }
    }
  }
  ::close(fd);
  if (readError_.empty()) text_ = TIniText(content);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
  std::string value;
  if (!text_.Find(section, key, value)) return std::string(defaultValue);
  if (value.size() > kIniValueMax) value.resize(kIniValueMax);
  return value;
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const {
  int32_t v = 0;
  return TryStrToInt(ReadString(section, key, ""), v) ? v : defaultValue;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
  std::string value;
  return text_.Find(section, key, value);
}

std::vector<std::string> TIniFile::ReadSectionValues(std::string_view section) const {
  return text_.SectionValues(section);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  text_.Set(section, key, value);
  dirty_ = true;
  if (updating_ == 0) Flush();
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniFile::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0 && dirty_) Flush();
}

void TIniFile::Flush() {
  if (!readError_.empty())
    throw EIniFileError("Cannot write " + Quoted(fileName_) + ": its content could not be read (" + readError_ + ")");
  ReplaceFileContent(fileName_, text_.Text(), mode_);
  dirty_ = false;
}

void ReplaceFileContent(const std::string& fileName, std::string_view content, int mode) {
  try {
    ReplaceFile(fileName, content, mode);
  } catch (const EFileWriteError& e) {
    throw EIniFileError(e.what());
  }
}

}  // namespace orvane
