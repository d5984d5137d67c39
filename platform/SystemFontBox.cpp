#include "platform/SystemFont.h"

namespace Halvane::Platform {

SystemGlyph MissingGlyphBox(float ascent) {
  // A hollow box of 0.5 x ascent em with strokes of 0.06 em: the outer
  // contour clockwise, the inner one the other way.
  const float left = 0.08f, right = 0.58f, top = -ascent * 0.9f, bottom = 0.0f, t = 0.06f;
  SystemGlyph g;
  const auto rect = [&g](float x0, float y0, float x1, float y1, bool reverse) {
    using K = GlyphPathSegment::Kind;
    g.path.push_back({K::Move, x0, y0, 0, 0});
    if (!reverse) {
      g.path.push_back({K::Line, x1, y0, 0, 0});
      g.path.push_back({K::Line, x1, y1, 0, 0});
      g.path.push_back({K::Line, x0, y1, 0, 0});
    } else {
      g.path.push_back({K::Line, x0, y1, 0, 0});
      g.path.push_back({K::Line, x1, y1, 0, 0});
      g.path.push_back({K::Line, x1, y0, 0, 0});
    }
    g.path.push_back({K::Line, x0, y0, 0, 0});
  };
  rect(left, top, right, bottom, false);
  rect(left + t, top + t, right - t, bottom - t, true);
  g.advance = 0.66f;
  return g;
}

}  // namespace Halvane::Platform
