// The system's fonts, for text fields whose font the movie does not embed:
// glyph outlines and metrics of a font chosen by family name, from GDI's
// glyph outlines on Windows and from a free TrueType font found on the
// system elsewhere. The movie renders the outlines itself, so text looks
// the same whatever the platform's own text rendering does.
//
// Text is never silently missing: a family the system lacks falls back to
// a font it has (the device names "_sans", "_serif" and "_typewriter" and
// the common Western and Japanese family names map to the nearest kind),
// a character the chosen font lacks is taken from the fallback fonts that
// have it (Japanese ones among them), and a character no font has is drawn
// as the font's missing-glyph box; with no font file at all, every glyph is
// such a box.
//
// Each object is used by one thread at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace Halvane::Platform {

// An outline in units of the em (1.0 is the font's size), y growing
// downwards, the origin on the baseline at the glyph's left: contours of
// straight and quadratic segments, each contour starting with a move.
struct GlyphPathSegment {
  enum class Kind { Move, Line, Quad } kind = Kind::Move;
  float x = 0;
  float y = 0;
  float controlX = 0;  // Quad only
  float controlY = 0;
};

struct SystemGlyph {
  std::vector<GlyphPathSegment> path;
  float advance = 0;  // em units
};

class SystemFont {
 public:
  virtual ~SystemFont() = default;

  // A font of family (UTF-8) in the style asked; never null.
  static std::unique_ptr<SystemFont> Open(const std::string& family, bool bold, bool italic);

  // Metrics in em units, all positive.
  virtual float Ascent() const = 0;
  virtual float Descent() const = 0;
  virtual float Leading() const = 0;
  // The glyph of a Unicode character: its outline (empty for blanks) and
  // advance. Characters no font has get the missing-glyph box.
  virtual SystemGlyph Glyph(char32_t character) = 0;
  // What the font is, for tests and diagnostics.
  virtual std::string Description() const = 0;
};

// The missing-glyph box of fonts without one: a hollow rectangle.
SystemGlyph MissingGlyphBox(float ascent);

}  // namespace Halvane::Platform
