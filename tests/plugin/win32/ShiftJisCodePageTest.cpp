// The users' systems run code page 932 (Shift-JIS), and so do the tests
// under Wine: command texts arrive in it and are converted with it.
#include <gtest/gtest.h>

#include <string>

#include "platform/Com.h"
#include "plugin/ArgumentConversions.h"

namespace Halvane::VlmPlugIn {
namespace {

using Platform::WideString;

TEST(ShiftJisTest, SystemCodePageIsShiftJis) { EXPECT_EQ(::GetACP(), 932u); }

TEST(ShiftJisTest, CommandTextsConvertBothWays) {
  struct Row {
    std::string ansi;
    std::wstring wide;
  };
  const Row rows[] = {
      {"\x93\xae\x89\xe6.swf", L"動画.swf"},
      // Second bytes of 0x5C read as part of their character, not as a
      // backslash.
      {"\x95\x5c\x8e\xa6", L"表示"},
      {"\xb1\xb2", L"\xFF71\xFF72"},  // half-width katakana are single bytes
      {"a\\b", L"a\\b"},
  };
  for (const Row& row : rows) {
    WideString wide;
    ASSERT_EQ(AnsiToWide(row.ansi, wide), 1);
    EXPECT_EQ(wide, row.wide);
    std::string back;
    ASSERT_EQ(WideToAnsi(wide, back), 1);
    EXPECT_EQ(back, row.ansi);
  }
}

TEST(ShiftJisTest, CharactersOutsideTheCodePageBecomeTheDefaultCharacter) {
  std::string ansi;
  ASSERT_EQ(WideToAnsi(L"a\xD55C" L"b", ansi), 1);  // a Hangul syllable
  EXPECT_EQ(ansi, "a?b");
}

}  // namespace
}  // namespace Halvane::VlmPlugIn
