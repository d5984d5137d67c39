#include "graphics/DIBSection.h"

namespace Halvane::Graphics {

DIBSection::DIBSection(std::int32_t w, std::int32_t h) { Create(w, h, 24); }

DIBSection::~DIBSection() { Destroy(); }

bool DIBSection::Create(std::int32_t w, std::int32_t h, std::int32_t depth) {
  if (!Acceptable(w, h, depth)) return false;
  Destroy();
  const std::int32_t rowBytes = ((depth / 8) * w + 3) & ~3;
  Platform::DibHeader side = HeaderFor(w, h, depth, rowBytes * h);
  side.biSize = sizeof side;  // the header and its three masks
  HDC screen = Platform::GetScreenContext();
  HDC memory = Platform::CreateMemoryContext(screen);
  void* pixels = nullptr;
  Platform::GdiObject made = Platform::CreateDibSection(memory, side, &pixels);
  Platform::DeleteMemoryContext(memory);
  Platform::ReleaseScreenContext(screen);
  if (made == nullptr) return false;
  if (pixels == nullptr || !Attach(pixels, w, h, depth)) {
    Platform::DeleteGdiObject(made);
    return false;
  }
  bitmap = made;
  return true;
}

void DIBSection::Destroy() {
  if (bitmap == nullptr) return;
  if (attached != 0) Clear();
  Platform::DeleteGdiObject(bitmap);
  bitmap = nullptr;
}

}  // namespace Halvane::Graphics
