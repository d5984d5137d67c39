// Copying a rectangle of pixels between two images of the same pixel size,
// clipped to both. Coordinates count y from the top; the rows move with one
// memory copy each.
#pragma once

#include <cstdint>

#include "graphics/DIBits.h"

namespace Halvane::Graphics {

// The clipped rectangle of a copy: the destination and source origins and
// the shared size.
struct CopyRects {
  std::int32_t dx, dy, sx, sy, w, h;
};

// Clips a copy of w x h pixels from (sx, sy) of a sw x sh source to (dx, dy)
// of a dw x dh destination. False when nothing is to be copied. A negative
// origin is moved to 0 without shortening the rectangle and without moving
// the other image's origin.
bool ClipCopyRects(std::int32_t dx, std::int32_t dy, std::int32_t w, std::int32_t h,
                   std::int32_t dw, std::int32_t dh, std::int32_t sx, std::int32_t sy,
                   std::int32_t sw, std::int32_t sh, CopyRects* clipped);

// Copies the w x h rectangle at (sx, sy) of source to (dx, dy) of
// destination, clipped as above: 0 when copied, -1 when nothing was (pixel
// sizes differ, either image is empty, or the rectangle has no area inside
// both).
int CopyDIBitsRect(DIBits& destination, std::int32_t dx, std::int32_t dy, std::int32_t w,
                   std::int32_t h, const DIBits& source, std::int32_t sx, std::int32_t sy);

}  // namespace Halvane::Graphics
