// The sampling shortcuts for special shapes against the general path: the
// same frames drawn with and without them must give the same bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "RenderTestSupport.h"

namespace Halvane::Movie::Render {
namespace {

using Testing::Rgb;
using Testing::TestImage;
using Testing::Tw;
using Testing::Unscaled;

class Random {
 public:
  explicit Random(std::uint32_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
  // A coordinate in pixels: whole, on a sample grid, or anywhere.
  double Coordinate(int range) {
    const int base = Below(range + 8) - 4;
    switch (Below(4)) {
      case 0:
        return base;
      case 1:
        return base + Below(4) / 4.0;
      case 2:
        return base + Below(256) / 256.0;
      default:
        return base + Below(1000000) / 1000000.0;
    }
  }

 private:
  std::uint32_t state_;
};

// opaque: every colour the paint gives has alpha 255.
Paint SomePaint(Random& random, bool opaque = false) {
  const std::uint8_t alpha = !opaque && random.Below(3) == 0 ? static_cast<std::uint8_t>(random.Below(256)) : 255;
  Paint paint = Paint::SolidColor(Rgba{static_cast<std::uint8_t>(random.Below(256)),
                                       static_cast<std::uint8_t>(random.Below(256)),
                                       static_cast<std::uint8_t>(random.Below(256)), alpha});
  if (random.Below(4) == 0) {
    // Greys (black and white the most common) are filled bytewise.
    const std::uint8_t grey = random.Below(2) ? static_cast<std::uint8_t>(255 * random.Below(2))
                                              : static_cast<std::uint8_t>(random.Below(256));
    paint.color.red = paint.color.green = paint.color.blue = grey;
  }
  if (random.Below(6) == 0) {
    paint.kind = PaintKind::LinearGradient;
    paint.gradient.stops = {GradientStop{0, Rgba{255, 0, 0, 255}},
                            GradientStop{255, Rgba{0, 0, 255, static_cast<std::uint8_t>(opaque ? 255 : 200)}}};
    paint.matrix.a = paint.matrix.d = 0.02;
    paint.matrix.tx = paint.matrix.ty = 300;
  }
  return paint;
}

// Upright rectangles of a few fills, some bounding two fills (an edge with
// a fill on each side), some with lines, some reaching past the view. Half
// the shapes lie on pixel borders, half of those in opaque fills only
// (which cover each pixel whole or not at all).
ShapeLayer UprightShape(Random& random, int width, int height) {
  ShapeLayer shape;
  shape.rule = random.Below(2) ? FillRule::NonZero : FillRule::EvenOdd;
  const bool whole = random.Below(2) == 0;
  const bool opaque = whole && random.Below(2) == 0;
  const int fills = random.Below(8) == 0 ? 70 : 1 + random.Below(4);
  for (int i = 0; i < fills; ++i) shape.fills.push_back(SomePaint(random, opaque));
  if (random.Below(3) == 0) {
    LineStyle line;
    line.width = Tw(1 + random.Below(4));
    line.paint = SomePaint(random);
    line.join = JoinStyle::Miter;
    line.startCap = line.endCap = CapStyle::None;
    shape.lines.push_back(line);
  }
  const int rects = 1 + random.Below(6);
  for (int r = 0; r < rects; ++r) {
    shape.SetFill1(static_cast<std::uint32_t>(1 + random.Below(fills)));
    shape.SetFill0(random.Below(3) == 0 ? static_cast<std::uint32_t>(random.Below(fills + 1)) : 0);
    shape.SetLine(!shape.lines.empty() && random.Below(2) ? 1 : 0);
    const auto coordinate = [&](int range) { return whole ? random.Below(range + 8) - 4 : random.Coordinate(range); };
    double x0 = coordinate(width), x1 = coordinate(width);
    double y0 = coordinate(height), y1 = coordinate(height);
    if (random.Below(2)) std::swap(x0, x1);  // either way round
    Testing::AddRect(shape, x0, y0, x1, y1);
  }
  return shape;
}

// Polygons and curves of slanted edges, crossing each other and the
// view's borders, mostly in opaque fills.
ShapeLayer SlantedShape(Random& random, int width, int height) {
  ShapeLayer shape;
  shape.rule = random.Below(2) ? FillRule::NonZero : FillRule::EvenOdd;
  // Sometimes five to eight fills, all opaque: more than the few that the
  // opaque path keeps in registers.
  const bool manyOpaque = random.Below(5) == 0;
  const int fills = manyOpaque ? 5 + random.Below(4) : random.Below(10) == 0 ? 66 : 1 + random.Below(4);
  for (int i = 0; i < fills; ++i) {
    Paint paint = SomePaint(random);
    if (manyOpaque || random.Below(4) != 0) paint.color.alpha = 255;
    if (manyOpaque) paint.kind = PaintKind::Solid;
    shape.fills.push_back(paint);
  }
  if (random.Below(4) == 0) {
    LineStyle line;
    line.width = Tw(1 + random.Below(3));
    line.paint = Paint::SolidColor(Rgba{20, 200, 90, 255});
    shape.lines.push_back(line);
  }
  const int paths = 1 + random.Below(3);
  for (int p = 0; p < paths; ++p) {
    shape.SetFill1(static_cast<std::uint32_t>(1 + random.Below(fills)));
    shape.SetFill0(random.Below(3) == 0 ? static_cast<std::uint32_t>(random.Below(fills + 1)) : 0);
    shape.SetLine(!shape.lines.empty() && random.Below(2) ? 1 : 0);
    const double x0 = random.Coordinate(width), y0 = random.Coordinate(height);
    shape.MoveTo(Tw(x0), Tw(y0));
    const int corners = 2 + random.Below(8);
    for (int k = 0; k < corners; ++k) {
      const double x = random.Coordinate(width), y = random.Coordinate(height);
      if (random.Below(3) == 0) {
        shape.CurveTo(Tw(random.Coordinate(width)), Tw(random.Coordinate(height)), Tw(x), Tw(y));
      } else {
        shape.LineTo(Tw(x), Tw(y));
      }
    }
    shape.LineTo(Tw(x0), Tw(y0));
  }
  return shape;
}

struct Frame {
  std::vector<ShapeLayer> shapes;
  bool mask = false;
  ShapeLayer maskShape;
  bool layer = false;  // the shapes drawn into a transparent layer
  Quality quality = Quality::High;
  PixelRect clip;
};

void DrawFrame(TestImage& image, const Frame& frame, bool shortcuts) {
  Canvas canvas;
  canvas.UseShortcuts(shortcuts);
  ASSERT_TRUE(canvas.Begin(image.View(), frame.quality, frame.clip));
  if (frame.mask) {
    canvas.BeginMask();
    canvas.DrawShape(frame.maskShape, Unscaled());
    canvas.EndMask();
  }
  if (frame.layer) canvas.PushLayer(BlendMode::Layer);
  for (const ShapeLayer& shape : frame.shapes) canvas.DrawShape(shape, Unscaled());
  canvas.End();
}

// The frame drawn with the shortcuts and without, into 24-bit and 32-bit
// views: the bytes must be the same.
::testing::AssertionResult SameBothWays(const Frame& frame, int width, int height, bool bottomUp) {
  for (const int bytes : {3, 4}) {
    TestImage fast(width, height, bytes, bottomUp), general(width, height, bytes, bottomUp);
    DrawFrame(fast, frame, true);
    DrawFrame(general, frame, false);
    if (fast.Bytes() != general.Bytes()) return ::testing::AssertionFailure() << bytes << " bytes a pixel differ";
  }
  return ::testing::AssertionSuccess();
}

TEST(SamplingShortcuts, UprightShapesDrawAsTheGeneralPathDraws) {
  // Random frames of rectangles at whole, sample-grid and arbitrary
  // positions, both fill rules, fills on both sides of edges, lines, in
  // every quality, into 24-bit and 32-bit views and transparent layers,
  // under a mask (itself a shortcut shape or a slanted one) and inside clip
  // rectangles.
  constexpr int Width = 61, Height = 47;
  Random random(20261208);
  for (int round = 0; round < 300; ++round) {
    Frame frame;
    frame.quality = static_cast<Quality>(random.Below(3));
    const int shapes = 1 + random.Below(4);
    for (int i = 0; i < shapes; ++i) frame.shapes.push_back(UprightShape(random, Width, Height));
    frame.mask = random.Below(3) == 0;
    if (frame.mask) {
      frame.maskShape = UprightShape(random, Width, Height);
      if (random.Below(2)) {
        frame.maskShape.SetFill1(1);
        frame.maskShape.MoveTo(Tw(3), Tw(1));
        frame.maskShape.LineTo(Tw(50.5), Tw(20.25));
        frame.maskShape.LineTo(Tw(10.125), Tw(44));
        frame.maskShape.LineTo(Tw(3), Tw(1));
      }
    }
    frame.layer = random.Below(4) == 0;
    frame.clip = PixelRect{0, 0, Width, Height};
    if (random.Below(3) == 0) {
      frame.clip = PixelRect{random.Below(20), random.Below(20), 30 + random.Below(40), 25 + random.Below(30)};
    }
    ASSERT_TRUE(SameBothWays(frame, Width, Height, round % 2 == 0)) << "round " << round;
  }
}

TEST(SamplingShortcuts, ShapesOnPixelBordersDrawAsTheGeneralPathDraws) {
  // Such shapes in opaque fills are drawn a band of whole pixels at a time.
  // Overlapping squares under both rules, a square with a fill on each side
  // of its edges, an opaque gradient, a square past three sides of the clip
  // and a lone edge whose fill runs on to the clip's right side; every
  // quality, into 24-bit and 32-bit views and into a transparent layer.
  constexpr int Width = 40, Height = 30;
  Paint gradient = Paint::SolidColor(Rgba{0, 0, 0, 255});
  gradient.kind = PaintKind::LinearGradient;
  gradient.gradient.stops = {GradientStop{0, Rgba{255, 0, 0, 255}}, GradientStop{255, Rgba{0, 0, 255, 255}}};
  gradient.matrix.a = gradient.matrix.d = 0.02;
  gradient.matrix.tx = gradient.matrix.ty = 300;
  for (const FillRule rule : {FillRule::EvenOdd, FillRule::NonZero}) {
    ShapeLayer squares;
    squares.rule = rule;
    squares.fills = {Paint::SolidColor(Rgba{255, 255, 255, 255}), Paint::SolidColor(Rgba{200, 30, 60, 255}), gradient};
    squares.SetFill1(1);
    Testing::AddRect(squares, 2, 2, 20, 20);
    Testing::AddRect(squares, 11, 11, 29, 29);
    squares.SetFill0(1);
    squares.SetFill1(2);
    Testing::AddRect(squares, 5, 4, 9, 16);
    squares.SetFill0(0);
    squares.SetFill1(3);
    Testing::AddRect(squares, -10, 24, 50, 40);
    ShapeLayer lone;
    lone.rule = rule;
    lone.fills = {Paint::SolidColor(Rgba{10, 90, 240, 255})};
    lone.SetFill1(1);
    lone.MoveTo(Tw(30), Tw(3));
    lone.LineTo(Tw(30), Tw(12));
    for (const Quality quality : {Quality::Low, Quality::Medium, Quality::High}) {
      for (const bool layer : {false, true}) {
        for (const PixelRect& clip : {PixelRect{0, 0, Width, Height}, PixelRect{4, 3, 25, 27}}) {
          Frame frame;
          frame.shapes = {squares, lone};
          frame.quality = quality;
          frame.layer = layer;
          frame.clip = clip;
          ASSERT_TRUE(SameBothWays(frame, Width, Height, layer))
              << "quality " << static_cast<int>(quality) << " clip right " << clip.right;
        }
      }
    }
  }
  // A checkerboard of single pixels in two fills: more runs than are held
  // back before they are painted.
  constexpr int BoardWidth = 160, BoardHeight = 120;
  ShapeLayer board;
  board.fills = {Paint::SolidColor(Rgba{0, 0, 0, 255}), Paint::SolidColor(Rgba{40, 160, 90, 255})};
  for (int y = 0; y < BoardHeight; ++y) {
    for (int x = y % 2; x < BoardWidth; x += 2) {
      board.SetFill1(1 + static_cast<std::uint32_t>(x / 2 % 2));
      Testing::AddRect(board, x, y, x + 1, y + 1);
    }
  }
  Frame frame;
  frame.shapes = {board};
  frame.clip = PixelRect{0, 0, BoardWidth, BoardHeight};
  ASSERT_TRUE(SameBothWays(frame, BoardWidth, BoardHeight, true));
}

TEST(SamplingShortcuts, SlantedShapesDrawAsTheGeneralPathDraws) {
  // Shapes of opaque fills go from crossings to spans without the sweep;
  // translucent ones, many fills and lines take it. Random polygons and
  // curves, both rules, fills on both sides, every quality, 24-bit and
  // 32-bit views and transparent layers, masks and clip rectangles.
  constexpr int Width = 53, Height = 41;
  Random random(8122026);
  for (int round = 0; round < 300; ++round) {
    Frame frame;
    frame.quality = static_cast<Quality>(random.Below(3));
    const int shapes = 1 + random.Below(3);
    for (int i = 0; i < shapes; ++i) frame.shapes.push_back(SlantedShape(random, Width, Height));
    frame.mask = random.Below(4) == 0;
    if (frame.mask) frame.maskShape = SlantedShape(random, Width, Height);
    frame.layer = random.Below(4) == 0;
    frame.clip = PixelRect{0, 0, Width, Height};
    if (random.Below(3) == 0) {
      frame.clip = PixelRect{random.Below(20), random.Below(20), 25 + random.Below(30), 20 + random.Below(25)};
    }
    ASSERT_TRUE(SameBothWays(frame, Width, Height, round % 2 == 1)) << "round " << round;
  }
}

TEST(SamplingShortcuts, TextLikeShapesOfOneFillDrawAsTheGeneralPathDraws) {
  // Lines of small glyphs in one fill: rings of short curves with a counter
  // wound the other way, and upright stems between whole pixels, whose
  // edge pixels repeat down alike rows. Both rules, masks, layers.
  constexpr int Width = 61, Height = 37;
  Random random(9122026);
  for (int round = 0; round < 40; ++round) {
    ShapeLayer shape;
    shape.rule = round % 2 ? FillRule::NonZero : FillRule::EvenOdd;
    Paint paint = SomePaint(random);
    paint.color.alpha = 255;
    if (round % 3 != 2) paint.kind = PaintKind::Solid;
    if (round % 3 == 0) paint.color = Rgba{70, 70, 70, 255};  // grey: filled a byte at a time
    shape.fills.push_back(paint);
    shape.SetFill1(1);
    const double size = 3.0 + random.Below(60) / 6.0;
    for (double x = random.Below(8) - 4.3; x < Width; x += size * 1.3) {
      const double y = 3.1 + random.Below(Height);
      const double r = size / 2, cx = x + r, cy = y + r;
      for (const double scale : {1.0, -0.45}) {
        // Eight curves round the ring; the counter, smaller, the other way.
        const double rr = r * std::abs(scale);
        shape.MoveTo(Tw(cx + rr), Tw(cy));
        for (int k = 1; k <= 8; ++k) {
          const double a = 0.7853981633974483 * k * (scale > 0 ? 1 : -1);
          const double m = a - 0.39269908169872414 * (scale > 0 ? 1 : -1);
          shape.CurveTo(Tw(cx + rr * 1.08 * std::cos(m)), Tw(cy + rr * 1.08 * std::sin(m)), Tw(cx + rr * std::cos(a)),
                        Tw(cy + rr * std::sin(a)));
        }
      }
      // A stem beside the ring.
      const double sx = x + size + 0.1 * random.Below(10), stemTop = y - size * 0.8;
      shape.MoveTo(Tw(sx), Tw(stemTop));
      shape.LineTo(Tw(sx + size * 0.17), Tw(stemTop));
      shape.LineTo(Tw(sx + size * 0.17), Tw(y + size));
      shape.LineTo(Tw(sx), Tw(y + size));
      shape.LineTo(Tw(sx), Tw(stemTop));
    }
    Frame frame;
    frame.quality = round % 5 == 4 ? Quality::Low : Quality::High;
    frame.shapes.push_back(shape);
    frame.mask = round % 7 == 3;
    if (frame.mask) frame.maskShape = SlantedShape(random, Width, Height);
    frame.layer = round % 4 == 1;
    frame.clip = PixelRect{0, 0, Width, Height};
    ASSERT_TRUE(SameBothWays(frame, Width, Height, round % 2 == 1)) << "round " << round;
  }
}

TEST(SamplingShortcuts, ShallowEdgesCrossingInOneRowDrawAsTheGeneralPathDraws) {
  // A flat star: dozens of long, nearly level edges crossing each other
  // within a few pixel rows and past the view's sides, so that a row's
  // crossings interleave far beyond a few moves; both rules, two fills.
  constexpr int Width = 53, Height = 41;
  for (const FillRule rule : {FillRule::EvenOdd, FillRule::NonZero}) {
    ShapeLayer shape;
    shape.rule = rule;
    shape.fills = {Paint::SolidColor(Rgba{200, 30, 60, 255}), Paint::SolidColor(Rgba{10, 90, 240, 255})};
    constexpr int Points = 37;
    struct Corner {
      double x, y;
    };
    const auto corner = [](int i, double height) {
      const double angle = 6.283185307179586 * (i % Points) / Points;
      return Corner{26.3 + 70.0 * std::cos(angle), 20.4 + height * std::sin(angle)};
    };
    for (const double height : {2.7, 9.1}) {
      shape.SetFill1(height < 5 ? 1 : 2);
      const Corner start = corner(0, height);
      shape.MoveTo(Tw(start.x), Tw(start.y));
      for (int k = 1; k <= Points; ++k) {
        const Corner p = corner(k * 18, height);
        shape.LineTo(Tw(p.x), Tw(p.y));
      }
    }
    Frame frame;
    frame.shapes.push_back(shape);
    frame.clip = PixelRect{0, 0, Width, Height};
    ASSERT_TRUE(SameBothWays(frame, Width, Height, false));
  }
}

TEST(SamplingShortcuts, EvenOddFillsOnBothSidesOfEdgesDrawAsTheGeneralPathDraws) {
  // One to four opaque even-odd fills, each star's edges bounding two of
  // them: edges running left and right across several pixels of a row,
  // steep ones within one, many meeting in a pixel; at every size a few
  // stars, so that pixels hold edges of different fills. Under a mask and
  // a clip rectangle too.
  constexpr int Width = 47, Height = 39;
  Random random(9122027);
  for (int round = 0; round < 60; ++round) {
    ShapeLayer shape;
    shape.rule = FillRule::EvenOdd;
    const int fills = 1 + round % 4;
    for (int i = 0; i < fills; ++i) shape.fills.push_back(SomePaint(random, true));
    for (int star = 0; star < 3; ++star) {
      shape.SetFill1(static_cast<std::uint32_t>(1 + random.Below(fills)));
      shape.SetFill0(static_cast<std::uint32_t>(random.Below(fills + 1)));
      const double cx = random.Coordinate(Width), cy = random.Coordinate(Height);
      const double rx = 3 + random.Below(40), ry = 1 + random.Below(30);
      const int points = 5 + 2 * random.Below(6), step = points / 2;
      shape.MoveTo(Tw(cx + rx), Tw(cy));
      for (int k = 1; k <= points; ++k) {
        const double angle = 6.283185307179586 * (k * step % points) / points;
        shape.LineTo(Tw(cx + rx * std::cos(angle)), Tw(cy + ry * std::sin(angle)));
      }
    }
    Frame frame;
    frame.shapes.push_back(shape);
    frame.mask = round % 5 == 2;
    if (frame.mask) frame.maskShape = SlantedShape(random, Width, Height);
    frame.layer = round % 6 == 1;
    frame.clip = round % 4 == 3 ? PixelRect{5, 4, 40, 33} : PixelRect{0, 0, Width, Height};
    ASSERT_TRUE(SameBothWays(frame, Width, Height, round % 2 == 0)) << "round " << round;
  }
}

}  // namespace
}  // namespace Halvane::Movie::Render
