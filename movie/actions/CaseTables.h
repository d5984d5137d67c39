// One-to-one case mapping of UTF-16 code units as the platform's String
// methods map them.
#pragma once

namespace Halvane::Movie {

char16_t LowerCaseOf(char16_t unit);
char16_t UpperCaseOf(char16_t unit);

}  // namespace Halvane::Movie
