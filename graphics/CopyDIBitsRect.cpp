#include "graphics/CopyDIBitsRect.h"

#include <algorithm>
#include <cstring>

namespace Halvane::Graphics {

bool ClipCopyRects(std::int32_t dx, std::int32_t dy, std::int32_t w, std::int32_t h,
                   std::int32_t dw, std::int32_t dh, std::int32_t sx, std::int32_t sy,
                   std::int32_t sw, std::int32_t sh, CopyRects* clipped) {
  if (w <= 0 || h <= 0) return false;
  if (dx >= dw || dy >= dh || sx >= sw || sy >= sh) return false;
  dx = std::min(std::max(dx, 0), dw - 1);
  dy = std::min(std::max(dy, 0), dh - 1);
  w = std::min(w, dw - dx);
  h = std::min(h, dh - dy);
  sx = std::min(std::max(sx, 0), sw - 1);
  sy = std::min(std::max(sy, 0), sh - 1);
  w = std::min(w, sw - sx);
  h = std::min(h, sh - sy);
  // Both images are at least 1 x 1 here, so the size stays positive.
  *clipped = CopyRects{dx, dy, sx, sy, w, h};
  return true;
}

int CopyDIBitsRect(DIBits& destination, std::int32_t dx, std::int32_t dy, std::int32_t w,
                   std::int32_t h, const DIBits& source, std::int32_t sx, std::int32_t sy) {
  if (destination.bitsPerPixel != source.bitsPerPixel) return -1;
  // An empty object has no pixels to copy from or to.
  if (destination.attached == 0 || source.attached == 0) return -1;
  CopyRects r{};
  if (!ClipCopyRects(dx, dy, w, h, destination.width, destination.height, sx, sy, source.width,
                     source.height, &r)) {
    return -1;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(destination.bytesPerPixel) * r.w;
  const auto rowAt = [](const DIBits& image, std::int32_t y, std::int32_t x) {
    return static_cast<std::ptrdiff_t>(image.height - 1 - y) * image.stride +
           static_cast<std::ptrdiff_t>(x) * image.bytesPerPixel;
  };
  if (rowBytes == static_cast<std::size_t>(destination.stride) &&
      rowBytes == static_cast<std::size_t>(source.stride)) {
    // Whole rows without padding in both images lie one after another: one
    // copy moves them all, from the rectangle's bottom row (first in memory).
    std::memcpy(destination.bits + rowAt(destination, r.dy + r.h - 1, r.dx),
                source.bits + rowAt(source, r.sy + r.h - 1, r.sx), rowBytes * r.h);
    return 0;
  }
  for (std::int32_t i = 0; i < r.h; ++i) {
    const std::uint8_t* from = source.bits +
                               static_cast<std::ptrdiff_t>(source.height - 1 - i - r.sy) * source.stride +
                               static_cast<std::ptrdiff_t>(r.sx) * source.bytesPerPixel;
    std::uint8_t* to = destination.bits +
                       static_cast<std::ptrdiff_t>(destination.height - 1 - i - r.dy) * destination.stride +
                       static_cast<std::ptrdiff_t>(r.dx) * destination.bytesPerPixel;
    std::memcpy(to, from, rowBytes);
  }
  return 0;
}

}  // namespace Halvane::Graphics
