// UTF-16 (the control's BSTR texts) to and from the byte strings the movie's
// actions work with (UTF-8). Invalid sequences in either direction become
// U+FFFD, so no input is refused and no input reads out of bounds.
#pragma once

#include <string>

namespace Halvane::Movie {

std::string Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(const std::string& text);

}  // namespace Halvane::Movie
