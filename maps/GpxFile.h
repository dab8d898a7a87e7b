// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of a GPX file (versions 1.0 and 1.1) that a map layer draws: waypoints with their
// names, and routes and track segments as lines, in WGS 84 decimal degrees. Namespaces,
// extensions and every other element are passed over. The XML reader is our own and small: no
// entity definitions, no external references, no recursion, so no file can make it expand,
// reach out or run deep.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvane {

struct TGpxWaypoint {
  double Lat = 0, Lon = 0;
  std::string Name;  // UTF-8
};

struct TGpxVertex {
  double Lat = 0, Lon = 0;
};

// A route is a plan (points to pass), a track segment a record of where one went; the map draws
// them apart.
enum class TGpxLineKind { Track, Route };

struct TGpxLine {
  TGpxLineKind Kind = TGpxLineKind::Track;
  std::vector<TGpxVertex> Points;
};

struct TGpxData {
  std::vector<TGpxWaypoint> Waypoints;
  // One per route and per track segment with at least one point, in file order.
  std::vector<TGpxLine> Lines;
};

// True when the text looks like XML (after a byte order mark and blanks, it begins with "<").
bool LooksLikeXml(std::string_view text);

// Reads `text`, naming `file` in errors. Throws EMapFileError("file, line 12: what") for text
// that is not well-formed XML or not GPX, and for a point whose lat or lon is missing, not a
// number or out of range.
TGpxData ReadGpx(std::string_view text, const std::string& file);

}  // namespace orvane
