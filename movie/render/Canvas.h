// The rasterizer's face: one Canvas draws the frames of one movie control,
// one frame at a time, into a plain pixel view. It keeps its buffers from
// frame to frame, so steady playback allocates nothing.
//
// A frame is Begin, then the display list in depth order, then End:
//
//   canvas.Begin(view, Quality::High);
//   canvas.DrawShape(layer, placement, colorTransform);   // each shape layer
//   canvas.BeginMask(); canvas.DrawShape(...); canvas.EndMask();
//   ... objects the mask clips ...
//   canvas.PopMask();
//   canvas.PushLayer(BlendMode::Multiply); ... ; canvas.PopLayer();
//   canvas.End();
//
// Nothing is painted but the shapes: pixels they do not cover keep their
// bytes exactly, and each shape is composited over what the view already
// holds. Masks nest (a mask drawn while another is active is intersected
// with it) and so do layers. A mask is made of the fill area of the shapes
// drawn between BeginMask and EndMask (their lines and colours do not count),
// per sample at medium and high quality. While a mask is being drawn, masks
// and layers opened inside it are ignored and their shapes add to the mask.
// Unbalanced calls are ignored; End closes whatever is open.
//
// Bounds: the view and clip are limited to MaxSide pixels a side, and all
// layer and mask buffers together to MaxBufferBytes. A layer that does not
// fit draws straight into what lies below it, with normal blending; a mask
// that does not fit shows nothing of what it clips. One shape's work is
// bounded too: past a budget of flattened points its curves become chords,
// past one of arc points its round joins and caps are cut straight, and
// edges past ScanConverter's caps (count, and sample rows crossed) are left
// out. Geometry outside the clip costs next to nothing whatever its size.
// A frame's work is bounded as well: each shape is charged the work its
// scan conversion does (ScanConverter::Run) plus a unit per segment offered
// and FrameWorkPerStyle per paint made ready, each nested mask and each
// layer a unit or two per pixel it combines. Once a frame has spent
// max(MinFrameWork, FrameWorkPerPixel * clip pixels), the shape being
// drawn stops at the row it reached, further shapes are not drawn, and
// Exhausted() says so. Authored frames stay far below it; it keeps a
// hostile movie's frame to well under a second on the machines we build on.
//
// A Canvas is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "movie/render/ColorTransform.h"
#include "movie/render/RenderTypes.h"
#include "movie/render/ShapeLayer.h"

namespace Halvane::Movie::Render {

class Canvas {
 public:
  static constexpr int MaxSide = 1 << 14;
  static constexpr std::size_t MaxBufferBytes = std::size_t{256} << 20;
  static constexpr std::int64_t MinFrameWork = std::int64_t{1} << 26;
  static constexpr std::int64_t FrameWorkPerPixel = 64;
  static constexpr std::int64_t FrameWorkPerStyle = 256;

  Canvas();
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // Starts a frame into target, limited to clip (the whole view when not
  // given). False, and nothing drawn until the next Begin, when the view is
  // unusable: no pixels, a side of 0 or over MaxSide, a pixel size other
  // than 3 or 4 bytes, or rows closer together than a row is long.
  bool Begin(const PixelView& target, Quality quality);
  bool Begin(const PixelView& target, Quality quality, const PixelRect& clip);
  // Ends the frame: open layers are composited, masks dropped.
  void End();

  // Draws one shape layer: its fills in style order, then its lines in
  // style order. placement maps the shape's twips to device pixels; color
  // applies to every colour of the layer's paints. At high quality the
  // lines are sampled on the medium 2 x 2 grid, the fills on the 4 x 4 one,
  // and a straight edge's line is as thick as its width across pixel rows
  // where the edge is steep, down pixel columns where it is shallow.
  void DrawShape(const ShapeLayer& shape, const Transform& placement, const ColorTransform& color = ColorTransform());

  void BeginMask();
  void EndMask();
  void PopMask();

  void PushLayer(BlendMode mode);
  void PopLayer();

  // True once this frame's work budget is spent: shapes drawn from then on
  // until the next Begin are left out.
  bool Exhausted() const;

  // With false, every shape is sampled and painted by the general path,
  // without the shortcuts for special shapes and solid fills (tests compare
  // the two).
  void UseShortcuts(bool on);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The width in device pixels of a line drawn with placement (never below one
// pixel).
double LineWidthInPixels(const LineStyle& line, const Transform& placement);

}  // namespace Halvane::Movie::Render
