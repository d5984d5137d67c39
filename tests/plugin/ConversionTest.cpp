// The argument conversions of the handlers and the code-page seam under them.
#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"
#include "plugin/ArgumentConversions.h"
#include "support/TestText.h"

namespace Halvane::VlmPlugIn {
namespace {

using Platform::WideString;

WideString Wide(const char16_t* text) { return Halvane::Testing::WideText(text); }

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

using Halvane::Testing::InSystemCodePage;

TEST(TextConversionTest, JapaneseTextRoundTrips) {
  const std::string ansi = InSystemCodePage(u"動画ファイル「テスト」.swf");
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

TEST(CodePageTest, MeasuresThenConvertsAndRefusesTooSmallOrEmptyRequests) {
  const std::string ansi = InSystemCodePage(u"日本");
  const char* text = ansi.c_str();
  const int bytes = static_cast<int>(ansi.size()) + 1;  // with the zero
  EXPECT_EQ(Platform::MultiByteToWide(text, -1, nullptr, 0), 3);
  Platform::WideChar out[3] = {1, 1, 1};
  EXPECT_EQ(Platform::MultiByteToWide(text, -1, out, 2), 0);
  EXPECT_EQ(Platform::MultiByteToWide(text, -1, out, 3), 3);
  EXPECT_EQ(out[2], 0);
  EXPECT_EQ(Platform::MultiByteToWide(text, 0, out, 3), 0);
  EXPECT_EQ(Platform::MultiByteToWide(nullptr, -1, out, 3), 0);
  EXPECT_EQ(Platform::MultiByteToWide(text, -2, out, 3), 0);
  EXPECT_EQ(Platform::MultiByteToWide(text, -1, nullptr, 3), 0);

  EXPECT_EQ(Platform::WideToMultiByte(out, -1, nullptr, 0), bytes);
  char back[16];
  EXPECT_EQ(Platform::WideToMultiByte(out, -1, back, bytes - 1), 0);
  EXPECT_EQ(Platform::WideToMultiByte(out, -1, back, bytes), bytes);
  EXPECT_STREQ(back, text);
  // One character, no zero added: as many bytes as the code page gives it.
  EXPECT_EQ(Platform::WideToMultiByte(out, 1, back, bytes),
            static_cast<int>(InSystemCodePage(u"日").size()));
}

}  // namespace
}  // namespace Halvane::VlmPlugIn
