// A description of 24- or 32-bit device-independent-bitmap pixels that the
// object does not own: the host's screen, wrapped for one draw, or the
// pixels of a DIB section. Rows are stored bottom-up (the first row in
// memory is the bottom row); callers count y from the top, so pixel (x, y)
// lies at (height - 1 - y) * stride + x * bytesPerPixel from bits. Rows are
// padded to a multiple of 4 bytes. Not synchronised: one thread at a time.
#pragma once

#include <cstdint>

#include "platform/Gdi.h"

namespace Halvane::Graphics {

// Sides of 1 to kMaxSide pixels are accepted.
constexpr std::int32_t kMaxSide = 2046;

class DIBits {
 public:
  // An empty description: every field, the header included, zero.
  DIBits();
  // Clears every field; never frees the pixel memory.
  virtual ~DIBits();
  DIBits(const DIBits&) = delete;
  DIBits& operator=(const DIBits&) = delete;

  // Describes the memory at bits: false, and nothing changed, unless both
  // sides are 1..kMaxSide, bitsPerPixel is 24 or 32 and bits is not null.
  bool Attach(void* bits, std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel);
  // Clears the description (the memory itself is untouched); false when
  // nothing was attached.
  bool Detach();

  // The bitmap header the description would give GDI: 40-byte
  // BITMAPINFOHEADER, bottom-up, BI_RGB for 24 bits and BI_BITFIELDS with
  // the masks red 0xFF0000, green 0xFF00, blue 0xFF for 32 bits.
  Platform::DibHeader header{};
  std::int32_t attached = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t bitsPerPixel = 0;
  std::int32_t bytesPerPixel = 0;
  std::int32_t stride = 0;
  std::int32_t imageSize = 0;
  std::uint8_t* bits = nullptr;  // the bottom row; never owned

 protected:
  void Clear();
  // The header Attach fills in for the given geometry.
  static Platform::DibHeader HeaderFor(std::int32_t width, std::int32_t height,
                                       std::int32_t bitsPerPixel, std::int32_t imageSize);
  static bool Acceptable(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel);
};

}  // namespace Halvane::Graphics
