// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/GpxFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>

#include "common/HostConv.h"
#include "common/LoadCancel.h"
#include "common/ScopeGuard.h"
#include "common/ShiftJis.h"
#include "maps/MapFile.h"

// The entity-expansion limits are declared only beside the DTD support they guard.
#ifdef ORVANE_EXPAT_ENTITY_LIMITS
#define XML_DTD
#endif
#include <expat.h>

namespace orvane {
namespace {

constexpr size_t kPiece = 64 * 1024;

// Far more than a GPX file needs at once (a piece of the file, the open elements, a name) and
// far less than hostile markup would take: one start tag of millions of attributes, or elements
// nested millions deep, which the parser has to hold whole.
constexpr size_t kParserBound = size_t{64} << 20;

// Entity expansion: the parser refuses output more than this many times its input, once the
// expansion passes the threshold.
constexpr float kMaxAmplification = 100.0f;
constexpr unsigned long long kAmplificationThreshold = 1u << 20;

// ---- the parser's memory, counted per reader -------------------------------------------------

struct TAllocCount {
  size_t Used = 0;
  bool Refused = false;
};

// The reader whose parser runs on this thread; the allocation functions take no context.
thread_local TAllocCount* tCount = nullptr;

// Each block carries its size in front of it, for free and realloc to count.
constexpr size_t kHeader = alignof(std::max_align_t);

size_t& SizeOf(void* block) { return *static_cast<size_t*>(static_cast<void*>(static_cast<char*>(block) - kHeader)); }

bool Admit(size_t more) {
  if (!tCount) return true;
  if (tCount->Used + more > kParserBound) {
    tCount->Refused = true;
    return false;
  }
  tCount->Used += more;
  return true;
}

void* CountedMalloc(size_t n) {
  if (n > kParserBound || !Admit(n)) return nullptr;
  char* base = static_cast<char*>(std::malloc(n + kHeader));
  if (!base) {
    if (tCount) tCount->Used -= n;
    return nullptr;
  }
  void* block = base + kHeader;
  SizeOf(block) = n;
  return block;
}

void CountedFree(void* block) {
  if (!block) return;
  if (tCount) tCount->Used -= SizeOf(block);
  std::free(static_cast<char*>(block) - kHeader);
}

void* CountedRealloc(void* block, size_t n) {
  if (!block) return CountedMalloc(n);
  const size_t old = SizeOf(block);
  if (n > kParserBound || (n > old && !Admit(n - old))) return nullptr;
  char* base = static_cast<char*>(std::realloc(static_cast<char*>(block) - kHeader, n + kHeader));
  if (!base) {
    if (tCount && n > old) tCount->Used -= n - old;
    return nullptr;
  }
  if (tCount && n < old) tCount->Used -= old - n;
  block = base + kHeader;
  SizeOf(block) = n;
  return block;
}

const XML_Memory_Handling_Suite kCountedMemory = {CountedMalloc, CountedRealloc, CountedFree};

// Points the allocation functions at one reader's count while its parser runs.
class TCounting {
public:
  explicit TCounting(TAllocCount& count) : previous_(tCount) { tCount = &count; }
  ~TCounting() { tCount = previous_; }
  TCounting(const TCounting&) = delete;
  TCounting& operator=(const TCounting&) = delete;

private:
  TAllocCount* previous_;
};

// ---- the encodings the parser does not know itself ---------------------------------------------

// The parser reads UTF-8, UTF-16, ISO-8859-1 and US-ASCII. GPS software also writes the names
// below; they are decoded by tables handed to the parser, which keeps reading in pieces and
// counting lines, rather than by converting the file before it.
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

// The code point of a UTF-8 sequence whose length its first byte gives, or -1.
int DecodeUtf8(const char* s) {
  const auto b = [s](int i) { return static_cast<unsigned char>(s[i]); };
  const int n = b(0) >= 0xF0 ? 4 : b(0) >= 0xE0 ? 3 : 2;
  int cp = b(0) & (0x7F >> n);
  for (int i = 1; i < n; ++i) {
    if ((b(i) & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (b(i) & 0x3F);
  }
  static constexpr int kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  return cp;
}

int XMLCALL ConvertUtf8(void*, const char* s) { return DecodeUtf8(s); }

// A two-byte character of code page 932; one that has no mapping shows as U+FFFD, as in the
// text formats' names.
int XMLCALL ConvertShiftJis(void*, const char* s) {
  const std::string utf8 = SjisToUtf8(std::string_view(s, 2));
  const int cp = utf8.empty() || static_cast<unsigned char>(utf8[0]) < 0xC0 ? -1 : DecodeUtf8(utf8.data());
  return cp < 0 ? 0xFFFD : cp;
}

void FillEncoding(TEncoding encoding, XML_Encoding& info) {
  info.data = nullptr;
  info.convert = nullptr;
  info.release = nullptr;
  for (int c = 0; c < 256; ++c) {
    int& m = info.map[c];
    m = c;
    if (c < 0x80) continue;
    switch (encoding) {
      case TEncoding::Latin1:
        break;
      case TEncoding::Windows1252:
        if (c < 0xA0) m = kWindows1252[c - 0x80];
        break;
      case TEncoding::Utf8:
        m = c >= 0xC2 && c <= 0xDF ? -2 : c >= 0xE0 && c <= 0xEF ? -3 : c >= 0xF0 && c <= 0xF4 ? -4 : -1;
        info.convert = ConvertUtf8;
        break;
      case TEncoding::ShiftJis:
        m = IsSjisLeadByte(static_cast<unsigned char>(c)) ? -2 : c >= 0xA1 && c <= 0xDF ? 0xFF61 + (c - 0xA1) : 0xFFFD;
        info.convert = ConvertShiftJis;
        break;
    }
  }
}

// ---- the GPX elements ---------------------------------------------------------------------------

// The local part of a qualified name: "gpxx:Address" is "Address".
std::string_view Local(std::string_view name) {
  const size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

enum class TKind : unsigned char { Other, Gpx, Wpt, Rte, Trk, Trkseg, Rtept, Trkpt, Name, Extensions };

TKind KindOf(std::string_view qualified) {
  static constexpr struct {
    std::string_view name;
    TKind kind;
  } kKinds[] = {{"gpx", TKind::Gpx},     {"wpt", TKind::Wpt},       {"rte", TKind::Rte},
                {"trk", TKind::Trk},     {"trkseg", TKind::Trkseg}, {"rtept", TKind::Rtept},
                {"trkpt", TKind::Trkpt}, {"name", TKind::Name},     {"extensions", TKind::Extensions}};
  const std::string_view name = Local(qualified);
  for (const auto& k : kKinds)
    if (name == k.name) return k.kind;
  return TKind::Other;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// A UTF-8 text of the file for a message: cut after 40 bytes, not inside a character.
std::string Quoted(std::string_view text) {
  constexpr size_t kShown = 40;
  if (text.size() <= kShown) return "'" + std::string(text) + "'";
  size_t cut = kShown;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return "'" + std::string(text.substr(0, cut)) + "...'";
}

}  // namespace

struct TGpxReader::TImpl {
  TImpl(const std::string& file, TGpxSink& sink) : File(file), Sink(sink) {
    TCounting counting(Count);
    Parser = XML_ParserCreate_MM(nullptr, &kCountedMemory, nullptr);
    if (!Parser) throw std::bad_alloc();
    XML_SetUserData(Parser, this);
    XML_SetElementHandler(Parser, OnStart, OnEnd);
    XML_SetCharacterDataHandler(Parser, OnText);
    XML_SetUnknownEncodingHandler(Parser, OnUnknownEncoding, this);
    // A DTD's external parts and external entities are never fetched: a reference to one is
    // refused, as is a reference to an entity that is declared nowhere the parser has read.
    XML_SetParamEntityParsing(Parser, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetExternalEntityRefHandler(Parser, OnExternalEntity);
    XML_SetSkippedEntityHandler(Parser, OnSkippedEntity);
#ifdef ORVANE_EXPAT_ENTITY_LIMITS
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(Parser, kMaxAmplification);
    XML_SetBillionLaughsAttackProtectionActivationThreshold(Parser, kAmplificationThreshold);
#endif
  }

  ~TImpl() {
    TCounting counting(Count);
    XML_ParserFree(Parser);
  }

  void Parse(std::string_view bytes, bool last) {
    if (XML_Parse(Parser, bytes.data(), static_cast<int>(bytes.size()), last) == XML_STATUS_ERROR) Throw();
  }

  [[noreturn]] void Throw() const {
    if (!Error.empty()) ThrowAt({File, ErrorLine}, Error);
    const XML_Error code = XML_GetErrorCode(Parser);
    const TFilePlace at{File, static_cast<int>(XML_GetErrorLineNumber(Parser))};
    if (Count.Refused || code == XML_ERROR_NO_MEMORY)
      ThrowAt(at, "markup that would take the XML parser past " + std::to_string(kParserBound >> 20) +
                      " MB at once (a tag with too many or too long attributes, or elements nested too deep)");
    if (code == XML_ERROR_UNKNOWN_ENCODING && !UnknownEncoding.empty())
      ThrowAt(at, "encoding " + Quoted(UnknownEncoding) +
                      " is not read (UTF-8, UTF-16, ISO-8859-1, windows-1252 or Shift_JIS)");
    if (code == XML_ERROR_NO_ELEMENTS && !SawRoot) ThrowAt(at, "no <gpx> element");
    if (code == XML_ERROR_NO_ELEMENTS && !Open.empty())
      ThrowAt(at, "the file ends inside <" + OpenNames.substr(OpenNames.rfind('\0') + 1) + ">");
    ThrowAt(at, XML_ErrorString(code));
  }

  // The first problem a handler finds; the parser stops there.
  void Fail(const std::string& what) {
    if (Error.empty()) {
      Error = what;
      ErrorLine = static_cast<int>(XML_GetCurrentLineNumber(Parser));
    }
    XML_StopParser(Parser, XML_FALSE);
  }

  bool Coordinate(std::string_view tag, const XML_Char** atts, std::string_view which, int limit, double& value) {
    const char* raw = nullptr;
    for (const XML_Char** a = atts; *a && !raw; a += 2)
      if (Local(a[0]) == which) raw = a[1];
    if (!raw) {
      Fail("<" + std::string(tag) + "> without " + std::string(which));
      return false;
    }
    if (!TryStrToFloat(raw, value) || std::fabs(value) > limit) {
      Fail(std::string(which) + " " + Quoted(raw) + " of <" + std::string(tag) + "> is not a number from " +
           std::to_string(-limit) + " to " + std::to_string(limit));
      return false;
    }
    return true;
  }

  void Start(std::string_view name, const XML_Char** atts) {
    const TKind kind = KindOf(name);
    if (Open.empty()) {
      if (kind != TKind::Gpx) return Fail("the root element is <" + std::string(name) + ">, not <gpx>");
      SawRoot = true;
    }
    const TKind parent = Open.empty() ? TKind::Other : Open.back();
    Open.push_back(kind);
    OpenNames += '\0';
    OpenNames += name;
    // Everything under <extensions> is passed over. Kept as a depth, so that a deeply nested
    // file costs no more than a flat one.
    if (PassOverAt != 0) return;
    const size_t depth = Open.size();
    switch (kind) {
      case TKind::Wpt:
        if (parent != TKind::Gpx) break;
        Point = {};
        if (Coordinate(name, atts, "lat", 90, Point.Lat) && Coordinate(name, atts, "lon", 180, Point.Lon))
          WaypointAt = depth;
        break;
      case TKind::Rte:
      case TKind::Trkseg:
        if (parent != (kind == TKind::Rte ? TKind::Gpx : TKind::Trk)) break;
        LineAt = depth;
        LineKind = kind == TKind::Rte ? TGpxLineKind::Route : TGpxLineKind::Track;
        LineBegun = false;
        break;
      case TKind::Rtept:
      case TKind::Trkpt: {
        if (LineAt == 0 || LineAt + 1 != depth || (kind == TKind::Rtept) != (LineKind == TGpxLineKind::Route)) break;
        double lat = 0, lon = 0;
        if (!Coordinate(name, atts, "lat", 90, lat) || !Coordinate(name, atts, "lon", 180, lon)) break;
        if (!LineBegun) Sink.Line(LineKind);
        LineBegun = true;
        Sink.Vertex(lat, lon);
        break;
      }
      case TKind::Name:
        if (WaypointAt != 0 && WaypointAt + 1 == depth && NameAt == 0) {
          NameAt = depth;
          Point.Name.clear();
        }
        break;
      case TKind::Extensions:
        PassOverAt = depth;
        break;
      case TKind::Gpx:
      case TKind::Trk:
      case TKind::Other:
        break;
    }
  }

  void End() {
    const size_t depth = Open.size();
    Open.pop_back();
    OpenNames.resize(OpenNames.rfind('\0'));
    if (PassOverAt != 0) {
      if (depth == PassOverAt) PassOverAt = 0;
      return;
    }
    if (depth == NameAt) {
      NameAt = 0;
      Point.Name = Trimmed(Point.Name);
    } else if (depth == WaypointAt) {
      WaypointAt = 0;
      Sink.Waypoint(std::move(Point));
    } else if (depth == LineAt) {
      LineAt = 0;
    }
  }

  static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char** atts) {
    auto* r = static_cast<TImpl*>(self);
    if (r->Error.empty()) r->Start(name, atts);
  }

  static void XMLCALL OnEnd(void* self, const XML_Char*) {
    auto* r = static_cast<TImpl*>(self);
    if (r->Error.empty()) r->End();
  }

  // Character data as the parser gives it: entities replaced, CDATA as it stands, in UTF-8.
  static void XMLCALL OnText(void* self, const XML_Char* s, int len) {
    auto* r = static_cast<TImpl*>(self);
    if (r->NameAt != 0 && r->Error.empty()) r->Point.Name.append(s, static_cast<size_t>(len));
  }

  static int XMLCALL OnUnknownEncoding(void* self, const XML_Char* name, XML_Encoding* info) {
    const std::optional<TEncoding> e = EncodingNamed(name);
    if (!e) {
      static_cast<TImpl*>(self)->UnknownEncoding = name;
      return XML_STATUS_ERROR;
    }
    FillEncoding(*e, *info);
    return XML_STATUS_OK;
  }

  static int XMLCALL OnExternalEntity(XML_Parser parser, const XML_Char*, const XML_Char*, const XML_Char* systemId,
                                      const XML_Char*) {
    auto* r = static_cast<TImpl*>(XML_GetUserData(parser));
    r->Fail("the external entity " + Quoted(systemId ? systemId : "") + " is not read");
    return XML_STATUS_ERROR;
  }

  static void XMLCALL OnSkippedEntity(void* self, const XML_Char* name, int parameter) {
    if (!parameter) static_cast<TImpl*>(self)->Fail("the entity " + Quoted(name) + " is not defined");
  }

  const std::string& File;
  TGpxSink& Sink;
  TAllocCount Count;
  XML_Parser Parser = nullptr;
  std::vector<TKind> Open;  // the open elements
  std::string OpenNames;    // their names, each after a '\0', for the message of a cut file
  bool SawRoot = false;
  // Depths (1 for the root) of what is being read; 0 for none.
  size_t PassOverAt = 0, WaypointAt = 0, NameAt = 0, LineAt = 0;
  TGpxWaypoint Point;
  TGpxLineKind LineKind = TGpxLineKind::Track;
  bool LineBegun = false;
  std::string Error;
  int ErrorLine = 0;
  std::string UnknownEncoding;
};

TGpxReader::TGpxReader(const std::string& file, TGpxSink& sink) : impl_(std::make_unique<TImpl>(file, sink)) {}

TGpxReader::~TGpxReader() = default;

void TGpxReader::Feed(std::string_view bytes, bool last) {
  TCounting counting(impl_->Count);
  // A load called off stops within a piece.
  ThrowIfCancelled();
  while (bytes.size() > kPiece) {
    impl_->Parse(bytes.substr(0, kPiece), false);
    ThrowIfCancelled();
    bytes.remove_prefix(kPiece);
  }
  impl_->Parse(bytes, last);
}

bool LooksLikeXml(std::string_view text) {
  if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") return true;
  size_t i = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  return i < text.size() && text[i] == '<';
}

void ReadGpx(std::string_view text, const std::string& file, TGpxSink& sink) {
  TGpxReader(file, sink).Feed(text, true);
}

TGpxData ReadGpx(std::string_view text, const std::string& file) {
  struct TCollect : TGpxSink {
    TGpxData Data;
    void Waypoint(TGpxWaypoint&& w) override { Data.Waypoints.push_back(std::move(w)); }
    void Line(TGpxLineKind kind) override { Data.Lines.push_back({kind, {}}); }
    void Vertex(double lat, double lon) override { Data.Lines.back().Points.push_back({lat, lon}); }
  } collect;
  ReadGpx(text, file, collect);
  return std::move(collect.Data);
}

void ReadGpxFile(const std::string& path, TGpxSink& sink) {
  const auto fail = [&path](int err) {
    return EMapFileError("Cannot open file \"" + path + "\": " + std::strerror(err));
  };
  // Non-blocking, so that a FIFO with no writer is refused at once rather than waited for.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw fail(errno);
  const TScopeGuard closer([fd] { ::close(fd); });
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw fail(errno);
  if (!S_ISREG(st.st_mode)) throw fail(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  TGpxReader reader(path, sink);
  std::string piece(kPiece, '\0');
  for (;;) {
    const ssize_t got = ::read(fd, piece.data(), piece.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw fail(errno);
    reader.Feed(std::string_view(piece.data(), static_cast<size_t>(got)), got == 0);
    if (got == 0) return;
  }
}

}  // namespace orvane
