// Reads an uncompressed ("FWS") movie file into a MovieDefinition. The reader
// checks every length against the bytes there are and caps what it keeps, so
// any input gives either a refusal or a movie that plays up to the fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "movie/swf/SwfRecords.h"
#include "movie/swf/TagCodes.h"

namespace Halvane::Movie {

// Limits on what one movie may make the reader keep. The defaults are far
// above what authored movies need.
struct ParseLimits {
  std::size_t maxRecords = 1u << 18;  // display-list tags, actions and labels, all timelines
  std::size_t maxCharacters = 1u << 14;  // shapes, morph shapes and sprites, read or left out
  std::size_t maxStoredFrames = 1u << 18;  // frame records, all timelines
  // Fill and line styles, gradient stops and shape records, all shapes, and
  // the glyphs, glyph records and text glyphs of fonts and texts: a
  // few bytes of file can make a record of a hundred, so they are capped
  // on their own.
  std::size_t maxShapeElements = 1u << 20;
  // The stored bytes of all bitmaps together (their decoded pixels are the
  // renderer's to cap).
  std::size_t maxBitmapBytes = std::size_t{1} << 28;
};

// Reads the whole file (8-byte header included) of size bytes. Returns null
// when the movie is refused: shorter than its header, a signature other than
// "FWS", or a movie header (frame rectangle, rate, count) that does not fit.
// Otherwise the definition's outcome says whether the tag stream was read to
// its end (Complete) or stopped at a fault or a limit (Truncated). A shape
// definition whose own records are malformed is left out (and noted in the
// definition) without ending the movie.
std::unique_ptr<MovieDefinition> ParseMovie(const std::uint8_t* data, std::size_t size,
                                            const ParseLimits& limits = ParseLimits());

}  // namespace Halvane::Movie
