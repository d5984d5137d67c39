// What draws a frame. Each control owns its renderer and hands it the movie
// in play, the pixels to draw into and where the stage lands among them;
// nothing about drawing is shared between controls.
#pragma once

#include "movie/render/PixelTarget.h"
#include "movie/render/RenderTypes.h"
#include "movie/render/StageGeometry.h"

namespace Halvane::Movie {

class MoviePlayer;

class FrameRenderer {
 public:
  virtual ~FrameRenderer() = default;
  // Paints the movie's current frame into target at quality, the stage
  // placed by geometry (whose device pixels are the target's) and nothing
  // drawn outside geometry.bounds. Pixels where the movie is transparent,
  // and every pixel outside the target, stay untouched; an empty target is
  // left alone. Called on the control's thread, inside its Draw.
  virtual void DrawFrame(const MoviePlayer& movie, PixelTarget& target, const StageGeometry& geometry,
                         Render::Quality quality) = 0;
};

// The renderer that paints nothing: every pixel stays as it was, so the
// whole movie reads as transparent (for a control that plays without being
// seen).
class NullRenderer final : public FrameRenderer {
 public:
  void DrawFrame(const MoviePlayer&, PixelTarget&, const StageGeometry&, Render::Quality) override {}
};

}  // namespace Halvane::Movie
