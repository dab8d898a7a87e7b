// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/SentenceRing.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(SentenceRingTest, TypeIsTheAddressFieldWithoutItsDollar) {
  struct Case {
    const char* address;
    const char* type;
  } const cases[] = {
      {"$GPGGA", "GPGGA"}, {"$PGRMM", "PGRMM"}, {"$", ""}, {"GPGGA", ""}, {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(SentenceTypeOf(c.address), c.type) << c.address;
}

TEST(SentenceRingTest, KeepsTheLast500LinesOldestFirst) {
  TSentenceRing ring;
  struct Case {
    int added;
    size_t size;
    int oldest, newest;
  } const cases[] = {{1, 1, 0, 0}, {499, 500, 0, 499}, {1, 500, 1, 500}, {750, 500, 751, 1250}};
  int n = 0;
  for (const Case& c : cases) {
    for (int i = 0; i < c.added; ++i, ++n) ring.Add("$GPGSV," + std::to_string(n), "GPGSV" + std::to_string(n));
    ASSERT_EQ(ring.Size(), c.size) << n;
    EXPECT_EQ(ring.Total(), static_cast<uint64_t>(n));
    EXPECT_EQ(ring.At(0), "$GPGSV," + std::to_string(c.oldest)) << n;
    EXPECT_EQ(ring.TypeAt(0), "GPGSV" + std::to_string(c.oldest)) << n;
    EXPECT_EQ(ring.At(c.size - 1), "$GPGSV," + std::to_string(c.newest)) << n;
    for (size_t i = 1; i < ring.Size(); ++i)  // in the order they came
      ASSERT_EQ(ring.At(i), "$GPGSV," + std::to_string(c.newest - static_cast<int>(c.size - 1 - i))) << i;
  }
  EXPECT_THROW(ring.At(500), std::out_of_range);
}

// The console is told each sentence once, with its log mark: the same sentence twice, the
// second one logged, is two lines (once taken for one line shown again with its mark).
TEST(SentenceRingTest, ARepeatedSentenceIsALineOfItsOwnLoggedOrNot) {
  for (const size_t capacity : {size_t{500}, size_t{2}}) {
    TSentenceRing ring(capacity);
    ring.Add("$GPGSA,3", "GPGSA");
    ring.Add(">$GPGSA,3", "GPGSA");
    EXPECT_EQ(ring.Total(), 2u);
    EXPECT_EQ(ring.At(ring.Size() - 2), "$GPGSA,3");
    EXPECT_EQ(ring.At(ring.Size() - 1), ">$GPGSA,3");
  }
}

TEST(SentenceRingTest, RatesCountEachTypeInTheLastClosedSecond) {
  TSentenceRates rates;
  for (const char* type : {"GPGSV", "GPGSV", "GPGGA", "", "GPGSV"}) rates.Add(type);
  EXPECT_TRUE(rates.LastSecond().empty());  // no second closed yet
  rates.Tick();
  EXPECT_EQ(rates.LastSecond(), (std::map<std::string, int, std::less<>>{{"GPGGA", 1}, {"GPGSV", 3}}));
  rates.Add("GPRMC");
  rates.Tick();
  EXPECT_EQ(rates.LastSecond(), (std::map<std::string, int, std::less<>>{{"GPGGA", 0}, {"GPGSV", 0}, {"GPRMC", 1}}));
  // Bad checksums add up across seconds.
  for (const char* type : {"GPGGA", "GPRMC", "GPGGA"}) rates.AddBadChecksum(type);
  rates.Tick();
  EXPECT_EQ(rates.BadChecksums(), (std::map<std::string, int64_t, std::less<>>{{"GPGGA", 2}, {"GPRMC", 1}}));
}

}  // namespace
}  // namespace orvane
