// Shapes and morph shapes as typed records: what the writer writes reads
// back as the same records for every record kind, malformed definitions are
// left out while the movie reads on, and the shape budget holds.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "movie/swf/SwfParser.h"
#include "tools/ShapeWriter.h"
#include "tools/SwfTags.h"
#include "tools/SwfWriter.h"

namespace Halvane::Movie {
namespace {

using namespace Halvane::Tools;

std::unique_ptr<MovieDefinition> ParseTags(const std::vector<std::pair<std::uint16_t, Bytes>>& tags,
                                           const ParseLimits& limits = ParseLimits()) {
  SwfBuilder b;
  for (const auto& [code, payload] : tags) b.AddTag(code, payload);
  b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(1, 1))).ShowFrame().End();
  const Bytes file = b.Build();
  return ParseMovie(file.data(), file.size(), limits);
}

Rgba Color(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
  return Rgba{r, g, b, a};
}

FillStyle Solid(Rgba color) {
  FillStyle f;
  f.color = color;
  return f;
}

FillStyle GradientFill(FillKind kind, std::vector<GradientStop> stops, std::uint8_t spread = 0,
                       std::uint8_t interpolation = 0, std::int16_t focal = 0) {
  FillStyle f;
  f.kind = kind;
  f.matrix = Matrix{0x8000, 0x4000, 0x100, -0x100, 400, -200};
  f.gradient.spreadMode = spread;
  f.gradient.interpolationMode = interpolation;
  f.gradient.stops = std::move(stops);
  f.gradient.focalPoint = focal;
  return f;
}

FillStyle BitmapFill(FillKind kind, std::uint16_t id) {
  FillStyle f;
  f.kind = kind;
  f.bitmapId = id;
  f.matrix = Matrix{20 << 16, 20 << 16, 0, 0, -1000, 1000};
  return f;
}

LineStyle Line(std::uint16_t width, Rgba color) {
  LineStyle l;
  l.width = width;
  l.color = color;
  return l;
}

ShapeRecord Select(std::optional<std::uint32_t> fill0, std::optional<std::uint32_t> fill1,
                   std::optional<std::uint32_t> line) {
  ShapeRecord r;
  r.fillStyle0 = fill0;
  r.fillStyle1 = fill1;
  r.lineStyle = line;
  return r;
}

ShapeRecord MoveAndSelect(std::int32_t x, std::int32_t y, std::uint32_t fill0, std::uint32_t line) {
  ShapeRecord r = MoveTo(x, y);
  r.fillStyle0 = fill0;
  r.lineStyle = line;
  return r;
}

ShapeDefinition Shape(int version, ShapeStyles styles, std::vector<ShapeRecord> records) {
  ShapeDefinition s;
  s.id = 1;
  s.version = version;
  s.bounds = TwipsRect{-20, 2000, -40, 1000};
  s.edgeBounds = version == 4 ? TwipsRect{0, 1980, 0, 960} : s.bounds;
  s.flags = version == 4 ? 0x05 : 0;
  s.styles = std::move(styles);
  s.records = std::move(records);
  return s;
}

std::vector<ShapeDefinition> ShapesOfEveryKind() {
  std::vector<ShapeDefinition> shapes;
  // The first form: colours without alpha, edges of every shape.
  shapes.push_back(Shape(1, {{Solid(Color(255, 0, 0))}, {Line(20, Color(0, 0, 255))}},
                         {MoveAndSelect(100, 100, 1, 1), LineBy(500, 0), LineBy(0, 300),
                          LineBy(-250, 120), CurveBy(-100, -200, -150, -220), LineBy(0, 0)}));
  // The second form: new style arrays, with indices into the new arrays
  // that need more bits than the old ones had.
  ShapeRecord layer = Select(std::nullopt, 3u, 0u);
  layer.newStyles = ShapeStyles{{Solid(Color(1, 2, 3)), Solid(Color(4, 5, 6)), Solid(Color(7, 8, 9))},
                                {Line(40, Color(9, 9, 9)), Line(60, Color(8, 8, 8))}};
  shapes.push_back(Shape(2, {{Solid(Color(0, 128, 0))}, {}},
                         {MoveAndSelect(0, 0, 1, 0), LineBy(100, 100), LineBy(-100, 0), layer,
                          LineBy(0, 50), Select(1u, 2u, 2u), CurveBy(10, 10, 10, -10)}));
  // The third form: alpha, and gradients of every kind and mode.
  shapes.push_back(Shape(
      3,
      {{GradientFill(FillKind::LinearGradient,
                     {{0, Color(255, 0, 0, 128)}, {128, Color(0, 255, 0, 0)}, {255, Color(0, 0, 255)}}),
        GradientFill(FillKind::RadialGradient, {{10, Color(1, 1, 1, 1)}, {5, Color(2, 2, 2, 2)}}, 1, 1),
        GradientFill(FillKind::FocalRadialGradient, {{0, Color(3, 3, 3)}, {255, Color(4, 4, 4)}}, 2, 0,
                     -128)},
       {Line(1, Color(0, 0, 0, 10))}},
      {MoveAndSelect(-500, -500, 3, 1), LineBy(1000, 0), Select(2u, 1u, std::nullopt), LineBy(0, 1000)}));
  // The fourth form: every field of the second line style form, a line
  // painted by a gradient, bitmap fills of the four kinds.
  LineStyle miter = Line(100, Color(10, 20, 30, 40));
  miter.startCap = CapStyle::None;
  miter.endCap = CapStyle::Square;
  miter.join = JoinStyle::Miter;
  miter.miterLimitFactor = 0x0180;
  miter.noHScale = miter.noVScale = miter.pixelHinting = miter.noClose = true;
  LineStyle filled = Line(300, Color(0, 0, 0));
  filled.join = JoinStyle::Bevel;
  filled.fill = GradientFill(FillKind::LinearGradient, {{0, Color(1, 2, 3, 4)}, {255, Color(5, 6, 7, 8)}});
  shapes.push_back(Shape(4,
                         {{BitmapFill(FillKind::RepeatingBitmap, 7), BitmapFill(FillKind::ClippedBitmap, 8),
                           BitmapFill(FillKind::RepeatingBitmapUnsmoothed, 9),
                           BitmapFill(FillKind::ClippedBitmapUnsmoothed, 0xFFFF)},
                          {miter, filled}},
                         {MoveAndSelect(0, 0, 4, 2), LineBy(20, 0), Select(1u, 2u, 1u), LineBy(0, 20)}));
  // Long style counts, and coordinates at the edges of their fields.
  std::vector<FillStyle> fills(300, Solid(Color(50, 60, 70)));
  std::vector<LineStyle> lines(256, Line(20, Color(1, 1, 1)));
  shapes.push_back(Shape(2, {fills, lines},
                         {MoveAndSelect(-1000000, 1000000, 300, 256), LineBy(65535, -65536),
                          CurveBy(-65536, 65535, 1, -1)}));
  shapes.push_back(Shape(1, {std::vector<FillStyle>(255, Solid(Color(9, 9, 9))), {}},
                         {MoveAndSelect(1, 1, 255, 0), LineBy(5, 5)}));
  shapes.push_back(Shape(4, {}, {}));  // no styles, no records
  return shapes;
}

TEST(ShapeRecords, EveryShapeKindReadsBackAsWritten) {
  for (const ShapeDefinition& shape : ShapesOfEveryKind()) {
    SCOPED_TRACE("form " + std::to_string(shape.version) + ", " +
                 std::to_string(shape.styles.fills.size()) + " fills, " +
                 std::to_string(shape.records.size()) + " records");
    auto movie = ParseTags({{DefineShapeCode(shape.version), DefineShapeTag(shape)}});
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->outcome, ParseOutcome::Complete);
    EXPECT_TRUE(movie->shapesWithTrailingBytes.empty());
    ASSERT_EQ(movie->shapes.count(1), 1u);
    EXPECT_TRUE(*movie->shapes.at(1) == shape);
    EXPECT_EQ(movie->shapes.at(1)->NonZeroWinding(), shape.version == 4);
  }
}

MorphShapeDefinition Morph(int version) {
  MorphShapeDefinition m;
  m.id = 1;
  m.version = version;
  m.startBounds = TwipsRect{0, 1000, 0, 1000};
  m.endBounds = TwipsRect{-500, 500, 200, 2000};
  m.startEdgeBounds = version == 2 ? TwipsRect{10, 990, 10, 990} : m.startBounds;
  m.endEdgeBounds = version == 2 ? TwipsRect{-490, 490, 210, 1990} : m.endBounds;
  m.flags = version == 2 ? 0x01 : 0;
  m.fills.push_back({Solid(Color(255, 0, 0, 255)), Solid(Color(0, 0, 255, 0))});
  FillStyle a = GradientFill(FillKind::RadialGradient, {{0, Color(1, 2, 3, 4)}, {200, Color(5, 6, 7, 8)}}, 1);
  FillStyle b = a;
  b.matrix = Matrix{0x20000, 0x20000, 0, 0, 0, 0};
  b.gradient.stops = {{30, Color(9, 9, 9, 9)}, {255, Color(0, 0, 0, 0)}};
  m.fills.push_back({a, b});
  FillStyle bitmapStart = BitmapFill(FillKind::ClippedBitmap, 12);
  FillStyle bitmapEnd = bitmapStart;
  bitmapEnd.matrix.translateX = 5000;
  m.fills.push_back({bitmapStart, bitmapEnd});
  m.lines.push_back({Line(20, Color(0, 0, 0)), Line(200, Color(255, 255, 255, 0))});
  m.startRecords = {MoveAndSelect(0, 0, 1, 1), LineBy(1000, 0), LineBy(0, 1000), Select(2u, 3u, 0u),
                    CurveBy(-500, 0, -500, -1000)};
  m.endRecords = {MoveTo(-500, 200), CurveBy(500, 0, 500, 0), LineBy(0, 1800), LineBy(-1000, -1800)};
  if (version == 2) {
    FillStyle focalStart = GradientFill(FillKind::FocalRadialGradient, {{0, Color(1, 1, 1)}, {255, Color(2, 2, 2)}},
                                        0, 1, 100);
    FillStyle focalEnd = focalStart;
    focalEnd.gradient.focalPoint = -256;
    m.fills.push_back({focalStart, focalEnd});
    MorphLineStyle line;
    line.start = Line(40, Color(0, 0, 0));
    line.start.join = JoinStyle::Miter;
    line.start.miterLimitFactor = 0x300;
    line.start.endCap = CapStyle::Square;
    line.start.noVScale = true;
    line.end = line.start;
    line.end.width = 80;
    line.start.fill = Solid(Color(1, 2, 3, 4));
    line.end.fill = Solid(Color(5, 6, 7, 8));
    line.start.color = line.end.color = Rgba();
    m.lines.push_back(line);
    m.startRecords.push_back(Select(4u, std::nullopt, 2u));
    m.startRecords.push_back(LineBy(1, 1));
    m.endRecords.push_back(LineBy(2, 2));
  }
  return m;
}

TEST(ShapeRecords, MorphShapesOfBothFormsReadBackAsWritten) {
  for (int version : {1, 2}) {
    SCOPED_TRACE(version);
    const MorphShapeDefinition morph = Morph(version);
    auto movie = ParseTags({{DefineMorphShapeCode(version), DefineMorphShapeTag(morph)}});
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->outcome, ParseOutcome::Complete);
    EXPECT_TRUE(movie->shapes.empty());
    ASSERT_EQ(movie->morphShapes.count(1), 1u);
    EXPECT_TRUE(*movie->morphShapes.at(1) == morph);
  }
}

TEST(ShapeRecords, StyleIndicesPastTheArraysReadAsNoStyle) {
  // One fill and no line, but records naming fill 3 and line 2; after new
  // arrays of two fills, fill 2 is valid and fill 5 is not.
  ShapeRecord layer = Select(2u, 5u, 1u);
  layer.newStyles = ShapeStyles{{Solid(Color(1, 1, 1)), Solid(Color(2, 2, 2))}, {}};
  const ShapeDefinition written =
      Shape(2, {{Solid(Color(0, 0, 0))}, {}}, {MoveAndSelect(0, 0, 3, 2), LineBy(10, 0), layer});
  auto movie = ParseTags({{kDefineShape2Tag, DefineShapeTag(written)}});
  ASSERT_TRUE(movie);
  ASSERT_EQ(movie->shapes.count(1), 1u);
  const std::vector<ShapeRecord>& records = movie->shapes.at(1)->records;
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].fillStyle0, std::optional<std::uint32_t>(0));
  EXPECT_EQ(records[0].lineStyle, std::optional<std::uint32_t>(0));
  EXPECT_EQ(records[2].fillStyle0, std::optional<std::uint32_t>(2));
  EXPECT_EQ(records[2].fillStyle1, std::optional<std::uint32_t>(0));
  EXPECT_EQ(records[2].lineStyle, std::optional<std::uint32_t>(0));
}

TEST(ShapeRecords, ReservedCapAndJoinValuesReadAsRound) {
  ByteWriter w;
  w.U16(1).Append(Rect(0, 10, 0, 10)).Append(Rect(0, 10, 0, 10)).U8(0);
  w.U8(0).U8(1).U16(20);  // no fills, one line of 20 twips
  w.U8(0xF0).U8(0x03);    // start cap 3, join 3, end cap 3, no fill
  w.U8(1).U8(2).U8(3).U8(4);
  w.U8(0x01).U8(0x00);    // no fill bits, one line bit; the end record
  auto movie = ParseTags({{kDefineShape4Tag, w.Take()}});
  ASSERT_TRUE(movie);
  ASSERT_EQ(movie->shapes.count(1), 1u);
  const LineStyle& line = movie->shapes.at(1)->styles.lines.at(0);
  EXPECT_EQ(line.startCap, CapStyle::Round);
  EXPECT_EQ(line.endCap, CapStyle::Round);
  EXPECT_EQ(line.join, JoinStyle::Round);
  EXPECT_EQ(line.color, Color(1, 2, 3, 4));
}

TEST(ShapeRecords, MalformedDefinitionsAreLeftOutAndTheMovieReadsOn) {
  const Bytes good = DefineShapeTag(ShapesOfEveryKind()[0]);
  ShapeDefinition unknownFill = Shape(3, {{Solid(Color(1, 1, 1))}, {}}, {MoveAndSelect(0, 0, 1, 0)});
  Bytes unknownFillBytes = DefineShapeTag(unknownFill);
  const std::size_t fillTypeAt = 2 + Rect(-20, 2000, -40, 1000).size() + 1;
  ASSERT_EQ(unknownFillBytes[fillTypeAt], 0x00);
  unknownFillBytes[fillTypeAt] = 0x11;
  // A first-form shape whose style change says "new styles".
  BitWriter newStyles;
  newStyles.UBits(0, 4);
  newStyles.UBits(0, 4);
  newStyles.UBits(0, 1);
  newStyles.UBits(0x10, 5);
  newStyles.Flush();
  Bytes firstFormNewStyles;
  ByteWriter head;
  head.U16(1).Append(Rect(0, 1, 0, 1)).U8(0).U8(0).Append(newStyles.Data()).U8(0).U8(0).U8(0);
  firstFormNewStyles = head.Take();
  // A morph shape whose end-edge offset points back into its styles, and one
  // pointing past its end.
  Bytes morphBack = DefineMorphShapeTag(Morph(1));
  Bytes morphPast = morphBack;
  const std::size_t offsetAt = 2 + Rect(0, 1000, 0, 1000).size() + Rect(-500, 500, 200, 2000).size();
  morphBack[offsetAt] = 1;
  morphBack[offsetAt + 1] = morphBack[offsetAt + 2] = morphBack[offsetAt + 3] = 0;
  morphPast[offsetAt + 2] = 0x10;
  struct Case {
    const char* what;
    std::uint16_t code;
    Bytes body;
  } cases[] = {
      {"records cut short", kDefineShapeTag, Bytes(good.begin(), good.end() - 3)},
      {"style arrays cut short", kDefineShapeTag, Bytes(good.begin(), good.begin() + 9)},
      {"unknown fill type", kDefineShape3Tag, unknownFillBytes},
      {"new styles in the first form", kDefineShapeTag, firstFormNewStyles},
      {"morph end edges inside the styles", kDefineMorphShapeTag, morphBack},
      {"morph end edges past the tag", kDefineMorphShapeTag, morphPast},
      {"id only", kDefineShape4Tag, Bytes{1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto movie = ParseTags({{c.code, c.body}, {kDefineShapeTag, DefineShape(2, 10, 10)}});
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->outcome, ParseOutcome::Complete);
    EXPECT_EQ(movie->shapes.count(1) + movie->morphShapes.count(1), 0u);
    EXPECT_EQ(movie->malformedShapes, std::vector<std::uint16_t>{1});
    EXPECT_EQ(movie->shapes.count(2), 1u);  // the next definition is read
    EXPECT_EQ(movie->root.Frame(0).displayList.size(), 1u);
  }
}

TEST(ShapeRecords, BytesAfterTheEndRecordAreNotedAndTheShapeKept) {
  Bytes body = DefineShape(1, 10, 10);
  body.push_back(0xAB);
  auto movie = ParseTags({{kDefineShapeTag, body}});
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->shapes.count(1), 1u);
  EXPECT_EQ(movie->shapesWithTrailingBytes, std::vector<std::uint16_t>{1});
  EXPECT_TRUE(movie->malformedShapes.empty());
}

TEST(ShapeRecords, ShapeBudgetEndsTheMovieAndEachIdNamesOneDefinition) {
  ShapeDefinition many = Shape(1, {{Solid(Color(0, 0, 0))}, {}}, {MoveAndSelect(0, 0, 1, 0)});
  for (int i = 0; i < 40; ++i) many.records.push_back(LineBy(i % 2 ? 10 : -10, 5));
  many.id = 3;
  ParseLimits limits;
  limits.maxShapeElements = 30;  // the small shape fits, the one of 42 elements does not
  auto movie = ParseTags({{kDefineShapeTag, DefineShape(2, 10, 10)},
                          {kDefineShapeTag, DefineShapeTag(many)},
                          {kDefineShapeTag, DefineShape(4, 10, 10)}},
                         limits);
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->outcome, ParseOutcome::Truncated);
  EXPECT_EQ(movie->shapes.count(2), 1u);
  EXPECT_EQ(movie->shapes.count(3), 0u);
  EXPECT_EQ(movie->shapes.count(4), 0u);  // after the limit nothing is read
  EXPECT_TRUE(movie->root.Frame(0).displayList.empty());

  // The first definition of an id wins, whatever its kind.
  SpriteBuilder sprite;
  sprite.ShowFrame();
  auto clash = ParseTags({{kDefineMorphShapeTag, DefineMorphShapeTag(Morph(1))},
                          {kDefineShapeTag, DefineShape(1, 10, 10)},
                          {kDefineSpriteTag, sprite.Build(1)}});
  ASSERT_TRUE(clash);
  EXPECT_EQ(clash->morphShapes.count(1), 1u);
  EXPECT_EQ(clash->shapes.count(1), 0u);
  EXPECT_EQ(clash->sprites.count(1), 0u);
}

}  // namespace
}  // namespace Halvane::Movie
