// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ShiftJis.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(ShiftJis, DecodesAndEncodesBothWays) {
  // "線" is 0x90 0xFC, "台" is 0x91 0xE4 in CP932.
  EXPECT_EQ(SjisToUtf8("N0113\x90\xFC.TXT"), "N0113線.TXT");
  EXPECT_EQ(Utf8ToSjis("N0113台.TXT"), std::optional<std::string>("N0113\x91\xE4.TXT"));
  EXPECT_EQ(SjisToUtf8("plain"), "plain");
}

TEST(ShiftJis, DamagedBytesBecomeReplacementCharacters) {
  EXPECT_EQ(SjisToUtf8("a\x81"), "a\xEF\xBF\xBD");  // lead byte at the end
  EXPECT_EQ(SjisToUtf8("\xA0z"), "\xEF\xBF\xBDz");  // no character at 0xA0
}

TEST(ShiftJis, TextWithoutCp932FormHasNone) {
  EXPECT_FALSE(Utf8ToSjis("caf\xC3\xA9 \xE2\x82\xAC\xF0\x9F\x98\x80").has_value());  // an emoji
  EXPECT_FALSE(Utf8ToSjis("\xFF").has_value());                                      // not UTF-8
}

TEST(ShiftJis, FullWidthBlankFoundOnlyOnCharacterBoundaries) {
  // 0x81 0x40 is the full-width blank; in "\x88\x81\x40" the 0x81 is a trail byte.
  EXPECT_EQ(FindSjisChar("\x88\x81\x40\x81\x40x", 0x81, 0x40), 3u);
  EXPECT_EQ(FindSjisChar("ab\x81\x40", 0x81, 0x40), 2u);
  EXPECT_EQ(FindSjisChar("\x88\x81\x40", 0x81, 0x40), std::string_view::npos);
  EXPECT_EQ(FindSjisChar("\x81", 0x81, 0x40), std::string_view::npos);
}

}  // namespace
}  // namespace orvane
