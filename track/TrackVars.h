// Program-wide state of the track window's module: the view, the sampling, the map layer paths
// and the hand-maintained definition lists of the settings file. The settings load fills it, the
// windows change it in place, the exit saves it. Free of any display so that the settings code
// and the map readers can use it without one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

// Tracking on (setting Enable).
extern bool TrackEnabled;
// Zoom level, index into the zoom scale table (1 to 17 through the menus).
extern int32_t Zoom;
// Centre of the view in D.MMSS notation of the map datum, north and east positive.
extern double CenterB;
extern double CenterL;
// Track entries kept before the list is thinned, and the sampling period in milliseconds.
extern int32_t DataMax;
extern int32_t Interval;

// Map layer sources; an empty path is a layer that is not shown. KddMap is a folder.
extern std::string BmpMap;
extern std::string RoadMap;
extern std::string BorderMap;
extern std::string PointMap;
extern std::string KkCoastMap;
extern std::string WayPntMap;
extern std::string CoastLine;
extern std::string EncMap;
extern std::string KddMap;
// Datum name the map is drawn in, and the picture file of the position mark.
extern std::string MapDatum;
extern std::string IconMark;

// The definition sections, one "name=value" line per key in file order: [METADEF] for the
// national-land layers, [KDDARC], [KDDATR], [KDDPGN], [KDDNOD], [KDDPNT] for the Digital Map 2500
// layer. Read at start, never written.
extern std::vector<std::string> MetaDefList;
extern std::vector<std::string> KddArcList;
extern std::vector<std::string> KddAtrList;
extern std::vector<std::string> KddPgnList;
extern std::vector<std::string> KddNodList;
extern std::vector<std::string> KddPntList;

}  // namespace orvane
