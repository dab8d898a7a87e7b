#include "track/MapLayerObjects.h"

namespace orvane {

TMapLayerObjects::TMapLayerObjects(TMapLayers& layers, TTrackState& state, TNmeaRec& rec,
                                   std::function<void(const std::string&)> notice, TEncConverter* converter,
                                   const std::string& encClassTable)
    : Roads(state.MetaDefList, notice),
      Borders(state.MetaDefList, notice),
      KkCoast(state.MetaDefList, notice),
      Points(state.MetaDefList),
      Coast(rec.CoLineColor),
      WayPoints(state.MapDatum, rec.WpLineColor),
      kddSettings_{state.KddArcList, state.KddAtrList, state.KddPgnList, state.KddPntList, state.MapDatum, rec.BGColor},
      Kdd(kddSettings_) {
  layers.SetLayer('R', &Roads);
  layers.SetLayer('O', &Borders);
  layers.SetLayer('M', &KkCoast);
  layers.SetLayer('P', &Points);
  layers.SetLayer('C', &Coast);
  layers.SetLayer('W', &WayPoints);
  layers.SetLayer('K', &Kdd);
  if (converter) {
    try {
      Enc = std::make_unique<TEncMap>(*converter, encClassTable);
      layers.SetLayer('E', Enc.get());
    } catch (const std::exception& e) {
      EncError = e.what();
    }
  }
}

}  // namespace orvane
