// A DIBits that owns a DIB section: pixel memory that GDI (or, on Linux, the
// seam's stand-in) can draw into through a memory device context. The
// plug-in keeps one of the host's screen size as its frame buffer.
#pragma once

#include "graphics/DIBits.h"

namespace Halvane::Graphics {

class DIBSection : public DIBits {
 public:
  // Creates a 24-bit section of the given size. Failure is not reported:
  // the object stays empty (no bitmap, width and bits per pixel 0), and
  // every copy involving it copies nothing.
  DIBSection(std::int32_t width, std::int32_t height);
  // Destroy, then the description is cleared.
  ~DIBSection() override;

  // Replaces any bitmap with a new section; false, with nothing changed,
  // for sides outside 1..kMaxSide or a depth other than 24 or 32; false,
  // with the object empty, when the section cannot be made.
  virtual bool Create(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel);
  // Releases the bitmap, if any, and empties the description.
  virtual void Destroy();

  Platform::GdiObject bitmap = nullptr;  // owned; null without a section
};

}  // namespace Halvane::Graphics
