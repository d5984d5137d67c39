// The movie's text: byte strings that are UTF-8 in movies of version 6 and
// later, the one UTF-8 codec of the movie control (characters for the
// actions' string functions, UTF-16 for the control's BSTR texts), and the
// ASCII character classes that the reader, the actions and the external
// calls share.
//
// Malformed UTF-8 is never refused: a byte that does not start a well-formed
// sequence (a stray continuation byte, a lead byte without all of its
// continuation bytes, an overlong form, an encoded surrogate, a value past
// U+10FFFF) counts as one character of one byte, read as U+FFFD. So every
// byte string has one length in characters, and no input reads out of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Halvane::Movie {

constexpr char32_t kReplacementCharacter = 0xFFFD;

struct Utf8Character {
  char32_t codePoint = kReplacementCharacter;
  std::size_t length = 1;  // bytes, at least 1
  bool wellFormed = false;
};

// The character that starts at byte pos (pos < text.size()).
Utf8Character DecodeUtf8(std::string_view text, std::size_t pos);

// The byte offset where each character starts, in order.
std::vector<std::size_t> Utf8CharacterStarts(std::string_view text);

// Appends the UTF-8 bytes of codePoint; false, with nothing appended, for a
// surrogate or a value past U+10FFFF.
bool AppendUtf8(std::string& out, char32_t codePoint);

// UTF-16 (the control's BSTR texts) to and from UTF-8. A lone surrogate in
// UTF-16 and each malformed byte in UTF-8 become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(const std::string& text);

// ASCII character classes. IsAsciiSpace is the language's white space in
// numbers (space, tab, CR, LF, form feed, vertical tab); IsXmlSpace the
// white space between the parts of markup (space, tab, CR, LF).
inline bool IsAsciiSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
inline bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
// The value of c as a digit of any radix up to 36 ("0" to "9", then "a" or
// "A" as 10 up to "z" or "Z" as 35); -1 for anything else.
inline int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return -1;
}

// ASCII letters folded to lower case; every other byte as it is, whatever
// the process's locale.
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
std::string AsciiLowerCase(std::string_view text);

// Names of variables, instances, labels and built-ins: equal byte for byte,
// or with ASCII letters folded when the movie's names ignore case.
bool SameName(std::string_view a, std::string_view b, bool caseSensitive);

}  // namespace Halvane::Movie
