// The few graphics-device calls the plug-in needs, shaped after GDI: the
// screen's device context, memory device contexts, DIB sections (bitmaps
// whose pixels the program reads and writes directly), selecting a bitmap
// into a context, and finding the pixels of the bitmap selected into one.
// On Windows they are the platform's calls (GetDC, CreateCompatibleDC,
// CreateDIBSection, SelectObject, DeleteObject, GetCurrentObject,
// GetObject); on Linux a DIB section is an owned pixel buffer of the same
// layout and a memory context is a small object that knows its selected
// bitmap. Handles are used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Com.h"

namespace Halvane::Platform {

// A bitmap or another object that can be selected into a context (HBITMAP,
// HGDIOBJ on Windows).
using GdiObject = void*;

// The header of a DIB: BITMAPINFOHEADER followed by the three colour masks
// of BI_BITFIELDS images, with the platform's layout (52 bytes).
struct DibHeader {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;  // positive: rows stored bottom-up
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;  // kDibRgb or kDibBitFields
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
  std::uint32_t masks[3];  // red, green, blue
};
static_assert(sizeof(DibHeader) == 52, "BITMAPINFOHEADER and three masks");

constexpr std::uint32_t kDibRgb = 0;        // BI_RGB
constexpr std::uint32_t kDibBitFields = 3;  // BI_BITFIELDS

// The device context of the whole screen, and its release.
HDC GetScreenContext();
void ReleaseScreenContext(HDC screen);

// A memory context compatible with the given one (null: with the screen),
// with a 1 x 1 stock bitmap selected; null on failure. Deleting it does not
// delete the bitmap selected into it.
HDC CreateMemoryContext(HDC compatibleWith);
bool DeleteMemoryContext(HDC context);

// A DIB section of the header's size and depth (24 or 32 bits, bottom-up for
// a positive height), its pixels zeroed, their address in *bits; null (and
// *bits null) on failure. context is the one the header's colours refer to.
GdiObject CreateDibSection(HDC context, const DibHeader& header, void** bits);

// Selects object into context and returns the object selected before; null
// on failure. A bitmap can be selected into one context at a time.
GdiObject SelectIntoContext(HDC context, GdiObject object);

// Deletes a bitmap made by CreateDibSection; false while it is selected into
// a context.
bool DeleteGdiObject(GdiObject object);

// The pixels of the DIB section selected into context: the address of its
// first row in memory, its size, depth and stride, and whether the rows are
// stored bottom-up. False when the context has no DIB section selected.
struct DibPixels {
  std::uint8_t* bits = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t bitsPerPixel = 0;
  std::int32_t stride = 0;  // bytes per row, a multiple of 4
  bool bottomUp = true;
};
bool SelectedDibPixels(HDC context, DibPixels* pixels);

}  // namespace Halvane::Platform
