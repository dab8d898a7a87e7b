#include "track/LayerExtents.h"

#include <algorithm>
#include <cmath>

#include "maps/UWaypnt.h"

namespace orvane {
namespace {

struct TLayerName {
  char Letter;
  const char* Name;
};
// As the settings dialog labels the paths.
constexpr TLayerName kLayerNames[] = {{'B', "Bitmap"},   {'R', "Road"},       {'O', "Border"},
                                      {'P', "Point"},    {'M', "Coast"},      {'K', "Kukan2500"},
                                      {'W', "WayPoint"}, {'C', "Coast Line"}, {'E', "ENC"}};

std::string Caption(char letter, const std::string& path) {
  std::string name(1, letter);
  for (const TLayerName& n : kLayerNames)
    if (n.Letter == letter) name = n.Name;
  std::string file = path;
  while (file.size() > 1 && file.back() == '/') file.pop_back();
  const size_t slash = file.rfind('/');
  if (slash != std::string::npos) file.erase(0, slash + 1);
  return name + ": " + file;
}

// The extent a layer offers; false when it offers none.
bool ExtentOf(const TMapLayer& layer, TLayerExtent& e) {
  if (const auto* w = dynamic_cast<const TWayPnt*>(&layer)) {
    bool any = false;
    const auto widen = [&](double lon, double lat) {
      if (!std::isfinite(lon) || !std::isfinite(lat)) return;
      if (!any) {
        e.West = e.East = lon;
        e.South = e.North = lat;
        any = true;
      }
      e.West = std::min(e.West, lon), e.East = std::max(e.East, lon);
      e.South = std::min(e.South, lat), e.North = std::max(e.North, lat);
    };
    for (const TWayPointRec& p : w->WayPoints()) widen(p.Lon, p.Lat);
    for (const TTrackFilePoint& p : w->TrackPoints()) widen(p.Lon, p.Lat);
    return any;
  }
  return false;
}

}  // namespace

std::vector<TLayerExtent> LayerExtents(const TMapLayers& layers) {
  std::vector<TLayerExtent> out;
  for (const char* l = kLayerDrawOrder; *l; ++l) {
    if (!layers.Has(*l)) continue;
    const TMapLayer* layer = layers.Layer(*l);
    TLayerExtent e;
    if (!layer || !ExtentOf(*layer, e)) continue;
    e.Letter = *l;
    e.Caption = Caption(*l, layers.PathOf(*l));
    out.push_back(std::move(e));
  }
  return out;
}

}  // namespace orvane
