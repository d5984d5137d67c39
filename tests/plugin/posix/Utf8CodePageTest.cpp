// The system code page of this target is UTF-8: the conversions follow
// UTF-8's rules for characters beyond the basic plane and for malformed
// bytes.
#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"
#include "plugin/ArgumentConversions.h"
#include "support/TestText.h"

namespace Halvane::VlmPlugIn {
namespace {

using Platform::WideString;

WideString Wide(const char16_t* text) { return Halvane::Testing::WideText(text); }

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

}  // namespace
}  // namespace Halvane::VlmPlugIn
