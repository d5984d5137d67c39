// Shape tags written from the reader's own records (movie/swf/SwfRecords.h):
// the mirror image of the shape reader, so that what the writer writes the
// reader reads back as the same records. Every bit field gets the fewest
// bits that hold its values (and the style index fields at least enough for
// the arrays in force, as authoring tools write them).
//
// What the format cannot hold is refused with std::invalid_argument: an edge
// delta outside 17 bits, a style index outside 15, more than 255 fills in the
// first form, new style arrays in the first form or in a morph shape, a
// morph style whose start and end differ where the file stores one value.
#pragma once

#include <cstdint>

#include "movie/swf/SwfRecords.h"
#include "tools/SwfWriter.h"

namespace Halvane::Tools {

// The tag code of DefineShape of form version (1 to 4), and its payload.
std::uint16_t DefineShapeCode(int version);
Bytes DefineShapeTag(const Movie::ShapeDefinition& shape);

// The tag code of DefineMorphShape of form version (1 or 2), and its payload.
std::uint16_t DefineMorphShapeCode(int version);
Bytes DefineMorphShapeTag(const Movie::MorphShapeDefinition& morph);

// A glyph's SHAPE (fonts): bit counts, records with one fill and no lines,
// the end record; byte-aligned.
Bytes GlyphShape(const std::vector<Movie::ShapeRecord>& records);

// Helpers for building records by hand.
Movie::ShapeRecord MoveTo(std::int32_t x, std::int32_t y);
Movie::ShapeRecord LineBy(std::int32_t dx, std::int32_t dy);
Movie::ShapeRecord CurveBy(std::int32_t controlDx, std::int32_t controlDy, std::int32_t anchorDx,
                           std::int32_t anchorDy);

}  // namespace Halvane::Tools
