// SPDX-License-Identifier: GPL-3.0-or-later
// The kind of a map file: from its name when that says it, else from the first bytes.
#include <sys/stat.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/SplitCommaText.h"
#include "maps/GpxFile.h"
#include "maps/MapFile.h"
#include "maps/MetaStyle.h"
#include "tools/ToolArgs.h"
#include "tools/orvane-map.h"

namespace orvane::maptool {
namespace {

struct TKindName {
  TKind Kind;
  const char* Name;
};
constexpr TKindName kKinds[] = {{TKind::Line, "line"},
                                {TKind::Point, "point"},
                                {TKind::Waypoint, "waypoint"},
                                {TKind::Coastline, "coastline"},
                                {TKind::Bitmap, "bitmap"},
                                {TKind::Kdd, "kdd"},
                                {TKind::Enc, "enc"}};

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string Extension(const std::string& path) {
  const size_t slash = path.rfind('/'), dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return Upper(path.substr(dot + 1));
}

// From the content when the name does not say: the national-land header or its "L" and "P"
// records, the waypoint formats' record tags, else the coastline's plain number pairs.
TKind KindFromContent(const std::string& path) {
  // The first 64 KB say enough; a large file is read whole only once, by its layer.
  const std::string data = ReadMapFile(path, 1 << 16);
  if (LooksLikeXml(data)) return TKind::Waypoint;  // GPX, whatever its name
  TLineReader in(data);
  std::string_view line;
  int lines = 0, points = 0, tags = 0;
  std::vector<std::string> items;
  while (in.Next(line)) {
    if (in.LineNo() == 1) {
      const std::string_view header = Columns(line, 4, 13);
      if (header.starts_with("NLA") || header.starts_with("GSI")) return TKind::Line;
    }
    if (line.starts_with("L") && line.size() >= 51) ++lines;
    if (line.starts_with("P") && line.size() >= 73) ++points;
    SplitCommaText(line, items);
    if (!items.empty()) {
      const std::string tag = Upper(items[0]);
      if (tag == "DATUM" || tag == "WP" || tag == "TP") ++tags;
    }
  }
  if (lines > 0 && lines >= points) return TKind::Line;
  if (points > 0) return TKind::Point;
  if (tags > 0) return TKind::Waypoint;
  return TKind::Coastline;
}

}  // namespace

const char* KindName(TKind k) {
  for (const TKindName& n : kKinds)
    if (n.Kind == k) return n.Name;
  return "?";
}

TKind ParseKind(const std::string& s) {
  for (const TKindName& n : kKinds)
    if (s == n.Name) return n.Kind;
  throw EUsage("unknown kind '" + s + "' (line, point, waypoint, coastline, bitmap, kdd or enc)");
}

TKind KindOf(const std::string& path) {
  struct stat st {};
  const bool there = ::stat(path.c_str(), &st) == 0;
  if (there && S_ISDIR(st.st_mode)) return TKind::Kdd;
  // A pipe or a device would block the reader, or never end.
  if (there && !S_ISREG(st.st_mode)) throw EMapFileError("Cannot open file \"" + path + "\": not a regular file");
  const std::string ext = Extension(path);
  if (ext == "000") return TKind::Enc;
  if (ext == "WPT" || ext == "TRK" || ext == "GPX") return TKind::Waypoint;
  for (const char* e : {"BMP", "PNG", "JPG", "JPEG", "GIF", "TIF", "TIFF"})
    if (ext == e) return TKind::Bitmap;
  const std::string prefix = Upper(MetaPrefix(path));
  if (prefix == "N01" || prefix == "N03" || prefix == "C23") return TKind::Line;
  if (prefix == "P02") return TKind::Point;
  return KindFromContent(path);
}

}  // namespace orvane::maptool
