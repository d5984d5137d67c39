// UTF-8 <-> UTF-16. Both directions first decode into code points, then
// count or write the output, so the measuring call and the converting call
// agree on the length by construction.
#include "platform/CodePage.h"

#include "platform/CodePageArguments.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Halvane::Platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at text[i..end); advances i past the bytes taken.
// An ill-formed sequence yields U+FFFD and consumes its maximal valid prefix
// (at least one byte), so decoding always makes progress.
char32_t DecodeUtf8(const unsigned char* text, std::size_t end, std::size_t& i) {
  const unsigned char lead = text[i++];
  if (lead < 0x80) return lead;
  int more;
  char32_t cp;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2;
    cp = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no encoded surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3;
    cp = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return kReplacement;
  }
  for (int k = 0; k < more; ++k) {
    if (i >= end) return kReplacement;
    const unsigned char c = text[i];
    const unsigned char lo = k == 0 ? low : 0x80;
    const unsigned char hi = k == 0 ? high : 0xBF;
    if (c < lo || c > hi) return kReplacement;
    cp = (cp << 6) | (c & 0x3F);
    ++i;
  }
  return cp;
}

char32_t DecodeUtf16(const WideChar* text, std::size_t end, std::size_t& i) {
  const char32_t unit = static_cast<std::uint16_t>(text[i++]);
  if (unit < 0xD800 || unit > 0xDFFF) return unit;
  if (unit >= 0xDC00 || i >= end) return kReplacement;
  const char32_t next = static_cast<std::uint16_t>(text[i]);
  if (next < 0xDC00 || next > 0xDFFF) return kReplacement;
  ++i;
  return 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
}


}  // namespace

int MultiByteToWide(const char* text, int length, WideChar* out, int outLength) {
  if (!ValidConversionArguments(text, length, out, outLength)) return 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  const std::size_t end =
      length == -1 ? std::strlen(text) + 1 : static_cast<std::size_t>(length);
  std::size_t written = 0;
  for (std::size_t i = 0; i < end;) {
    const char32_t cp = DecodeUtf8(bytes, end, i);
    const std::size_t units = cp >= 0x10000 ? 2 : 1;
    if (outLength > 0) {
      if (written + units > static_cast<std::size_t>(outLength)) return 0;
      if (units == 2) {
        out[written] = static_cast<WideChar>(0xD800 + ((cp - 0x10000) >> 10));
        out[written + 1] = static_cast<WideChar>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        out[written] = static_cast<WideChar>(cp);
      }
    }
    written += units;
    if (written > 0x7FFFFFFF) return 0;
  }
  return static_cast<int>(written);
}

int WideToMultiByte(const WideChar* text, int length, char* out, int outLength) {
  if (!ValidConversionArguments(text, length, out, outLength)) return 0;
  std::size_t end = static_cast<std::size_t>(length);
  if (length == -1) {
    end = 0;
    while (text[end] != 0) ++end;
    ++end;
  }
  std::size_t written = 0;
  for (std::size_t i = 0; i < end;) {
    const char32_t cp = DecodeUtf16(text, end, i);
    unsigned char buffer[4];
    std::size_t n;
    if (cp < 0x80) {
      buffer[0] = static_cast<unsigned char>(cp);
      n = 1;
    } else if (cp < 0x800) {
      buffer[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
      buffer[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      n = 2;
    } else if (cp < 0x10000) {
      buffer[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
      buffer[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      buffer[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      n = 3;
    } else {
      buffer[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
      buffer[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
      buffer[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      buffer[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      n = 4;
    }
    if (outLength > 0) {
      if (written + n > static_cast<std::size_t>(outLength)) return 0;
      std::memcpy(out + written, buffer, n);
    }
    written += n;
    if (written > 0x7FFFFFFF) return 0;
  }
  return static_cast<int>(written);
}

}  // namespace Halvane::Platform
