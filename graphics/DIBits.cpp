#include "graphics/DIBits.h"

namespace Halvane::Graphics {

DIBits::DIBits() { Clear(); }

DIBits::~DIBits() { Clear(); }

void DIBits::Clear() {
  header = Platform::DibHeader{};
  attached = 0;
  width = 0;
  height = 0;
  bitsPerPixel = 0;
  bytesPerPixel = 0;
  stride = 0;
  imageSize = 0;
  bits = nullptr;
}

bool DIBits::Acceptable(std::int32_t w, std::int32_t h, std::int32_t depth) {
  return w >= 1 && w <= kMaxSide && h >= 1 && h <= kMaxSide && (depth == 24 || depth == 32);
}

Platform::DibHeader DIBits::HeaderFor(std::int32_t w, std::int32_t h, std::int32_t depth,
                                      std::int32_t size) {
  Platform::DibHeader made{};
  made.biSize = 40;
  made.biWidth = w;
  made.biHeight = h;
  made.biPlanes = 1;
  made.biBitCount = static_cast<std::uint16_t>(depth);
  made.biSizeImage = static_cast<std::uint32_t>(size);
  if (depth == 32) {
    made.biCompression = Platform::kDibBitFields;
    made.masks[0] = 0x00FF0000u;
    made.masks[1] = 0x0000FF00u;
    made.masks[2] = 0x000000FFu;
  } else {
    made.biCompression = Platform::kDibRgb;
  }
  return made;
}

bool DIBits::Attach(void* memory, std::int32_t w, std::int32_t h, std::int32_t depth) {
  if (!Acceptable(w, h, depth) || memory == nullptr) return false;
  Clear();
  bytesPerPixel = depth / 8;
  stride = (bytesPerPixel * w + 3) & ~3;
  imageSize = stride * h;
  bits = static_cast<std::uint8_t*>(memory);
  attached = 1;
  width = w;
  height = h;
  bitsPerPixel = depth;
  header = HeaderFor(w, h, depth, imageSize);
  return true;
}

bool DIBits::Detach() {
  if (attached == 0) return false;
  Clear();
  return true;
}

}  // namespace Halvane::Graphics
