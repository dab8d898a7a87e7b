// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/GpxFile.h"

#include <cmath>
#include <cstdlib>
#include <optional>

#include "common/HostConv.h"
#include "common/ShiftJis.h"
#include "maps/MapFile.h"

namespace orvane {
namespace {

// The local part of a qualified name: "gpxx:Address" is "Address".
std::string_view Local(std::string_view name) {
  const size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

void AppendUtf8(std::string& out, unsigned long cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Character data with the five predefined entities and character references replaced; any
// other "&" stays as it is.
void AppendDecoded(std::string& out, std::string_view s) {
  static constexpr struct {
    std::string_view name;
    char c;
  } kEntities[] = {{"lt;", '<'}, {"gt;", '>'}, {"amp;", '&'}, {"quot;", '"'}, {"apos;", '\''}};
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
      continue;
    }
    const std::string_view rest = s.substr(i + 1);
    bool done = false;
    for (const auto& e : kEntities) {
      if (rest.substr(0, e.name.size()) == e.name) {
        out += e.c;
        i += e.name.size();
        done = true;
        break;
      }
    }
    if (done) continue;
    if (!rest.empty() && rest[0] == '#') {
      const size_t semi = rest.find(';');
      if (semi != std::string_view::npos && semi > 1 && semi < 12) {
        const bool hex = rest[1] == 'x' || rest[1] == 'X';
        const std::string digits(rest.substr(hex ? 2 : 1, semi - (hex ? 2 : 1)));
        char* end = nullptr;
        const unsigned long cp = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
        if (!digits.empty() && end && *end == '\0') {
          AppendUtf8(out, cp);
          i += semi + 1;
          continue;
        }
      }
    }
    out += '&';
  }
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// The encodings that GPS software writes GPX in; texts are kept as UTF-8.
enum class TEncoding { Utf8, Latin1, Windows1252, ShiftJis };

std::optional<TEncoding> EncodingNamed(std::string_view name) {
  std::string n;
  for (char c : name)
    if (c != '-' && c != '_') n += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  static constexpr struct {
    std::string_view name;
    TEncoding encoding;
  } kNames[] = {
      {"UTF8", TEncoding::Utf8},           {"USASCII", TEncoding::Utf8},      {"ASCII", TEncoding::Utf8},
      {"ISO88591", TEncoding::Latin1},     {"LATIN1", TEncoding::Latin1},     {"WINDOWS1252", TEncoding::Windows1252},
      {"CP1252", TEncoding::Windows1252},  {"SHIFTJIS", TEncoding::ShiftJis}, {"SJIS", TEncoding::ShiftJis},
      {"WINDOWS31J", TEncoding::ShiftJis}, {"CP932", TEncoding::ShiftJis}};
  for (const auto& k : kNames)
    if (n == k.name) return k.encoding;
  return std::nullopt;
}

// Bytes 0x80-0x9F of windows-1252; the rest of its upper half is ISO-8859-1.
constexpr unsigned short kWindows1252[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                             0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

void AppendAsUtf8(std::string& out, std::string_view s, TEncoding encoding) {
  switch (encoding) {
    case TEncoding::Utf8:
      out.append(s);
      break;
    case TEncoding::ShiftJis:
      out += SjisToUtf8(s);
      break;
    case TEncoding::Latin1:
    case TEncoding::Windows1252:
      for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
          out += ch;
        else
          AppendUtf8(out, encoding == TEncoding::Windows1252 && c < 0xA0 ? kWindows1252[c - 0x80] : c);
      }
      break;
  }
}
bool IsNameChar(char c) { return !IsSpace(c) && c != '>' && c != '/' && c != '=' && c != '<' && c != '\0'; }

// One tag: its name, its attributes as raw views, and whether it opens, closes or is empty.
struct TTag {
  std::string_view Name;
  std::vector<std::pair<std::string_view, std::string_view>> Attributes;
  bool Closing = false;
  bool SelfClosing = false;

  const std::string_view* Attribute(std::string_view name) const {
    for (const auto& a : Attributes)
      if (Local(a.first) == name) return &a.second;
    return nullptr;
  }
};

class TGpxReader {
public:
  TGpxReader(std::string_view text, const std::string& file) : text_(text), file_(file) {}

  TGpxData Read() {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    if (text_.substr(0, 2) == "\xFF\xFE" || text_.substr(0, 2) == "\xFE\xFF")
      Fail("UTF-16 text is not read; save the file as UTF-8");
    bool sawRoot = false;
    while (pos_ < text_.size()) {
      const size_t lt = text_.find('<', pos_);
      if (lt == std::string_view::npos) {
        Text(text_.substr(pos_));
        pos_ = text_.size();
        break;
      }
      Text(text_.substr(pos_, lt - pos_));
      pos_ = lt;
      if (Starts("<?xml") && !sawRoot && stack_.empty()) {
        const size_t start = pos_;
        Skip("?>");
        Declaration(text_.substr(start, pos_ - start));
      } else if (Starts("<?")) {
        Skip("?>");
      } else if (Starts("<!--")) {
        Skip("-->");
      } else if (Starts("<![CDATA[")) {
        const size_t start = pos_ + 9;
        Skip("]]>");
        // Character data as it stands: no entity in it is replaced.
        if (inName_) AppendAsUtf8(name_, text_.substr(start, pos_ - 3 - start), encoding_);
      } else if (Starts("<!")) {
        // A document type declaration: passed over, its entities never defined or used.
        Skip(">");
      } else {
        TTag tag = ReadTag();
        if (!tag.Closing && stack_.empty()) {
          if (sawRoot) Fail("more than one root element");
          if (Local(tag.Name) != "gpx") Fail("the root element is <" + std::string(tag.Name) + ">, not <gpx>");
          sawRoot = true;
        }
        if (tag.Closing)
          Close(tag);
        else
          Open(tag);
      }
    }
    if (!sawRoot) Fail("no <gpx> element");
    if (!stack_.empty()) Fail("the file ends inside <" + std::string(stack_.back()) + ">");
    return std::move(data_);
  }

private:
  bool Starts(std::string_view s) const { return text_.substr(pos_, s.size()) == s; }

  void Skip(std::string_view end) {
    const size_t at = text_.find(end, pos_);
    if (at == std::string_view::npos) Fail("unterminated markup");
    pos_ = at + end.size();
  }

  int Line() const {
    int line = 1;
    for (size_t i = 0; i < pos_ && i < text_.size(); ++i) line += text_[i] == '\n';
    return line;
  }

  [[noreturn]] void Fail(const std::string& what) const { ThrowAt({file_, Line()}, what); }

  TTag ReadTag() {
    TTag tag;
    ++pos_;  // '<'
    if (pos_ < text_.size() && text_[pos_] == '/') {
      tag.Closing = true;
      ++pos_;
    }
    const size_t start = pos_;
    while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
    tag.Name = text_.substr(start, pos_ - start);
    if (tag.Name.empty()) Fail("a tag without a name");
    for (;;) {
      while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
      if (pos_ >= text_.size()) Fail("the file ends inside <" + std::string(tag.Name) + ">");
      const char c = text_[pos_];
      if (c == '>') {
        ++pos_;
        return tag;
      }
      if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '>' && !tag.Closing) {
        tag.SelfClosing = true;
        pos_ += 2;
        return tag;
      }
      if (tag.Closing) Fail("unexpected text in </" + std::string(tag.Name) + ">");
      const size_t nameStart = pos_;
      while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
      const std::string_view name = text_.substr(nameStart, pos_ - nameStart);
      while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
      if (name.empty() || pos_ >= text_.size() || text_[pos_] != '=')
        Fail("an attribute without a value in <" + std::string(tag.Name) + ">");
      ++pos_;
      while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
      if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\''))
        Fail("an attribute value without quotes in <" + std::string(tag.Name) + ">");
      const char quote = text_[pos_++];
      const size_t end = text_.find(quote, pos_);
      if (end == std::string_view::npos) Fail("an unterminated attribute value");
      tag.Attributes.emplace_back(name, text_.substr(pos_, end - pos_));
      pos_ = end + 1;
    }
  }

  double Coordinate(const TTag& tag, std::string_view name, int limit) const {
    const std::string_view* raw = tag.Attribute(name);
    if (!raw) Fail("<" + std::string(tag.Name) + "> without " + std::string(name));
    std::string text;
    AppendDecoded(text, *raw);
    double v = 0;
    if (!TryStrToFloat(text, v) || !std::isfinite(v) || std::fabs(v) > limit)
      Fail(std::string(name) + " " + QuoteFound(text) + " of <" + std::string(tag.Name) + "> is not a number from " +
           std::to_string(-static_cast<int>(limit)) + " to " + std::to_string(static_cast<int>(limit)));
    return v;
  }

  // The encoding that the XML declaration names; UTF-8 without one.
  void Declaration(std::string_view decl) {
    const size_t at = decl.find("encoding");
    if (at == std::string_view::npos) return;
    std::string_view rest = Trimmed(decl.substr(at + 8));
    if (rest.empty() || rest[0] != '=') return;
    rest = Trimmed(rest.substr(1));
    if (rest.empty() || (rest[0] != '"' && rest[0] != '\'')) return;
    const size_t end = rest.find(rest[0], 1);
    const std::string_view name = rest.substr(1, end == std::string_view::npos ? 0 : end - 1);
    const std::optional<TEncoding> e = EncodingNamed(name);
    if (!e) Fail("encoding " + QuoteFound(name) + " is not read (UTF-8, ISO-8859-1, windows-1252 or Shift_JIS)");
    encoding_ = *e;
  }

  void Open(const TTag& tag) {
    const std::string_view name = Local(tag.Name);
    const std::string_view parent = stack_.empty() ? std::string_view() : Local(stack_.back());
    const bool passedOver = passOverAt_ != 0;
    if (!passedOver) {
      if (name == "wpt" && parent == "gpx") {
        data_.Waypoints.push_back({Coordinate(tag, "lat", 90), Coordinate(tag, "lon", 180), {}});
        inWaypoint_ = true;
      } else if (name == "rte" && parent == "gpx") {
        data_.Lines.push_back({TGpxLineKind::Route, {}});
      } else if (name == "trkseg" && parent == "trk") {
        data_.Lines.push_back({TGpxLineKind::Track, {}});
      } else if (((name == "rtept" && parent == "rte") || (name == "trkpt" && parent == "trkseg")) &&
                 !data_.Lines.empty()) {
        data_.Lines.back().Points.push_back({Coordinate(tag, "lat", 90), Coordinate(tag, "lon", 180)});
      } else if (name == "name" && parent == "wpt" && inWaypoint_ && !data_.Waypoints.empty()) {
        inName_ = true;
        name_.clear();
      }
    }
    if (tag.SelfClosing) {
      if (!passedOver) Ended(name);
      return;
    }
    stack_.push_back(tag.Name);
    // Everything under <extensions> is passed over. Kept as a depth, so that a deeply nested
    // file costs no more than a flat one.
    if (!passedOver && name == "extensions") passOverAt_ = stack_.size();
  }

  void Close(const TTag& tag) {
    if (stack_.empty() || stack_.back() != tag.Name)
      Fail("</" + std::string(tag.Name) + "> does not close " +
           (stack_.empty() ? std::string("anything") : "<" + std::string(stack_.back()) + ">"));
    if (stack_.size() == passOverAt_) passOverAt_ = 0;
    stack_.pop_back();
    if (passOverAt_ == 0) Ended(Local(tag.Name));
  }

  void Ended(std::string_view name) {
    if (name == "name" && inName_) {
      inName_ = false;
      data_.Waypoints.back().Name = Trimmed(name_);
    } else if (name == "wpt") {
      inWaypoint_ = false;
    } else if ((name == "rte" || name == "trkseg") && !data_.Lines.empty() && data_.Lines.back().Points.empty()) {
      data_.Lines.pop_back();
    }
  }

  void Text(std::string_view s) {
    if (!inName_) return;
    std::string text;
    AppendAsUtf8(text, s, encoding_);
    AppendDecoded(name_, text);
  }

  std::string_view text_;
  const std::string& file_;
  size_t pos_ = 0;
  TEncoding encoding_ = TEncoding::Utf8;
  std::vector<std::string_view> stack_;
  size_t passOverAt_ = 0;  // the depth of the open <extensions>, 0 outside one
  TGpxData data_;
  bool inWaypoint_ = false, inName_ = false;
  std::string name_;
};

}  // namespace

bool LooksLikeXml(std::string_view text) {
  size_t i = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  return i < text.size() && text[i] == '<';
}

TGpxData ReadGpx(std::string_view text, const std::string& file) { return TGpxReader(text, file).Read(); }

}  // namespace orvane
