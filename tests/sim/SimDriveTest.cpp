// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimDrive.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace orvane {
namespace {

TEST(NmeaSim, EveryLineHasAValidChecksumAndOneGgaPerSecond) {
  TNmeaSim sim;
  for (int second = 0; second < 120; ++second) {
    const std::string burst = sim.NextBurst();
    std::istringstream lines(burst);
    int ggas = 0;
    for (std::string line; std::getline(lines, line);) {
      ASSERT_GE(line.size(), 6u);
      ASSERT_EQ(line.back(), '\r');
      const size_t star = line.find('*');
      ASSERT_NE(star, std::string::npos);
      const std::string body = line.substr(1, star - 1);
      EXPECT_EQ(std::stoi(line.substr(star + 1, 2), nullptr, 16), NmeaChecksum(body)) << line;
      ggas += body.starts_with("GPGGA");
    }
    EXPECT_EQ(ggas, 1);
  }
}

TEST(NmeaSim, GsvCycleCarriesAsManySatellitesAsItAnnounces) {
  TNmeaSim sim;
  for (int second = 0; second < 60; ++second) {
    std::istringstream lines(sim.NextBurst());
    int announced = -1, listed = 0;
    for (std::string line; std::getline(lines, line);) {
      if (!line.starts_with("$GPGSV")) continue;
      // The comma makes getline keep an empty last field.
      std::istringstream fields(line.substr(0, line.find('*')) + ",");
      std::vector<std::string> f;
      for (std::string x; std::getline(fields, x, ',');) f.push_back(x);
      ASSERT_EQ(f.size(), 20u) << line;  // padded to four groups
      announced = std::stoi(f[3]);
      for (size_t k = 4; k < 20; k += 4) listed += !f[k].empty();
    }
    EXPECT_EQ(listed, announced);
    EXPECT_EQ(static_cast<int>(sim.Epoch().Sats.size()), announced);
  }
}

// Dual-band: a cycle of L1 C/A (signal 1) of every satellite, then one of L2C-L (signal 6) of
// some of them, weaker, each message ending after its last satellite; the same sky as without.
TEST(NmeaSim, DualBandSendsACycleForEachSignal) {
  TSimOptions dual;
  dual.DualBand = true;
  TNmeaSim sim(dual), single;
  size_t l2Total = 0;
  for (int second = 0; second < 60; ++second) {
    std::istringstream lines(sim.NextBurst());
    single.NextBurst();
    std::map<std::string, std::map<std::string, int>> snr;  // by signal, then PRN ("" untracked)
    std::map<std::string, int> announced;
    for (std::string line; std::getline(lines, line);) {
      if (!line.starts_with("$GPGSV")) continue;
      std::istringstream fields(line.substr(0, line.find('*')) + ",");
      std::vector<std::string> f;
      for (std::string x; std::getline(fields, x, ',');) f.push_back(x);
      ASSERT_EQ(f.size() % 4, 1u) << line;  // groups, then the signal ID
      ASSERT_TRUE(f.back() == "1" || f.back() == "6") << line;
      announced[f.back()] = std::stoi(f[3]);
      for (size_t k = 4; k + 3 < f.size(); k += 4) snr[f.back()][f[k]] = f[k + 3].empty() ? 0 : std::stoi(f[k + 3]);
    }
    EXPECT_EQ(static_cast<int>(snr["1"].size()), announced["1"]);
    EXPECT_EQ(static_cast<int>(snr["6"].size()), announced["6"]);
    EXPECT_EQ(sim.Epoch().Sats.size(), single.Epoch().Sats.size());
    for (const auto& [prn, l2] : snr["6"]) {
      ASSERT_TRUE(snr["1"].count(prn)) << prn;
      EXPECT_LE(l2, snr["1"][prn]) << prn;
    }
    l2Total += snr["6"].size();
  }
  EXPECT_GT(l2Total, 0u);
}

TEST(NmeaSim, SameSeedSameLogAndHemisphereStarts) {
  TSimOptions a, b;
  b.Seed = 2;
  TNmeaSim x(a), y(a), z(b);
  const std::string bx = x.NextBurst();
  EXPECT_EQ(bx, y.NextBurst());
  EXPECT_NE(bx, z.NextBurst());
  double lat = 0, lon = 0;
  ASSERT_TRUE(HemisphereStart("sw", lat, lon));
  EXPECT_LT(lat, 0);
  EXPECT_LT(lon, 0);
  EXPECT_FALSE(HemisphereStart("NS", lat, lon));
}

TEST(NmeaSim, ParseUtc) {
  int64_t s = 0;
  ASSERT_TRUE(ParseUtc("2024-06-01T09:00:00Z", s));
  EXPECT_EQ(s, 1717232400);
  ASSERT_TRUE(ParseUtc("2024-02-29", s));
  EXPECT_FALSE(ParseUtc("2023-02-29", s));
  EXPECT_FALSE(ParseUtc("2024-06-01T24:00", s));
  EXPECT_FALSE(ParseUtc("2024-6-01", s));
}

}  // namespace
}  // namespace orvane
