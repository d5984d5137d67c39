// The pixels a frame is drawn into: a plain view of a bitmap that the
// control gets from its device context, so that the renderer never meets a
// device context. Rows of width pixels, the top row first; a pixel is 3
// bytes (blue, green, red) or 4 (blue, green, red, alpha); row r starts at
// pixels + r * stride, so a bitmap stored bottom-up has a negative stride.
// The target does not own the pixels.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Halvane::Movie {

struct PixelTarget {
  std::uint8_t* pixels = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::ptrdiff_t stride = 0;
  int bitsPerPixel = 24;  // 24 or 32

  // A target without pixels takes no drawing.
  bool Empty() const {
    return pixels == nullptr || width <= 0 || height <= 0 ||
           (bitsPerPixel != 24 && bitsPerPixel != 32);
  }
};

}  // namespace Halvane::Movie
