// Drives the four exports of the wave effect with arbitrary input: each step
// of the input is a message text, a tick, a draw into an image of exactly the
// screen's size (allocated on its own, so that any write past it is caught),
// or a new screen size followed by Initialize, as the host would do.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "undula/Exports.h"

namespace {
int screenWidth = 0;
int screenHeight = 0;
}  // namespace

extern "C" int VlmGetWindowSize(int* width, int* height) {
  *width = screenWidth;
  *height = screenHeight;
  return 1;
}

namespace {

// A screen side from two input bytes: mostly small, sometimes zero or
// negative, so that unusable sizes are exercised too.
int Side(std::uint8_t a, std::uint8_t b) {
  const int value = (a | (b << 8)) % 400;
  return (a & 0x80) != 0 ? -value : value;
}

std::size_t ImageBytes() {
  if (screenWidth <= 0 || screenHeight <= 0) return 0;
  const std::size_t stride = (static_cast<std::size_t>(screenWidth) * 3 + 3) & ~std::size_t{3};
  return stride * static_cast<std::size_t>(screenHeight);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  screenWidth = 64;
  screenHeight = 48;
  Initialize(0);
  std::vector<std::uint8_t> image(ImageBytes(), 0x5A);
  std::size_t i = 0;
  while (i < size) {
    const std::uint8_t op = data[i++];
    switch (op & 3) {
      case 0: {  // a message of up to 63 bytes
        const std::size_t length = std::min<std::size_t>(op >> 2, size - i);
        const std::string text(reinterpret_cast<const char*>(data + i), length);
        i += length;
        std::int32_t intResult = 0;
        char textResult[261] = {};
        Message(text.c_str(), &intResult, textResult);
        break;
      }
      case 1:
        Timer();
        break;
      case 2: {
        // An exact-size copy, so that the sanitizer sees the image's end.
        if (image.empty()) {
          Draw(nullptr, 0);
        } else {
          auto* pixels = static_cast<std::uint8_t*>(std::malloc(image.size()));
          std::copy(image.begin(), image.end(), pixels);
          Draw(pixels, 0);
          std::copy(pixels, pixels + image.size(), image.begin());
          std::free(pixels);
        }
        break;
      }
      case 3:
        if (size - i < 4) return 0;
        screenWidth = Side(data[i], data[i + 1]);
        screenHeight = Side(data[i + 2], data[i + 3]);
        i += 4;
        Initialize(0);
        image.assign(ImageBytes(), 0x5A);
        break;
    }
  }
  // Leave the effect off for the next input.
  std::int32_t intResult = 0;
  char textResult[261] = {};
  Message("stop", &intResult, textResult);
  for (int t = 0; t < 400 && Timer() != 0; ++t) {
  }
  return 0;
}
