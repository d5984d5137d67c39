#include "movie/render/StageGeometry.h"

#include <algorithm>

namespace Halvane::Movie {

StageGeometry ShowAllGeometry(const TwipsRect& stage, const PixelRect& bounds) {
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

}  // namespace Halvane::Movie
