// SPDX-License-Identifier: GPL-3.0-or-later
#include "s57/Iso8211.h"

#include <charconv>
#include <cstring>

namespace orvane {
namespace {

constexpr uint8_t kUnitTerminator = 0x1f;
constexpr uint8_t kFieldTerminator = 0x1e;
constexpr size_t kLeaderSize = 24;
// Far beyond any real format list; keeps a hostile "(9999(9999A))" from eating the memory.
constexpr size_t kMaxFormats = 4096;
// Real format lists nest two or three levels; the parser recurses once per level, so a hostile
// "((((..." must end long before the stack does.
constexpr int kMaxNesting = 32;

// A format list for a message: a hostile one may be tens of kilobytes long.
std::string QuoteFormats(std::string_view text) {
  constexpr size_t kMax = 60;
  return "\"" + std::string(text.substr(0, kMax)) + (text.size() > kMax ? "...\"" : "\"");
}

// Where the format list first opens a parenthesis deeper than the parser goes; npos when nowhere.
size_t TooDeep(std::string_view text) {
  int depth = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '(' && ++depth > kMaxNesting) return i;
    if (text[i] == ')') --depth;
  }
  return std::string_view::npos;
}

class TFormatParser {
public:
  TFormatParser(std::string_view text, std::string& error) : S_(text), Error_(error) {}

  std::vector<TDdfFormat> Parse() {
    std::vector<TDdfFormat> out;
    Skip();
    if (Peek() == '(') {
      ++P_;
      if (!List(out, 1) || !Expect(')')) return {};
    } else if (!List(out, 0)) {
      return {};
    }
    Skip();
    if (P_ != S_.size()) return Bad("unexpected text after the format list");
    return out;
  }

private:
  char Peek() const { return P_ < S_.size() ? S_[P_] : '\0'; }
  void Skip() {
    while (P_ < S_.size() && S_[P_] == ' ') ++P_;
  }
  std::vector<TDdfFormat> Bad(const std::string& why) {
    if (Error_.empty()) Error_ = why + " in " + QuoteFormats(S_);
    return {};
  }
  bool Expect(char c) {
    Skip();
    if (Peek() != c) {
      Bad(std::string("'") + c + "' expected");
      return false;
    }
    ++P_;
    return true;
  }
  bool Number(size_t& n) {
    const char* b = S_.data() + P_;
    const auto [end, ec] = std::from_chars(b, S_.data() + S_.size(), n);
    if (ec != std::errc() || end == b) return false;
    P_ += static_cast<size_t>(end - b);
    return true;
  }
  bool Append(std::vector<TDdfFormat>& out, const std::vector<TDdfFormat>& item, size_t count) {
    if (count == 0 || item.size() * count + out.size() > kMaxFormats) {
      Bad(count == 0 ? "repeat count 0" : "too many subfield formats");
      return false;
    }
    for (size_t i = 0; i < count; ++i) out.insert(out.end(), item.begin(), item.end());
    return true;
  }
  bool List(std::vector<TDdfFormat>& out, int depth) {
    if (depth > kMaxNesting) {
      Bad("format controls nested deeper than " + std::to_string(kMaxNesting) + " levels");
      return false;
    }
    for (;;) {
      Skip();
      size_t count = 1;
      if (Peek() >= '0' && Peek() <= '9' && !Number(count)) return Bad("bad repeat count"), false;
      std::vector<TDdfFormat> item;
      if (Peek() == '(') {
        ++P_;
        if (!List(item, depth + 1) || !Expect(')')) return false;
      } else {
        TDdfFormat f;
        if (!Atom(f)) return false;
        item.push_back(f);
      }
      if (!Append(out, item, count)) return false;
      Skip();
      if (Peek() != ',') return true;
      ++P_;
    }
  }
  bool Width(size_t& w) {
    if (Peek() != '(') return true;
    ++P_;
    if (!Number(w) || w == 0 || w > 100000) return Bad("bad subfield width"), false;
    return Expect(')');
  }
  bool Atom(TDdfFormat& f) {
    const char c = Peek();
    ++P_;
    switch (c) {
      case 'A':
      case 'C':
        f.Kind = TDdfFormat::TKind::Text;
        return Width(f.Width);
      case 'I':
        f.Kind = TDdfFormat::TKind::Int;
        return Width(f.Width);
      case 'R':
      case 'S':
        f.Kind = TDdfFormat::TKind::Real;
        return Width(f.Width);
      case 'B': {
        size_t bits = 0;
        if (!Width(bits)) return false;
        if (bits == 0 || bits % 8 != 0) return Bad("bit string width must be whole bytes"), false;
        f.Kind = TDdfFormat::TKind::Bits;
        f.Width = bits / 8;
        return true;
      }
      case 'b': {
        if (P_ + 2 > S_.size()) return Bad("binary format needs a type and a width"), false;
        const int type = S_[P_] - '0', width = S_[P_ + 1] - '0';
        P_ += 2;
        const bool intOk = (type == 1 || type == 2) && (width == 1 || width == 2 || width == 4 || width == 8);
        const bool realOk = type == 4 && (width == 4 || width == 8);
        if (!intOk && !realOk)
          return Bad("unsupported binary format b" + std::to_string(type) + std::to_string(width)), false;
        f.Kind = TDdfFormat::TKind::Binary;
        f.BinType = type;
        f.Width = static_cast<size_t>(width);
        return true;
      }
      default:
        Bad(c ? std::string("unknown format '") + c + "'" : std::string("format list ends too early"));
        return false;
    }
  }

  std::string_view S_;
  std::string& Error_;
  size_t P_ = 0;
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> SplitAt(std::string_view s, char sep) {
  std::vector<std::string_view> out;
  for (size_t p = 0;;) {
    const size_t q = s.find(sep, p);
    out.push_back(s.substr(p, q == std::string_view::npos ? std::string_view::npos : q - p));
    if (q == std::string_view::npos) return out;
    p = q + 1;
  }
}

std::string FormatReal(double v) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : std::string();
}

}  // namespace

std::vector<TDdfFormat> ParseFormatControls(std::string_view text, std::string& error) {
  error.clear();
  std::vector<TDdfFormat> out = TFormatParser(text, error).Parse();
  if (out.empty() && error.empty()) error = "no formats in " + QuoteFormats(text);
  return out;
}

TIso8211File::TIso8211File(std::string name, const std::vector<uint8_t>& bytes)
    : Name_(std::move(name)), Bytes_(bytes) {
  ReadDescriptiveRecord();
}

void TIso8211File::Fail(size_t offset, const std::string& cause) const {
  throw EIso8211Error(Name_ + ": byte " + std::to_string(offset) + ": " + cause);
}

const TDdfFieldDefn* TIso8211File::Defn(std::string_view tag) const {
  const auto it = Defns_.find(tag);
  return it == Defns_.end() ? nullptr : &it->second;
}

TIso8211File::TLeader TIso8211File::ReadLeader(size_t at, bool descriptive) const {
  const size_t left = Bytes_.size() - at;
  if (left < kLeaderSize) Fail(at, "record leader cut short: " + std::to_string(left) + " bytes where 24 are needed");
  auto digits = [&](size_t from, size_t n, const char* what) {
    size_t v = 0;
    for (size_t i = 0; i < n; ++i) {
      const uint8_t c = Bytes_[at + from + i];
      if (c < '0' || c > '9') Fail(at + from, std::string(what) + " in the record leader is not a number");
      v = v * 10 + (c - '0');
    }
    return v;
  };
  TLeader l{};
  l.Length = digits(0, 5, "record length");
  l.Id = static_cast<char>(Bytes_[at + 6]);
  l.FieldControlLength = descriptive ? digits(10, 2, "field control length") : 0;
  l.Base = digits(12, 5, "field area address");
  l.SizeLen = digits(20, 1, "size of field length");
  l.SizePos = digits(21, 1, "size of field position");
  l.SizeTag = digits(23, 1, "size of field tag");
  if (l.Length > left)
    Fail(at, "record length " + std::to_string(l.Length) + " runs past the end of the file (" + std::to_string(left) +
                 " bytes left)");
  if (descriptive ? l.Id != 'L' : l.Id != 'D' && l.Id != 'R')
    Fail(at + 6, std::string("leader identifier '") + l.Id + "' where " + (descriptive ? "'L'" : "'D' or 'R'") +
                     " was expected");
  if (l.Base < kLeaderSize + 1 || l.Base > l.Length)
    Fail(at + 12, "field area address " + std::to_string(l.Base) + " lies outside the record of " +
                      std::to_string(l.Length) + " bytes");
  if (l.SizeLen == 0 || l.SizePos == 0) Fail(at + 20, "directory entry sizes of 0");
  if (l.SizeTag != 4) Fail(at + 23, "field tags of " + std::to_string(l.SizeTag) + " characters, not 4");
  return l;
}

void TIso8211File::ReadDirectory(size_t at, const TLeader& l, std::vector<TDdfField>& fields) const {
  fields.clear();
  const size_t entry = l.SizeTag + l.SizeLen + l.SizePos;
  const size_t dirSize = l.Base - kLeaderSize - 1;
  if (Bytes_[at + l.Base - 1] != kFieldTerminator)
    Fail(at + l.Base - 1, "directory does not end with a field terminator");
  if (dirSize % entry != 0)
    Fail(at + kLeaderSize, "directory of " + std::to_string(dirSize) + " bytes is no whole number of " +
                               std::to_string(entry) + "-byte entries");
  const size_t area = l.Length - l.Base;
  for (size_t e = at + kLeaderSize; e < at + kLeaderSize + dirSize; e += entry) {
    auto number = [&](size_t from, size_t n) {
      size_t v = 0;
      for (size_t i = 0; i < n; ++i) {
        const uint8_t c = Bytes_[e + from + i];
        if (c < '0' || c > '9') Fail(e + from, "directory entry holds a character that is not a digit");
        v = v * 10 + (c - '0');
      }
      return v;
    };
    TDdfField f;
    f.Tag.assign(reinterpret_cast<const char*>(&Bytes_[e]), l.SizeTag);
    const size_t len = number(l.SizeTag, l.SizeLen);
    const size_t pos = number(l.SizeTag + l.SizeLen, l.SizePos);
    if (len == 0 || pos > area || len > area - pos)
      Fail(e, "field " + f.Tag + " of " + std::to_string(len) + " bytes at " + std::to_string(pos) +
                  " runs past the field area of " + std::to_string(area) + " bytes");
    f.Offset = at + l.Base + pos;
    f.Data = &Bytes_[f.Offset];
    f.Size = len;
    if (f.Data[f.Size - 1] == kFieldTerminator) --f.Size;
    f.Defn = Defn(f.Tag);
    fields.push_back(std::move(f));
  }
}

void TIso8211File::ReadDescriptiveRecord() {
  if (Bytes_.empty()) Fail(0, "the file is empty");
  const TLeader l = ReadLeader(0, true);
  std::vector<TDdfField> fields;
  ReadDirectory(0, l, fields);
  for (const TDdfField& f : fields) {
    if (f.Tag == "0000") continue;  // the file control field lists tag pairs we do not need
    if (f.Size < l.FieldControlLength) Fail(f.Offset, "field description " + f.Tag + " is shorter than its controls");
    const std::string_view body(reinterpret_cast<const char*>(f.Data) + l.FieldControlLength,
                                f.Size - l.FieldControlLength);
    const std::vector<std::string_view> parts = SplitAt(body, static_cast<char>(kUnitTerminator));
    TDdfFieldDefn d;
    d.Tag = f.Tag;
    d.Name = std::string(parts[0]);
    if (parts.size() > 1 && !parts[1].empty()) {
      for (std::string_view label : SplitAt(parts[1], '!')) {
        if (!label.empty() && label.front() == '*') {
          if (!d.Repeats()) d.RepeatFrom = d.Labels.size();
          label.remove_prefix(1);
        }
        d.Labels.emplace_back(label);
      }
    }
    if (parts.size() > 2) {
      // Refused at once, not when the field is met: no reader of this file should go near it.
      if (const size_t deep = TooDeep(parts[2]); deep != std::string_view::npos)
        Fail(f.Offset + static_cast<size_t>(parts[2].data() - reinterpret_cast<const char*>(f.Data)) + deep,
             "format controls of field " + f.Tag + " nested deeper than " + std::to_string(kMaxNesting) + " levels");
      d.Formats = ParseFormatControls(Trim(parts[2]), d.FormatError);
      // An elementary field has a format and no label.
      if (d.Labels.empty() && d.Formats.size() == 1) d.Labels.emplace_back();
      if (d.FormatError.empty() && d.Formats.size() != d.Labels.size())
        d.FormatError =
            std::to_string(d.Formats.size()) + " formats for " + std::to_string(d.Labels.size()) + " subfields";
    } else {
      d.FormatError = "no format controls";
    }
    Defns_[d.Tag] = std::move(d);
  }
  Pos_ = l.Length;
}

bool TIso8211File::Next(TDdfRecord& rec) {
  if (Pos_ >= Bytes_.size()) return false;
  const TLeader l = ReadLeader(Pos_, false);
  rec.Offset = Pos_;
  ReadDirectory(Pos_, l, rec.Fields);
  Pos_ += l.Length;
  return true;
}

void TIso8211File::Decode(const TDdfField& field, std::vector<TSubValue>& values, size_t& repeats) const {
  values.clear();
  repeats = 0;
  if (!field.Defn) Fail(field.Offset, "field " + field.Tag + " is not defined in the descriptive record");
  const TDdfFieldDefn& d = *field.Defn;
  if (!d.FormatError.empty()) Fail(field.Offset, "field " + field.Tag + ": " + d.FormatError);
  const uint8_t* data = field.Data;
  const size_t size = field.Size;
  size_t p = 0;
  auto one = [&](size_t i) {
    const TDdfFormat& f = d.Formats[i];
    TSubValue v;
    if (f.Kind == TDdfFormat::TKind::Binary || f.Kind == TDdfFormat::TKind::Bits || f.Width) {
      if (f.Width > size - p)
        Fail(field.Offset + p, "subfield " + d.Labels[i] + " of field " + field.Tag + " runs past the field's end");
    }
    if (f.Kind == TDdfFormat::TKind::Binary) {
      uint64_t u = 0;
      for (size_t k = 0; k < f.Width; ++k) u |= static_cast<uint64_t>(data[p + k]) << (8 * k);
      if (f.BinType == 4) {
        v.Kind = TSubValue::TKind::Real;
        if (f.Width == 4) {
          float x;
          const uint32_t u32 = static_cast<uint32_t>(u);
          std::memcpy(&x, &u32, 4);
          v.Text = FormatReal(x);
        } else {
          double x;
          std::memcpy(&x, &u, 8);
          v.Text = FormatReal(x);
        }
      } else {
        v.Kind = TSubValue::TKind::Int;
        if (f.BinType == 2 && f.Width < 8 && (u >> (8 * f.Width - 1)) & 1) u |= ~uint64_t{0} << (8 * f.Width);
        v.Int = static_cast<int64_t>(u);
      }
      p += f.Width;
    } else if (f.Kind == TDdfFormat::TKind::Bits) {
      v.Kind = TSubValue::TKind::Bits;
      v.Text.assign(reinterpret_cast<const char*>(data + p), f.Width);
      p += f.Width;
    } else {
      size_t n = f.Width;
      if (!n) {
        while (p + n < size && data[p + n] != kUnitTerminator && data[p + n] != kFieldTerminator) ++n;
      }
      const std::string_view text(reinterpret_cast<const char*>(data + p), n);
      p += n;
      if (!f.Width && p < size) ++p;  // the terminator
      const std::string_view t = f.Kind == TDdfFormat::TKind::Text ? text : Trim(text);
      if (f.Kind == TDdfFormat::TKind::Int && !t.empty()) {
        const auto [end, ec] = std::from_chars(t.data() + (t.front() == '+'), t.data() + t.size(), v.Int);
        v.Kind = ec == std::errc() && end == t.data() + t.size() ? TSubValue::TKind::Int : TSubValue::TKind::Text;
      } else if (!t.empty()) {
        v.Kind = f.Kind == TDdfFormat::TKind::Real ? TSubValue::TKind::Real : TSubValue::TKind::Text;
      }
      if (v.Kind != TSubValue::TKind::Int) v.Text = t;
    }
    values.push_back(std::move(v));
  };
  const size_t head = d.Repeats() ? d.RepeatFrom : d.Labels.size();
  for (size_t i = 0; i < head; ++i) one(i);
  if (!d.Repeats()) {
    repeats = 1;
    return;
  }
  while (p < size) {
    // Every subfield takes at least one byte (a fixed width or a terminator), so this ends.
    for (size_t i = d.RepeatFrom; i < d.Labels.size(); ++i) one(i);
    ++repeats;
  }
}

}  // namespace orvane
