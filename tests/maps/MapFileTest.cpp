// The readers' shared pieces: lines over a buffer, byte columns, and the conversions that name
// where a field came from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/HostConv.h"
#include "maps/MapFile.h"

namespace orvane {
namespace {

TEST(MapFileTest, LinesColumnsAndFields) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> texts = {
      {"a\r\nb\n\nc", {"a", "b", "", "c"}}, {"a\n", {"a"}}, {"", {}}, {"\r\n\r", {"", ""}}};
  for (const auto& [text, lines] : texts) {
    TLineReader in(text);
    std::vector<std::string> got;
    for (std::string_view l; in.Next(l);) got.emplace_back(l);
    EXPECT_EQ(got, lines) << text;
    EXPECT_EQ(in.LineNo(), static_cast<int>(lines.size()));
  }
  EXPECT_EQ(Columns("L123456", 2, 4), "123");
  EXPECT_EQ(Columns("L12", 2, 6), "12");
  EXPECT_EQ(Columns("L12", 4, 6), "");

  const std::string file = "N01.txt";
  const std::vector<std::pair<std::string, int32_t>> good = {
      {"  -12", -12}, {"+7 ", 7},    {"00123", 123}, {"999999999", 999999999}, {"2147483647", 2147483647},
      {"$1F", 31},    {" 0x10", 16}, {"\t5", 5}};
  for (const auto& [text, value] : good) EXPECT_EQ(FieldToInt(text, {file, 3}), value) << text;
  for (const std::string text : {"", "   ", "-", "1 2", "12a", "2147483648", "1.5"}) {
    try {
      FieldToInt(text, {file, 3});
      ADD_FAILURE() << text;
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), "N01.txt, line 3: '" + text + "' is not a valid integer value");
    }
  }
  EXPECT_DOUBLE_EQ(FieldToFloat(" 135.25 ", {file, 1}), 135.25);
  EXPECT_THROW(FieldToFloat("135,25", {file, 1}), EConvertError);
}

}  // namespace
}  // namespace orvane
