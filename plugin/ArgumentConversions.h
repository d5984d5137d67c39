// The conversions that the command handlers share for their arguments and
// results. Each returns 1 on success and 0 on failure; on failure the output
// is not written.
#pragma once

#include <cstdint>
#include <string>

#include "platform/CodePage.h"

namespace Halvane::VlmPlugIn {

// Reads a decimal number as atol does: leading white space, an optional
// sign, digits up to the first other byte; text without digits reads as 0.
// Fails when the value is 2147483647 or -2147483648 (the values atol gives
// for an overflow) or does not fit in 32 bits at all.
std::int32_t ParseInteger(const std::string& text, std::int32_t& value);

// System code page <-> UTF-16, the whole text up to its first zero; fails
// when the platform reports no convertible length.
std::int32_t AnsiToWide(const std::string& text, Platform::WideString& wide);
std::int32_t WideToAnsi(const Platform::WideString& wide, std::string& text);

}  // namespace Halvane::VlmPlugIn
