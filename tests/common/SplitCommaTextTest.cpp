// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/SplitCommaText.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitCommaText, BlanksAndCommasSeparate) {
  struct Row {
    std::string text;
    Fields expected;
  } rows[] = {
      {"a,b,c", {"a", "b", "c"}},
      {"a b\tc", {"a", "b", "c"}},
      {"  a ,  b  ", {"a", "b"}},
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a"}},
      {",a", {"", "a"}},
      {"", {}},
      {"   ", {}},
      {"a , , b", {"a", "", "b"}},
  };
  for (const Row& r : rows) EXPECT_EQ(SplitCommaText(r.text), r.expected) << r.text;
}

TEST(SplitCommaText, QuotedFieldsHoldBlanksCommasAndDoubledQuotes) {
  EXPECT_EQ(SplitCommaText("\"a b,c\",d"), (Fields{"a b,c", "d"}));
  EXPECT_EQ(SplitCommaText("\"say \"\"hi\"\"\""), (Fields{"say \"hi\""}));
  EXPECT_EQ(SplitCommaText("\"\",x"), (Fields{"", "x"}));
  EXPECT_EQ(SplitCommaText("\"open"), (Fields{"open"}));
  EXPECT_EQ(SplitCommaText("\"ab\"cd"), (Fields{"ab", "cd"}));
}

TEST(SplitCommaText, DoubleByteCharactersAreSteppedOverWhole) {
  // 0x82 0x2C is one Shift_JIS character whose trail byte is a comma; 0x83 0x22 ends in a quote.
  const std::string sjis = "\x82,\x83\"";
  EXPECT_EQ(SplitCommaText(sjis + ",b"), (Fields{sjis, "b"}));
  EXPECT_EQ(SplitCommaText("\"" + sjis + "\""), (Fields{sjis}));
}

TEST(SplitCommaText, ClearsTheListAndStopsAtNul) {
  Fields f{"old"};
  SplitCommaText(std::string("a,b\0,c", 6), f);
  EXPECT_EQ(f, (Fields{"a", "b"}));
}

}  // namespace
}  // namespace orvane
