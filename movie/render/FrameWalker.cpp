#include "movie/render/FrameWalker.h"

#include "movie/render/ShapeBuilder.h"
#include "movie/timeline/MoviePlayer.h"

namespace Halvane::Movie::Render {

ColorTransform ColorTransformOf(const Movie::ColorTransform& color) {
  std::int32_t mult[4], add[4];
  for (int i = 0; i < 4; ++i) {
    mult[i] = color.mult[i];
    add[i] = color.add[i];
  }
  return ColorTransform::FromFields(mult, add);
}

void FrameWalker::Walk(const MoviePlayer& movie, const Transform& stage, ShapeCache& cache, DrawSink& sink) {
  movie_ = &movie;
  cache_ = &cache;
  sink_ = &sink;
  draws_ = 0;
  openMasks_.clear();
  WalkClip(movie.Root(), stage, ColorTransform(), false);
  cache.EndFrame();
  movie_ = nullptr;
  cache_ = nullptr;
  sink_ = nullptr;
}

void FrameWalker::WalkClip(const MovieClip& clip, const Transform& placement, const ColorTransform& color,
                           bool inMask) {
  const std::size_t base = openMasks_.size();
  for (const auto& [depth, object] : clip.Objects()) {
    if (Stopped()) break;
    while (openMasks_.size() > base && openMasks_.back() < depth) {
      sink_->PopMask();
      openMasks_.pop_back();
    }
    const Transform matrix = TransformOf(object.matrix).Then(placement);
    if (object.clipDepth > 0 && !inMask) {
      sink_->BeginMask();
      DrawObject(object, matrix, color, true);
      sink_->EndMask();
      openMasks_.push_back(object.clipDepth);
      continue;
    }
    if (!object.visible) continue;
    if (inMask) {
      DrawObject(object, matrix, color, true);
      continue;
    }
    const ColorTransform objectColor = ColorTransform::Compose(color, ColorTransformOf(object.colorTransform));
    const BlendMode mode = BlendModeFromByte(object.blendMode);
    if (mode != BlendMode::Normal) sink_->PushLayer(mode);
    DrawObject(object, matrix, objectColor, false);
    if (mode != BlendMode::Normal) sink_->PopLayer();
  }
  while (openMasks_.size() > base) {
    sink_->PopMask();
    openMasks_.pop_back();
  }
}

void FrameWalker::DrawObject(const DisplayObject& object, const Transform& placement, const ColorTransform& color,
                             bool inMask) {
  if (object.sprite) {
    WalkClip(*object.sprite, placement, color, inMask);
    return;
  }
  const MovieDefinition& movie = movie_->Definition();
  const auto shape = movie.shapes.find(object.characterId);
  if (shape != movie.shapes.end()) {
    DrawLayers(cache_->Shape(shape->second), placement, color);
    return;
  }
  const auto morph = movie.morphShapes.find(object.characterId);
  if (morph != movie.morphShapes.end()) {
    const ShapeCache::Layers* layers = cache_->Morph(morph->second, object.ratio);
    if (layers != nullptr) DrawLayers(*layers, placement, color);
  }
}

void FrameWalker::DrawLayers(const ShapeCache::Layers& layers, const Transform& placement,
                             const ColorTransform& color) {
  for (const ShapeLayer& layer : layers) {
    if (Stopped()) return;
    ++draws_;
    sink_->DrawShape(layer, placement, color);
  }
}

}  // namespace Halvane::Movie::Render
