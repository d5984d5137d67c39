// Shapes into pixels: what is written and what is not, where samples fall,
// and how fills count winding and meet.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "RenderTestSupport.h"

namespace Halvane::Movie::Render {
namespace {

using Testing::AddRect;
using Testing::Covered;
using Testing::Rgb;
using Testing::SolidRect;
using Testing::TestImage;
using Testing::Tw;
using Testing::Unscaled;

const Rgba Red{255, 0, 0, 255};
const Rgba Blue{0, 0, 255, 255};

void Draw(TestImage& image, const ShapeLayer& shape, Quality quality = Quality::Low,
          const Transform& placement = Unscaled()) {
  Canvas canvas;
  ASSERT_TRUE(canvas.Begin(image.View(), quality));
  canvas.DrawShape(shape, placement);
  canvas.End();
}

// Pixels whose colour differs from before, as a count and bounding box.
struct Changed {
  int count = 0;
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};
Changed Diff(const TestImage& before, const TestImage& after) {
  Changed c;
  for (int y = 0; y < after.Height(); ++y) {
    for (int x = 0; x < after.Width(); ++x) {
      if (before.At(x, y) == after.At(x, y)) continue;
      ++c.count;
      c.left = std::min(c.left, x);
      c.top = std::min(c.top, y);
      c.right = std::max(c.right, x);
      c.bottom = std::max(c.bottom, y);
    }
  }
  return c;
}

TEST(CanvasTransparency, PixelsNotCoveredKeepEveryByte) {
  for (const int bytes : {3, 4}) {
    for (const bool bottomUp : {false, true}) {
      TestImage image(23, 17, bytes, bottomUp);
      const TestImage before = image;
      Draw(image, SolidRect(5, 4, 12, 9, Red), Quality::High);
      const Changed c = Diff(before, image);
      EXPECT_EQ(c.count, 7 * 5);
      EXPECT_EQ(c.left, 5);
      EXPECT_EQ(c.top, 4);
      EXPECT_EQ(c.right, 11);
      EXPECT_EQ(c.bottom, 8);
      EXPECT_EQ(image.At(5, 4), (Rgb{255, 0, 0}));
      // Row padding, guards and the fourth byte of 32-bit pixels.
      EXPECT_TRUE(image.GuardsIntact()) << bytes << " " << bottomUp;
    }
  }
}

TEST(CanvasTransparency, BottomUpViewDrawsTheTopRowLastInMemory) {
  TestImage image(4, 3, 3, true);
  Draw(image, SolidRect(0, 0, 4, 1, Red));
  const std::vector<std::uint8_t>& b = image.Bytes();
  const std::size_t lastRow = Testing::Guard + 2 * 12;
  EXPECT_EQ(b[lastRow + 2], 255);
  EXPECT_EQ(b[lastRow + 0], 0);
  EXPECT_EQ(image.At(0, 0), (Rgb{255, 0, 0}));
  EXPECT_NE(image.At(0, 1), (Rgb{255, 0, 0}));
}

TEST(CanvasTransparency, AlphaFillBlendsOverWhatIsThere) {
  TestImage image(4, 4);
  image.Fill(Rgb{10, 20, 200});
  Draw(image, SolidRect(0, 0, 4, 4, Rgba{255, 100, 0, 128}));
  // c * 128 / 255 + below * 127 / 255, truncated.
  EXPECT_EQ(image.At(1, 1), (Rgb{(255 * 128 + 10 * 127) / 255, (100 * 128 + 20 * 127) / 255, (200 * 127) / 255}));
  Draw(image, SolidRect(0, 0, 4, 4, Rgba{0, 0, 0, 0}));
  EXPECT_EQ(image.At(1, 1), (Rgb{(255 * 128 + 10 * 127) / 255, (100 * 128 + 20 * 127) / 255, (200 * 127) / 255}));
}

TEST(CanvasTransparency, ThirtyTwoBitPixelsKeepTheirFourthByte) {
  TestImage image(8, 8, 4);
  const std::uint8_t fourth = image.FourthByte(3, 3);
  Draw(image, SolidRect(0, 0, 8, 8, Rgba{1, 2, 3, 200}), Quality::High);
  EXPECT_EQ(image.FourthByte(3, 3), fourth);
  EXPECT_TRUE(image.GuardsIntact());
}

TEST(CanvasClipping, ShapesAcrossEveryEdgeStayInside) {
  struct Case {
    double x0, y0, x1, y1;
    int covered;
  };
  const Case cases[] = {
      {-5, 2, 3, 6, 3 * 4},        {7, 2, 30, 6, 3 * 4}, {2, -9, 6, 3, 4 * 3},    {2, 7, 6, 99, 4 * 3},
      {-1e6, -1e6, 1e6, 1e6, 100}, {20, 20, 30, 30, 0},  {-30, -30, -20, -20, 0}, {3, 3, 3, 8, 0},
  };
  for (const Quality q : {Quality::Low, Quality::Medium, Quality::High}) {
    for (const Case& c : cases) {
      TestImage image(10, 10, 3, true);
      const TestImage before = image;
      Draw(image, SolidRect(c.x0, c.y0, c.x1, c.y1, Red), q);
      EXPECT_EQ(Diff(before, image).count, c.covered) << c.x0 << "," << c.y0;
      EXPECT_TRUE(image.GuardsIntact());
    }
  }
}

TEST(CanvasClipping, NothingOutsideTheClipRectangleIsWritten) {
  TestImage image(12, 12);
  const TestImage before = image;
  Canvas canvas;
  ASSERT_TRUE(canvas.Begin(image.View(), Quality::High, PixelRect{3, 4, 8, 6}));
  canvas.DrawShape(SolidRect(-100, -100, 100, 100, Red), Unscaled());
  canvas.End();
  const Changed c = Diff(before, image);
  EXPECT_EQ(c.count, 5 * 2);
  EXPECT_EQ(c.left, 3);
  EXPECT_EQ(c.top, 4);
  EXPECT_EQ(c.right, 7);
  EXPECT_EQ(c.bottom, 5);
}

TEST(CanvasClipping, UnusableViewsAreRefused) {
  std::uint8_t pixels[64] = {};
  Canvas canvas;
  EXPECT_FALSE(canvas.Begin(PixelView{nullptr, 12, 4, 4, 3}, Quality::Low));
  EXPECT_FALSE(canvas.Begin(PixelView{pixels, 12, 0, 4, 3}, Quality::Low));
  EXPECT_FALSE(canvas.Begin(PixelView{pixels, 12, 4, -1, 3}, Quality::Low));
  EXPECT_FALSE(canvas.Begin(PixelView{pixels, 12, 4, 4, 2}, Quality::Low));
  EXPECT_FALSE(canvas.Begin(PixelView{pixels, 11, 4, 4, 3}, Quality::Low));
  EXPECT_FALSE(canvas.Begin(PixelView{pixels, 12, Canvas::MaxSide + 1, 1, 3}, Quality::Low));
  // A refused view draws nothing, even when a shape follows.
  canvas.DrawShape(SolidRect(0, 0, 4, 4, Red), Unscaled());
  for (const std::uint8_t b : pixels) EXPECT_EQ(b, 0);
  EXPECT_TRUE(canvas.Begin(PixelView{pixels + 48, -12, 4, 4, 3}, Quality::Low));
}

TEST(CanvasSampling, LowQualitySamplesPixelCentresTopAndLeftInclusive) {
  // Edges exactly through pixel centres: the samples on the left and top
  // edges are inside, those on the right and bottom edges outside.
  TestImage image(30, 12);
  image.Fill(Rgb{255, 255, 255});
  Draw(image, SolidRect(10.5, 5.5, 20.5, 8.5, Rgba{0, 0, 0, 255}));
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 30; ++x) {
      const bool inside = x >= 10 && x < 20 && y >= 5 && y < 8;
      EXPECT_EQ(image.At(x, y).red, inside ? 0 : 255) << x << "," << y;
    }
  }
}

TEST(CanvasSampling, SloppedEdgeThroughCentresBelongsToTheRight) {
  // A triangle whose slanted edge passes exactly through pixel centres
  // (x + 0.5 = y + 0.5): those centres are inside when the fill is on the
  // edge's right, outside when it is on the left.
  TestImage left(8, 8), right(8, 8);
  left.Fill(Rgb{255, 255, 255});
  right.Fill(Rgb{255, 255, 255});
  ShapeLayer toTheRight;  // fill right of the diagonal (x > y)
  toTheRight.fills.push_back(Paint::SolidColor(Rgba{0, 0, 0, 255}));
  toTheRight.SetFill1(1);
  toTheRight.MoveTo(0, 0);
  toTheRight.LineTo(Tw(8), 0);
  toTheRight.LineTo(Tw(8), Tw(8));
  toTheRight.LineTo(0, 0);
  Draw(right, toTheRight);
  ShapeLayer toTheLeft;
  toTheLeft.fills.push_back(Paint::SolidColor(Rgba{0, 0, 0, 255}));
  toTheLeft.SetFill1(1);
  toTheLeft.MoveTo(0, 0);
  toTheLeft.LineTo(Tw(8), Tw(8));
  toTheLeft.LineTo(0, Tw(8));
  toTheLeft.LineTo(0, 0);
  Draw(left, toTheLeft);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(right.At(i, i).red, 0) << i;
    EXPECT_EQ(left.At(i, i).red, 255) << i;
  }
}

TEST(CanvasSampling, HighQualityCountsSixteenSamplesAtCellCentres) {
  // Samples at x + 0.125, 0.375, 0.625, 0.875. An edge at 0.375 keeps the
  // sample on it: 3 columns of 4. (Vertices are kept to 1/256 pixel, so
  // "just past" a sample means at least that far.)
  struct Case {
    double left;
    int columns;
  };
  const Case cases[] = {{10.0, 4}, {10.125, 4}, {10.13, 3}, {10.375, 3}, {10.5, 2}, {10.875, 1}, {10.9, 0}};
  for (const Case& c : cases) {
    TestImage image(20, 4);
    image.Fill(Rgb{255, 255, 255});
    Draw(image, SolidRect(c.left, 0, 15, 4, Rgba{0, 0, 0, 255}), Quality::High);
    EXPECT_EQ(image.At(10, 1).green, Covered(0, 255, c.columns * 4, 16)) << c.left;
    EXPECT_EQ(image.At(11, 1).green, 0);
  }
  // Rows likewise: a top edge at y = 0.625 keeps rows 0.625 and 0.875.
  TestImage image(4, 4);
  image.Fill(Rgb{255, 255, 255});
  Draw(image, SolidRect(0, 0.625, 4, 4, Rgba{0, 0, 0, 255}), Quality::High);
  EXPECT_EQ(image.At(1, 0).green, Covered(0, 255, 8, 16));
}

TEST(CanvasSampling, MediumQualityUsesATwoByTwoGrid) {
  // Samples at x + 0.25 and x + 0.75: an edge at 0.25 keeps both columns.
  const struct {
    double left;
    int green;
  } cases[] = {{10.25, 0}, {10.26, Covered(0, 255, 2, 4)}, {10.75, Covered(0, 255, 2, 4)}, {10.76, 255}};
  for (const auto& c : cases) {
    TestImage image(20, 4);
    image.Fill(Rgb{255, 255, 255});
    Draw(image, SolidRect(c.left, 0, 15, 4, Rgba{0, 0, 0, 255}), Quality::Medium);
    EXPECT_EQ(image.At(10, 1).green, c.green) << c.left;
  }
}

TEST(CanvasSampling, HighQualitySamplesLinesOnTheTwoByTwoGrid) {
  // One shape: a fill and, below it, a 2-pixel line, both with their left
  // edge at left. The fill keeps the columns of the 4 x 4 grid right of the
  // edge, the line those of the 2 x 2 one.
  const struct {
    double left;
    int fillColumns;  // of 4
    int lineColumns;  // of 2
  } cases[] = {{10.13, 3, 2}, {10.26, 3, 1}, {10.5, 2, 1}, {10.76, 1, 0}};
  for (const auto& c : cases) {
    ShapeLayer shape = SolidRect(c.left, 0, 15, 4, Rgba{0, 0, 0, 255});
    shape.lines.push_back(LineStyle{});
    shape.lines[0].width = Tw(2);
    shape.lines[0].startCap = shape.lines[0].endCap = CapStyle::None;
    shape.SetFill1(0);
    shape.SetLine(1);
    shape.MoveTo(Tw(c.left + 1), Tw(6));
    shape.LineTo(Tw(c.left + 1), Tw(10));
    TestImage image(20, 10);
    image.Fill(Rgb{255, 255, 255});
    Draw(image, shape, Quality::High);
    EXPECT_EQ(image.At(10, 1).green, Covered(0, 255, c.fillColumns * 4, 16)) << c.left;
    EXPECT_EQ(image.At(10, 8).green, Covered(0, 255, c.lineColumns * 2, 4)) << c.left;
  }
}

ShapeLayer NestedSquares(FillRule rule, bool innerReversed) {
  ShapeLayer shape;
  shape.rule = rule;
  shape.fills.push_back(Paint::SolidColor(Rgba{0, 0, 0, 255}));
  shape.SetFill1(1);
  AddRect(shape, 2, 2, 18, 18);
  if (innerReversed) {
    shape.SetFill1(0);
    shape.SetFill0(1);
  }
  AddRect(shape, 6, 6, 14, 14);
  return shape;
}

TEST(CanvasFillRules, EvenOddAndNonZeroWithNestedPaths) {
  struct Case {
    FillRule rule;
    bool innerReversed;
    bool holeFilled;
  };
  // Same direction: winding 2 inside, a hole for even-odd only. The inner
  // path as the left side of its edges runs the other way: winding 0.
  const Case cases[] = {{FillRule::EvenOdd, false, false},
                        {FillRule::NonZero, false, true},
                        {FillRule::EvenOdd, true, false},
                        {FillRule::NonZero, true, false}};
  for (const Case& c : cases) {
    TestImage image(20, 20);
    image.Fill(Rgb{255, 255, 255});
    Draw(image, NestedSquares(c.rule, c.innerReversed));
    EXPECT_EQ(image.At(4, 4).red, 0);
    EXPECT_EQ(image.At(10, 10).red, c.holeFilled ? 0 : 255);
  }
}

TEST(CanvasFillRules, EdgeSidesChooseTheFillAndEqualSidesCancel) {
  // Two halves split by one edge that bounds red on one side (fill0, so red
  // counts it reversed) and blue on the other (fill1, as drawn).
  ShapeLayer shape;
  shape.fills.push_back(Paint::SolidColor(Red));
  shape.fills.push_back(Paint::SolidColor(Blue));
  // Outer boundary clockwise on screen: left half red on the inside (fill1).
  shape.SetFill1(1);
  shape.MoveTo(Tw(10), 0);
  shape.LineTo(0, 0);
  shape.LineTo(0, Tw(10));
  shape.LineTo(Tw(10), Tw(10));
  shape.SetFill1(2);
  shape.LineTo(Tw(20), Tw(10));
  shape.LineTo(Tw(20), 0);
  shape.LineTo(Tw(10), 0);
  // The dividing edge drawn downwards: red is on its left as drawn (its
  // fill0 side), blue on its right (fill1).
  shape.SetFill0(1);
  shape.SetFill1(2);
  shape.LineTo(Tw(10), Tw(10));
  // An edge with red on both sides through the red half changes nothing.
  shape.SetFill0(1);
  shape.SetFill1(1);
  shape.MoveTo(Tw(5), 0);
  shape.LineTo(Tw(5), Tw(10));
  for (const FillRule rule : {FillRule::EvenOdd, FillRule::NonZero}) {
    shape.rule = rule;
    TestImage image(20, 10);
    image.Fill(Rgb{0, 255, 0});
    Draw(image, shape);
    for (int x = 0; x < 20; ++x) {
      EXPECT_EQ(image.At(x, 5), x < 10 ? (Rgb{255, 0, 0}) : (Rgb{0, 0, 255})) << x;
    }
  }
}

TEST(CanvasFillRules, AdjacentFillsShowNoSeam) {
  // Two fills meeting in the middle of column 10: exactly half of each, no
  // trace of the green below, also on slanted shared edges.
  ShapeLayer shape;
  shape.fills.push_back(Paint::SolidColor(Rgba{200, 0, 0, 255}));
  shape.fills.push_back(Paint::SolidColor(Rgba{0, 0, 200, 255}));
  shape.SetFill1(1);
  AddRect(shape, 0, 0, 10.5, 8);
  shape.SetFill1(2);
  AddRect(shape, 10.5, 0, 20, 8);
  ShapeLayer slanted;
  slanted.fills = shape.fills;
  slanted.SetFill1(1);
  slanted.MoveTo(0, 0);
  slanted.LineTo(Tw(7), 0);
  slanted.SetFill0(2);
  slanted.SetFill1(1);
  slanted.LineTo(Tw(13), Tw(8));
  slanted.SetFill0(0);
  slanted.SetFill1(1);
  slanted.LineTo(0, Tw(8));
  slanted.LineTo(0, 0);
  slanted.SetFill1(2);
  slanted.MoveTo(Tw(7), 0);
  slanted.LineTo(Tw(20), 0);
  slanted.LineTo(Tw(20), Tw(8));
  slanted.LineTo(Tw(13), Tw(8));
  for (const Quality q : {Quality::Medium, Quality::High}) {
    TestImage image(20, 8);
    image.Fill(Rgb{0, 255, 0});
    Draw(image, shape, q);
    EXPECT_EQ(image.At(10, 3), (Rgb{100, 0, 100}));
    TestImage image2(20, 8);
    image2.Fill(Rgb{0, 255, 0});
    Draw(image2, slanted, q);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 20; ++x) EXPECT_EQ(image2.At(x, y).green, 0) << x << "," << y;
    }
  }
}

TEST(CanvasSampling, RectilinearShapesCoverExactlyTheirSamples) {
  // Upright rectangles starting and ending between sample rows, stacked,
  // overlapping (even-odd) and sharing edges: rows of upright edges are
  // worked out once and repeated, which must give each pixel exactly the
  // samples a sample-by-sample count gives.
  struct Box {
    double x0, y0, x1, y1;
  };
  const Box boxes[] = {{2.125, 1.375, 20.625, 9.125}, {5.5, 4.0, 12.25, 30.875}, {5.5, 30.875, 12.25, 33.0},
                       {15.0, 12.625, 28.875, 12.875}, {1.0, 20.0, 30.0, 27.5},  {9.875, 6.125, 9.9375, 36.0}};
  ShapeLayer shape;
  shape.fills.push_back(Paint::SolidColor(Red));
  shape.SetFill1(1);
  for (const Box& b : boxes) AddRect(shape, b.x0, b.y0, b.x1, b.y1);
  TestImage image(32, 40);
  image.Fill(Rgb{0, 0, 0});
  Draw(image, shape, Quality::High);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 32; ++x) {
      int count = 0;
      for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
          const double sx = x + (i + 0.5) / 4, sy = y + (j + 0.5) / 4;
          int inside = 0;
          for (const Box& b : boxes) inside += sx >= b.x0 && sx < b.x1 && sy >= b.y0 && sy < b.y1 ? 1 : 0;
          count += inside % 2;
        }
      }
      ASSERT_EQ(image.At(x, y), (Rgb{Covered(255, 0, count, 16), 0, 0})) << x << "," << y;
    }
  }
}

TEST(CanvasSampling, RepeatedRowsDrawAsEachRowDrawnAlone) {
  // Rows of upright edges are worked out once and filled many times over;
  // drawn one row at a time they are worked out for each row. Both must
  // give the same bytes: grey and coloured opaque fills (wide enough for
  // whole fill patterns and their tails), translucent ones, fills meeting on
  // a pixel boundary, in 24-bit and 32-bit views and inside a blend layer.
  ShapeLayer shape;
  shape.rule = FillRule::NonZero;
  const Rgba fills[] = {{255, 255, 255, 255}, {40, 90, 200, 255}, {10, 200, 30, 128}, {200, 30, 10, 255}};
  const double boxes[][4] = {{1, 2, 150, 30}, {3.5, 5.25, 83, 40}, {20, 10.75, 140.5, 22}, {150, 2, 157, 38}};
  for (std::uint32_t i = 0; i < 4; ++i) {
    shape.fills.push_back(Paint::SolidColor(fills[i]));
    shape.SetFill1(i + 1);
    AddRect(shape, boxes[i][0], boxes[i][1], boxes[i][2], boxes[i][3]);
  }
  for (const int bytes : {3, 4}) {
    for (const bool layer : {false, true}) {
      TestImage whole(160, 42, bytes), byRow(160, 42, bytes);
      whole.Fill(Rgb{30, 60, 90});
      byRow.Fill(Rgb{30, 60, 90});
      Canvas canvas;
      for (int y = -1; y < 42; ++y) {  // -1: the whole view at once
        TestImage& image = y < 0 ? whole : byRow;
        const PixelRect clip = y < 0 ? PixelRect{0, 0, 160, 42} : PixelRect{0, y, 160, y + 1};
        ASSERT_TRUE(canvas.Begin(image.View(), Quality::High, clip));
        if (layer) canvas.PushLayer(BlendMode::Multiply);
        canvas.DrawShape(shape, Unscaled());
        canvas.End();
      }
      EXPECT_EQ(whole.Bytes(), byRow.Bytes()) << bytes << " bytes, layer " << layer;
      EXPECT_TRUE(whole.GuardsIntact());
    }
  }
}

TEST(CanvasSampling, CrossingEdgesCountEverySample) {
  // A star of 41 points whose edges cross each other on every row, many
  // times over: each sample row's crossings come out of order and are
  // sorted. Vertices on quarter pixels keep the sample-by-sample count exact
  // (a sample on an edge belongs to its right).
  struct Pt {
    double x, y;
  };
  std::vector<Pt> star;
  for (int i = 0; i < 41; ++i) {
    const double a = 2 * 3.14159265358979 * (i * 17 % 41) / 41;
    star.push_back(Pt{std::round((40 + 38 * std::cos(a)) * 4) / 4, std::round((40 + 38 * std::sin(a)) * 4) / 4});
  }
  ShapeLayer shape;
  shape.fills.push_back(Paint::SolidColor(Red));
  shape.SetFill1(1);
  shape.MoveTo(Tw(star[0].x), Tw(star[0].y));
  for (int i = 1; i <= 41; ++i) shape.LineTo(Tw(star[i % 41].x), Tw(star[i % 41].y));
  TestImage image(80, 80);
  image.Fill(Rgb{0, 0, 0});
  Draw(image, shape, Quality::High);
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 80; ++x) {
      int count = 0;
      for (int sample = 0; sample < 16; ++sample) {
        const double sx = x + (sample % 4 + 0.5) / 4, sy = y + (sample / 4 + 0.5) / 4;
        int crossings = 0;
        for (int i = 0; i < 41; ++i) {
          Pt a = star[i], b = star[(i + 1) % 41];
          if (a.y > b.y) std::swap(a, b);
          if (sy >= a.y && sy < b.y && (sx - a.x) * (b.y - a.y) >= (sy - a.y) * (b.x - a.x)) ++crossings;
        }
        count += crossings % 2;
      }
      ASSERT_EQ(image.At(x, y), (Rgb{Covered(255, 0, count, 16), 0, 0})) << x << "," << y;
    }
  }
}

TEST(CanvasFillRules, TranslucentFillsOverlapPerSample) {
  // Two half-transparent fills of one shape overlap: the overlap is both
  // composited in style order over the pixel.
  ShapeLayer shape;
  shape.rule = FillRule::NonZero;
  shape.fills.push_back(Paint::SolidColor(Rgba{255, 0, 0, 128}));
  shape.fills.push_back(Paint::SolidColor(Rgba{0, 0, 255, 128}));
  shape.SetFill1(1);
  AddRect(shape, 0, 0, 10, 4);
  shape.SetFill1(2);
  AddRect(shape, 5, 0, 15, 4);
  TestImage image(15, 4);
  image.Fill(Rgb{0, 0, 0});
  Draw(image, shape, Quality::High);
  const Rgb red = image.At(2, 1);
  const Rgb both = image.At(7, 1);
  const Rgb blue = image.At(12, 1);
  EXPECT_EQ(red, (Rgb{128, 0, 0}));
  EXPECT_EQ(blue, (Rgb{0, 0, 128}));
  EXPECT_NEAR(both.red, 255 * 128 / 255 * 127 / 255, 1);
  EXPECT_NEAR(both.blue, 128, 1);
}

TEST(CanvasFillRules, ShapesWithManyStylesCompositeTheSame) {
  // Past 64 styles the sweep keeps its inside set another way: stripes of
  // 69 opaque fills under one half-transparent fill covering them all.
  ShapeLayer shape;
  for (int i = 0; i < 69; ++i) {
    shape.fills.push_back(Paint::SolidColor(Rgba{static_cast<std::uint8_t>(i * 3), 0, 0, 255}));
    shape.SetFill1(static_cast<std::uint32_t>(i + 1));
    AddRect(shape, i, 0, i + 1, 4);
  }
  shape.fills.push_back(Paint::SolidColor(Rgba{0, 0, 255, 128}));
  shape.SetFill1(70);
  AddRect(shape, 0, 0, 70, 4);
  TestImage image(70, 4);
  image.Fill(Rgb{0, 255, 0});
  Draw(image, shape, Quality::High);
  for (int x = 0; x < 69; ++x) {
    const Rgb c = image.At(x, 2);
    EXPECT_NEAR(c.red, x * 3 * 127 / 255, 1) << x;
    EXPECT_EQ(c.green, 0) << x;
    EXPECT_EQ(c.blue, 128) << x;
  }
}

TEST(CanvasBounds, HugeNonFiniteAndDegenerateInputDrawsSafely) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double values[] = {1e300, -1e300, inf, -inf, nan, 1e15, -3e9};
  for (const double v : values) {
    ShapeLayer shape;
    shape.fills.push_back(Paint::SolidColor(Red));
    shape.lines.push_back(LineStyle());
    shape.lines[0].width = v;
    shape.SetFill1(1);
    shape.SetLine(1);
    shape.MoveTo(0, 0);
    shape.LineTo(v, Tw(5));
    shape.CurveTo(v, -v, Tw(3), v);
    shape.CurveTo(Tw(2), Tw(2), 0, 0);
    for (const Quality q : {Quality::Low, Quality::High}) {
      TestImage image(16, 16, 4, true);
      Draw(image, shape, q);
      Transform wild = Unscaled();
      wild.c = v;
      wild.tx = v;
      Draw(image, shape, q, wild);
      EXPECT_TRUE(image.GuardsIntact()) << v;
    }
  }
}

TEST(CanvasBounds, ManyHugeRoundJoinsFinish) {
  // Round joins as wide as a million pixels at thousands of corners: past a
  // cap the arcs are cut straight, so this stays quick and small.
  ShapeLayer shape;
  LineStyle line;
  line.width = 4e7;
  shape.lines.push_back(line);
  shape.SetLine(1);
  shape.MoveTo(0, 0);
  for (int i = 0; i < 3000; ++i) shape.LineTo(Tw(i % 2 ? 30 : 0), Tw(i * 0.01));
  TestImage image(32, 32);
  Draw(image, shape, Quality::High);
  EXPECT_EQ(image.At(16, 16), (Rgb{0, 0, 0}));
  EXPECT_TRUE(image.GuardsIntact());
}

TEST(CanvasBounds, ManyEdgesAndHugeCurvesFinish) {
  ShapeLayer shape;
  shape.fills.push_back(Paint::SolidColor(Red));
  shape.SetFill1(1);
  shape.MoveTo(0, 0);
  // A curve far larger than any view, then many tiny zigzags.
  shape.CurveTo(1e12, 1e12, Tw(5), Tw(5));
  for (int i = 0; i < 200000; ++i) shape.LineTo(Tw(5 + (i % 2)), Tw(5 + i * 1e-4));
  shape.LineTo(0, 0);
  TestImage image(64, 64);
  Draw(image, shape, Quality::High);
  EXPECT_TRUE(image.GuardsIntact());
}

TEST(CanvasBounds, AFrameStopsDrawingOnceItsWorkIsSpent) {
  // Each shape covers the whole view: a frame of them stops after a budget
  // worth many views, and the next frame draws again.
  TestImage image(64, 64);
  Canvas canvas;
  ASSERT_TRUE(canvas.Begin(image.View(), Quality::High));
  const ShapeLayer red = SolidRect(0, 0, 64, 64, Red);
  int drawn = 0;
  while (!canvas.Exhausted() && drawn < 1000000) {
    canvas.DrawShape(red, Unscaled());
    ++drawn;
  }
  EXPECT_GT(drawn, 1000);
  EXPECT_LT(drawn, 1000000);
  canvas.DrawShape(SolidRect(0, 0, 64, 64, Blue), Unscaled());
  canvas.End();
  EXPECT_EQ(image.At(10, 10), (Rgb{255, 0, 0}));
  EXPECT_FALSE(canvas.Exhausted());
  ASSERT_TRUE(canvas.Begin(image.View(), Quality::High));
  canvas.DrawShape(SolidRect(0, 0, 64, 64, Blue), Unscaled());
  canvas.End();
  EXPECT_EQ(image.At(10, 10), (Rgb{0, 0, 255}));

  // Thousands of long edges crossing each other on every row cost their
  // sorting: a frame of such shapes is spent after a few.
  ShapeLayer tangle;
  tangle.fills.push_back(Paint::SolidColor(Red));
  tangle.SetFill1(1);
  tangle.MoveTo(0, 0);
  std::uint32_t seed = 7;
  for (int i = 0; i < 20000; ++i) {
    seed = seed * 1664525u + 1013904223u;
    tangle.LineTo(Tw(-500.0 + (seed >> 8) % 1000), Tw(i % 2 ? -400 : 460));
  }
  ASSERT_TRUE(canvas.Begin(image.View(), Quality::High));
  int tangles = 0;
  while (!canvas.Exhausted() && tangles < 1000) {
    canvas.DrawShape(tangle, Unscaled());
    ++tangles;
  }
  canvas.End();
  EXPECT_LT(tangles, 100);
}

}  // namespace
}  // namespace Halvane::Movie::Render
