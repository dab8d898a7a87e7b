// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/SkyGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace orvane {
namespace {

TEST(SkyGeometryTest, LayoutOfA240By230Panel) {
  const TSkyLayout s = SkyLayout(240, 230);
  EXPECT_EQ(s.D, 207);
  EXPECT_EQ(s.Left, 16);
  EXPECT_EQ(s.Top, 11);
  EXPECT_EQ(s.CenterX, 120);
  EXPECT_EQ(s.CenterY, 115);
  EXPECT_EQ(s.Radius, 103);
  EXPECT_EQ(s.cirElv1, (TSkyRect{16, 11, 207, 207}));
  EXPECT_EQ(s.cirElv2, (TSkyRect{68, 63, 103, 103}));
  EXPECT_EQ(s.linElvV, (TSkyRect{16 + 103, 11, 2, 207}));
  EXPECT_EQ(s.linElvH, (TSkyRect{16, 11 + 103, 207, 2}));
}

TEST(SkyGeometryTest, NarrowPanelUsesItsWidthAndMultipliesBeforeDividing) {
  const TSkyLayout s = SkyLayout(101, 300);
  EXPECT_EQ(s.D, 90);                  // 101 * 9 / 10 = 90.9; dividing first would give 90 too, so check 11:
  EXPECT_EQ(SkyLayout(11, 50).D, 9);   // 11 / 10 * 9 would be 9 as well; 19 tells them apart
  EXPECT_EQ(SkyLayout(19, 50).D, 17);  // 19 * 9 / 10 = 17, 19 / 10 * 9 = 9
  EXPECT_EQ(s.Left, 5);
  EXPECT_EQ(s.Top, 105);
  EXPECT_EQ(s.CenterX, 50);
  EXPECT_EQ(s.Radius, 45);
}

TEST(SkyGeometryTest, SatellitePositionsOnTheCompass) {
  const TSkyLayout s = SkyLayout(240, 230);
  // Zenith: the symbol is centred on the centre.
  TSatPlace p = PlaceSat(s, 90, 0, 20, 13, 14, 11);
  EXPECT_EQ(p.X, 120);
  EXPECT_EQ(p.Y, 115);
  EXPECT_EQ(p.Symbol, (TSkyRect{113, 108, 15, 15}));
  EXPECT_EQ(p.Prn, (TSkyRect{110, 115 - 13 - 7, 20, 13}));
  EXPECT_EQ(p.Snr, (TSkyRect{110, 122, 14, 11}));  // left edge of the PRN label, not its own centre
  // East on the horizon: the radius to the right.
  p = PlaceSat(s, 0, 90, 20, 13, 14, 11);
  EXPECT_EQ(p.X, 223);
  EXPECT_EQ(p.Y, 115);
  // South on the horizon: the radius below.
  p = PlaceSat(s, 0, 180, 20, 13, 14, 11);
  EXPECT_EQ(p.X, 120);
  EXPECT_EQ(p.Y, 218);
  // North is up; west is left; values truncate toward zero.
  p = PlaceSat(s, 0, 0, 20, 13, 14, 11);
  EXPECT_EQ(p.X, 120);
  EXPECT_EQ(p.Y, 12);
  p = PlaceSat(s, 0, 270, 20, 13, 14, 11);
  EXPECT_EQ(p.X, 17);
  EXPECT_EQ(p.Y, 115);
  // 45 degrees up at 45 degrees azimuth: r = 51.5, offsets 36.41...
  p = PlaceSat(s, 45, 45, 20, 13, 14, 11);
  EXPECT_EQ(p.X, 156);
  EXPECT_EQ(p.Y, 78);
  // Below the horizon lands outside the circle.
  p = PlaceSat(s, -9, 90, 20, 13, 14, 11);
  EXPECT_EQ(p.X, 120 + 113);
}

TEST(SkyGeometryTest, SnrCaptionIsZeroPaddedToTwoDigits) {
  EXPECT_EQ(FormatSnr(5), "05");
  EXPECT_EQ(FormatSnr(0), "00");
  EXPECT_EQ(FormatSnr(45), "45");
  EXPECT_EQ(FormatSnr(123), "123");
}

TEST(SkyGeometryTest, SymbolsAndFontsKeepTheirSizeUpToTheLaidOutWindowAndGrowBeyond) {
  struct Case {
    int w, h;
    int d, radius, symbol;
    double scale;
  } const cases[] = {
      {240, 230, 207, 103, 15, 1.0},                      // smaller than laid out: as laid out
      {292, 325, 262, 131, 15, 1.0},                      // the laid-out window
      {700, 700, 630, 315, 23, std::sqrt(700.0 / 292)},   // larger: the plot by 2.4, symbols by 1.55
      {1200, 700, 630, 315, 23, std::sqrt(700.0 / 292)},  // the shorter side decides
  };
  for (const Case& c : cases) {
    const TSkyLayout s = SkyLayout(c.w, c.h);
    EXPECT_EQ(s.D, c.d) << c.w << "x" << c.h;
    EXPECT_EQ(s.Radius, c.radius) << c.w << "x" << c.h;
    EXPECT_EQ(s.Symbol, c.symbol) << c.w << "x" << c.h;
    EXPECT_DOUBLE_EQ(s.Scale, c.scale) << c.w << "x" << c.h;
  }
  EXPECT_EQ(Scaled(15, 1.0), 15);
  EXPECT_EQ(Scaled(120, 1.5), 180);
  // The symbol centres on the satellite's pixel at every scale.
  const TSatPlace p = PlaceSat(SkyLayout(700, 700), 90, 0, 20, 13, 14, 11);
  EXPECT_EQ(p.Symbol, (TSkyRect{350 - 11, 350 - 11, 23, 23}));
  EXPECT_EQ(p.Prn, (TSkyRect{340, 350 - 13 - 11, 20, 13}));
}

TEST(SkyGeometryTest, LabelsOnEachSideOfTheSymbol) {
  const TSatLabels sat{100, 50, 20, 12, 14, 10, 40};
  struct Case {
    TLabelSide side;
    TSkyRect prn, snr;
  } const cases[] = {
      {TLabelSide::Laid, {90, 31, 20, 12}, {90, 57, 14, 10}},
      {TLabelSide::Right, {108, 39, 20, 12}, {108, 51, 14, 10}},
      {TLabelSide::Left, {73, 39, 20, 12}, {79, 51, 14, 10}},
      {TLabelSide::Above, {90, 21, 20, 12}, {93, 33, 14, 10}},
      {TLabelSide::Below, {90, 58, 20, 12}, {93, 70, 14, 10}},
  };
  const TSkyRect symbol{93, 43, 15, 15};
  for (const Case& c : cases) {
    const TLabelPlace p = LabelsOn(c.side, sat, 15);
    EXPECT_EQ(p.Prn, c.prn) << static_cast<int>(c.side);
    EXPECT_EQ(p.Snr, c.snr) << static_cast<int>(c.side);
    EXPECT_FALSE(p.Prn.Intersects(p.Snr)) << static_cast<int>(c.side);
    // Only the laid-out SNR label touches the symbol's last row, as it always did.
    EXPECT_FALSE(p.Prn.Intersects(symbol)) << static_cast<int>(c.side);
    EXPECT_EQ(p.Snr.Intersects(symbol), c.side == TLabelSide::Laid) << static_cast<int>(c.side);
  }
}

TEST(SkyGeometryTest, ALabelInTheWayMovesToTheFirstFreeSide) {
  const TSatLabels sat{100, 50, 20, 12, 14, 10, 40};
  const TSkyRect overPrn{98, 31, 4, 4}, underSnr{92, 60, 4, 4}, right{120, 45, 4, 4}, left{75, 40, 4, 4},
      below{98, 66, 4, 4};
  struct Case {
    const char* what;
    std::vector<TSkyRect> fixed;
    int w;
    TLabelSide side;
  } const cases[] = {
      {"nothing in the way", {}, 300, TLabelSide::Laid},
      {"a caption over the PRN", {overPrn}, 300, TLabelSide::Right},
      {"and one to the right", {overPrn, right}, 300, TLabelSide::Left},
      {"and one to the left", {overPrn, right, left}, 300, TLabelSide::Below},
      {"a letter under the SNR", {underSnr, right, left}, 300, TLabelSide::Above},
      {"the panel ends to the right", {overPrn}, 120, TLabelSide::Left},
      {"boxed in", {overPrn, right, left, below}, 300, TLabelSide::None},
  };
  for (const Case& c : cases) {
    const std::vector<TLabelPlace> p = PlaceLabels({sat}, 15, c.w, 300, c.fixed);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].Side, c.side) << c.what;
    if (c.side == TLabelSide::None) {
      EXPECT_EQ(p[0].Prn, TSkyRect{}) << c.what;
    }
  }
  // A satellite near the panel's top edge cannot have its PRN above it.
  EXPECT_EQ(PlaceLabels({{100, 16, 20, 12, 14, 10, 40}}, 15, 300, 300, {})[0].Side, TLabelSide::Right);
}

TEST(SkyGeometryTest, TheStrongerSatelliteKeepsItsPlaceAndTheWeakerLosesItsLabels) {
  // Two symbols side by side on a panel with room for one pair of labels, in either order.
  const TSatLabels strong{20, 22, 20, 12, 14, 10, 45}, weak{35, 22, 20, 12, 14, 10, 12};
  for (const bool strongFirst : {true, false}) {
    const std::vector<TLabelPlace> p =
        PlaceLabels(strongFirst ? std::vector{strong, weak} : std::vector{weak, strong}, 15, 50, 45, {});
    EXPECT_EQ(p[strongFirst ? 0 : 1].Side, TLabelSide::Laid) << strongFirst;
    EXPECT_EQ(p[strongFirst ? 1 : 0].Side, TLabelSide::None) << strongFirst;
  }
}

// The 43 satellites a four-system receiver reported at once: elevation, azimuth, SNR.
struct Sat {
  int elevation, azimuth, snr;
};
const Sat kCrowdedSky[] = {{1, 47, 0},    {29, 224, 0},  {22, 62, 23},  {40, 94, 0},   {25, 306, 30}, {68, 358, 39},
                           {63, 235, 37}, {35, 292, 0},  {58, 225, 0},  {0, 179, 0},   {33, 265, 35}, {7, 316, 0},
                           {46, 133, 43}, {45, 171, 45}, {45, 191, 43}, {43, 156, 43}, {9, 27, 0},    {56, 54, 40},
                           {55, 168, 44}, {8, 194, 21},  {13, 282, 27}, {10, 318, 13}, {9, 110, 16},  {51, 77, 39},
                           {52, 346, 29}, {5, 307, 0},   {44, 149, 40}, {42, 71, 39},  {8, 190, 0},   {6, 34, 0},
                           {11, 292, 0},  {56, 322, 39}, {10, 318, 0},  {24, 268, 26}, {14, 215, 16}, {8, 98, 0},
                           {1, 262, 0},   {3, 328, 0},   {78, 59, 44},  {29, 115, 34}, {37, 312, 36}, {45, 196, 44},
                           {20, 43, 27}};

TEST(SkyGeometryTest, ACrowdedSkyHasNoOverlappingLabelsAndShowsMoreOfThemWhenLarger) {
  struct Case {
    int w, h;
    int laidOverlaps;  // labels that overlap a symbol or label, all drawn as laid out
  } const cases[] = {{292, 325, 0}, {700, 700, 0}};
  int shownBefore = 0;
  for (const Case& c : cases) {
    const TSkyLayout sky = SkyLayout(c.w, c.h);
    // Label boxes of a bold 10 and a 9 point face, three and two characters, at the sky's scale.
    const int prnW = Scaled(27, sky.Scale), prnH = Scaled(16, sky.Scale);
    const int snrW = Scaled(14, sky.Scale), snrH = Scaled(13, sky.Scale);
    std::vector<TSatLabels> sats;
    std::vector<TSkyRect> symbols;
    for (const Sat& s : kCrowdedSky) {
      const TSatPlace p = PlaceSat(sky, s.elevation, s.azimuth, prnW, prnH, snrW, snrH);
      sats.push_back({p.X, p.Y, prnW, prnH, snrW, snrH, s.snr});
      symbols.push_back(p.Symbol);
    }
    const auto overlaps = [&](const std::vector<TLabelPlace>& places) {
      int n = 0;
      for (size_t i = 0; i < places.size(); ++i) {
        bool clash = false;
        for (const TSkyRect& box : {places[i].Prn, places[i].Snr}) {
          for (size_t j = 0; j < places.size(); ++j) {
            if (j == i) continue;
            clash =
                clash || box.Intersects(symbols[j]) || box.Intersects(places[j].Prn) || box.Intersects(places[j].Snr);
          }
        }
        n += clash;
      }
      return n;
    };
    std::vector<TLabelPlace> laid;
    for (const TSatLabels& s : sats) laid.push_back(LabelsOn(TLabelSide::Laid, s, sky.Symbol));
    EXPECT_GT(overlaps(laid), 20) << c.w;

    const std::vector<TLabelPlace> placed = PlaceLabels(sats, sky.Symbol, c.w, c.h, {});
    EXPECT_EQ(overlaps(placed), c.laidOverlaps) << c.w;
    int shown = 0, moved = 0;
    for (const TLabelPlace& p : placed) {
      shown += p.Side != TLabelSide::None;
      moved += p.Side != TLabelSide::None && p.Side != TLabelSide::Laid;
      if (p.Side == TLabelSide::None) continue;
      EXPECT_GE(p.Prn.Left, 0);
      EXPECT_LE(p.Snr.Bottom(), c.h);
    }
    EXPECT_GT(moved, 0) << c.w;
    EXPECT_GT(shown, shownBefore) << c.w;
    shownBefore = shown;
  }
}

TEST(SkyGeometryTest, TheLegendGoesUnderThePlotOnlyWhenThereIsRoom) {
  struct Case {
    int w, h, legendW;
    std::optional<TSkyRect> box;
  } const cases[] = {
      {292, 325, 200, std::nullopt},  // the laid-out window stays as it was
      {700, 800, 300, TSkyRect{200, 800 - 14 - 2, 300, 14}},
      {700, 700, 300, std::nullopt},  // square: the horizon reaches the foot
      {250, 800, 300, std::nullopt},  // wider than the window
  };
  for (const Case& c : cases)
    EXPECT_EQ(LegendPlace(SkyLayout(c.w, c.h), c.w, c.h, c.legendW, 14, 12), c.box) << c.w << "x" << c.h;
}

}  // namespace
}  // namespace orvane
