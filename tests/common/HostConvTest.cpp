// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/HostConv.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>
#include <string_view>

#include <gtest/gtest.h>

#include "tests/common/CommaLocale.h"

namespace orvane {
namespace {

TEST(HostConv, IntegersInDecimalAndBothHexForms) {
  EXPECT_EQ(HostStrToInt("$FF"), 255);
  EXPECT_EQ(HostStrToInt("0xff"), 255);
  EXPECT_EQ(HostStrToInt("-$10"), -16);
  EXPECT_EQ(HostStrToInt("$FFFFFFFF"), -1);  // a 32-bit pattern
  EXPECT_EQ(HostStrToInt("$00FF00FF"), 0x00FF00FF);
  int32_t v = 5;
  EXPECT_FALSE(TryStrToInt("$100000000", v));
  EXPECT_FALSE(TryStrToInt("1 2", v));
  EXPECT_EQ(v, 5);  // untouched on failure
}

TEST(HostConv, ErrorsNameTheText) {
  try {
    HostStrToInt("12a");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12a' is not a valid integer value");
  }
  EXPECT_THROW(HostStrToFloat("1,5"), EConvertError);
  EXPECT_THROW(HostStrToFloat(""), EConvertError);
}

TEST(HostConv, FixedFormattingRoundsTiesAwayFromZero) {
  struct Row {
    double v;
    int d;
    const char* text;
  } rows[] = {
      {1.25, 1, "1.3"},     {-1.25, 1, "-1.3"},          {0.5, 0, "1"},  {2.5, 0, "3"},
      {0.125, 2, "0.13"},   {2.675, 2, "2.67"},  // held as 2.67499999...: not a tie
      {15.83, 3, "15.830"}, {35.3907404, 5, "35.39074"}, {0, 2, "0.00"}, {-0.001, 2, "-0.00"},
  };
  for (const Row& r : rows) EXPECT_EQ(FormatFixed(r.v, r.d), r.text) << r.v << " " << r.d;
}

// Ties as first detected: the value written out with 80 more decimals is a 5 and zeros there.
std::string FixedByLongDigits(double value, int decimals) {
  char buf[400];
  auto [e, c] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals + 80);
  const std::string_view digits(buf, e);
  const size_t next = digits.find('.') + 1 + static_cast<size_t>(decimals);
  if (next < digits.size() && digits[next] == '5' && digits.find_first_not_of('0', next + 1) == std::string_view::npos)
    value = std::nextafter(value, value < 0 ? -HUGE_VAL : HUGE_VAL);
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  return std::string(buf, end);
}

TEST(HostConv, FixedFormattingAgreesWithTheLongDigitRule) {
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> any(-2000, 2000);
  for (int i = 0; i < 20000; ++i) {
    const int d = static_cast<int>(random() % 12);
    // Half of them exact ties: k/2 at d decimals that a double holds, or ties just beside.
    double v = any(random);
    if (i % 2) v = std::ldexp(static_cast<double>(static_cast<int64_t>(random() % 200001) - 100000) + 0.5, -d);
    if (i % 6 == 1) v = std::nextafter(v, HUGE_VAL);
    ASSERT_EQ(FormatFixed(v, d), FixedByLongDigits(v, d)) << v << " " << d;
  }
  for (double v : {1e-300, 5e-324, 1e16 + 1, 0.015625, 2.5e-7})
    for (int d = 0; d < 30; ++d) ASSERT_EQ(FormatFixed(v, d), FixedByLongDigits(v, d)) << v << " " << d;
}

TEST(HostConv, ShortestFormReadsBack) {
  for (double v : {0.1, 35.3907404, 139.453, 1.0 / 3, 1e-7, 6378137.0, -147.54}) {
    const std::string t = FormatShortest(v);
    EXPECT_LE(t.size(), 22u);
    EXPECT_NEAR(HostStrToFloat(t), v, std::fabs(v) * 1e-14) << t;
  }
  EXPECT_EQ(FormatShortest(0.1), "0.1");
  EXPECT_EQ(FormatShortest(35.5), "35.5");
  EXPECT_EQ(FormatShortest(1.0 / 3), "0.333333333333333");
}

TEST(HostConv, PeriodWhateverTheLocale) {
  test::CommaLocale comma;
  ASSERT_TRUE(comma.active()) << "cannot build a comma-decimal locale (is the locales package installed?)";
  char printed[16];
  std::snprintf(printed, sizeof printed, "%.1f", 1.5);
  ASSERT_STREQ(printed, "1,5");  // the locale is in force
  EXPECT_EQ(FormatFixed(1.5, 1), "1.5");
  EXPECT_EQ(FormatShortest(1.5), "1.5");
  EXPECT_EQ(HostStrToFloat("1.5"), 1.5);
}

}  // namespace
}  // namespace orvane
