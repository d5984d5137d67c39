// The codes of the tags in a movie's tag stream that the reader understands;
// every other tag is skipped by its length.
#pragma once

#include <cstdint>

namespace Halvane::Movie {

enum TagCode : std::uint16_t {
  kTagEnd = 0,
  kTagShowFrame = 1,
  kTagDefineShape = 2,
  kTagPlaceObject = 4,
  kTagRemoveObject = 5,
  kTagDefineBits = 6,
  kTagDefineButton = 7,
  kTagJpegTables = 8,
  kTagSetBackgroundColor = 9,
  kTagDefineFont = 10,
  kTagDefineText = 11,
  kTagDoAction = 12,
  kTagDefineFontInfo = 13,
  kTagDefineSound = 14,
  kTagDefineBitsLossless = 20,
  kTagDefineBitsJpeg2 = 21,
  kTagDefineShape2 = 22,
  kTagDefineButtonCxform = 23,
  kTagPlaceObject2 = 26,
  kTagRemoveObject2 = 28,
  kTagDefineShape3 = 32,
  kTagDefineText2 = 33,
  kTagDefineButton2 = 34,
  kTagDefineBitsJpeg3 = 35,
  kTagDefineBitsLossless2 = 36,
  kTagDefineEditText = 37,
  kTagDefineSprite = 39,
  kTagFrameLabel = 43,
  kTagDefineMorphShape = 46,
  kTagDefineFont2 = 48,
  kTagExportAssets = 56,
  kTagDoInitAction = 59,
  kTagDefineFontInfo2 = 62,
  kTagPlaceObject3 = 70,
  kTagCsmTextSettings = 74,
  kTagDefineFont3 = 75,
  kTagDefineShape4 = 83,
  kTagDefineMorphShape2 = 84,
  kTagDefineBitsJpeg4 = 90,
};

}  // namespace Halvane::Movie
