// The language's view of texts: String methods count and index UTF-16 code
// units, as the platform's player does, while values keep UTF-8. These
// helpers convert only when a text is not plain ASCII (then both agree).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "movie/actions/ActionValue.h"

namespace Halvane::Movie {

// UTF-16 code units of a UTF-8 text (a malformed byte counts as one unit).
std::size_t Utf16Length(std::string_view text);
// The same for a value's text, whose ASCII flag is kept with it: a loop
// that reads the length of a long text each time does not walk it each time.
inline std::size_t Utf16Length(const ScriptString& text) {
  return text.IsAscii() ? text.Text().size() : Utf16Length(text.Text());
}

}  // namespace Halvane::Movie
