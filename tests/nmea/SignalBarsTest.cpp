// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/SignalBars.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(SignalBarsTest, SatellitesAreSortedBySystemThenByPrnAsANumber) {
  struct Case {
    const char* what;
    std::vector<std::string> labels, sorted;
  } const cases[] = {
      {"single system", {"12", "5", "05", "31", "100"}, {"05", "5", "12", "31", "100"}},
      {"systems in their order",
       {"C07", "E12", "G12", "R70", "S44", "J01", "G5"},
       {"G5", "G12", "R70", "E12", "C07", "J01", "S44"}},
      {"no letter last", {"12", "G30"}, {"G30", "12"}},
      {"a PRN that is not a number", {"G1x", "G", "G01"}, {"G", "G01", "G1x"}},
  };
  for (const Case& c : cases) {
    std::vector<TSignalSat> sats;
    for (const std::string& l : c.labels) sats.push_back({l, 30, false});
    SortSignalSats(sats);
    std::vector<std::string> got;
    for (const TSignalSat& s : sats) got.push_back(s.Label);
    EXPECT_EQ(got, c.sorted) << c.what;
  }
}

TEST(SignalBarsTest, BarHeightsFollowTheSnrOnTheScale) {
  // Plot: left 4 + 20 + 4 = 28, top 4 + 12 / 2 = 10, foot 200 - 4 - 12 = 184: 174 high, 306 - 28 - 4 wide.
  const std::vector<TSignalSat> sats = {{"1", 0, false},  {"2", 30, true},  {"3", 60, true},
                                        {"4", 45, false}, {"5", 75, false}, {"6", -3, false}};
  const TSignalLayout l = SignalLayout(306, 200, sats, 20, 12, 12);
  EXPECT_EQ(l.Plot, (TSkyRect{28, 10, 274, 174}));
  ASSERT_EQ(l.Bars.size(), sats.size());
  const int heights[] = {0, 87, 174, 130, 174, 0};  // 174 * snr / 60, clamped to the scale
  for (size_t i = 0; i < sats.size(); ++i) {
    EXPECT_EQ(l.Bars[i].Bar.Height, heights[i]) << i;
    EXPECT_EQ(l.Bars[i].Bar.Bottom(), l.Plot.Bottom()) << i;
    EXPECT_EQ(l.Bars[i].Label.Top, l.Plot.Bottom()) << i;
    EXPECT_EQ(l.Bars[i].Label.Height, 12) << i;
    // Side by side, left to right, inside the plot.
    if (i > 0) {
      EXPECT_GE(l.Bars[i].Bar.Left, l.Bars[i - 1].Bar.Right()) << i;
    }
    EXPECT_LE(l.Bars[i].Bar.Right(), l.Plot.Right()) << i;
  }
  ASSERT_EQ(l.Ticks.size(), 7u);
  EXPECT_EQ(l.Ticks.front().Db, 0);
  EXPECT_EQ(l.Ticks.front().Y, 184);
  EXPECT_EQ(l.Ticks[3].Y, 184 - 87);
  EXPECT_EQ(l.Ticks.back().Db, 60);
  EXPECT_EQ(l.Ticks.back().Y, 10);
}

TEST(SignalBarsTest, BarsScaleWithTheWindow) {
  const std::vector<TSignalSat> sats(43, {"G1", 40, true});
  struct Case {
    int w, h;
  } const cases[] = {{300, 150}, {900, 450}, {40, 30}};
  for (const Case& c : cases) {
    const TSignalLayout l = SignalLayout(c.w, c.h, sats, 20, 14, 12);
    ASSERT_EQ(l.Bars.size(), 43u);
    EXPECT_EQ(l.Bars.back().Label.Right(), l.Plot.Right()) << c.w;  // the slots fill the plot
    EXPECT_EQ(l.Bars[0].Bar.Height, l.Plot.Height * 40 / 60) << c.w;
    EXPECT_GE(l.Bars[0].Bar.Width, 1) << c.w;
  }
  EXPECT_GT(SignalLayout(900, 450, sats, 20, 14, 12).Bars[0].Bar.Width,
            SignalLayout(300, 150, sats, 20, 14, 12).Bars[0].Bar.Width);
  EXPECT_TRUE(SignalLayout(300, 150, {}, 20, 14, 12).Bars.empty());
}

TEST(SignalBarsTest, ASatellitesBandsStandTogetherEachNamedUnderItsBar) {
  const std::vector<TSignalSat> sats = {{"G02", 44, true, {{"L1 C/A", 44}, {"L2C-L", 30}}},
                                        {"G05", 40, false},
                                        {"E07", 43, true, {{"E1-BC", 43}, {"E5b", 40}, {"?", 12}}}};
  const TSignalLayout l = SignalLayout(406, 200, sats, 20, 12, 12, 10);
  // The satellites' labels under the band names, the band names right under the plot.
  EXPECT_EQ(l.Plot, (TSkyRect{28, 10, 374, 164}));
  ASSERT_EQ(l.Bars.size(), 6u);
  const size_t sat[] = {0, 0, 1, 2, 2, 2};
  const int band[] = {0, 1, -1, 0, 1, 2};
  const int snr[] = {44, 30, 40, 43, 40, 12};
  for (size_t i = 0; i < l.Bars.size(); ++i) {
    const TSignalBar& b = l.Bars[i];
    EXPECT_EQ(b.Sat, sat[i]) << i;
    EXPECT_EQ(b.BandIndex, band[i]) << i;
    EXPECT_EQ(b.Bar.Height, l.Plot.Height * snr[i] / 60) << i;
    EXPECT_EQ(b.Label.Top, l.Plot.Bottom() + 10) << i;
    EXPECT_EQ(b.Band.Height, band[i] < 0 ? 0 : 10) << i;
    // Each bar over its band's name, inside its satellite's label.
    EXPECT_GE(b.Bar.Left, b.Band.Left) << i;
    EXPECT_LE(b.Bar.Right(), b.Band.Right()) << i;
    EXPECT_GE(b.Band.Left, b.Label.Left) << i;
    EXPECT_LE(b.Band.Right(), b.Label.Right()) << i;
    if (i > 0 && sat[i] == sat[i - 1]) {
      EXPECT_EQ(b.Label, l.Bars[i - 1].Label) << i;
      EXPECT_EQ(b.Bar.Left, l.Bars[i - 1].Bar.Right() + 1) << i;  // a pixel apart
    } else if (i > 0) {
      EXPECT_EQ(b.Label.Left, l.Bars[i - 1].Label.Right()) << i;
      EXPECT_GT(b.Bar.Left, l.Bars[i - 1].Bar.Right() + 1) << i;  // satellites further apart
    }
  }
  // Every bar takes one slot of the plot's width.
  EXPECT_NEAR(2 * l.Bars[2].Label.Width, l.Bars[0].Label.Width, 2);
  EXPECT_EQ(l.Bars.back().Label.Right(), l.Plot.Right());
  // Without bands nothing is kept for their names.
  EXPECT_EQ(SignalLayout(406, 200, {sats[1]}, 20, 12, 12, 10).Plot.Height, 174);
}

}  // namespace
}  // namespace orvane
