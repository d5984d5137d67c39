// The display list of a movie's current frame turned into drawing calls:
// the root's entries in depth order, a sprite's own list drawn where the
// sprite stands, each shape as its cached layers with the placement matrices
// and colour transforms of every level above it folded in.
//
// - An entry with a clip depth is a mask: its shapes (their fill area only)
//   clip the later entries of the same list up to that depth. Masks opened
//   while another is open nest inside it and close no later than the end of
//   their list. Inside a mask, nested masks and blend modes do not apply:
//   every shape adds to the mask.
// - An entry whose blend mode is not normal is drawn into a layer of its own
//   and combined with what lies below by the mode.
// - Entries made invisible by actions are not drawn (a mask still clips).
// - Static text draws its glyphs, each a shape layer in the record's colour
//   (a colour transform that sets the colour, composed under the
//   placement's). Text fields draw their background and border, then their
//   text laid out in their box (TextLayout.h), clipped to the box when it
//   overflows. Buttons are sprites showing their up state.
// - A script's bitmap (attachBitmap) draws as a rectangle of its pixels at
//   the entry's origin, 20 twips to a pixel; in a mask, its rectangle.
// - Characters without a drawing of their own (sprites past the nesting or
//   instance caps, characters the reader does not keep) draw nothing.
//
// A frame draws at most MaxDrawsPerFrame shape layers, and stops early once
// the sink says it is full, so that no display list holds the caller long.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "movie/render/ColorTransform.h"
#include "movie/render/RenderTypes.h"
#include "movie/render/ShapeCache.h"
#include "movie/render/ShapeLayer.h"
#include "movie/render/TextLayout.h"

namespace Halvane::Movie {
class BitmapPixels;
class MoviePlayer;
class MovieClip;
struct DisplayObject;
}  // namespace Halvane::Movie

namespace Halvane::Movie::Render {

// What the walker draws into: the canvas when a control draws, an oracle in
// the benchmark. The calls come balanced (each mask begun is ended and
// popped, each layer pushed is popped) and in the canvas's order.
class DrawSink {
 public:
  virtual ~DrawSink() = default;
  virtual void DrawShape(const ShapeLayer& shape, const Transform& placement, const ColorTransform& color) = 0;
  virtual void BeginMask() = 0;
  virtual void EndMask() = 0;
  virtual void PopMask() = 0;
  virtual void PushLayer(BlendMode mode) = 0;
  virtual void PopLayer() = 0;
  // True once the sink draws nothing more this frame.
  virtual bool Full() const { return false; }
};

class FrameWalker {
 public:
  static constexpr std::size_t MaxDrawsPerFrame = std::size_t{1} << 18;

  // Draws movie's current frame into sink; stage maps the root's twips to
  // device pixels. Ends the cache's frame.
  void Walk(const MoviePlayer& movie, const Transform& stage, ShapeCache& cache, DrawSink& sink);

 private:
  void WalkClip(const MovieClip& clip, const Transform& placement, const ColorTransform& color, bool inMask);
  void DrawObject(const DisplayObject& object, const Transform& placement, const ColorTransform& color,
                  bool inMask);
  void DrawLayers(const ShapeCache::Layers& layers, const Transform& placement, const ColorTransform& color);
  void DrawGlyphs(const std::vector<PlacedGlyph>& glyphs, const Transform& placement, const ColorTransform& color);
  void DrawField(const DisplayObject& object, const Transform& placement, const ColorTransform& color, bool inMask);
  void DrawScriptBitmap(const DisplayObject& object, const Transform& placement, const ColorTransform& color,
                        bool inMask);
  std::shared_ptr<const Bitmap> ImageOf(const std::shared_ptr<const BitmapPixels>& pixels);
  bool Stopped() const { return draws_ >= MaxDrawsPerFrame || sink_->Full(); }

  const MoviePlayer* movie_ = nullptr;
  ShapeCache* cache_ = nullptr;
  DrawSink* sink_ = nullptr;
  std::size_t draws_ = 0;
  std::vector<int> openMasks_;  // clip depths of the open masks, all levels
  std::vector<PlacedGlyph> glyphs_;
  FieldLayout field_;
  ShapeLayer box_;
  // Drawable copies of the scripts' bitmaps drawn in the last frame, made
  // again when the pixels change; the ones not drawn in a frame are let go.
  struct ShownBitmap {
    std::weak_ptr<const BitmapPixels> source;
    std::uint64_t changes = 0;
    std::shared_ptr<const Bitmap> image;
    bool drawn = false;
  };
  std::map<const BitmapPixels*, ShownBitmap> shown_;
};

// The colour transform a placement states, as the canvas takes it.
ColorTransform ColorTransformOf(const Movie::ColorTransform& color);

}  // namespace Halvane::Movie::Render
