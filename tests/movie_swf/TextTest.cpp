// The movie's one UTF-8 codec and its ASCII classes: every byte string has
// one length in characters, malformed bytes read as U+FFFD one at a time in
// both directions, and case folding is ASCII only.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "movie/swf/Text.h"

namespace Halvane::Movie {
namespace {

TEST(Utf8, MalformedBytesAreOneCharacterEachInEveryDirection) {
  const struct {
    const char* what;
    std::string bytes;
    std::vector<std::size_t> starts;
    std::u16string utf16;
  } rows[] = {
      {"ASCII and a two-byte character", "a\xC3\xA9", {0, 1}, u"a\u00E9"},
      {"four-byte character", "\xF0\x9F\x8E\xAC", {0}, u"\U0001F3AC"},
      {"lead byte at the end", "a\xC3", {0, 1}, u"a\uFFFD"},
      {"three-byte lead cut short", "\xE3\x81", {0, 1}, u"\uFFFD\uFFFD"},
      {"stray continuation byte", "\x80z", {0, 1}, u"\uFFFDz"},
      {"overlong form", "\xC0\x80", {0, 1}, u"\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", {0, 1, 2}, u"\uFFFD\uFFFD\uFFFD"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", {0, 1, 2, 3}, u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"no lead byte at all", "\xFF\xFE", {0, 1}, u"\uFFFD\uFFFD"},
      {"Shift-JIS pair", "\x82\xA0", {0, 1}, u"\uFFFD\uFFFD"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(Utf8CharacterStarts(row.bytes), row.starts);
    EXPECT_EQ(Utf8ToUtf16(row.bytes), row.utf16);
  }
  EXPECT_EQ(DecodeUtf8("\xE6\x97\xA5", 0).codePoint, 0x65E5u);
  EXPECT_EQ(DecodeUtf8("\xC0\x80", 0).codePoint, kReplacementCharacter);
  EXPECT_FALSE(DecodeUtf8("\xC0\x80", 0).wellFormed);
}

TEST(Utf8, EncodingRefusesWhatIsNoCharacter) {
  std::string out;
  EXPECT_TRUE(AppendUtf8(out, 0x10FFFF));
  EXPECT_EQ(out, "\xF4\x8F\xBF\xBF");
  EXPECT_FALSE(AppendUtf8(out, 0xD800));
  EXPECT_FALSE(AppendUtf8(out, 0x110000));
  EXPECT_EQ(out, "\xF4\x8F\xBF\xBF");
  // UTF-16 with a lone surrogate, and a pair, into UTF-8 and back.
  const std::u16string wide = {u'x', static_cast<char16_t>(0xDC00), 0xD83C, 0xDFAC};
  EXPECT_EQ(Utf16ToUtf8(wide), "x\xEF\xBF\xBD\xF0\x9F\x8E\xAC");
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(u"\u3042\U0001F3AC")), u"\u3042\U0001F3AC");
}

TEST(AsciiClasses, NamesFoldOnlyAsciiLettersWhateverTheLocale) {
  std::setlocale(LC_ALL, "");  // the environment's locale must not matter
  EXPECT_TRUE(SameName("Score", "sCORE", false));
  EXPECT_FALSE(SameName("Score", "sCORE", true));
  EXPECT_FALSE(SameName("\xC9t\xE9", "\xE9t\xE9", false));  // Latin-1 letters are bytes
  EXPECT_EQ(AsciiLowerCase("AbC\xC9Z["), "abc\xC9z[");
  EXPECT_EQ(DigitValue('7'), 7);
  EXPECT_EQ(DigitValue('z'), 35);
  EXPECT_EQ(DigitValue('F'), 15);
  EXPECT_EQ(DigitValue('/'), -1);
  EXPECT_TRUE(IsAsciiSpace('\v'));
  EXPECT_FALSE(IsXmlSpace('\v'));
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace Halvane::Movie
