// Text into glyphs at their places: the static text of DefineText records,
// and the text of a field (its runs of formats) laid out in its box as the
// platform's fields lay it out: a 2-pixel gutter inside the box, lines of
// the paragraph's alignment and margins, each line as high as its largest
// font's ascent and descent plus the format's leading, broken at the
// box's width between words when the field wraps, and at line breaks when
// it is multiline.
//
// A field's fonts: with embedded fonts, the movie's font of the format's
// name (and style, when one matches); otherwise, and when the movie has no
// glyphs of that name, the system font of the name through the platform
// seam. Field text is UTF-8 whatever the movie's version (the timeline and
// the actions convert the texts of older movies from the system code page).
//
// Bounds: at most MaxFieldCharacters characters of a field are laid out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "movie/actions/TextFieldData.h"
#include "movie/render/GlyphLibrary.h"
#include "movie/render/RenderTypes.h"
#include "movie/swf/SwfRecords.h"

namespace Halvane::Movie::Render {

// One glyph to draw: its layer placed by toText (glyph units to the text's
// own twips) in a colour.
struct PlacedGlyph {
  const ShapeLayer* layer = nullptr;
  Transform toText;
  Rgba color;
};

// The glyphs of a static text, in its own space (its matrix applied).
void LayOutStaticText(const StaticTextDefinition& text, const MovieDefinition& movie, GlyphLibrary& glyphs,
                      std::vector<PlacedGlyph>* out);

struct FieldLayout {
  std::vector<PlacedGlyph> glyphs;  // in the field's own twips
  bool overflows = false;           // some glyph passes the box
  // The text's extent in twips: its widest line, and its lines' heights
  // with their leading (what textWidth and textHeight report).
  double textWidth = 0;
  double textHeight = 0;
};

constexpr std::size_t MaxFieldCharacters = std::size_t{1} << 16;

void LayOutField(const TextFieldData& field, const MovieDefinition& movie, GlyphLibrary& glyphs, FieldLayout* out);

// The extent of a field's text in pixels (whole twips) when it is drawn
// with the movie's embedded fonts; false for a field of
// device fonts, whose extent depends on the system's.
bool MeasureEmbeddedField(const TextFieldData& field, const MovieDefinition& movie, GlyphLibrary& glyphs,
                          double& width, double& height);

// The characters of a field's UTF-8 text; malformed bytes read as U+FFFD.
std::u32string FieldCharacters(const std::string& text);

}  // namespace Halvane::Movie::Render
