// The track window's map layer objects, one per letter, made once and registered with the layer
// set: the window and the headless map tool build them here, so both load and draw alike.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "maps/EncConverter.h"
#include "maps/UCoastLine.h"
#include "maps/UEncMap.h"
#include "maps/UKddMap.h"
#include "maps/UVectLine.h"
#include "maps/UVectPoint.h"
#include "maps/UWaypnt.h"
#include "nmea/NmeaRec.h"
#include "track/MapLayers.h"
#include "track/TrackState.h"

namespace orvane {

// The object class table's file name, looked up beside the program.
inline constexpr const char* kEncClassTableName = kEncClassTableFile;

class TMapLayerObjects {
public:
  // The layers read their settings from `state` and `rec` whenever they load or draw, so both
  // must outlive this. `notice` shows a message that needs no answer (a line file's header
  // check). The chart layer is made only with a converter; when its object class table cannot
  // be read, it is left out and EncError says why (the window reports it once).
  TMapLayerObjects(TMapLayers& layers, TTrackState& state, TNmeaRec& rec,
                   std::function<void(const std::string&)> notice, TEncConverter* converter,
                   const std::string& encClassTable);

  TVectLine Roads, Borders, KkCoast;
  TVectPoint Points;
  TCoastLine Coast;
  TWayPnt WayPoints;

private:
  TKddSettings kddSettings_;

public:
  TKddMap Kdd;
  std::unique_ptr<TEncMap> Enc;
  std::string EncError;
};

}  // namespace orvane
