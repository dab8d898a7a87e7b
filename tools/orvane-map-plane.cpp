// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-map plane: plane rectangular coordinates to latitude and longitude and back.
#include <cstdio>
#include <string>
#include <vector>

#include "common/HostConv.h"
#include "maps/PlaneRect.h"
#include "tools/ToolArgs.h"
#include "tools/orvane-map.h"

namespace orvane::maptool {

int Plane(const std::vector<std::string>& args) {
  const bool inverse = !args.empty() && args[0] == "--inverse";
  const size_t first = inverse ? 1 : 0;
  if (args.size() != first + 3) throw EUsage(inverse ? "plane --inverse needs ZONE LAT LON" : "plane needs ZONE X Y");
  int zone = 0;
  double a = 0, b = 0;
  if (!ParseNumber(args[first], zone)) throw EUsage("'" + args[first] + "' is not a zone number");
  if (!ParseNumber(args[first + 1], a)) throw EUsage("'" + args[first + 1] + "' is not a number");
  if (!ParseNumber(args[first + 2], b)) throw EUsage("'" + args[first + 2] + "' is not a number");
  double r1 = 0, r2 = 0;
  if (inverse) {
    GeodeticToPlane(zone, a, b, r1, r2);
    std::printf("%s %s\n", FormatFixed(r1, 4).c_str(), FormatFixed(r2, 4).c_str());
  } else {
    PlaneToGeodetic(zone, r1, r2, a, b);
    std::printf("%s %s\n", FormatFixed(r1, 9).c_str(), FormatFixed(r2, 9).c_str());
  }
  return 0;
}

}  // namespace orvane::maptool
