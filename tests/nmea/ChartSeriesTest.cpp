// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/ChartSeries.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "nmea/UNmeaProc.h"

namespace orvane {
namespace {

struct ChartSeriesTest : ::testing::Test {
  TNmeaRec rec;
  TNullDisplay display;
  TNmeaProc proc{rec, display};
  TChartSeries series;
  ChartSeriesTest() {
    rec.GpsDatum = "WGS 84";
    proc.OnSentence = [this](const TSentenceInfo& info) { series.Add(info, rec, proc); };
  }
  void Feed(const std::string& body) {
    unsigned sum = 0;
    for (const char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    proc.ProcessNmea("$" + body + tail);
  }
  // One second: the satellites, the fix's dilutions and sigmas, then the GGA that takes the sample.
  void Second(const char* time, double height, int snr) {
    Feed("GPGSV,1,1,04,01,40,090," + std::to_string(snr) + ",03,30,180,30,06,20,270,,09,10,045,00");
    Feed("GPGSA,A,3,01,03,,,,,,,,,,,2.0,1.1,1.7");
    Feed(std::string("GPGST,") + time + ",1.5,1.2,0.8,45.0,0.9,0.7,1.9");
    char gga[120];
    std::snprintf(gga, sizeof gga, "GPGGA,%s,3539.5149,N,13944.7260,E,4,02,1.1,%.1f,M,39.4,M,,", time, height);
    Feed(gga);
  }
};

TEST_F(ChartSeriesTest, EachGgaTakesTheRecordsQuantitiesAndTimeRunsPastMidnight) {
  Second("235959", 40.5, 50);
  Second("000001", 41.0, 44);
  const std::vector<TChartSample>& s = series.Samples();
  ASSERT_EQ(s.size(), 2u);
  const auto v = [&](size_t i, TChartQuantity q) { return s[i].Values[static_cast<size_t>(q)]; };
  EXPECT_DOUBLE_EQ(s[1].Time, 2);
  EXPECT_EQ(s[1].Utc, "00:00:01");
  EXPECT_EQ(v(0, TChartQuantity::InView), 4);
  EXPECT_EQ(v(0, TChartQuantity::Used), 2);
  EXPECT_DOUBLE_EQ(v(0, TChartQuantity::MeanSnr), 80.0 / 2);  // the satellites without SNR not counted
  EXPECT_EQ(v(0, TChartQuantity::MaxSnr), 50);
  EXPECT_EQ(v(0, TChartQuantity::Pdop), 2.0);
  EXPECT_EQ(v(0, TChartQuantity::Vdop), 1.7);  // as sent, not as a float holds it
  EXPECT_DOUBLE_EQ(v(1, TChartQuantity::Height), 41.0);
  EXPECT_DOUBLE_EQ(v(1, TChartQuantity::SigmaAlt), 1.9);
  // The pointer reads the nearest sample.
  EXPECT_EQ(series.At(0.9)->Utc, "23:59:59");
  EXPECT_EQ(series.At(1.1)->Utc, "00:00:01");
  EXPECT_EQ(series.At(99)->Utc, "00:00:01");
  EXPECT_EQ(series.Csv({TChartQuantity::Used, TChartQuantity::Height}),
            "time_s,utc,used,height_m\n0,23:59:59,2,40.5\n2,00:00:01,2,41\n");
  EXPECT_EQ(series.Csv({TChartQuantity::Used}, 1), "time_s,utc,used\n2,00:00:01,2\n");
}

TEST_F(ChartSeriesTest, ThinnedPointsKeepEveryBucketsPeaksInTimeOrder) {
  char time[8];
  for (int i = 0; i < 600; ++i) {
    std::snprintf(time, sizeof time, "12%02d%02d", i / 60, i % 60);
    // A flat height with one spike up and one down.
    Second(time, i == 123 ? 90 : i == 456 ? 10 : 40, 40);
  }
  const std::vector<TChartPoint> p = series.Points(TChartQuantity::Height, 0, 10);
  EXPECT_LE(p.size(), 40u);
  bool up = false, down = false;
  for (size_t i = 0; i < p.size(); ++i) {
    up = up || (p[i].Time == 123 && p[i].Value == 90);
    down = down || (p[i].Time == 456 && p[i].Value == 10);
    if (i) {
      EXPECT_LT(p[i - 1].Time, p[i].Time);
    }
  }
  EXPECT_TRUE(up);
  EXPECT_TRUE(down);
  EXPECT_EQ(p.back().Time, 599);
  // From a time on: only the samples since, all of them when few.
  EXPECT_EQ(series.Points(TChartQuantity::Height, 590, 10).size(), 10u);
}

}  // namespace
}  // namespace orvane
