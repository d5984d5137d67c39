// Shape records into shape layers: layers at new style arrays, the fill
// rule, absolute edges, the styles as paints and lines, morph shapes at a
// ratio; and the cache that makes them once.
#include <gtest/gtest.h>

#include "movie/render/ShapeBuilder.h"
#include "movie/render/ShapeCache.h"
#include "tools/ShapeWriter.h"

namespace Halvane::Movie::Render {
namespace {

using Tools::CurveBy;
using Tools::LineBy;
using Tools::MoveTo;

FillStyle SolidFill(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  FillStyle f;
  f.color = Movie::Rgba{red, green, blue, 255};
  return f;
}

ShapeRecord Styles(std::optional<std::uint32_t> fill0, std::optional<std::uint32_t> fill1,
                   std::optional<std::uint32_t> line) {
  ShapeRecord r;
  r.fillStyle0 = fill0;
  r.fillStyle1 = fill1;
  r.lineStyle = line;
  return r;
}

TEST(ShapeBuilder, NewStyleArraysStartALayerThatGoesOnFromThePen) {
  ShapeDefinition s;
  s.version = 2;
  s.styles.fills = {SolidFill(255, 0, 0)};
  ShapeRecord start = MoveTo(100, 200);
  start.fillStyle1 = 1;
  ShapeRecord change = Styles(std::nullopt, std::nullopt, 1u);
  change.newStyles.emplace();
  change.newStyles->fills = {SolidFill(0, 0, 255), SolidFill(0, 255, 0)};
  change.newStyles->lines.emplace_back();
  s.records = {start, LineBy(50, 0), change, LineBy(0, 30), Styles(2u, std::nullopt, std::nullopt), LineBy(-50, 0)};
  std::vector<ShapeLayer> layers;
  BuildShapeLayers(s, &layers);
  ASSERT_EQ(layers.size(), 2u);
  ASSERT_EQ(layers[0].fills.size(), 1u);
  EXPECT_EQ(layers[0].fills[0].color, (Rgba{255, 0, 0, 255}));
  ASSERT_EQ(layers[0].edges.size(), 1u);
  EXPECT_EQ(layers[0].edges[0].fill1, 1u);

  ASSERT_EQ(layers[1].fills.size(), 2u);
  EXPECT_EQ(layers[1].fills[0].color, (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(layers[1].lines.size(), 1u);
  ASSERT_EQ(layers[1].edges.size(), 2u);
  const ShapeEdge& first = layers[1].edges[0];
  EXPECT_EQ(first.fromX, 150.0);  // where the first layer's pen stopped
  EXPECT_EQ(first.fromY, 200.0);
  EXPECT_EQ(first.toY, 230.0);
  EXPECT_EQ(first.fill1, 0u);  // the old arrays' styles do not carry over
  EXPECT_EQ(first.line, 1u);
  EXPECT_EQ(layers[1].edges[1].fill0, 2u);
  EXPECT_EQ(layers[1].edges[1].line, 1u);
}

TEST(ShapeBuilder, OnlyTheFourthFormsFlagFillsByTheNonZeroRule) {
  const struct {
    int version;
    std::uint8_t flags;
    FillRule rule;
  } rows[] = {{1, 0, FillRule::EvenOdd},
              {3, 0x04, FillRule::EvenOdd},
              {4, 0x00, FillRule::EvenOdd},
              {4, 0x04, FillRule::NonZero},
              {4, 0x05, FillRule::NonZero}};
  for (const auto& row : rows) {
    ShapeDefinition s;
    s.version = row.version;
    s.flags = row.flags;
    s.styles.fills = {SolidFill(1, 2, 3)};
    s.records = {MoveTo(0, 0), LineBy(10, 10)};
    std::vector<ShapeLayer> layers;
    BuildShapeLayers(s, &layers);
    ASSERT_EQ(layers.size(), 1u);
    EXPECT_EQ(layers[0].rule, row.rule) << row.version << " " << int{row.flags};
  }
}

TEST(ShapeBuilder, EdgesInAbsoluteTwipsAndShapesWithoutEdgesHaveNoLayers) {
  ShapeDefinition s;
  s.styles.fills = {SolidFill(1, 2, 3)};
  ShapeRecord start = MoveTo(100, 200);
  start.fillStyle0 = 1;
  s.records = {start, CurveBy(10, 20, 30, 40), LineBy(-5, 0), MoveTo(7, 8), LineBy(1, 1)};
  std::vector<ShapeLayer> layers;
  BuildShapeLayers(s, &layers);
  ASSERT_EQ(layers.size(), 1u);
  const std::vector<ShapeEdge>& e = layers[0].edges;
  ASSERT_EQ(e.size(), 3u);
  EXPECT_TRUE(e[0].curved);
  EXPECT_TRUE(e[0].startsPath);
  EXPECT_EQ(e[0].controlX, 110.0);
  EXPECT_EQ(e[0].controlY, 220.0);
  EXPECT_EQ(e[0].toX, 140.0);
  EXPECT_EQ(e[0].toY, 260.0);
  EXPECT_EQ(e[0].fill0, 1u);
  EXPECT_FALSE(e[1].curved);
  EXPECT_FALSE(e[1].startsPath);
  EXPECT_EQ(e[1].toX, 135.0);
  EXPECT_TRUE(e[2].startsPath);
  EXPECT_EQ(e[2].fromX, 7.0);

  s.records = {MoveTo(5, 5), Styles(1u, 1u, std::nullopt)};
  BuildShapeLayers(s, &layers);
  EXPECT_TRUE(layers.empty());
}

TEST(ShapeBuilder, StylesBecomeThePaintsAndLinesTheRasterizerTakes) {
  FillStyle gradient;
  gradient.kind = FillKind::FocalRadialGradient;
  gradient.matrix.scaleX = 0x8000;
  gradient.matrix.rotateSkew1 = -0x10000;
  gradient.matrix.translateX = 40;
  gradient.gradient.spreadMode = 3;  // reserved: pads
  gradient.gradient.interpolationMode = 1;
  gradient.gradient.focalPoint = 0x0200;  // 2.0: past the edge
  gradient.gradient.stops = {{0, Movie::Rgba{1, 2, 3, 4}}, {255, Movie::Rgba{5, 6, 7, 8}}};
  const Paint g = PaintOf(gradient);
  EXPECT_EQ(g.kind, PaintKind::FocalRadialGradient);
  EXPECT_EQ(g.matrix.a, 0.5);
  EXPECT_EQ(g.matrix.c, -1.0);
  EXPECT_EQ(g.matrix.tx, 40.0);
  EXPECT_EQ(g.gradient.spread, SpreadMode::Pad);
  EXPECT_EQ(g.gradient.interpolation, Interpolation::LinearRgb);
  EXPECT_EQ(g.gradient.focalPoint, 1.0);
  ASSERT_EQ(g.gradient.stops.size(), 2u);
  EXPECT_EQ(g.gradient.stops[1].color, (Rgba{5, 6, 7, 8}));

  FillStyle bitmap;
  bitmap.kind = FillKind::ClippedBitmap;
  EXPECT_EQ(PaintOf(bitmap).color.alpha, 0);  // bitmaps are not drawn yet

  Movie::LineStyle line;
  line.width = 60;
  line.startCap = Movie::CapStyle::None;
  line.endCap = Movie::CapStyle::Square;
  line.join = Movie::JoinStyle::Miter;
  line.miterLimitFactor = 0x0180;
  line.noHScale = true;
  line.noClose = true;
  line.fill = gradient;
  const LineStyle l = LineOf(line);
  EXPECT_EQ(l.width, 60.0);
  EXPECT_EQ(l.startCap, CapStyle::None);
  EXPECT_EQ(l.endCap, CapStyle::Square);
  EXPECT_EQ(l.join, JoinStyle::Miter);
  EXPECT_EQ(l.miterLimit, 1.5);
  EXPECT_TRUE(l.noHScale);
  EXPECT_FALSE(l.noVScale);
  EXPECT_TRUE(l.noClose);
  EXPECT_EQ(l.paint.kind, PaintKind::FocalRadialGradient);
}

MorphShapeDefinition Morph() {
  MorphShapeDefinition m;
  MorphFillStyle fill;
  fill.start.color = Movie::Rgba{255, 0, 0, 255};
  fill.end.color = Movie::Rgba{0, 0, 255, 0};
  m.fills.push_back(fill);
  MorphLineStyle line;
  line.start.width = 20;
  line.end.width = 60;
  m.lines.push_back(line);
  ShapeRecord start = MoveTo(0, 0);
  start.fillStyle1 = 1;
  start.lineStyle = 1;
  // The start's straight edge stands against the end's curve.
  m.startRecords = {start, LineBy(200, 0), LineBy(0, 200)};
  m.endRecords = {MoveTo(100, 100), CurveBy(100, -100, 100, 100), LineBy(0, 400)};
  return m;
}

TEST(ShapeBuilder, MorphShapesAtTheirEndsAndBetween) {
  const struct {
    std::uint16_t ratio;
    double fromX, controlX, controlY, toX, lastToY, width;
    Rgba color;
  } rows[] = {
      {0, 0, 100, 0, 200, 200, 20, Rgba{255, 0, 0, 255}},
      {65535, 100, 200, 0, 300, 500, 60, Rgba{0, 0, 255, 0}},
      {32768, 50.0004, 150.0008, 0, 250.0008, 350.0023, 40.0003, Rgba{127, 0, 128, 127}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.ratio);
    std::vector<ShapeLayer> layers;
    BuildMorphLayers(Morph(), row.ratio, &layers);
    ASSERT_EQ(layers.size(), 1u);
    const ShapeLayer& l = layers[0];
    ASSERT_EQ(l.edges.size(), 2u);
    EXPECT_TRUE(l.edges[0].curved);
    EXPECT_FALSE(l.edges[1].curved);
    EXPECT_NEAR(l.edges[0].fromX, row.fromX, 1e-3);
    EXPECT_NEAR(l.edges[0].fromY, row.fromX, 1e-3);
    EXPECT_NEAR(l.edges[0].controlX, row.controlX, 1e-3);
    EXPECT_NEAR(l.edges[0].controlY, row.controlY, 1e-3);
    EXPECT_NEAR(l.edges[0].toX, row.toX, 1e-3);
    EXPECT_NEAR(l.edges[1].toY, row.lastToY, 1e-3);
    EXPECT_EQ(l.edges[0].fill1, 1u);
    ASSERT_EQ(l.lines.size(), 1u);
    EXPECT_NEAR(l.lines[0].width, row.width, 1e-3);
    ASSERT_EQ(l.fills.size(), 1u);
    EXPECT_EQ(l.fills[0].color, row.color);
  }
}

TEST(ShapeCache, MakesEachShapeOnceAndKeepsMorphRatiosWhileTheyAreDrawn) {
  ShapeCache cache;
  auto shape = std::make_shared<ShapeDefinition>();
  shape->styles.fills = {SolidFill(1, 2, 3)};
  shape->records = {MoveTo(0, 0), LineBy(10, 0)};
  const ShapeCache::Layers* first = &cache.Shape(shape);
  EXPECT_EQ(&cache.Shape(shape), first);
  EXPECT_EQ(first->size(), 1u);
  cache.EndFrame();
  EXPECT_EQ(&cache.Shape(shape), first);

  auto morph = std::make_shared<MorphShapeDefinition>(Morph());
  const ShapeCache::Layers* low = cache.Morph(morph, 10);
  const ShapeCache::Layers* high = cache.Morph(morph, 60000);
  ASSERT_TRUE(low && high);
  EXPECT_NE(low, high);
  EXPECT_EQ(cache.Morph(morph, 10), low);
  cache.EndFrame();
  EXPECT_EQ(cache.MorphCount(), 2u);
  EXPECT_EQ(cache.Morph(morph, 10), low);
  cache.EndFrame();  // 60000 was not drawn this frame
  EXPECT_EQ(cache.MorphCount(), 1u);

  cache.Clear();
  EXPECT_EQ(cache.ShapeCount(), 0u);
  EXPECT_EQ(cache.MorphCount(), 0u);
}

TEST(ShapeCache, AFramesNewMorphRatiosAreCapped) {
  auto morph = std::make_shared<MorphShapeDefinition>();
  morph->startRecords.assign(ShapeCache::MaxMorphRecordsPerFrame / 8, LineBy(1, 0));
  morph->endRecords = morph->startRecords;
  ShapeCache cache;
  int made = 0;
  for (std::uint16_t ratio = 0; ratio < 20; ++ratio) made += cache.Morph(morph, ratio) != nullptr ? 1 : 0;
  EXPECT_EQ(made, 3);
  EXPECT_NE(cache.Morph(morph, 1), nullptr);  // made this frame already
  cache.EndFrame();
  EXPECT_NE(cache.Morph(morph, 19), nullptr);
}

}  // namespace
}  // namespace Halvane::Movie::Render
