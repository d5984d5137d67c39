// UTF-16 (the control's BSTR texts) to and from the byte strings the movie's
// actions work with (UTF-8). Invalid sequences in either direction become
// U+FFFD, so no input is refused and no input reads out of bounds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Halvane::Movie {

std::string Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(const std::string& text);

// Appends the UTF-8 bytes of one code point (at most 0x10FFFF; the caller
// has refused surrogates and anything else it does not accept).
void AppendUtf8(std::string& out, std::uint32_t codePoint);

// Names of variables, instances and built-ins: equal byte for byte, or with
// ASCII letters folded to lower case when the movie's names ignore case.
bool SameName(std::string_view a, std::string_view b, bool caseSensitive);

}  // namespace Halvane::Movie
