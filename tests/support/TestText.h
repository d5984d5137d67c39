// Text helpers for tests: UTF-16 <-> UTF-8 for comparing what the plug-ins
// showed with the literals of the test sources, and the system code page,
// in which the host hands its command texts to the plug-ins (UTF-8 on
// Linux, Shift-JIS on the users' Windows).
#pragma once

#include <string>

#include "platform/CodePage.h"

namespace Halvane::Testing {

std::string Utf8(const std::u16string& text);
std::u16string Utf16(const std::string& utf8);

// The text in the platform's wide characters, unit for unit.
Platform::WideString WideText(const std::u16string& text);

// The text in the system code page, as the host would pass it.
std::string InSystemCodePage(const std::u16string& text);

}  // namespace Halvane::Testing
