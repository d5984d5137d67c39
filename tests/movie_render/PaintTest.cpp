// Paints: colour transforms, gradient ramps, spreads, gradient geometry and
// where in a pixel a paint is taken.
#include <gtest/gtest.h>

#include <cmath>

#include "RenderTestSupport.h"
#include "movie/render/GradientRamp.h"
#include "movie/render/PaintShader.h"

namespace Halvane::Movie::Render {
namespace {

using Testing::Rgb;
using Testing::TestImage;
using Testing::Tw;
using Testing::Unscaled;

ColorTransform Make(std::int32_t mr, std::int32_t mg, std::int32_t mb, std::int32_t ma, std::int32_t ar,
                    std::int32_t ag, std::int32_t ab, std::int32_t aa) {
  const std::int32_t mult[4] = {mr, mg, mb, ma};
  const std::int32_t add[4] = {ar, ag, ab, aa};
  return ColorTransform::FromFields(mult, add);
}

TEST(ColorTransformTest, ChannelArithmeticIsIntegerShiftThenAddThenClamp) {
  struct Case {
    ColorTransform t;
    Rgba in;
    Rgba out;
  };
  const Case cases[] = {
      {ColorTransform(), Rgba{1, 2, 3, 4}, Rgba{1, 2, 3, 4}},
      // (c * mult) >> 8 truncates: 255 * 128 >> 8 = 127, 3 * 100 >> 8 = 1.
      {Make(128, 100, 256, 256, 0, 0, 0, 0), Rgba{255, 3, 9, 200}, Rgba{127, 1, 9, 200}},
      {Make(256, 256, 256, 256, 10, -10, 300, -300), Rgba{250, 5, 0, 255}, Rgba{255, 0, 255, 0}},
      // A negative multiplier shifts towards minus infinity: -1 >> 8 = -1.
      {Make(-1, -256, 256, 256, 0, 255, 0, 0), Rgba{1, 10, 0, 255}, Rgba{0, 245, 0, 255}},
      {Make(512, 0, 256, 128, 0, 77, 0, 1), Rgba{100, 200, 7, 255}, Rgba{200, 77, 7, 128}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.t.Apply(c.in), c.out);
}

TEST(ColorTransformTest, ComposeFoldsInnerIntoOuter) {
  const ColorTransform inner = Make(128, 256, 512, 256, 10, 0, -20, 0);
  const ColorTransform outer = Make(256, 128, 128, 64, 0, 50, 0, 0);
  const ColorTransform both = ColorTransform::Compose(outer, inner);
  EXPECT_EQ(both, Make(128, 128, 256, 64, 10, 50, -10, 0));
  EXPECT_EQ(ColorTransform::Compose(ColorTransform(), inner), inner);
  EXPECT_EQ(ColorTransform::Compose(inner, ColorTransform()), inner);
  // Without clamping in between, the fold is the two applied in turn.
  const Rgba c{100, 100, 100, 255};
  EXPECT_EQ(both.Apply(c), outer.Apply(inner.Apply(c)));
  // Deep nesting stays bounded.
  ColorTransform deep;
  for (int i = 0; i < 100; ++i) deep = ColorTransform::Compose(Make(30000, -30000, 256, 256, 30000, 0, 0, 0), deep);
  for (int i = 0; i < 4; ++i) EXPECT_LE(std::abs(deep.mult[i]), ColorTransform::Limit);
  EXPECT_EQ(deep.Apply(c).blue, 100);
  EXPECT_TRUE(Make(256, 256, 256, 256, 0, 0, 0, 0).KeepsOpaque());
  EXPECT_FALSE(Make(256, 256, 256, 255, 0, 0, 0, 0).KeepsOpaque());
}

Gradient Stops(std::initializer_list<std::pair<int, Rgba>> stops) {
  Gradient g;
  for (const auto& s : stops) g.stops.push_back(GradientStop{static_cast<std::uint8_t>(s.first), s.second});
  return g;
}

GradientRamp Ramp(const Gradient& g, const ColorTransform& t = ColorTransform()) {
  GradientRamp r;
  BuildGradientRamp(g, t, &r);
  return r;
}

const Rgba Black{0, 0, 0, 255};
const Rgba White{255, 255, 255, 255};
const Rgba Red{255, 0, 0, 255};
const Rgba Green{0, 255, 0, 255};
const Rgba Blue{0, 0, 255, 255};

TEST(GradientRampTest, InterpolatesBetweenOrderedStops) {
  const GradientRamp r = Ramp(Stops({{0, Black}, {255, White}}));
  for (int i = 0; i < 256; ++i) EXPECT_EQ(r.colors[i].red, i);
  EXPECT_TRUE(r.opaque);
  const GradientRamp inner = Ramp(Stops({{64, Red}, {192, Blue}}));
  EXPECT_EQ(inner.colors[0], Red);
  EXPECT_EQ(inner.colors[64], Red);
  EXPECT_EQ(inner.colors[128], (Rgba{128, 0, 128, 255}));
  EXPECT_EQ(inner.colors[192], Blue);
  EXPECT_EQ(inner.colors[255], Blue);
}

TEST(GradientRampTest, EqualRatiosStepOneStopPerEntry) {
  // Four stops at 6: the first holds through entry 7 (reaching it is a move
  // too), then one entry each, and the last of the group interpolates
  // onwards as if from 6.
  const GradientRamp r = Ramp(Stops({{6, Red}, {6, Green}, {6, Blue}, {6, Black}, {150, White}}));
  for (int i = 0; i <= 7; ++i) EXPECT_EQ(r.colors[i], Red) << i;
  EXPECT_EQ(r.colors[8], Green);
  EXPECT_EQ(r.colors[9], Blue);
  EXPECT_EQ(r.colors[10].red, (255 * 4 + 72) / 144);
  EXPECT_EQ(r.colors[150], White);
  // A group at the end: the stops follow one per entry, the last holds.
  const GradientRamp end = Ramp(Stops({{0, Black}, {250, White}, {250, Red}, {250, Green}}));
  EXPECT_EQ(end.colors[250], White);
  EXPECT_EQ(end.colors[251], White);
  EXPECT_EQ(end.colors[252], Red);
  EXPECT_EQ(end.colors[253], Green);
  EXPECT_EQ(end.colors[255], Green);
}

TEST(GradientRampTest, OutOfOrderRatiosHoldUntilPassed) {
  // 100 then 50: past 100 the walk moves to the second stop, whose
  // successor is not above it, so it holds; the third then interpolates
  // from 50.
  const GradientRamp r = Ramp(Stops({{100, Red}, {50, Green}, {200, Blue}}));
  EXPECT_EQ(r.colors[0], Red);
  EXPECT_EQ(r.colors[100], Red);
  EXPECT_EQ(r.colors[101], Red);  // reached the first stop: its next (50) is not above it
  EXPECT_EQ(r.colors[102].green, (255 * (200 - 102) + 75) / 150);
  EXPECT_EQ(r.colors[255], Blue);
}

TEST(GradientRampTest, TransformAppliesToStopsFirstAndLinearRgbMixesLight) {
  const ColorTransform half = Make(256, 256, 256, 128, 0, 0, 0, 0);
  const GradientRamp t = Ramp(Stops({{0, Black}, {255, White}}), half);
  EXPECT_EQ(t.colors[0].alpha, 127);
  EXPECT_FALSE(t.opaque);
  Gradient linear = Stops({{0, Black}, {254, White}});
  linear.interpolation = Interpolation::LinearRgb;
  const GradientRamp l = Ramp(linear);
  // Half way in light is sRGB 188, not 128.
  EXPECT_EQ(l.colors[127].red, 188);
  EXPECT_EQ(l.colors[0].red, 0);
  EXPECT_EQ(l.colors[254].red, 255);
  EXPECT_EQ(LinearToSrgb(SrgbToLinear(77)), 77);
  // No stops: nothing painted.
  const GradientRamp none = Ramp(Gradient());
  EXPECT_EQ(none.colors[9].alpha, 0);
  EXPECT_EQ(Gradient::SpreadFromBits(3), SpreadMode::Pad);
  EXPECT_EQ(Gradient::InterpolationFromBits(2), Interpolation::Rgb);
}

// A grey ramp (entry i has grey i) laid along x so that entry u sits at
// pixel x = u + start in a wide strip.
ShapeLayer GreyStrip(PaintKind kind, SpreadMode spread, double start, double width) {
  ShapeLayer shape;
  Paint p;
  p.kind = kind;
  p.gradient = Stops({{0, Black}, {255, White}});
  p.gradient.spread = spread;
  // The square's 32768 twips become 256 pixels; its left edge at start.
  p.matrix.a = p.matrix.d = 256.0 * 20.0 / 32768.0;
  p.matrix.tx = Tw(start + 128.0);
  p.matrix.ty = Tw(2);
  shape.fills.push_back(p);
  shape.SetFill1(1);
  Testing::AddRect(shape, 0, 0, width, 4);
  return shape;
}

Rgb Draw(const ShapeLayer& shape, int x, int y, Quality quality, int width = 1200) {
  TestImage image(width, 4);
  Canvas canvas;
  canvas.Begin(image.View(), quality);
  canvas.DrawShape(shape, Unscaled());
  canvas.End();
  return image.At(x, y);
}

TEST(GradientPaint, SpreadModesBeyondTheSquare) {
  struct Case {
    SpreadMode spread;
    int x;
    int grey;
  };
  const Case cases[] = {
      {SpreadMode::Pad, 10, 10},
      {SpreadMode::Pad, 300, 255},
      {SpreadMode::Repeat, 300, 44},
      {SpreadMode::Reflect, 300, 211},
      {SpreadMode::Reflect, 600, 88},
      {SpreadMode::Repeat, 1000, 1000 - 768},
      {SpreadMode::Reflect, 1000, 1023 - 1000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Draw(GreyStrip(PaintKind::LinearGradient, c.spread, 0, 1200), c.x, 1, Quality::Low).red, c.grey)
        << static_cast<int>(c.spread) << " " << c.x;
  }
}

TEST(GradientPaint, TakenAtTheCentreAtLowQualityAndTheCornerOtherwise) {
  // The square starts 0.3 pixel in: at the centre of pixel 20 the ramp is at
  // 20.2, at its corner at 19.7.
  const ShapeLayer strip = GreyStrip(PaintKind::LinearGradient, SpreadMode::Pad, 0.3, 300);
  EXPECT_EQ(Draw(strip, 20, 1, Quality::Low, 300).red, 20);
  EXPECT_EQ(Draw(strip, 20, 1, Quality::High, 300).red, 19);
  EXPECT_EQ(Draw(strip, 20, 1, Quality::Medium, 300).red, 19);
}

TEST(GradientPaint, RadialAndFocalGeometry) {
  // The square centred on (400, 2), 128 pixels from centre to side: the
  // ramp index t * 256 is twice the distance in pixels.
  const ShapeLayer radial = GreyStrip(PaintKind::RadialGradient, SpreadMode::Pad, 272, 800);
  EXPECT_EQ(Draw(radial, 400, 1, Quality::Low, 800).red, 1);    // centre 400.5, 1.5: 0.707 away
  EXPECT_EQ(Draw(radial, 450, 1, Quality::Low, 800).red, 101);  // 50.5025 away
  EXPECT_EQ(Draw(radial, 600, 1, Quality::Low, 800).red, 255);
  ShapeLayer focal = GreyStrip(PaintKind::FocalRadialGradient, SpreadMode::Pad, 272, 800);
  focal.fills[0].gradient.focalPoint = 0.5;
  // Focal point at x = 400 + 64. Half way from it to the circle either way
  // along the axis is t = 0.5.
  EXPECT_NEAR(Draw(focal, 464, 2, Quality::High, 800).red, 0, 1);
  EXPECT_NEAR(Draw(focal, 496, 2, Quality::High, 800).red, 128, 1);
  EXPECT_NEAR(Draw(focal, 368, 2, Quality::High, 800).red, 128, 1);
  EXPECT_EQ(Draw(focal, 529, 2, Quality::High, 800).red, 255);
}

TEST(GradientPaint, ARunSaidToHaveOneColourShadesToThatColour) {
  // Linear gradients of many angles, scales and spreads: wherever RowColor
  // answers for a run, ShadeRow gives every pixel of the run that colour,
  // and upright gradients answer for whole rows.
  Paint paint;
  paint.kind = PaintKind::LinearGradient;
  for (int i = 0; i < 16; ++i) {
    paint.gradient.stops.push_back(GradientStop{static_cast<std::uint8_t>(i * 17),
                                                Rgba{static_cast<std::uint8_t>(i * 16), 0, 0, 255}});
  }
  const double angles[] = {0.0, 0.3, 1.5707963267948966, 2.0, 3.0};
  const double scales[] = {0.001, 0.01, 0.2};
  const SpreadMode spreads[] = {SpreadMode::Pad, SpreadMode::Reflect, SpreadMode::Repeat};
  int answered = 0;
  for (const double angle : angles) {
    for (const double scale : scales) {
      for (const SpreadMode spread : spreads) {
        paint.gradient.spread = spread;
        const bool upright = angle == 1.5707963267948966;  // as movies store it: exact zeros
        paint.matrix.a = upright ? 0.0 : scale * std::cos(angle);
        paint.matrix.b = scale * std::sin(angle);
        paint.matrix.c = -scale * std::sin(angle);
        paint.matrix.d = upright ? 0.0 : scale * std::cos(angle);
        paint.matrix.tx = 700;
        paint.matrix.ty = 500;
        GradientShader shader;
        shader.Prepare(paint, Unscaled(), ColorTransform(), 0.0);
        Rgba out[200];
        for (int y = 0; y < 100; y += 7) {
          for (const int count : {1, 13, 200}) {
            Rgba color;
            if (!shader.RowColor(-20, y, count, &color)) continue;
            ++answered;
            shader.ShadeRow(-20, y, count, out);
            for (int k = 0; k < count; ++k) ASSERT_EQ(out[k], color) << angle << " " << scale << " " << y;
          }
          if (upright) {
            Rgba color;
            EXPECT_TRUE(shader.RowColor(-20, y, 200, &color));
          }
        }
      }
    }
  }
  EXPECT_GT(answered, 100);
}

TEST(GradientPaint, SingularMatrixPaintsTheLastColour) {
  ShapeLayer shape = GreyStrip(PaintKind::LinearGradient, SpreadMode::Pad, 0, 20);
  shape.fills[0].matrix.a = 0;
  EXPECT_EQ(Draw(shape, 5, 1, Quality::High, 20).red, 255);
}

}  // namespace
}  // namespace Halvane::Movie::Render
