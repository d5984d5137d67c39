// Lines: width from the placement, caps, joins, closing, the union of the
// pieces, and the flattening of curves they and fills share.
#include <gtest/gtest.h>

#include <cmath>

#include "RenderTestSupport.h"
#include "movie/render/PathFlattener.h"

namespace Halvane::Movie::Render {
namespace {

using Testing::Rgb;
using Testing::TestImage;
using Testing::Tw;
using Testing::Unscaled;

TEST(LineWidth, ScaledByThePlacementAsTheFlagsSay) {
  struct Case {
    double a, b, c, d;
    bool noH, noV;
    double width;  // twips
    double pixels;
  };
  const Case cases[] = {
      {0.05, 0, 0, 0.05, false, false, 40, 2.0},
      {0.1, 0, 0, 0.05, false, false, 40, 40 * std::sqrt((0.01 + 0.0025) / 2)},
      {0.1, 0, 0, 0.05, false, true, 40, 4.0},
      {0.1, 0, 0, 0.05, true, false, 40, 2.0},
      {0.1, 0, 0, 0.3, true, true, 40, 2.0},
      {0, 0.05, -0.05, 0, false, false, 40, 2.0},  // a quarter turn
      {0.05, 0, 0, 0.05, false, false, 5, 1.0},    // never thinner than a pixel
      {0.05, 0, 0, 0.05, false, false, 0, 1.0},
  };
  for (const Case& c : cases) {
    LineStyle line;
    line.width = c.width;
    line.noHScale = c.noH;
    line.noVScale = c.noV;
    Transform m;
    m.a = c.a;
    m.b = c.b;
    m.c = c.c;
    m.d = c.d;
    EXPECT_NEAR(LineWidthInPixels(line, m), c.pixels, 1e-9) << c.a << " " << c.d << " " << c.noH << c.noV;
  }
}

// A black line of width pixels along points (pixels), on white.
TestImage Stroke(std::initializer_list<std::pair<double, double>> points, double width, CapStyle cap,
                 JoinStyle join = JoinStyle::Round, double miterLimit = 3.0, bool noClose = false,
                 Rgba color = Rgba{0, 0, 0, 255}) {
  ShapeLayer shape;
  LineStyle line;
  line.width = Tw(width);
  line.paint = Paint::SolidColor(color);
  line.startCap = line.endCap = cap;
  line.join = join;
  line.miterLimit = miterLimit;
  line.noClose = noClose;
  shape.lines.push_back(line);
  shape.SetLine(1);
  bool first = true;
  for (const auto& p : points) {
    if (first) {
      shape.MoveTo(Tw(p.first), Tw(p.second));
    } else {
      shape.LineTo(Tw(p.first), Tw(p.second));
    }
    first = false;
  }
  TestImage image(80, 50);
  image.Fill(Rgb{255, 255, 255});
  Canvas canvas;
  canvas.Begin(image.View(), Quality::Low);
  canvas.DrawShape(shape, Unscaled());
  canvas.End();
  return image;
}

bool Ink(const TestImage& image, int x, int y) { return image.At(x, y).red == 0; }

TEST(LineWidth, AtHighQualityAStraightEdgeIsAsThickAsTheLineAcrossEachRowWhereSteep) {
  // A 2-pixel line down the diagonal as a straight edge inks 2 pixels a row;
  // as a curve bowing slightly off it, its width square to it, about 2.83.
  for (const bool curved : {false, true}) {
    ShapeLayer shape;
    shape.lines.push_back(LineStyle{});
    shape.lines[0].width = Tw(2);
    shape.SetLine(1);
    shape.MoveTo(Tw(10), Tw(10));
    curved ? shape.CurveTo(Tw(31), Tw(29), Tw(50), Tw(50)) : shape.LineTo(Tw(50), Tw(50));
    TestImage image(60, 60);
    image.Fill(Rgb{255, 255, 255});
    Canvas canvas;
    canvas.Begin(image.View(), Quality::High);
    canvas.DrawShape(shape, Unscaled());
    canvas.End();
    double ink = 0.0;
    for (int y = 20; y < 40; ++y) {
      for (int x = 0; x < 60; ++x) ink += (255 - image.At(x, y).green) / 255.0 / 20;
    }
    EXPECT_NEAR(ink, curved ? 2.83 : 2.0, curved ? 0.1 : 0.01) << curved;
  }
}

TEST(LineCaps, NoneSquareAndRound) {
  const TestImage none = Stroke({{10, 10}, {30, 10}}, 4, CapStyle::None);
  const TestImage square = Stroke({{10, 10}, {30, 10}}, 4, CapStyle::Square);
  const TestImage round = Stroke({{10, 10}, {30, 10}}, 4, CapStyle::Round);
  // Rows 8 .. 11 (centres 8.5 .. 11.5 within 2 of y = 10).
  for (int y = 8; y < 12; ++y) {
    EXPECT_TRUE(Ink(none, 10, y));
    EXPECT_TRUE(Ink(none, 29, y));
    EXPECT_FALSE(Ink(none, 9, y));
    EXPECT_FALSE(Ink(none, 30, y));
    EXPECT_TRUE(Ink(square, 8, y));
    EXPECT_TRUE(Ink(square, 31, y));
    EXPECT_FALSE(Ink(square, 7, y));
    EXPECT_FALSE(Ink(square, 32, y));
  }
  EXPECT_FALSE(Ink(none, 20, 7));
  EXPECT_FALSE(Ink(none, 20, 12));
  // Round: (8.5, 10.5) is 1.58 from the end, (8.5, 8.5) is 2.12.
  EXPECT_TRUE(Ink(round, 8, 10));
  EXPECT_FALSE(Ink(round, 8, 8));
  EXPECT_TRUE(Ink(round, 9, 8));
  EXPECT_TRUE(Ink(round, 31, 10));
  EXPECT_FALSE(Ink(round, 31, 8));
}

TEST(LineCaps, ALineThatDoesNotMoveIsADot) {
  const TestImage round = Stroke({{20, 20}, {20, 20}}, 6, CapStyle::Round);
  EXPECT_TRUE(Ink(round, 20, 20));
  EXPECT_TRUE(Ink(round, 17, 20));
  EXPECT_FALSE(Ink(round, 17, 17));
  const TestImage square = Stroke({{20, 20}, {20, 20}}, 6, CapStyle::Square);
  EXPECT_TRUE(Ink(square, 17, 17));
  const TestImage none = Stroke({{20, 20}, {20, 20}}, 6, CapStyle::None);
  EXPECT_FALSE(Ink(none, 20, 20));
}

TEST(LineJoins, RoundBevelMiterAndTheLimit) {
  // Right, then down: the outer corner is up and right of (30, 20).
  const std::initializer_list<std::pair<double, double>> corner = {{10, 20}, {30, 20}, {30, 40}};
  const TestImage miter = Stroke(corner, 8, CapStyle::None, JoinStyle::Miter, 3.0);
  const TestImage bevel = Stroke(corner, 8, CapStyle::None, JoinStyle::Bevel);
  const TestImage round = Stroke(corner, 8, CapStyle::None, JoinStyle::Round);
  const TestImage lowLimit = Stroke(corner, 8, CapStyle::None, JoinStyle::Miter, 0.5);
  // (33.5, 17.5): inside the miter's square corner only. (32.5, 17.5):
  // inside the round join (3.5 from the corner) but past the bevel's cut.
  EXPECT_TRUE(Ink(miter, 33, 17));
  EXPECT_FALSE(Ink(round, 33, 17));
  EXPECT_FALSE(Ink(bevel, 33, 17));
  EXPECT_TRUE(Ink(round, 32, 17));
  EXPECT_FALSE(Ink(bevel, 32, 17));
  EXPECT_TRUE(Ink(bevel, 31, 18));
  EXPECT_FALSE(Ink(lowLimit, 32, 17));  // a limit below 1 bevels
  EXPECT_TRUE(Ink(lowLimit, 31, 18));
  // The inner side of the turn is filled by the two pieces themselves.
  for (const TestImage* image : {&miter, &bevel, &round}) EXPECT_TRUE(Ink(*image, 27, 22));
}

TEST(LineJoins, SharpMiterIsCutOffAtTheLimitTimesTheWidth) {
  // Out to (40, 20) and nearly straight back: the miter's tip would reach
  // about 30 pixels past the corner.
  const std::initializer_list<std::pair<double, double>> sharp = {{10, 20}, {40, 20}, {10, 24}};
  auto inkBeyond = [](const TestImage& image, int fromX) {
    int count = 0;
    for (int y = 0; y < image.Height(); ++y) {
      for (int x = fromX; x < image.Width(); ++x) count += Ink(image, x, y) ? 1 : 0;
    }
    return count;
  };
  const TestImage cut = Stroke(sharp, 4, CapStyle::None, JoinStyle::Miter, 1.0);  // at most 4 past the corner
  const TestImage full = Stroke(sharp, 4, CapStyle::None, JoinStyle::Miter, 100.0);
  const TestImage bevel = Stroke(sharp, 4, CapStyle::None, JoinStyle::Bevel);
  EXPECT_EQ(inkBeyond(cut, 45), 0);
  EXPECT_GT(inkBeyond(full, 45), 0);
  EXPECT_GT(inkBeyond(cut, 42), inkBeyond(bevel, 42));
}

TEST(LineJoins, ClosedPathsJoinWhereTheyStartUnlessNoClose) {
  const std::initializer_list<std::pair<double, double>> square = {{10, 10}, {30, 10}, {30, 30}, {10, 30}, {10, 10}};
  const TestImage closed = Stroke(square, 4, CapStyle::None, JoinStyle::Miter);
  const TestImage open = Stroke(square, 4, CapStyle::None, JoinStyle::Miter, 3.0, true);
  EXPECT_TRUE(Ink(closed, 8, 8));
  EXPECT_FALSE(Ink(open, 8, 8));
  EXPECT_TRUE(Ink(closed, 31, 31));
  EXPECT_TRUE(Ink(open, 31, 31));
}

TEST(LineUnion, OverlappingPiecesPaintOnce) {
  // A translucent line folding back over itself: where its pieces overlap
  // it is no darker than where they do not.
  const TestImage fold = Stroke({{10, 20}, {40, 20}, {40, 25}, {10, 25}}, 8, CapStyle::None, JoinStyle::Round, 3.0,
                                false, Rgba{0, 0, 0, 128});
  EXPECT_EQ(fold.At(20, 22), fold.At(20, 17));
  EXPECT_EQ(fold.At(20, 17).red, 127);
  EXPECT_EQ(fold.At(20, 27), fold.At(20, 17));
}

TEST(LineOrder, LinesDrawOverTheFillsOfTheirLayerAndMayCarryAPaint) {
  ShapeLayer shape;
  shape.fills.push_back(Paint::SolidColor(Rgba{255, 0, 0, 255}));
  LineStyle line;
  line.width = Tw(4);
  // A paint instead of a colour: grey ramp along x, entry per pixel.
  line.paint.kind = PaintKind::LinearGradient;
  line.paint.gradient.stops = {GradientStop{0, Rgba{0, 0, 0, 255}}, GradientStop{255, Rgba{255, 255, 255, 255}}};
  line.paint.matrix.a = line.paint.matrix.d = 256.0 * 20.0 / 32768.0;
  line.paint.matrix.tx = Tw(128);
  shape.lines.push_back(line);
  shape.SetFill1(1);
  shape.SetLine(1);
  Testing::AddRect(shape, 10, 10, 60, 40);
  TestImage image(80, 50);
  image.Fill(Rgb{0, 255, 0});
  Canvas canvas;
  canvas.Begin(image.View(), Quality::Low);
  canvas.DrawShape(shape, Unscaled());
  canvas.End();
  EXPECT_EQ(image.At(30, 20), (Rgb{255, 0, 0}));
  EXPECT_EQ(image.At(30, 10), (Rgb{30, 30, 30}));  // on the top edge: the line's paint
  EXPECT_EQ(image.At(10, 25), (Rgb{10, 10, 10}));
}

TEST(CurveFlattening, PiecesStayWithinTheToleranceAndTheCountIsCapped) {
  const Point p0{0, 0}, p1{500, 900}, p2{1000, 0};
  const int n = CurveSegmentCount(p0, p1, p2);
  std::vector<Point> points;
  FlattenCurve(p0, p1, p2, n, &points);
  ASSERT_EQ(points.size(), static_cast<std::size_t>(n));
  Point prev = p0;
  for (int i = 0; i < n; ++i) {
    // The curve half way along the piece against the chord's midpoint.
    const double t = (i + 0.5) / n, u = 1 - t;
    const double cx = u * u * p0.x + 2 * t * u * p1.x + t * t * p2.x;
    const double cy = u * u * p0.y + 2 * t * u * p1.y + t * t * p2.y;
    const double mx = (prev.x + points[i].x) / 2, my = (prev.y + points[i].y) / 2;
    EXPECT_LE(std::hypot(cx - mx, cy - my), FlattenTolerance + 1e-9);
    prev = points[i];
  }
  EXPECT_EQ(CurveSegmentCount(p0, Point{1e30, 1e30}, p2), MaxCurveSegments);
  EXPECT_EQ(CurveSegmentCount(p0, Point{std::nan(""), 0}, p2), 1);
  EXPECT_EQ(CurveSegmentCount(p0, Point{500, 0}, p2), 1);  // a straight curve
  EXPECT_GT(StrokeCurveSegmentCount(Point{0, 0}, Point{1, 1}, Point{2, 0}, 50.0),
            CurveSegmentCount(Point{0, 0}, Point{1, 1}, Point{2, 0}));
}

}  // namespace
}  // namespace Halvane::Movie::Render
