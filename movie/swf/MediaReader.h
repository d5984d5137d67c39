// The bodies of the font, static text and bitmap tags into typed records,
// with the same checks as the shape reader: every length against the bytes
// there are, every glyph, glyph record and text glyph paid from the movie's
// shape budget, so that a few bytes of file never make the reader keep much.
#pragma once

#include <cstdint>

#include "movie/swf/ShapeReader.h"
#include "movie/swf/SwfReader.h"
#include "movie/swf/SwfRecords.h"
#include "movie/swf/TagCodes.h"

namespace Halvane::Movie {

// DefineFont (version 1), DefineFont2 (2) and DefineFont3 (3) into font. A
// glyph table whose offsets point outside the tag or backwards, a glyph
// whose records are malformed, or a spent budget make the tag malformed:
// false, font unspecified. Kerning is read past, not kept.
bool ReadFontDefinition(SwfReader& r, int version, ShapeBudget& budget, FontDefinition& font);

// DefineFontInfo (version 1) and DefineFontInfo2 (2) onto the font they
// name (font.id must already be that id): name, style, encoding and the
// code of each glyph. False when the tag is cut short; font keeps what it
// had then.
bool ReadFontInfo(SwfReader& r, int version, FontDefinition& font);

// DefineText (version 1) and DefineText2 (2). False when malformed or the
// budget is spent.
bool ReadStaticText(SwfReader& r, int version, ShapeBudget& budget, StaticTextDefinition& text);

// DefineBits, DefineBitsJPEG2 to 4 and DefineBitsLossless 1 and 2 (by tag
// code) into bitmap. Only the tag's framing is checked here: an alpha
// offset past the body, a lossless header cut short, a lossless format
// other than 3, 4 and 5 (4 in the first form only) are malformed.
bool ReadBitmap(SwfReader& r, std::uint16_t code, BitmapDefinition& bitmap);

}  // namespace Halvane::Movie
