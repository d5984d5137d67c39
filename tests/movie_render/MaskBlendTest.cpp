// Masks (clip layers) and blend-mode layers through the canvas, and the
// blend formulas themselves.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "RenderTestSupport.h"
#include "movie/render/LayerBlend.h"

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

TEST(Masks, LaterShapesShowOnlyInsideTheMask) {
  TestImage image(20, 20);
  image.Fill(Rgb{255, 255, 255});
  Canvas canvas;
  canvas.Begin(image.View(), Quality::Low);
  canvas.BeginMask();
  canvas.DrawShape(SolidRect(5, 5, 10, 10, Rgba{0, 0, 0, 0}), Unscaled());  // its colour does not matter
  canvas.EndMask();
  canvas.DrawShape(SolidRect(0, 0, 20, 20, Red), Unscaled());
  canvas.PopMask();
  canvas.DrawShape(SolidRect(0, 0, 2, 2, Red), Unscaled());
  canvas.End();
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      const bool red = (x >= 5 && x < 10 && y >= 5 && y < 10) || (x < 2 && y < 2);
      EXPECT_EQ(image.At(x, y), red ? (Rgb{255, 0, 0}) : (Rgb{255, 255, 255})) << x << "," << y;
    }
  }
}

TEST(Masks, NestedMasksIntersectAndLinesDoNotCount) {
  TestImage image(20, 20);
  image.Fill(Rgb{255, 255, 255});
  ShapeLayer withLine = SolidRect(8, 0, 20, 20, Red);
  LineStyle wide;
  wide.width = 200;  // 10 pixels: would reach x = 3 if lines counted
  withLine.lines.push_back(wide);
  withLine.SetFill1(0);
  withLine.SetLine(1);
  withLine.MoveTo(160, 0);
  withLine.LineTo(160, 400);
  Canvas canvas;
  canvas.Begin(image.View(), Quality::Low);
  canvas.BeginMask();
  canvas.DrawShape(SolidRect(0, 0, 12, 20, Red), Unscaled());
  canvas.EndMask();
  canvas.BeginMask();
  canvas.DrawShape(withLine, Unscaled());
  canvas.EndMask();
  canvas.DrawShape(SolidRect(0, 0, 20, 10, Rgba{0, 0, 255, 255}), Unscaled());
  canvas.PopMask();
  canvas.DrawShape(SolidRect(0, 10, 20, 20, Rgba{0, 255, 0, 255}), Unscaled());
  canvas.PopMask();
  canvas.End();
  EXPECT_EQ(image.At(9, 5), (Rgb{0, 0, 255}));
  EXPECT_EQ(image.At(5, 5), (Rgb{255, 255, 255}));   // outside the inner mask
  EXPECT_EQ(image.At(14, 5), (Rgb{255, 255, 255}));  // outside the outer one
  EXPECT_EQ(image.At(5, 15), (Rgb{0, 255, 0}));      // the outer mask alone again
  EXPECT_EQ(image.At(14, 15), (Rgb{255, 255, 255}));
}

TEST(Masks, LinesAtHighQualityTakeTheMaskByQuartersOfThePixel) {
  // A sample of the lines' 2 x 2 grid is inside the mask when at least two
  // of the four finer mask samples around it are. A mask closed before has
  // no say.
  ShapeLayer line;
  line.lines.push_back(LineStyle{});  // 1 pixel, black
  line.SetLine(1);
  line.MoveTo(-100, 30);
  line.LineTo(500, 30);
  for (const auto& c : {std::pair<double, int>{10.1, 0}, {10.3, 2}, {10.7, 4}}) {
    TestImage image(20, 4);
    image.Fill(Rgb{255, 255, 255});
    Canvas canvas;
    canvas.Begin(image.View(), Quality::High);
    for (const double right : {2.0, c.first}) {
      canvas.PopMask();
      canvas.BeginMask();
      canvas.DrawShape(SolidRect(0, 0, right, 4, Red), Unscaled());
      canvas.EndMask();
      canvas.DrawShape(line, Unscaled());
    }
    canvas.End();
    EXPECT_EQ(image.At(10, 1).green, Covered(0, 255, c.second, 4)) << c.first;
    EXPECT_EQ(image.At(9, 1).green, 0);
  }
}

TEST(Masks, HighQualityMasksPerSample) {
  // The mask covers the left half of column 10's samples: a shape covering
  // the pixel shows exactly half.
  TestImage image(20, 4);
  image.Fill(Rgb{255, 255, 255});
  Canvas canvas;
  canvas.Begin(image.View(), Quality::High);
  canvas.BeginMask();
  canvas.DrawShape(SolidRect(0, 0, 10.5, 4, Red), Unscaled());
  canvas.EndMask();
  canvas.DrawShape(SolidRect(0, 0, 20, 4, Rgba{0, 0, 0, 255}), Unscaled());
  canvas.End();
  EXPECT_EQ(image.At(10, 1).green, Covered(0, 255, 8, 16));
  EXPECT_EQ(image.At(9, 1).green, 0);
  EXPECT_EQ(image.At(11, 1).green, 255);
  // At low quality a pixel is in or out by its centre; 10.5 is on the
  // mask's right edge, so out.
  TestImage low(20, 4);
  low.Fill(Rgb{255, 255, 255});
  canvas.Begin(low.View(), Quality::Low);
  canvas.BeginMask();
  canvas.DrawShape(SolidRect(0, 0, 10.5, 4, Red), Unscaled());
  canvas.EndMask();
  canvas.DrawShape(SolidRect(0, 0, 20, 4, Rgba{0, 0, 0, 255}), Unscaled());
  canvas.End();
  EXPECT_EQ(low.At(9, 1).green, 0);
  EXPECT_EQ(low.At(10, 1).green, 255);
}

TEST(Masks, RunsOfEveryLengthKeepEmptyPixelsAndFillCoveredOnes) {
  // Stripes of 1 to 9 pixels with gaps of 1 to 9 between them, every other
  // one starting half way into a pixel: a fill and a line under the mask
  // paint the covered samples and leave every other pixel as it was.
  constexpr int Width = 100;
  std::vector<std::pair<double, double>> stripes;
  double x = 1;
  for (int n = 1; n <= 9; ++n) {
    x += n;
    const double left = x + (n % 2 ? 0.5 : 0.0);
    stripes.emplace_back(left, x + n);
    x += n;
  }
  ShapeLayer mask;
  mask.fills.push_back(Paint::SolidColor(Red));
  mask.SetFill1(1);
  for (const auto& [left, right] : stripes) AddRect(mask, left, 0, right, 6);
  ShapeLayer line;
  line.lines.push_back(LineStyle{});
  line.lines.back().width = Tw(2);
  line.lines.back().startCap = line.lines.back().endCap = CapStyle::None;
  line.SetLine(1);
  line.MoveTo(Tw(-5), Tw(3));
  line.LineTo(Tw(Width + 5), Tw(3));

  TestImage image(Width, 6);
  image.Fill(Rgb{255, 255, 255});
  Canvas canvas;
  canvas.Begin(image.View(), Quality::High);
  canvas.BeginMask();
  canvas.DrawShape(mask, Unscaled());
  canvas.EndMask();
  canvas.DrawShape(SolidRect(0, 0, Width, 6, Red), Unscaled());
  canvas.DrawShape(line, Unscaled());
  canvas.End();
  for (int px = 0; px < Width; ++px) {
    int columns = 0;  // of the 4 sample columns, those inside a stripe
    for (int i = 0; i < 4; ++i) {
      const double sx = px + (i + 0.5) / 4;
      for (const auto& [left, right] : stripes) columns += sx >= left && sx < right ? 1 : 0;
    }
    EXPECT_EQ(image.At(px, 0), (Rgb{255, Covered(0, 255, columns * 4, 16), Covered(0, 255, columns * 4, 16)}))
        << px;
    if (columns == 0) {
      EXPECT_EQ(image.At(px, 2), (Rgb{255, 255, 255})) << px;
    } else if (columns == 4) {
      EXPECT_EQ(image.At(px, 2), (Rgb{0, 0, 0})) << px;
    }
  }
  EXPECT_TRUE(image.GuardsIntact());
}

TEST(Masks, UnbalancedCallsAreIgnored) {
  TestImage image(8, 8);
  image.Fill(Rgb{255, 255, 255});
  Canvas canvas;
  canvas.Begin(image.View(), Quality::High);
  canvas.PopMask();
  canvas.EndMask();
  canvas.PopLayer();
  canvas.BeginMask();
  canvas.PushLayer(BlendMode::Multiply);  // ignored inside a mask
  canvas.DrawShape(SolidRect(0, 0, 4, 8, Red), Unscaled());
  canvas.PopLayer();
  canvas.EndMask();
  canvas.DrawShape(SolidRect(0, 0, 8, 8, Red), Unscaled());
  canvas.End();  // pops the mask
  EXPECT_EQ(image.At(2, 2), (Rgb{255, 0, 0}));
  EXPECT_EQ(image.At(6, 2), (Rgb{255, 255, 255}));
}

TEST(BlendFormulas, EachModeOnStraightColours) {
  struct Case {
    BlendMode mode;
    int below, above, result;
  };
  const Case cases[] = {
      {BlendMode::Normal, 100, 200, 200},   {BlendMode::Multiply, 128, 128, 64},  {BlendMode::Multiply, 255, 77, 77},
      {BlendMode::Screen, 128, 128, 192},   {BlendMode::Screen, 0, 77, 77},       {BlendMode::Lighten, 100, 200, 200},
      {BlendMode::Lighten, 200, 100, 200},  {BlendMode::Darken, 100, 200, 100},   {BlendMode::Difference, 100, 30, 70},
      {BlendMode::Difference, 30, 100, 70}, {BlendMode::Add, 200, 100, 255},      {BlendMode::Add, 20, 100, 120},
      {BlendMode::Subtract, 200, 50, 150},  {BlendMode::Subtract, 50, 200, 0},    {BlendMode::Invert, 55, 0, 200},
      {BlendMode::Invert, 55, 255, 200},    {BlendMode::Overlay, 64, 200, 100},   {BlendMode::Overlay, 200, 64, 173},
      {BlendMode::HardLight, 200, 64, 100}, {BlendMode::HardLight, 64, 200, 173},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BlendChannel(c.mode, static_cast<std::uint8_t>(c.below), static_cast<std::uint8_t>(c.above)), c.result)
        << static_cast<int>(c.mode) << " " << c.below << " " << c.above;
  }
  EXPECT_EQ(BlendModeFromByte(0), BlendMode::Normal);
  EXPECT_EQ(BlendModeFromByte(14), BlendMode::HardLight);
  EXPECT_EQ(BlendModeFromByte(15), BlendMode::Normal);
}

Rgb Layered(BlendMode mode, Rgb below, Rgba above, bool partial = false) {
  TestImage image(10, 4);
  image.Fill(below);
  Canvas canvas;
  canvas.Begin(image.View(), Quality::Low);
  canvas.PushLayer(mode);
  canvas.DrawShape(SolidRect(0, 0, partial ? 5 : 10, 4, above), Unscaled());
  canvas.PopLayer();
  canvas.End();
  return image.At(7, 1);
}

TEST(BlendLayers, LayersCombineWithTheViewByTheirMode) {
  EXPECT_EQ(Layered(BlendMode::Multiply, Rgb{128, 200, 255}, Rgba{255, 128, 0, 255}), (Rgb{128, 100, 0}));
  EXPECT_EQ(Layered(BlendMode::Screen, Rgb{128, 0, 255}, Rgba{128, 77, 0, 255}), (Rgb{192, 77, 255}));
  EXPECT_EQ(Layered(BlendMode::Difference, Rgb{100, 100, 100}, Rgba{30, 200, 100, 255}), (Rgb{70, 100, 0}));
  EXPECT_EQ(Layered(BlendMode::Invert, Rgb{0, 100, 255}, Rgba{9, 9, 9, 255}), (Rgb{255, 155, 0}));
  EXPECT_EQ(Layered(BlendMode::Layer, Rgb{0, 100, 255}, Rgba{9, 9, 9, 255}), (Rgb{9, 9, 9}));
  // A half-transparent layer mixes its result half way.
  EXPECT_EQ(Layered(BlendMode::Invert, Rgb{0, 0, 0}, Rgba{9, 9, 9, 128}), (Rgb{128, 128, 128}));
  // Alpha and erase need a layer below with transparency; the view has none.
  EXPECT_EQ(Layered(BlendMode::Alpha, Rgb{1, 2, 3}, Rgba{9, 9, 9, 255}), (Rgb{1, 2, 3}));
  EXPECT_EQ(Layered(BlendMode::Erase, Rgb{1, 2, 3}, Rgba{9, 9, 9, 255}), (Rgb{1, 2, 3}));
  // Pixels the layer does not cover stay as they were.
  EXPECT_EQ(Layered(BlendMode::Invert, Rgb{1, 2, 3}, Rgba{9, 9, 9, 255}, true), (Rgb{1, 2, 3}));
}

TEST(BlendLayers, EraseAndAlphaCutTheLayerBelow) {
  // A layer holding red over the whole view; inside it, a child layer
  // covering the left half with erase (or alpha).
  for (const BlendMode mode : {BlendMode::Erase, BlendMode::Alpha}) {
    TestImage image(10, 4);
    image.Fill(Rgb{0, 0, 255});
    Canvas canvas;
    canvas.Begin(image.View(), Quality::Low);
    canvas.PushLayer(BlendMode::Layer);
    canvas.DrawShape(SolidRect(0, 0, 10, 4, Red), Unscaled());
    canvas.PushLayer(mode);
    canvas.DrawShape(SolidRect(0, 0, 5, 4, Rgba{0, 0, 0, 255}), Unscaled());
    canvas.PopLayer();
    canvas.PopLayer();
    canvas.End();
    const bool erase = mode == BlendMode::Erase;
    EXPECT_EQ(image.At(2, 1), erase ? (Rgb{0, 0, 255}) : (Rgb{255, 0, 0}));
    EXPECT_EQ(image.At(7, 1), erase ? (Rgb{255, 0, 0}) : (Rgb{0, 0, 255}));
  }
}

TEST(BlendLayers, NestedLayersAndMasksCompose) {
  // Multiply inside a mask: the layer's shapes are masked, the rest of the
  // view untouched.
  TestImage image(10, 4);
  image.Fill(Rgb{200, 200, 200});
  Canvas canvas;
  canvas.Begin(image.View(), Quality::High);
  canvas.BeginMask();
  canvas.DrawShape(SolidRect(0, 0, 5, 4, Red), Unscaled());
  canvas.EndMask();
  canvas.PushLayer(BlendMode::Multiply);
  canvas.DrawShape(SolidRect(0, 0, 10, 4, Rgba{128, 128, 128, 255}), Unscaled());
  canvas.PopLayer();
  canvas.PopMask();
  canvas.End();
  EXPECT_EQ(image.At(2, 1), (Rgb{100, 100, 100}));
  EXPECT_EQ(image.At(7, 1), (Rgb{200, 200, 200}));
}

}  // namespace
}  // namespace Halvane::Movie::Render
