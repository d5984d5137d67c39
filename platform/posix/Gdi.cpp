// Device contexts and DIB sections without a window system. A DIB section
// is an owned, zeroed pixel buffer with the platform's layout; a memory
// context knows the object selected into it, starting with a stock 1 x 1
// bitmap that is never a DIB section, as on Windows; a bitmap is selected
// into one context at a time and cannot be deleted while it is.
#include "platform/Gdi.h"

#include <new>
#include <vector>

struct DeviceContext {
  void* selected = nullptr;
  bool screen = false;
};

namespace Halvane::Platform {

namespace {

struct Bitmap {
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::int32_t bitsPerPixel = 1;
  std::int32_t stride = 4;
  bool bottomUp = true;
  bool dibSection = false;
  DeviceContext* selectedInto = nullptr;
  std::vector<std::uint8_t> pixels;
};

Bitmap stockBitmap;  // shared by every context, like the platform's
DeviceContext screenContext{nullptr, true};

bool Known(GdiObject object) { return object != nullptr; }

}  // namespace

HDC GetScreenContext() { return &screenContext; }

void ReleaseScreenContext(HDC) {}

HDC CreateMemoryContext(HDC) {
  DeviceContext* context = new (std::nothrow) DeviceContext;
  if (context != nullptr) context->selected = &stockBitmap;
  return context;
}

bool DeleteMemoryContext(HDC context) {
  if (context == nullptr || context->screen) return false;
  auto* bitmap = static_cast<Bitmap*>(context->selected);
  if (bitmap != nullptr && bitmap != &stockBitmap) bitmap->selectedInto = nullptr;
  delete context;
  return true;
}

GdiObject CreateDibSection(HDC, const DibHeader& header, void** bits) {
  if (bits != nullptr) *bits = nullptr;
  const std::int32_t width = header.biWidth;
  const std::int32_t height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  const int depth = header.biBitCount;
  if (width <= 0 || height <= 0 || header.biPlanes != 1 || (depth != 24 && depth != 32)) {
    return nullptr;
  }
  const std::int64_t stride = (static_cast<std::int64_t>(width) * (depth / 8) + 3) & ~3;
  const std::int64_t size = stride * height;
  if (size > 0x7FFFFFFF) return nullptr;
  Bitmap* bitmap = new (std::nothrow) Bitmap;
  if (bitmap == nullptr) return nullptr;
  try {
    bitmap->pixels.assign(static_cast<std::size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    delete bitmap;
    return nullptr;
  }
  bitmap->width = width;
  bitmap->height = height;
  bitmap->bitsPerPixel = depth;
  bitmap->stride = static_cast<std::int32_t>(stride);
  bitmap->bottomUp = header.biHeight > 0;
  bitmap->dibSection = true;
  if (bits != nullptr) *bits = bitmap->pixels.data();
  return bitmap;
}

GdiObject SelectIntoContext(HDC context, GdiObject object) {
  if (context == nullptr || context->screen || !Known(object)) return nullptr;
  auto* bitmap = static_cast<Bitmap*>(object);
  if (bitmap != &stockBitmap && bitmap->selectedInto != nullptr &&
      bitmap->selectedInto != context) {
    return nullptr;  // already selected into another context
  }
  auto* previous = static_cast<Bitmap*>(context->selected);
  if (previous != nullptr && previous != &stockBitmap) previous->selectedInto = nullptr;
  if (bitmap != &stockBitmap) bitmap->selectedInto = context;
  context->selected = bitmap;
  return previous;
}

bool DeleteGdiObject(GdiObject object) {
  auto* bitmap = static_cast<Bitmap*>(object);
  if (bitmap == nullptr || bitmap == &stockBitmap || bitmap->selectedInto != nullptr) return false;
  delete bitmap;
  return true;
}

bool SelectedDibPixels(HDC context, DibPixels* pixels) {
  if (context == nullptr || pixels == nullptr) return false;
  const auto* bitmap = static_cast<const Bitmap*>(context->selected);
  if (bitmap == nullptr || !bitmap->dibSection) return false;
  DibPixels out;
  out.bits = const_cast<std::uint8_t*>(bitmap->pixels.data());
  out.width = bitmap->width;
  out.height = bitmap->height;
  out.bitsPerPixel = bitmap->bitsPerPixel;
  out.stride = bitmap->stride;
  out.bottomUp = bitmap->bottomUp;
  *pixels = out;
  return true;
}

}  // namespace Halvane::Platform
