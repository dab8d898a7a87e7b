// SPDX-License-Identifier: GPL-3.0-or-later
// How positions are written for people: the D.MMSS notation the record carries (34.0512 is
// 34 degrees 5 minutes 12 seconds), decimal degrees, or degrees, minutes and seconds with their
// signs. One setting (CoordFormat) picks it for the data monitor, the track window's read-out
// and its grid labels. Plane shows decimal degrees and, beside them, X and Y of a zone of the
// plane rectangular system (the conversion is the map layers'; the choice is kept here).
#pragma once

#include <string>
#include <string_view>

namespace orvane {

enum class TCoordFormat { DMmss, Degrees, Dms, Plane };

struct TCoordFormatName {
  TCoordFormat Format;
  const char* Name;  // as the settings file and the settings dialog write it
};
inline constexpr TCoordFormatName kCoordFormats[] = {
    {TCoordFormat::DMmss, "D.MMSS"},
    {TCoordFormat::Degrees, "Degrees"},
    {TCoordFormat::Dms, "DMS"},
    {TCoordFormat::Plane, "Plane"},
};

// The datum of plane coordinates: JGD2011 on GRS80, as surveys use today, or the Tokyo datum on
// Bessel, as the Digital Map 2500 data uses.
enum class TPlaneDatum { Jgd2011, Tokyo };
struct TPlaneDatumName {
  TPlaneDatum Datum;
  const char* Name;
};
inline constexpr TPlaneDatumName kPlaneDatums[] = {{TPlaneDatum::Jgd2011, "JGD2011"}, {TPlaneDatum::Tokyo, "Tokyo"}};
const char* PlaneDatumName(TPlaneDatum datum);
// Any letter case; an unknown name is JGD2011.
TPlaneDatum PlaneDatumFromName(std::string_view name);

// The zone (1 to 19) and datum that Plane shows.
struct TPlaneChoice {
  int Zone = 9;
  TPlaneDatum Datum = TPlaneDatum::Jgd2011;
};

const char* CoordFormatName(TCoordFormat format);
// Any letter case; an unknown name is the default, D.MMSS.
TCoordFormat CoordFormatFromName(std::string_view name);

enum class TAxis { Lat, Lon };

// A signed position in decimal degrees as degrees, minutes and seconds to a tenth, with its
// hemisphere letter: 34°05'12.3"N. A seconds value that rounds to 60 carries into the minutes.
std::string DmsText(double degrees, TAxis axis);

// A data monitor line's value: an unsigned D.MMSS value and its hemisphere letter (which may be
// empty or anything the receiver sent). D.MMSS gives "N 35.39074", Degrees "N 35.651900", DMS
// 35°39'07.4"N.
std::string MonitorCoord(double dms, const std::string& hemisphere, TCoordFormat format);

// The track window's read-out of a signed D.MMSS value with its hemisphere letter: "N 34.05120"
// (D.MMSS, "%.5f"), "N 34.086667" (decimal degrees, six decimals) or DMS (34°05'12.0"N).
std::string ReadoutCoord(double dms, TAxis axis, TCoordFormat format);

// A signed position in decimal degrees to about a millimetre, for figures of the fix's quality:
// "N 35.39309123" (D.MMSS, eight decimals), "N 35.658581000" (nine decimals) or 35°39'30.8916"N.
std::string PreciseCoord(double degrees, TAxis axis, TCoordFormat format);

// A grid label for a line at `degrees` (signed decimal degrees) of a grid `gridStep` arc-seconds
// apart: D.MMSS with four decimals, decimal degrees with as many decimals as the interval needs,
// or DMS down to the unit of the interval (134°E, 134°10'E, 34°05'10"N).
std::string GridCoord(double degrees, int gridStep, TAxis axis, TCoordFormat format);

}  // namespace orvane
