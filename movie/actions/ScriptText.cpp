#include "movie/actions/ScriptText.h"

#include "movie/swf/Text.h"

namespace Halvane::Movie {

std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++units;
      ++i;
      continue;
    }
    const Utf8Character c = DecodeUtf8(text, i);
    units += c.codePoint >= 0x10000 ? 2 : 1;
    i += c.length;
  }
  return units;
}

}  // namespace Halvane::Movie
