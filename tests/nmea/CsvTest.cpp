// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/Csv.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using Fields = std::vector<std::string>;

Fields Split(const std::string& text, bool stringflg = true, bool sepaflg = false) {
  tcsv csv;
  csv.stringflg = stringflg;
  csv.sepaflg = sepaflg;
  csv.text = text;
  csv.split();
  return csv.items;
}

TEST(Csv, SeparatorsGiveFieldsIncludingEmptyOnes) {
  struct Row {
    const char* text;
    Fields expected;
  } rows[] = {
      {"a,b,c", {"a", "b", "c"}}, {"a,,c", {"a", "", "c"}}, {"a,b,", {"a", "b", ""}}, {",", {"", ""}},
      {",,", {"", "", ""}},       {"abc", {"abc"}},         {",a", {"", "a"}},
  };
  for (const Row& r : rows) EXPECT_EQ(Split(r.text), r.expected) << r.text;
}

TEST(Csv, QuotesProtectSeparatorsOnlyWithStringflg) {
  const std::string text = "a,\"b,c\",d";
  EXPECT_EQ(Split(text), (Fields{"a", "\"b,c\"", "d"}));
  EXPECT_EQ(Split(text, false), (Fields{"a", "\"b", "c\"", "d"}));
  EXPECT_EQ(Split(text, true, true), (Fields{"a", "b,c", "d"}));
  // An unclosed quote protects to the end of the line.
  EXPECT_EQ(Split("a,\"b,c"), (Fields{"a", "\"b,c"}));
}

TEST(Csv, EmptyTextKeepsThePreviousFields) {
  tcsv csv;
  csv.text = "x,y";
  csv.split();
  csv.text.clear();
  csv.split();
  EXPECT_EQ(csv.items, (Fields{"x", "y"}));
}

TEST(Csv, EverySeparatorAndQuoteCharacterCounts) {
  tcsv csv;
  csv.tokns = ",;";
  csv.stokns = "'\"";
  csv.sepaflg = true;
  csv.sepstring = "'";
  csv.text = "a;'b;c',\"d";
  csv.split();
  EXPECT_EQ(csv.items, (Fields{"a", "b;c", "\"d"}));
}

TEST(Csv, ChangedSeparatorsTakeEffectAtTheNextSplit) {
  tcsv csv;
  csv.text = "a;b,\"c;d\",'e";
  csv.split();
  EXPECT_EQ(csv.items, (Fields{"a;b", "\"c;d\"", "'e"}));
  csv.tokns = ";";
  csv.stokns = "'";
  csv.split();
  EXPECT_EQ(csv.items, (Fields{"a", "b,\"c", "d\",'e"}));
  // The views are the same cut, unstripped, into the line itself.
  std::vector<std::string_view> views;
  csv.sepaflg = true;
  csv.SplitViews(csv.text, views);
  EXPECT_EQ(views, (std::vector<std::string_view>{"a", "b,\"c", "d\",'e"}));
  EXPECT_EQ(views[0].data(), csv.text.data());
}

TEST(Csv, BytesPassUnchanged) {
  const std::string text("\x00\xff,\x80", 4);
  EXPECT_EQ(Split(text), (Fields{std::string("\x00\xff", 2), "\x80"}));
}

}  // namespace
}  // namespace orvane
