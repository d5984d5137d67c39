// The platform's GDI calls.
#include "platform/Gdi.h"

namespace Halvane::Platform {

static_assert(sizeof(DibHeader) == sizeof(BITMAPINFOHEADER) + 3 * sizeof(DWORD),
              "the header is BITMAPINFOHEADER and three masks");
static_assert(kDibRgb == BI_RGB && kDibBitFields == BI_BITFIELDS, "compression values");

HDC GetScreenContext() { return ::GetDC(nullptr); }

void ReleaseScreenContext(HDC screen) {
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
}

HDC CreateMemoryContext(HDC compatibleWith) { return ::CreateCompatibleDC(compatibleWith); }

bool DeleteMemoryContext(HDC context) { return context != nullptr && ::DeleteDC(context) != 0; }

GdiObject CreateDibSection(HDC context, const DibHeader& header, void** bits) {
  void* pixels = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(context, reinterpret_cast<const BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (bits != nullptr) *bits = bitmap != nullptr ? pixels : nullptr;
  return bitmap;
}

GdiObject SelectIntoContext(HDC context, GdiObject object) {
  if (context == nullptr || object == nullptr) return nullptr;
  return ::SelectObject(context, static_cast<HGDIOBJ>(object));
}

bool DeleteGdiObject(GdiObject object) {
  return object != nullptr && ::DeleteObject(static_cast<HGDIOBJ>(object)) != 0;
}

bool SelectedDibPixels(HDC context, DibPixels* pixels) {
  if (context == nullptr || pixels == nullptr) return false;
  HGDIOBJ bitmap = ::GetCurrentObject(context, OBJ_BITMAP);
  if (bitmap == nullptr) return false;
  DIBSECTION section{};
  if (::GetObjectW(bitmap, sizeof section, &section) != sizeof section) return false;
  if (section.dsBm.bmBits == nullptr) return false;  // not a DIB section
  DibPixels out;
  out.bits = static_cast<std::uint8_t*>(section.dsBm.bmBits);
  out.width = section.dsBm.bmWidth;
  out.height = section.dsBm.bmHeight;
  out.bitsPerPixel = section.dsBm.bmBitsPixel;
  out.stride = section.dsBm.bmWidthBytes;
  out.bottomUp = section.dsBmih.biHeight > 0;
  *pixels = out;
  return true;
}

}  // namespace Halvane::Platform
