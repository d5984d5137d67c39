// The argument checks that both targets' conversions make first, so that
// they refuse the same requests (null or empty input, a length below -1, a
// negative output size, a null output with a size), whatever the
// platform's own call would have made of them. Inside the seam only.
#pragma once

namespace Halvane::Platform {

inline bool ValidConversionArguments(const void* text, int length, const void* out,
                                     int outLength) {
  if (text == nullptr || length == 0 || length < -1) return false;
  if (outLength < 0 || (outLength > 0 && out == nullptr)) return false;
  return true;
}

}  // namespace Halvane::Platform
