// Conversion between 8-bit text in the system code page and UTF-16, shaped
// after MultiByteToWideChar / WideCharToMultiByte with the system code page
// and no flags. The system code page is the platform's ANSI code page on
// Windows (Shift-JIS on the host engine's systems) and UTF-8 on Linux.
#pragma once

#include <string>

#include "PlatformTypes.h"

namespace Halvane::Platform {

// A string of the platform's wide characters (PlatformTypes.h: wchar_t on
// Windows, char16_t elsewhere; the same type as OLECHAR).
using WideString = std::basic_string<WideChar>;

// Converts length bytes of text (length -1: up to and including the
// terminating zero) into UTF-16. With outLength 0 nothing is written and the
// result is the number of code units needed; otherwise the result is the
// number written. The result is 0 on failure: null or zero-length input, a
// length below -1, a null output with outLength above 0, or an output too
// small. Malformed bytes never fail: each maximal ill-formed sequence becomes
// U+FFFD, as the platform does without flags.
int MultiByteToWide(const char* text, int length, WideChar* out, int outLength);

// The reverse: UTF-16 code units (length -1: up to and including the
// terminating zero) into system code page bytes, with the same result rules.
// A lone surrogate becomes U+FFFD (or the code page's default character).
int WideToMultiByte(const WideChar* text, int length, char* out, int outLength);

// The two conversions on whole strings, each taken up to its first zero.
// False, with out emptied, when the platform reports no convertible length;
// an empty text converts to an empty text.
bool SystemCodePageToUtf16(const std::string& text, std::u16string& out);
bool Utf16ToSystemCodePage(const std::u16string& text, std::string& out);

}  // namespace Halvane::Platform
