// The system code page (CP_ACP) through the platform's own conversions. The
// argument checks are made here first, so that both targets refuse the same
// requests whatever the platform's version would have made of them.
#include "platform/CodePage.h"

#include "platform/CodePageArguments.h"

#include "platform/Com.h"

namespace Halvane::Platform {

int MultiByteToWide(const char* text, int length, WideChar* out, int outLength) {
  if (!ValidConversionArguments(text, length, out, outLength)) return 0;
  return ::MultiByteToWideChar(CP_ACP, 0, text, length, out, outLength);
}

int WideToMultiByte(const WideChar* text, int length, char* out, int outLength) {
  if (!ValidConversionArguments(text, length, out, outLength)) return 0;
  return ::WideCharToMultiByte(CP_ACP, 0, text, length, out, outLength, nullptr, nullptr);
}

}  // namespace Halvane::Platform
