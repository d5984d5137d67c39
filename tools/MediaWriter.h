// Bitmap, font, text, text field and button tags written from the reader's
// own records (movie/swf/SwfRecords.h), the mirror image of the reader:
// what these write, the reader reads back as the same records. Also the
// pixel data of the lossless bitmap forms, and JPEG data in the framing
// older movies use, for tests and examples.
#pragma once

#include <cstdint>
#include <vector>

#include "movie/swf/SwfRecords.h"
#include "tools/SwfWriter.h"

namespace Halvane::Tools {

enum MediaTagCode : std::uint16_t {
  kDefineBitsTag = 6,
  kDefineButtonTag = 7,
  kJpegTablesTag = 8,
  kDefineFontTag = 10,
  kDefineTextTag = 11,
  kDefineFontInfoTag = 13,
  kDefineBitsLosslessTag = 20,
  kDefineBitsJpeg2Tag = 21,
  kDefineText2Tag = 33,
  kDefineButton2Tag = 34,
  kDefineBitsJpeg3Tag = 35,
  kDefineBitsLossless2Tag = 36,
  kDefineEditTextTag = 37,
  kDefineFont2Tag = 48,
  kDefineFont3Tag = 75,
  kDefineBitsJpeg4Tag = 90,
};

// The tag code a bitmap is written with: its encoding, the alpha and
// deblocking fields choosing among the JPEG forms.
std::uint16_t DefineBitsCode(const Movie::BitmapDefinition& bitmap);
Bytes DefineBitsTag(const Movie::BitmapDefinition& bitmap);

// The zlib data of a lossless bitmap of width x height straight-alpha RGBA
// pixels (top row first) in format 5: XRGB for the first form, premultiplied
// ARGB for the second.
Bytes LosslessArgb(const std::vector<std::uint8_t>& rgba, int width, int height, bool withAlpha);

// DefineFont2 or DefineFont3 (font.version) with its glyphs, codes and,
// when hasLayout, its metrics and advances (bounds empty, no kerning).
std::uint16_t DefineFontCode(int version);
Bytes DefineFontTag(const Movie::FontDefinition& font);

// DefineText or DefineText2 (text.version).
Bytes DefineTextTag(const Movie::StaticTextDefinition& text);

// DefineEditText.
Bytes DefineEditTextTag(const Movie::EditTextDefinition& field);

// DefineButton2 showing the given characters in every state, each at its
// depth with its matrix; no actions.
struct ButtonPart {
  std::uint16_t characterId = 0;
  std::uint16_t depth = 1;
  Movie::Matrix matrix;
};
Bytes DefineButton2Tag(std::uint16_t id, const std::vector<ButtonPart>& parts);

}  // namespace Halvane::Tools
