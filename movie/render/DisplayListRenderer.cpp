#include "movie/render/DisplayListRenderer.h"

#include "movie/timeline/MoviePlayer.h"

namespace Halvane::Movie::Render {

class DisplayListRenderer::CanvasSink final : public DrawSink {
 public:
  explicit CanvasSink(Canvas& canvas) : canvas_(canvas) {}
  void DrawShape(const ShapeLayer& shape, const Transform& placement, const ColorTransform& color) override {
    canvas_.DrawShape(shape, placement, color);
  }
  void BeginMask() override { canvas_.BeginMask(); }
  void EndMask() override { canvas_.EndMask(); }
  void PopMask() override { canvas_.PopMask(); }
  void PushLayer(BlendMode mode) override { canvas_.PushLayer(mode); }
  void PopLayer() override { canvas_.PopLayer(); }
  bool Full() const override { return canvas_.Exhausted(); }

 private:
  Canvas& canvas_;
};

Transform StageTransform(const TwipsRect& stage, const StageGeometry& geometry) {
  Transform t;
  t.a = t.d = geometry.scale / 20.0;
  t.tx = geometry.originX - stage.xMin * t.a;
  t.ty = geometry.originY - stage.yMin * t.d;
  return t;
}

void DisplayListRenderer::DrawFrame(const MoviePlayer& movie, PixelTarget& target, const StageGeometry& geometry,
                                    Quality quality) {
  if (target.Empty() || !(geometry.scale > 0)) return;
  cache_.SetMovie(movie.SharedDefinition());
  PixelView view;
  view.top = target.pixels;
  view.stride = target.stride;
  view.width = target.width;
  view.height = target.height;
  view.bytesPerPixel = target.bitsPerPixel / 8;
  const PixelRect clip{geometry.bounds.left, geometry.bounds.top, geometry.bounds.right, geometry.bounds.bottom};
  if (!canvas_.Begin(view, quality, clip)) return;
  CanvasSink sink(canvas_);
  walker_.Walk(movie, StageTransform(movie.Definition().frameRect, geometry), cache_, sink);
  canvas_.End();
}

}  // namespace Halvane::Movie::Render
