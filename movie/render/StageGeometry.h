// Where the stage lands in the rectangle the control is asked to draw into:
// "show all", as the control scales by default (the whole stage, scaled
// uniformly to fit, centred).
#pragma once

#include <cstdint>

#include "movie/swf/SwfRecords.h"

namespace Halvane::Movie {

// A rectangle in device pixels; right and bottom lie outside it.
struct PixelRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// Stage twips to device pixels: device = origin + (twips - stage min) / 20 * scale.
struct StageGeometry {
  PixelRect bounds;       // the rectangle drawn into
  double scale = 0.0;     // device pixels per stage pixel; 0 for an empty stage or rectangle
  double originX = 0.0;   // device position of the stage's top left corner
  double originY = 0.0;
  double width = 0.0;     // device size of the scaled stage
  double height = 0.0;
};

StageGeometry ShowAllGeometry(const TwipsRect& stage, const PixelRect& bounds);

}  // namespace Halvane::Movie
