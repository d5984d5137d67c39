// The renderer a control draws with: the display list of the current frame
// (FrameWalker) rasterized by the control's own canvas, the shapes' layers
// kept from frame to frame (ShapeCache) until another movie is drawn.
//
// Show all: the stage is scaled uniformly into geometry's rectangle and
// centred there; what the movie draws is clipped to that rectangle and to
// the target. No background is painted.
#pragma once

#include "movie/render/Canvas.h"
#include "movie/render/FrameRenderer.h"
#include "movie/render/FrameWalker.h"
#include "movie/render/ShapeCache.h"

namespace Halvane::Movie {
struct MovieDefinition;
}

namespace Halvane::Movie::Render {

class DisplayListRenderer final : public FrameRenderer {
 public:
  void DrawFrame(const MoviePlayer& movie, PixelTarget& target, const StageGeometry& geometry,
                 Quality quality) override;

 private:
  class CanvasSink;
  Canvas canvas_;
  ShapeCache cache_;
  FrameWalker walker_;
};

// Stage twips to device pixels as geometry places the stage whose frame
// rectangle is stage.
Transform StageTransform(const TwipsRect& stage, const StageGeometry& geometry);

}  // namespace Halvane::Movie::Render
