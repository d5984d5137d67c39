// The argument conversions of the handlers and the code-page seam under them.
#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"
#include "plugin/ArgumentConversions.h"

namespace Halvane::VlmPlugIn {
namespace {

using Platform::WideString;

WideString Wide(const char16_t* text) {
  WideString wide;
  for (; *text != 0; ++text) wide.push_back(static_cast<Platform::WideChar>(*text));
  return wide;
}

struct IntegerRow {
  std::string text;
  bool succeeds;
  std::int32_t value;
};

TEST(ParseIntegerTest, ReadsLikeAtolAndRefusesTheOverflowValues) {
  const IntegerRow rows[] = {
      {"0", true, 0},
      {"42", true, 42},
      {"-42", true, -42},
      {"+7", true, 7},
      {"  \t\n12", true, 12},
      {"12abc", true, 12},
      {"abc", true, 0},
      {"", true, 0},
      {"-", true, 0},
      {" - 5", true, 0},
      {"007", true, 7},
      {"2147483646", true, 2147483646},
      {"-2147483647", true, -2147483647},
      {"2147483647", false, 0},
      {"-2147483648", false, 0},
      {"2147483648", false, 0},
      {"99999999999", false, 0},
      {"-99999999999", false, 0},
      {"4294967296", false, 0},
      {"18446744073709551617", false, 0},
      {std::string(5000, '9'), false, 0},
      {"00000000000000000000000000001", true, 1},
  };
  for (const IntegerRow& row : rows) {
    std::int32_t value = 777;
    EXPECT_EQ(ParseInteger(row.text, value), row.succeeds ? 1 : 0) << row.text;
    EXPECT_EQ(value, row.succeeds ? row.value : 777) << row.text;
  }
}

TEST(TextConversionTest, JapaneseTextRoundTrips) {
  const std::string ansi = "動画ファイル「テスト」.swf";
  WideString wide;
  ASSERT_EQ(AnsiToWide(ansi, wide), 1);
  EXPECT_EQ(wide, Wide(u"動画ファイル「テスト」.swf"));
  std::string back;
  ASSERT_EQ(WideToAnsi(wide, back), 1);
  EXPECT_EQ(back, ansi);
}

TEST(TextConversionTest, EmptyTextConvertsToEmptyText) {
  WideString wide = Wide(u"old");
  ASSERT_EQ(AnsiToWide("", wide), 1);
  EXPECT_TRUE(wide.empty());
  std::string ansi = "old";
  ASSERT_EQ(WideToAnsi(WideString(), ansi), 1);
  EXPECT_TRUE(ansi.empty());
}

TEST(TextConversionTest, CharactersOutsideTheBasicPlaneUseSurrogatePairs) {
  WideString wide;
  ASSERT_EQ(AnsiToWide("a\xF0\x9F\x8E\xAC" "b", wide), 1);
  ASSERT_EQ(wide.size(), 4u);
  EXPECT_EQ(wide[1], 0xD83C);
  EXPECT_EQ(wide[2], 0xDFAC);
  std::string back;
  ASSERT_EQ(WideToAnsi(wide, back), 1);
  EXPECT_EQ(back, "a\xF0\x9F\x8E\xAC" "b");
}

TEST(TextConversionTest, MalformedInputBecomesReplacementCharacters) {
  struct Row {
    std::string bytes;
    std::u16string expected;
  };
  const Row rows[] = {
      {"\xFF", u"\uFFFD"},
      {"a\x80z", u"a\uFFFDz"},
      {"\xE3\x81", u"\uFFFD"},            // cut short at the end
      {"\xE3\x81z", u"\uFFFDz"},          // cut short by a plain byte
      {"\xC0\xAF", u"\uFFFD\uFFFD"},      // overlong
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\x95\x5C", u"\uFFFD\\"},          // a Shift-JIS pair read as UTF-8
  };
  for (const Row& row : rows) {
    WideString wide;
    ASSERT_EQ(AnsiToWide(row.bytes, wide), 1);
    EXPECT_EQ(wide, Wide(row.expected.c_str())) << row.bytes;
  }
  WideString lone;
  lone.push_back(static_cast<Platform::WideChar>(0xD800));
  lone.push_back(static_cast<Platform::WideChar>('x'));
  std::string ansi;
  ASSERT_EQ(WideToAnsi(lone, ansi), 1);
  EXPECT_EQ(ansi, "\xEF\xBF\xBDx");
}

TEST(CodePageTest, MeasuresThenConvertsAndRefusesTooSmallOrEmptyRequests) {
  const char* text = "日本";
  EXPECT_EQ(Platform::MultiByteToWide(text, -1, nullptr, 0), 3);  // with the zero
  Platform::WideChar out[3] = {1, 1, 1};
  EXPECT_EQ(Platform::MultiByteToWide(text, -1, out, 2), 0);
  EXPECT_EQ(Platform::MultiByteToWide(text, -1, out, 3), 3);
  EXPECT_EQ(out[2], 0);
  EXPECT_EQ(Platform::MultiByteToWide(text, 0, out, 3), 0);
  EXPECT_EQ(Platform::MultiByteToWide(nullptr, -1, out, 3), 0);
  EXPECT_EQ(Platform::MultiByteToWide(text, -2, out, 3), 0);
  EXPECT_EQ(Platform::MultiByteToWide(text, -1, nullptr, 3), 0);

  EXPECT_EQ(Platform::WideToMultiByte(out, -1, nullptr, 0), 7);
  char bytes[7];
  EXPECT_EQ(Platform::WideToMultiByte(out, -1, bytes, 6), 0);
  EXPECT_EQ(Platform::WideToMultiByte(out, -1, bytes, 7), 7);
  EXPECT_STREQ(bytes, text);
  EXPECT_EQ(Platform::WideToMultiByte(out, 1, bytes, 7), 3);  // no zero added
}

}  // namespace
}  // namespace Halvane::VlmPlugIn
