// BSTR text to and from UTF-16. Both character types are 2-byte UTF-16 code
// units, so the units are copied one by one.
#include "platform/Com.h"

namespace Halvane::Platform {

std::u16string FromOleText(const OLECHAR* text, std::size_t length) {
  std::u16string out;
  if (text == nullptr) return out;
  out.resize(length);
  for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<char16_t>(text[i]);
  return out;
}

std::u16string FromBstr(BSTR text) {
  if (text == nullptr) return std::u16string();
  return FromOleText(text, SysStringLen(text));
}

BSTR NewBstr(const std::u16string& text) {
  if (text.size() > 0x3FFFFFFFu) return nullptr;
  BSTR out = SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
  if (out == nullptr) return nullptr;
  for (std::size_t i = 0; i < text.size(); ++i) out[i] = static_cast<OLECHAR>(text[i]);
  return out;
}

}  // namespace Halvane::Platform
