// SPDX-License-Identifier: GPL-3.0-or-later
#include "track/LayerKinds.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "maps/UCoastLine.h"
#include "maps/UEncMap.h"
#include "maps/UKddMap.h"
#include "maps/UVectLine.h"
#include "maps/UVectPoint.h"
#include "maps/UWaypnt.h"

namespace orvane {
namespace {

std::unique_ptr<TMapLayer> MakeVectLine(const TLayerMakers& m) {
  return std::make_unique<TVectLine>(m.State.MetaDefList, m.Notice);
}
std::unique_ptr<TMapLayer> MakeVectPoint(const TLayerMakers& m) {
  return std::make_unique<TVectPoint>(m.State.MetaDefList);
}
std::unique_ptr<TMapLayer> MakeKdd(const TLayerMakers& m) {
  return std::make_unique<TKddMap>(TKddSettings{m.State.KddArcList, m.State.KddAtrList, m.State.KddPgnList,
                                                m.State.KddPntList, m.State.MapDatum, m.Rec.BGColor});
}
std::unique_ptr<TMapLayer> MakeWayPnt(const TLayerMakers& m) {
  return std::make_unique<TWayPnt>(m.State.MapDatum, m.Rec.WpLineColor);
}
std::unique_ptr<TMapLayer> MakeCoastLine(const TLayerMakers& m) {
  return std::make_unique<TCoastLine>(m.Rec.CoLineColor);
}
std::unique_ptr<TMapLayer> MakeEnc(const TLayerMakers& m) {
  if (!m.Converter) return nullptr;
  return std::make_unique<TEncMap>(*m.Converter, m.EncClassTable);
}

constexpr const char* kKokudo = "Kokudo";  // the national land numerical information layers

using S = TTrackState;
using R = TNmeaRec;
const std::array<TLayerKind, 9> kKinds{{
    {'B', "BmpMap", &S::BmpMap, "Bitmap", "Windows Bitmap|*.bmp", nullptr, nullptr, nullptr, 9, 0, nullptr},
    {'R', "RoadMap", &S::RoadMap, "Road", "N01*.txt|N01*.txt", kKokudo, nullptr, nullptr, 1, 3, MakeVectLine},
    {'O', "BorderMap", &S::BorderMap, "Border", "N03*.txt|N03*.txt", kKokudo, nullptr, nullptr, 2, 4, MakeVectLine},
    {'P', "PointMap", &S::PointMap, "Point", "P02*.txt|P02*.txt", kKokudo, nullptr, nullptr, 3, 2, MakeVectPoint},
    {'M', "KkCoastMap", &S::KkCoastMap, "Coast", "C23*.txt|C23*.txt", kKokudo, nullptr, nullptr, 4, 5, MakeVectLine},
    {'K', "KddMap", &S::KddMap, "Kukan2500", nullptr, nullptr, nullptr, nullptr, 5, 1, MakeKdd},
    {'W', "WayPntMap", &S::WayPntMap, "WayPoint", "WayPoint|*.*", nullptr, &R::WpLineColor, "WpLineColor", 6, 6,
     MakeWayPnt},
    {'C', "CoastLine", &S::CoastLine, "Coast Line", "Coast Line|*.*", nullptr, &R::CoLineColor, "LineCOlor", 7, 7,
     MakeCoastLine},
    {'E', "EncMap", &S::EncMap, "ENC", "Converted ENC|*.00?", nullptr, nullptr, nullptr, 8, 8, MakeEnc},
}};

std::string LettersBy(int TLayerKind::*rank) {
  std::array<TLayerKind, kKinds.size()> sorted = kKinds;
  std::stable_sort(sorted.begin(), sorted.end(), [rank](const auto& a, const auto& b) { return a.*rank < b.*rank; });
  std::string letters;
  for (const TLayerKind& k : sorted) letters += k.Letter;
  return letters;
}

}  // namespace

std::span<const TLayerKind> LayerKinds() { return kKinds; }

const TLayerKind& LayerKindOf(char letter) {
  for (const TLayerKind& k : kKinds)
    if (k.Letter == letter) return k;
  throw std::invalid_argument(std::string("no map layer letter ") + letter);
}

char BitmapLetter() {
  static const char letter =
      std::find_if(kKinds.begin(), kKinds.end(), [](const TLayerKind& k) { return !k.Make; })->Letter;
  return letter;
}

const std::string& LettersInLoadOrder() {
  static const std::string letters = LettersBy(&TLayerKind::LoadRank);
  return letters;
}

const std::string& LettersInDrawOrder() {
  static const std::string letters = LettersBy(&TLayerKind::DrawRank);
  return letters;
}

}  // namespace orvane
