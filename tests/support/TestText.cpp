#include "support/TestText.h"

#include "movie/swf/Text.h"
#include "platform/CodePage.h"

namespace Halvane::Testing {

std::string Utf8(const std::u16string& text) { return Movie::Utf16ToUtf8(text); }

std::u16string Utf16(const std::string& utf8) { return Movie::Utf8ToUtf16(utf8); }

Platform::WideString WideText(const std::u16string& text) {
  return Platform::WideString(text.begin(), text.end());
}

std::string InSystemCodePage(const std::u16string& text) {
  std::string out;
  Platform::Utf16ToSystemCodePage(text, out);
  return out;
}

}  // namespace Halvane::Testing
