// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/NtripProtocol.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <utility>

#include "net/NetAddress.h"

namespace orvane {
namespace {

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool PercentDecode(std::string_view in, std::string& out) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '%') {
      out += in[i];
      continue;
    }
    if (i + 2 >= in.size() || HexDigit(in[i + 1]) < 0 || HexDigit(in[i + 2]) < 0) return false;
    out += static_cast<char>(HexDigit(in[i + 1]) * 16 + HexDigit(in[i + 2]));
    i += 2;
  }
  return true;
}

// What a printable status line looks like in a message: at most a line, no control bytes.
std::string Printable(std::string_view s) {
  std::string out;
  for (const char c : s.substr(0, 120)) out += (c >= 0x20 && c < 0x7F) ? c : '?';
  return out;
}

std::vector<std::string_view> Fields(std::string_view line, char separator) {
  std::vector<std::string_view> fields;
  for (size_t start = 0;;) {
    const size_t end = line.find(separator, start);
    fields.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return fields;
}

bool Number(std::string_view s, double& value) {
  s = Trim(s);
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

}  // namespace

std::string TNtripConfig::Text() const {
  const bool v6 = Host.find(':') != std::string::npos;
  return (v6 ? "[" + Host + "]" : Host) + ":" + std::to_string(Port) + "/" + Mount;
}

bool ParseNtripUrl(std::string_view url, TNtripConfig& config, std::string& error) {
  url = Trim(url);
  const std::string quoted = QuotedAddress(url);
  if (!StartsWithNoCase(url, "ntrip://")) return (error = quoted + ": an NTRIP address begins with ntrip://"), false;
  std::string_view rest = url.substr(8);
  TNtripConfig c = config;
  c.User.clear();
  c.Password.clear();
  c.Port = kNtripPort;
  // The user part ends at the last "@" before the path: a password may hold "@" unescaped.
  const size_t slash = rest.find('/', rest.rfind('@') == std::string_view::npos ? 0 : rest.rfind('@'));
  const std::string_view authority = rest.substr(0, slash);
  c.Mount = slash == std::string_view::npos ? std::string() : std::string(rest.substr(slash + 1));
  std::string_view hostPort = authority;
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
    const std::string_view userInfo = authority.substr(0, at);
    hostPort = authority.substr(at + 1);
    const size_t colon = userInfo.find(':');
    if (!PercentDecode(userInfo.substr(0, colon), c.User) ||
        (colon != std::string_view::npos && !PercentDecode(userInfo.substr(colon + 1), c.Password)))
      return (error = quoted + ": a \"%\" in the user or password is not followed by two hexadecimal digits"), false;
  }
  if (hostPort.empty()) return (error = quoted + ": no caster host"), false;
  std::string why;
  if (!ParseHostPort(hostPort, c.Host, c.Port, why)) return (error = quoted + ": " + why), false;
  if (c.Host.empty()) return (error = quoted + ": no caster host"), false;
  while (!c.Mount.empty() && c.Mount.back() == '/') c.Mount.pop_back();
  if (c.Mount.empty()) return (error = quoted + ": no mountpoint (ntrip://HOST:PORT/MOUNT)"), false;
  for (const char ch : c.Mount)
    if (static_cast<unsigned char>(ch) <= 0x20 || ch == '/' || static_cast<unsigned char>(ch) >= 0x7F)
      return (error = quoted + ": a mountpoint holds no blank, \"/\" or control character"), false;
  config = std::move(c);
  return true;
}

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t v = static_cast<uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) v |= static_cast<uint8_t>(bytes[i + 2]);
    out += kDigits[(v >> 18) & 63];
    out += kDigits[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[v & 63] : '=';
  }
  return out;
}

std::string NtripRequest(const TNtripConfig& c, bool table) {
  std::string r = "GET /" + (table ? std::string() : c.Mount) + (c.Version == 1 ? " HTTP/1.0\r\n" : " HTTP/1.1\r\n");
  if (c.Version != 1) {
    const bool v6 = c.Host.find(':') != std::string::npos;
    r += "Host: " + (v6 ? "[" + c.Host + "]" : c.Host) + ":" + std::to_string(c.Port) + "\r\n";
    r += "Ntrip-Version: Ntrip/2.0\r\n";
  }
  // Casters of version 1.0 know a client by this prefix.
  r += "User-Agent: NTRIP Orvane\r\n";
  if (!c.User.empty()) r += "Authorization: Basic " + Base64(c.User + ":" + c.Password) + "\r\n";
  if (c.Version != 1) r += "Connection: close\r\n";
  r += "\r\n";
  return r;
}

// ---- chunks ----

bool TChunkedDecoder::Feed(std::string_view in, std::string& out) {
  for (size_t i = 0; i < in.size();) {
    const char c = in[i];
    switch (State) {
      case TState::Size: {
        const int d = HexDigit(c);
        if (d >= 0) {
          if (++Digits > 15) return (Error_ = "a chunk of the caster's answer is announced far too long"), false;
          Left = Left * 16 + static_cast<uint64_t>(d);
        } else if (Digits > 0 && (c == ';' || c == ' ' || c == '\t')) {
          State = TState::Extension;
        } else if (Digits > 0 && c == '\r') {
          State = TState::SizeLf;
        } else if (Digits > 0 && c == '\n') {
          State = Left ? TState::Data : TState::Trailer;
        } else {
          return (Error_ = "the caster's chunked answer is broken (no chunk size where one belongs)"), false;
        }
        ++i;
        break;
      }
      case TState::Extension:
        if (c == '\n') State = Left ? TState::Data : TState::Trailer;
        ++i;
        break;
      case TState::SizeLf:
        if (c != '\n') return (Error_ = "the caster's chunked answer is broken (CR without LF)"), false;
        State = Left ? TState::Data : TState::Trailer;
        ++i;
        break;
      case TState::Data: {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(Left, in.size() - i));
        out.append(in.substr(i, n));
        i += n;
        Left -= n;
        if (Left == 0) State = TState::DataCr;
        break;
      }
      case TState::DataCr:
        if (c == '\n') {
          State = TState::Size;
          Digits = 0;
        } else if (c == '\r') {
          State = TState::DataLf;
        } else {
          return (Error_ = "the caster's chunked answer is broken (a chunk is longer than announced)"), false;
        }
        ++i;
        break;
      case TState::DataLf:
        if (c != '\n') return (Error_ = "the caster's chunked answer is broken (CR without LF)"), false;
        State = TState::Size;
        Digits = 0;
        ++i;
        break;
      case TState::Trailer:
        if (c == '\n') {
          if (TrailerLineEmpty) State = TState::Done;
          TrailerLineEmpty = true;
        } else if (c != '\r') {
          TrailerLineEmpty = false;
        }
        ++i;
        break;
      case TState::Done:
        return true;  // nothing belongs after the last chunk
    }
  }
  return true;
}

// ---- the answer ----

bool TNtripReply::Refuse(std::string why) {
  Kind_ = TKind::Refused;
  Error_ = std::move(why);
  return false;
}

bool TNtripReply::Feed(std::string_view in, std::string& body) {
  if (Kind_ == TKind::Refused) return false;
  if (Kind_ != TKind::Pending && !AfterIcy) return Body(in, body);
  Head.append(in);
  if (AfterIcy) {
    // A caster of version 1.0 may send its data right after the status line, or a few header
    // lines first; corrections never begin with a letter or a line end.
    const unsigned char first = static_cast<unsigned char>(Head[0]);
    if (first == '\r' || first == '\n') {
      const size_t skip = Head.rfind("\r\n", 0) == 0 ? 2 : Head[0] == '\n' ? 1 : 0;
      if (skip == 0) return true;  // a lone CR: wait for what follows
      Head.erase(0, skip);
      AfterIcy = false;
    } else if (std::isalpha(first)) {
      const size_t end = Head.find("\r\n\r\n");
      if (end == std::string::npos)
        return Head.size() <= kMaxHead || Refuse("the caster's answer has no end of its head");
      Head.erase(0, end + 4);
      AfterIcy = false;
    } else {
      AfterIcy = false;
    }
    if (AfterIcy) return true;
    const std::string rest = std::exchange(Head, {});
    return Body(rest, body);
  }
  // The status line decides what follows.
  const size_t lineEnd = Head.find('\n');
  if (lineEnd == std::string::npos)
    return Head.size() <= kMaxHead || Refuse("the caster's answer has no line end: it is not an NTRIP caster");
  const std::string_view status = Trim(std::string_view(Head).substr(0, lineEnd));
  if (StartsWithNoCase(status, "ICY 200")) {
    Kind_ = TKind::Data;
    Status_ = 200;
    AfterIcy = true;
    Head.erase(0, lineEnd + 1);
    if (Head.empty()) return true;
    const std::string rest = std::exchange(Head, {});
    return Feed(rest, body);
  }
  if (!StartsWithNoCase(status, "HTTP/1.") && !StartsWithNoCase(status, "SOURCETABLE "))
    return Refuse("not an NTRIP caster: it answered \"" + Printable(status) + "\"");
  // A refusal is known by its status line; some casters close without a header block after it.
  if (StartsWithNoCase(status, "HTTP/1.") && status.substr(status.find(' ') + 1, 3) != "200") return ParseHead(status);
  // The head ends at the first blank line, CR LF or LF alone, wherever the bytes were cut.
  const size_t crlf = Head.find("\r\n\r\n"), lf = Head.find("\n\n");
  const bool lfFirst = lf != std::string::npos && (crlf == std::string::npos || lf + 2 < crlf + 4);
  const size_t end = lfFirst ? lf : crlf;
  const size_t endLen = lfFirst ? 2 : 4;
  if (end == std::string::npos || end > kMaxHead)
    return (end == std::string::npos && Head.size() <= kMaxHead) ||
           Refuse("the caster's answer has no end of its head");
  const std::string head = Head.substr(0, end);
  const std::string rest = Head.substr(end + endLen);
  Head.clear();
  if (!ParseHead(head)) return false;
  return rest.empty() || Body(rest, body);
}

bool TNtripReply::ParseHead(std::string_view head) {
  const size_t lineEnd = head.find('\n');
  const std::string_view status = Trim(head.substr(0, lineEnd));
  bool table = false;
  if (StartsWithNoCase(status, "SOURCETABLE 200")) {
    Status_ = 200;
    table = true;
  } else if (StartsWithNoCase(status, "HTTP/1.")) {
    const size_t space = status.find(' ');
    int code = 0;
    const std::string_view digits = space == std::string_view::npos ? std::string_view() : status.substr(space + 1, 3);
    const auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), code);
    if (ec != std::errc() || p != digits.data() + 3)
      return Refuse("the caster's answer \"" + Printable(status) + "\" has no status code");
    Status_ = code;
  } else {
    return Refuse("not an NTRIP caster: it answered \"" + Printable(status) + "\"");
  }
  std::string_view rest = lineEnd == std::string_view::npos ? std::string_view() : head.substr(lineEnd + 1);
  while (!rest.empty()) {
    const size_t e = rest.find('\n');
    const std::string_view line = Trim(rest.substr(0, e));
    rest.remove_prefix(e == std::string_view::npos ? rest.size() : e + 1);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = Trim(line.substr(0, colon)), value = Trim(line.substr(colon + 1));
    if (StartsWithNoCase(name, "Content-Type") && StartsWithNoCase(value, "gnss/sourcetable")) table = true;
    if (StartsWithNoCase(name, "Transfer-Encoding") && StartsWithNoCase(value, "chunked")) Chunked_ = true;
  }
  const std::string what = Mount.empty() ? std::string("the sourcetable") : "mountpoint \"" + Mount + "\"";
  switch (Status_) {
    case 200:
      break;
    case 401:
      return Refuse("the caster refused the user name or password for " + what + " (401 Unauthorized)");
    case 403:
      return Refuse("the caster forbids " + what + " to this user (403 Forbidden)");
    case 404:
      return Refuse("the caster has no " + what + " (404 Not Found)");
    default:
      return Refuse("the caster answered \"" + Printable(status) + "\" for " + what);
  }
  Kind_ = table ? TKind::Sourcetable : TKind::Data;
  // Asked for a stream, a caster that does not know the mountpoint sends its table instead.
  if (table && !Mount.empty())
    return Refuse("the caster has no mountpoint \"" + Mount + "\": it sent its sourcetable instead");
  return true;
}

bool TNtripReply::Body(std::string_view in, std::string& body) {
  if (!Chunked_) {
    body.append(in);
    return true;
  }
  if (!Chunks.Feed(in, body)) return Refuse(Chunks.Error());
  return true;
}

// ---- the sourcetable ----

std::vector<TMountpoint> ParseSourcetable(std::string_view text) {
  std::vector<TMountpoint> table;
  while (!text.empty()) {
    const size_t e = text.find('\n');
    const std::string_view line = Trim(text.substr(0, e));
    text.remove_prefix(e == std::string_view::npos ? text.size() : e + 1);
    if (!StartsWithNoCase(line, "STR;")) continue;
    const std::vector<std::string_view> f = Fields(line, ';');
    if (f.size() < 2 || Trim(f[1]).empty()) continue;
    TMountpoint m;
    auto at = [&f](size_t i) { return i < f.size() ? std::string(Trim(f[i])) : std::string(); };
    m.Mount = at(1);
    m.Identifier = at(2);
    m.Format = at(3);
    m.FormatDetails = at(4);
    m.Network = at(7);
    m.Country = at(8);
    m.HasPosition = f.size() > 10 && Number(f[9], m.Lat) && Number(f[10], m.Lon) && std::abs(m.Lat) <= 90 &&
                    std::abs(m.Lon) <= 360 && !(m.Lat == 0 && m.Lon == 0);
    if (m.Lon > 180) m.Lon -= 360;
    m.Nmea = at(11) == "1";
    m.Authentication = at(15);
    table.push_back(std::move(m));
  }
  return table;
}

bool SourcetableEnded(std::string_view text) {
  const size_t at = text.find("ENDSOURCETABLE");
  return at != std::string_view::npos && (at == 0 || text[at - 1] == '\n');
}

bool GgaPosition(std::string_view gga, double& lat, double& lon) {
  const std::vector<std::string_view> f = Fields(gga, ',');
  double la = 0, lo = 0;
  if (f.size() < 7 || !Number(f[2], la) || !Number(f[4], lo) || f[6].empty() || f[6][0] == '0') return false;
  lat = std::floor(la / 100) + std::fmod(la, 100) / 60;
  lon = std::floor(lo / 100) + std::fmod(lo, 100) / 60;
  if (f[3] == "S") lat = -lat;
  if (f[5] == "W") lon = -lon;
  return std::abs(lat) <= 90 && std::abs(lon) <= 180;
}

double DistanceKm(double lat1, double lon1, double lat2, double lon2) {
  constexpr double kRad = 3.14159265358979323846 / 180, kEarthKm = 6371.0088;
  const double dLat = (lat2 - lat1) * kRad, dLon = (lon2 - lon1) * kRad;
  const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                   std::cos(lat1 * kRad) * std::cos(lat2 * kRad) * std::sin(dLon / 2) * std::sin(dLon / 2);
  return 2 * kEarthKm * std::asin(std::min(1.0, std::sqrt(a)));
}

void SortByDistance(std::vector<TMountpoint>& table, double lat, double lon) {
  for (TMountpoint& m : table) m.DistanceKm = m.HasPosition ? DistanceKm(lat, lon, m.Lat, m.Lon) : -1;
  std::stable_sort(table.begin(), table.end(), [](const TMountpoint& a, const TMountpoint& b) {
    if ((a.DistanceKm < 0) != (b.DistanceKm < 0)) return b.DistanceKm < 0;
    return a.DistanceKm < b.DistanceKm;
  });
}

}  // namespace orvane
