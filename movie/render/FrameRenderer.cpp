#include "movie/render/FrameRenderer.h"

#include <algorithm>
#include <mutex>

namespace Halvane::Movie {

namespace {

std::mutex& RendererLock() {
  static std::mutex lock;
  return lock;
}

std::shared_ptr<FrameRenderer>& Renderer() {
  static std::shared_ptr<FrameRenderer> renderer;
  return renderer;
}

}  // namespace

StageGeometry ShowAllGeometry(const TwipsRect& stage, const RECT& bounds) {
  StageGeometry g;
  g.bounds = bounds;
  const double stageWidth = (static_cast<double>(stage.xMax) - stage.xMin) / 20.0;
  const double stageHeight = (static_cast<double>(stage.yMax) - stage.yMin) / 20.0;
  const double boxWidth = static_cast<double>(bounds.right) - bounds.left;
  const double boxHeight = static_cast<double>(bounds.bottom) - bounds.top;
  if (stageWidth <= 0 || stageHeight <= 0 || boxWidth <= 0 || boxHeight <= 0) {
    g.originX = bounds.left;
    g.originY = bounds.top;
    return g;
  }
  g.scale = std::min(boxWidth / stageWidth, boxHeight / stageHeight);
  g.width = stageWidth * g.scale;
  g.height = stageHeight * g.scale;
  g.originX = bounds.left + (boxWidth - g.width) / 2.0;
  g.originY = bounds.top + (boxHeight - g.height) / 2.0;
  return g;
}

void SetFrameRenderer(std::shared_ptr<FrameRenderer> renderer) {
  std::lock_guard<std::mutex> guard(RendererLock());
  Renderer() = std::move(renderer);
}

std::shared_ptr<FrameRenderer> CurrentFrameRenderer() {
  std::lock_guard<std::mutex> guard(RendererLock());
  return Renderer();
}

}  // namespace Halvane::Movie
