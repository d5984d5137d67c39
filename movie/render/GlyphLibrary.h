// The glyphs text is drawn with, as shape layers the canvas draws: those
// of the movie's embedded fonts (made once per glyph) and those of the
// system's fonts (through the platform seam, made once per character and
// face). Every layer has one fill, opaque white, in glyph units with the
// origin on the baseline; the walker colours it with a colour transform.
//
// A face's glyph units: an em is UnitsPerEm of them (1024 for the first
// two font forms and for system fonts, 20480 for the third form).
//
// Bounds: at most MaxSystemGlyphs glyphs of system fonts are kept, and at
// most MaxFaces system faces; past them the oldest are dropped (a layer
// handed out stays valid until the frame ends: drops wait for EndFrame).
//
// Used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "movie/render/ShapeLayer.h"
#include "movie/swf/SwfRecords.h"

namespace Halvane::Platform {
class SystemFont;
}

namespace Halvane::Movie::Render {

struct GlyphShape {
  const ShapeLayer* layer = nullptr;  // null for a blank or a missing glyph
  double advance = 0;                 // glyph units
};

// One font as text layout sees it.
class TextFace {
 public:
  virtual ~TextFace() = default;
  virtual double UnitsPerEm() const = 0;
  virtual double Ascent() const = 0;  // glyph units
  virtual double Descent() const = 0;
  virtual double Leading() const = 0;
  // The glyph of a character; found false when the face has none (embedded
  // fonts: such characters are not drawn, as the platform leaves them out).
  virtual GlyphShape Glyph(char32_t character, bool* found) = 0;
};

class GlyphLibrary {
 public:
  static constexpr std::size_t MaxSystemGlyphs = 8192;
  static constexpr std::size_t MaxFaces = 32;

  GlyphLibrary();
  ~GlyphLibrary();
  GlyphLibrary(const GlyphLibrary&) = delete;
  GlyphLibrary& operator=(const GlyphLibrary&) = delete;

  // The movie whose fonts come next; another movie drops the embedded glyphs.
  void SetMovie(const MovieDefinition* movie);
  // The layer of glyph index of an embedded font; null when the font has
  // no such glyph or it is blank.
  const ShapeLayer* Embedded(const FontDefinition& font, std::uint32_t index);
  // The face of an embedded font, for fields.
  TextFace& EmbeddedFace(const FontDefinition& font);
  // A system font face by family and style.
  TextFace& SystemFace(const std::string& family, bool bold, bool italic);
  // Frees what was dropped during the frame.
  void EndFrame();

 private:
  class EmbeddedFontFace;
  class SystemFontFace;
  const MovieDefinition* movie_ = nullptr;
  std::map<std::pair<std::uint16_t, std::uint32_t>, std::unique_ptr<ShapeLayer>> embedded_;
  std::map<std::uint16_t, std::unique_ptr<EmbeddedFontFace>> embeddedFaces_;
  std::map<std::tuple<std::string, bool, bool>, std::unique_ptr<SystemFontFace>> systemFaces_;
  std::vector<std::unique_ptr<SystemFontFace>> dropped_;
  std::size_t systemGlyphs_ = 0;
};

}  // namespace Halvane::Movie::Render
