// Where the stage lands in the rectangle drawn into: whole, scaled
// uniformly, centred; nothing for an empty stage or rectangle.
#include <gtest/gtest.h>

#include "movie/render/StageGeometry.h"

namespace Halvane::Movie {
namespace {

TEST(StageGeometry, ShowAllScalesTheWholeStageUniformlyAndCentresIt) {
  const struct {
    const char* what;
    TwipsRect stage;
    PixelRect box;
    double scale, originX, originY, width, height;
  } rows[] = {
      {"same size", {0, 4000, 0, 2000}, {0, 0, 200, 100}, 1.0, 0, 0, 200, 100},
      {"box taller: centred vertically", {0, 4000, 0, 2000}, {10, 20, 110, 220}, 0.5, 10, 95, 100, 50},
      {"box wider: centred horizontally", {0, 2000, 0, 2000}, {0, 0, 300, 100}, 1.0, 100, 0, 100, 100},
      {"stage not at the origin", {-2000, 2000, 1000, 3000}, {0, 0, 400, 200}, 2.0, 0, 0, 400, 200},
      {"empty stage", {0, 0, 0, 100}, {10, 20, 110, 220}, 0.0, 10, 20, 0, 0},
      {"empty box", {0, 4000, 0, 2000}, {5, 5, 5, 50}, 0.0, 5, 5, 0, 0},
      {"box turned inside out", {0, 4000, 0, 2000}, {100, 100, 0, 0}, 0.0, 100, 100, 0, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const StageGeometry g = ShowAllGeometry(row.stage, row.box);
    EXPECT_DOUBLE_EQ(g.scale, row.scale);
    EXPECT_DOUBLE_EQ(g.originX, row.originX);
    EXPECT_DOUBLE_EQ(g.originY, row.originY);
    EXPECT_DOUBLE_EQ(g.width, row.width);
    EXPECT_DOUBLE_EQ(g.height, row.height);
  }
}

}  // namespace
}  // namespace Halvane::Movie
