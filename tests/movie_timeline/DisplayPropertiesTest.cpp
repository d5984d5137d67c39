// Setting a clip's size through _width and _height: the scales it leaves,
// and sizes no script should be able to turn into a broken matrix.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "movie/timeline/DisplayProperties.h"
#include "movie/timeline/MovieClip.h"
#include "movie/timeline/TextFieldInstance.h"

namespace Halvane::Movie {
namespace {

// 200 x 100 pixels, in twips.
constexpr double kBounds[4] = {-2000, -1000, 2000, 1000};

double Read(const DisplayObject& o, TargetProperty p) { return ReadPlacementProperty(o, p, kBounds); }

TEST(DisplayPropertiesTest, WidthOfAnUnturnedClipScalesOnlyAlongX) {
  DisplayObject o;
  WritePlacementProperty(o, TargetProperty::Width, 50, kBounds);
  EXPECT_DOUBLE_EQ(Read(o, TargetProperty::XScale), 25);
  EXPECT_DOUBLE_EQ(Read(o, TargetProperty::YScale), 100);
  EXPECT_DOUBLE_EQ(Read(o, TargetProperty::Width), 50);
  EXPECT_DOUBLE_EQ(Read(o, TargetProperty::Height), 100);
}

TEST(DisplayPropertiesTest, MirroredClipStaysMirroredWhenResized) {
  DisplayObject o;
  WritePlacementProperty(o, TargetProperty::XScale, -100, kBounds);
  WritePlacementProperty(o, TargetProperty::YScale, -50, kBounds);
  WritePlacementProperty(o, TargetProperty::Height, 25, kBounds);
  EXPECT_DOUBLE_EQ(Read(o, TargetProperty::XScale), -100);
  EXPECT_DOUBLE_EQ(Read(o, TargetProperty::YScale), -25);
}

TEST(DisplayPropertiesTest, FlatClipKeepsItsOtherScale) {
  const double line[4] = {0, 0, 2000, 0};
  DisplayObject o;
  WritePlacementProperty(o, TargetProperty::Width, 50, line);
  EXPECT_DOUBLE_EQ(ReadPlacementProperty(o, TargetProperty::XScale, line), 50);
  EXPECT_DOUBLE_EQ(ReadPlacementProperty(o, TargetProperty::YScale, line), 100);
  WritePlacementProperty(o, TargetProperty::Height, 10, line);  // nothing to scale along y
  EXPECT_DOUBLE_EQ(ReadPlacementProperty(o, TargetProperty::YScale, line), 100);
}

TEST(DisplayPropertiesTest, HostileSizesLeaveAUsableMatrix) {
  const double inf = std::numeric_limits<double>::infinity();
  for (double size : {inf, 1e300, 4e9, -1.0, std::nan("")}) {
    for (double rotation : {0.0, 45.0, 90.0}) {
      DisplayObject o;
      WritePlacementProperty(o, TargetProperty::Rotation, rotation, kBounds);
      WritePlacementProperty(o, TargetProperty::Width, size, kBounds);
      WritePlacementProperty(o, TargetProperty::Height, size, kBounds);
      EXPECT_FALSE(std::isnan(Read(o, TargetProperty::Width))) << size << " at " << rotation;
      EXPECT_FALSE(std::isnan(Read(o, TargetProperty::Height))) << size << " at " << rotation;
      EXPECT_EQ(o.matrix.translateX, 0);
    }
  }
}

}  // namespace
}  // namespace Halvane::Movie
