// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of a GPX file (versions 1.0 and 1.1) that a map layer draws: waypoints with their
// names, and routes and track segments as lines, in WGS 84 decimal degrees. Namespaces,
// extensions and every other element are passed over. The XML is read by expat, streaming: what
// is kept is what the layer keeps, the parser's own memory has a bound, entity expansion is
// limited and external entities are never fetched.
#pragma once

#include <memory>
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

// What a GPX file holds, handed over in file order as it is read. A line is begun only when its
// first point is read, so no line is empty.
class TGpxSink {
public:
  virtual ~TGpxSink() = default;
  virtual void Waypoint(TGpxWaypoint&& waypoint) = 0;
  virtual void Line(TGpxLineKind kind) = 0;
  virtual void Vertex(double lat, double lon) = 0;
};

// True when the text looks like XML: after a byte order mark and blanks it begins with "<", or
// it begins with a UTF-16 byte order mark.
bool LooksLikeXml(std::string_view text);

// A GPX reader fed in pieces. Errors throw EMapFileError("file, line 12: what") for text that is
// not well-formed XML (expat's reason) or not GPX, for a point whose lat or lon is missing, not a
// number or out of range, and for markup that would take the parser past its memory bound.
class TGpxReader {
public:
  TGpxReader(const std::string& file, TGpxSink& sink);
  ~TGpxReader();
  TGpxReader(const TGpxReader&) = delete;
  TGpxReader& operator=(const TGpxReader&) = delete;

  // The next bytes of the file; `last` with the final piece (which may be empty).
  void Feed(std::string_view bytes, bool last);

private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

// The whole of `text`, naming `file` in errors.
void ReadGpx(std::string_view text, const std::string& file, TGpxSink& sink);
TGpxData ReadGpx(std::string_view text, const std::string& file);

// The file at `path`, read in pieces of 64 KB. Throws EMapFileError for a file that cannot be
// opened or read (anything but a regular file is refused without blocking) and as above.
void ReadGpxFile(const std::string& path, TGpxSink& sink);

}  // namespace orvane
