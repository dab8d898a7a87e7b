// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NmeaConv.h"

#include <cmath>

#include <gtest/gtest.h>

#include "tests/common/CommaLocale.h"

namespace orvane {
namespace {

TEST(NmeaConv, SafeStrToIntNeverFails) {
  struct Row {
    const char* text;
    int32_t expected;
  } rows[] = {
      {"", 0},
      {"12", 12},
      {"-7", -7},
      {"+7", 7},
      {" 42 ", 42},
      {"$1F", 31},
      {"0x10", 16},
      {"12a", 0},
      {"1.5", 0},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", 0},
      {"99999999999999999999", 0},
      {"-", 0},
      {"$", 0},
      {"0x", 0},
  };
  for (const Row& r : rows) EXPECT_EQ(SafeStrToInt(r.text), r.expected) << r.text;
}

TEST(NmeaConv, SafeStrToFloatReadsPeriodDecimals) {
  struct Row {
    const char* text;
    double expected;
  } rows[] = {
      {"", 0},    {"1.5", 1.5}, {"-0.25", -0.25}, {"1e3", 1000}, {"2.5E-1", 0.25}, {".5", 0.5}, {"5.", 5},
      {"1,5", 0}, {"abc", 0},   {"inf", 0},       {"nan", 0},    {"1e999", 0},     {" 3.0", 3},
  };
  for (const Row& r : rows) EXPECT_DOUBLE_EQ(SafeStrToFloat(r.text), r.expected) << r.text;
}

TEST(NmeaConv, SafeStrToFloatIgnoresTheLocale) {
  test::CommaLocale comma;
  ASSERT_TRUE(comma.active());
  EXPECT_DOUBLE_EQ(SafeStrToFloat("45.3"), 45.3);
  EXPECT_NEAR(NmeaToDms("3539.1234"), 35.3907404, 1e-12);
}

TEST(NmeaConv, TruncToIntTruncatesTowardZeroAndGuardsItsRange) {
  EXPECT_EQ(TruncToInt(2.9), 2);
  EXPECT_EQ(TruncToInt(-2.9), -2);
  EXPECT_EQ(TruncToInt(2147483647.9), 2147483647);
  EXPECT_EQ(TruncToInt(-2147483648.9), INT32_MIN);
  EXPECT_EQ(TruncToInt(2147483648.0), 0);
  EXPECT_EQ(TruncToInt(1e300), 0);
  EXPECT_EQ(TruncToInt(std::nan("")), 0);
}

TEST(NmeaConv, NmeaToDmsTurnsMinutesIntoMinutesAndSeconds) {
  EXPECT_NEAR(NmeaToDms("3539.1234"), 35.3907404, 1e-12);
  EXPECT_NEAR(NmeaToDms("13945.5000"), 139.453, 1e-12);
  EXPECT_NEAR(NmeaToDms("13945.5"), 139.453, 1e-12);
  EXPECT_NEAR(NmeaToDms("0000.0000"), 0, 0);
  EXPECT_NEAR(NmeaToDms("00030.0"), 0.3, 1e-12);
  EXPECT_EQ(NmeaToDms("x"), 0);
}

TEST(NmeaConv, TimeTextCutsPairsAndToleratesShortFields) {
  EXPECT_EQ(NmeaTimeText("123456.00"), "12:34:56");
  EXPECT_EQ(NmeaTimeText("010203"), "01:02:03");
  EXPECT_EQ(NmeaTimeText("123"), "12:3:");
  EXPECT_EQ(NmeaTimeText(""), "::");
}

}  // namespace
}  // namespace orvane
