// Where the control's drawing meets the renderer. The control works out how
// the stage maps into the rectangle it is asked to draw into ("show all":
// the whole stage, scaled uniformly to fit, centred) and hands the current
// frame with that geometry to the process's frame renderer. Until a
// renderer is installed nothing is painted, which leaves the device
// context as it was: the whole movie reads as transparent.
#pragma once

#include <memory>

#include "movie/swf/SwfRecords.h"
#include "platform/Com.h"

namespace Halvane::Movie {

class MoviePlayer;

// Stage twips to device pixels: device = origin + (twips - stage min) / 20 * scale.
struct StageGeometry {
  RECT bounds{};          // the rectangle drawn into
  double scale = 0.0;     // device pixels per stage pixel; 0 for an empty stage or rectangle
  double originX = 0.0;   // device position of the stage's top left corner
  double originY = 0.0;
  double width = 0.0;     // device size of the scaled stage
  double height = 0.0;
};

StageGeometry ShowAllGeometry(const TwipsRect& stage, const RECT& bounds);

class FrameRenderer {
 public:
  virtual ~FrameRenderer() = default;
  // Paints the movie's current frame; pixels where the movie is transparent
  // stay untouched. Called on the control's thread, inside its Draw.
  virtual HRESULT DrawFrame(const MoviePlayer& movie, HDC dc, const StageGeometry& geometry) = 0;
};

// The renderer every control uses from its next Draw on; null removes it.
void SetFrameRenderer(std::shared_ptr<FrameRenderer> renderer);
std::shared_ptr<FrameRenderer> CurrentFrameRenderer();

}  // namespace Halvane::Movie
