// A memory device context with a bitmap selected into it for the length of
// a scope: the player renders the movie's frame into it. When the scope
// ends, the object selected before is put back and the context deleted; the
// bitmap itself is not deleted.
#pragma once

#include "platform/Gdi.h"

namespace Halvane::Graphics {

class HDCGetter {
 public:
  // A context compatible with the screen, with bitmap selected.
  explicit HDCGetter(Platform::GdiObject bitmap);
  virtual ~HDCGetter();
  HDCGetter(const HDCGetter&) = delete;
  HDCGetter& operator=(const HDCGetter&) = delete;

  HDC Context() const { return deviceContext; }

  HDC deviceContext = nullptr;                // owned
  Platform::GdiObject previousObject = nullptr;  // selected before the bitmap
};

}  // namespace Halvane::Graphics
