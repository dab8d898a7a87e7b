// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ShiftJis.h"

#include <iconv.h>
#include <cerrno>

namespace orvane {

namespace {

// One conversion descriptor per direction and thread: iconv_open is costly, labels are many.
class TIconv {
public:
  TIconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~TIconv() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  // Converts all of `in`; on an invalid or incomplete sequence calls `bad` with the
  // offending input and skips one byte. False when `bad` asks to stop or iconv is missing.
  template <class Bad>
  bool Convert(std::string_view in, std::string& out, Bad bad) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char buffer[1024];
    while (left > 0) {
      char* dst = buffer;
      size_t room = sizeof buffer;
      const size_t r = iconv(cd_, &src, &left, &dst, &room);
      out.append(buffer, static_cast<size_t>(dst - buffer));
      if (r == static_cast<size_t>(-1) && errno != E2BIG) {
        if (!bad(out)) return false;
        ++src;
        --left;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return true;
  }

private:
  iconv_t cd_;
};

}  // namespace

size_t FindSjisChar(std::string_view text, unsigned char lead, unsigned char trail) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (!IsSjisLeadByte(c)) continue;
    if (i + 1 < text.size() && c == lead && static_cast<unsigned char>(text[i + 1]) == trail) return i;
    ++i;  // the trail byte is part of this character
  }
  return std::string_view::npos;
}

std::string SjisToUtf8(std::string_view sjis) {
  thread_local TIconv cd("UTF-8", "CP932");
  std::string out;
  out.reserve(sjis.size() * 3 / 2);
  if (!cd.Convert(sjis, out, [](std::string& o) {
        o += "\xEF\xBF\xBD";
        return true;
      }))
    return std::string(sjis);
  return out;
}

std::optional<std::string> Utf8ToSjis(std::string_view utf8) {
  thread_local TIconv cd("CP932", "UTF-8");
  std::string out;
  if (!cd.Convert(utf8, out, [](std::string&) { return false; })) return std::nullopt;
  return out;
}

}  // namespace orvane
