#include "movie/swf/Text.h"

namespace Halvane::Movie {

Utf8Character DecodeUtf8(std::string_view text, std::size_t pos) {
  Utf8Character result;
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    result.codePoint = lead;
    result.wellFormed = true;
    return result;
  }
  std::size_t more = 0;
  char32_t cp = 0;
  char32_t least = 0;  // the smallest value of this length: smaller is overlong
  if ((lead & 0xE0) == 0xC0) {
    more = 1;
    cp = lead & 0x1Fu;
    least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    more = 2;
    cp = lead & 0x0Fu;
    least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    more = 3;
    cp = lead & 0x07u;
    least = 0x10000;
  } else {
    return result;  // a continuation byte or no lead byte at all
  }
  if (text.size() - pos <= more) return result;
  for (std::size_t k = 1; k <= more; ++k) {
    const auto b = static_cast<unsigned char>(text[pos + k]);
    if ((b & 0xC0) != 0x80) return result;
    cp = (cp << 6) | (b & 0x3Fu);
  }
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return result;
  result.codePoint = cp;
  result.length = more + 1;
  result.wellFormed = true;
  return result;
}

std::vector<std::size_t> Utf8CharacterStarts(std::string_view text) {
  std::vector<std::size_t> starts;
  for (std::size_t pos = 0; pos < text.size(); pos += DecodeUtf8(text, pos).length) {
    starts.push_back(pos);
  }
  return starts;
}

bool AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
  return true;
}

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
      ++i;
    }
    if (!AppendUtf8(out, c)) AppendUtf8(out, kReplacementCharacter);  // a lone surrogate
  }
  return out;
}

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Character c = DecodeUtf8(text, i);
    i += c.length;
    if (c.codePoint >= 0x10000) {
      const char32_t v = c.codePoint - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c.codePoint));
    }
  }
  return out;
}

std::string AsciiLowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

bool SameName(std::string_view a, std::string_view b, bool caseSensitive) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (caseSensitive ? a[i] != b[i] : AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace Halvane::Movie
