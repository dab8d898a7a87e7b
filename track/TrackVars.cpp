#include "track/TrackVars.h"

namespace orvane {

// The settings' defaults, so that the module is in a sound state before the settings load.
bool TrackEnabled = false;
int32_t Zoom = 6;
double CenterB = 34.0;
double CenterL = 134.0;
int32_t DataMax = 1000;
int32_t Interval = 1000;

std::string BmpMap;
std::string RoadMap;
std::string BorderMap;
std::string PointMap;
std::string KkCoastMap;
std::string WayPntMap;
std::string CoastLine;
std::string EncMap;
std::string KddMap;
std::string MapDatum = "Tokyo";
std::string IconMark;

std::vector<std::string> MetaDefList;
std::vector<std::string> KddArcList;
std::vector<std::string> KddAtrList;
std::vector<std::string> KddPgnList;
std::vector<std::string> KddNodList;
std::vector<std::string> KddPntList;

}  // namespace orvane
