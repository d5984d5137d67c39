// What the control draws into a DIB section through OleDraw: only what the
// movie covers, clipped to the bitmap and the draw rectangle, the stage
// shown whole, at the quality the Quality property or a script asks for;
// the display list with its sprites, colour transforms, masks, morph ratios
// and blend modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "movie/render/LayerBlend.h"
#include "movie/actions/ActionCodes.h"
#include "tests/movie_control/ControlTestSupport.h"
#include "tools/ActionWriter.h"
#include "tools/ShapeWriter.h"

namespace Halvane::Movie {
namespace {

using namespace Halvane::Tools;
using namespace Halvane::Movie::Testing;

constexpr Movie::Rgba Red{255, 0, 0, 255};
constexpr Movie::Rgba Green{0, 255, 0, 255};
constexpr Movie::Rgba Blue{0, 0, 255, 255};

// A rectangle in stage pixels (twips when twips is set), one solid fill.
ShapeDefinition Rect(std::uint16_t id, int x0, int y0, int x1, int y1, Movie::Rgba color, bool twips = false) {
  const int k = twips ? 1 : 20;
  ShapeDefinition s;
  s.id = id;
  s.version = 3;
  s.bounds = TwipsRect{x0 * k, x1 * k, y0 * k, y1 * k};
  s.edgeBounds = s.bounds;
  FillStyle fill;
  fill.color = color;
  s.styles.fills.push_back(fill);
  ShapeRecord start = MoveTo(x0 * k, y0 * k);
  start.fillStyle1 = 1;
  s.records = {start, LineBy((x1 - x0) * k, 0), LineBy(0, (y1 - y0) * k), LineBy((x0 - x1) * k, 0),
               LineBy(0, (y0 - y1) * k)};
  return s;
}

// A movie of one frame: the definitions, then the placements in order.
class MovieBuilder {
 public:
  MovieBuilder(int width, int height) { b_.SetFrameSize(width * 20, height * 20); }
  MovieBuilder& Shape(const ShapeDefinition& s) {
    b_.AddTag(DefineShapeCode(s.version), DefineShapeTag(s));
    return *this;
  }
  MovieBuilder& Morph(const MorphShapeDefinition& m) {
    b_.AddTag(DefineMorphShapeCode(m.version), DefineMorphShapeTag(m));
    return *this;
  }
  MovieBuilder& Sprite(std::uint16_t id, const SpriteBuilder& sprite) {
    b_.AddTag(kDefineSpriteTag, sprite.Build(id));
    return *this;
  }
  MovieBuilder& Place(const PlaceSpec& p) {
    b_.AddTag(p.blendMode ? kPlaceObject3Tag : kPlaceObject2Tag, p.blendMode ? PlaceObject3(p) : PlaceObject2(p));
    return *this;
  }
  MovieBuilder& Place(std::uint16_t depth, std::uint16_t id) { return Place(PlaceCharacter(depth, id)); }
  MovieBuilder& ShowFrame() {
    b_.ShowFrame();
    return *this;
  }
  MovieBuilder& Actions(const Bytes& code) {
    b_.AddTag(kDoActionTag, DoAction(code));
    return *this;
  }
  Bytes Build() {
    b_.ShowFrame().End();
    return b_.Build();
  }

 private:
  SwfBuilder b_;
};

PlayerProperties LowQuality() {
  PlayerProperties p;
  p.quality = 0;
  return p;
}

PlaceSpec Masking(std::uint16_t depth, std::uint16_t id, std::uint16_t clipDepth) {
  PlaceSpec p = PlaceCharacter(depth, id);
  p.clipDepth = clipDepth;
  return p;
}

struct Rgb {
  int red, green, blue;
  bool operator==(const Rgb& o) const { return red == o.red && green == o.green && blue == o.blue; }
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}
Rgb At(const DibTarget& dib, int x, int y) {
  const std::uint8_t* p = dib.Pixel(x, y);
  return Rgb{p[2], p[1], p[0]};
}

// Draws file's first frame into dib over box (the whole bitmap when empty).
void DrawMovie(const Bytes& file, DibTarget& dib, int quality = 0, RECT box = RECT{0, 0, 0, 0}) {
  PlayerProperties properties;
  properties.quality = quality;
  Ref<IShockwaveFlash> control = LoadControl(file, properties);
  ASSERT_TRUE(control.Get());
  if (box.right == 0 && box.bottom == 0) box = RECT{0, 0, dib.Width(), dib.Height()};
  ASSERT_EQ(dib.Draw(control.Get(), box), S_OK);
}

// The pixels whose colour bytes differ from before; *otherBytes tells
// whether any other byte (fourth bytes, row padding) changed.
std::vector<std::pair<int, int>> ChangedPixels(const DibTarget& dib, const Bytes& before, bool* otherBytes) {
  std::vector<std::pair<int, int>> changed;
  const Bytes after = dib.Memory();
  std::vector<bool> colourByte(after.size(), false);
  for (int y = 0; y < dib.Height(); ++y) {
    for (int x = 0; x < dib.Width(); ++x) {
      const std::size_t offset = dib.Offset(x, y);
      bool differs = false;
      for (std::size_t k = 0; k < 3; ++k) {
        colourByte[offset + k] = true;
        differs = differs || after[offset + k] != before[offset + k];
      }
      if (differs) changed.emplace_back(x, y);
    }
  }
  *otherBytes = false;
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (!colourByte[i] && after[i] != before[i]) *otherBytes = true;
  }
  return changed;
}

// Bottom-up DIB sections, as the player hands them. (Top-down ones are not
// told apart on Windows: GetObject reports their height positive.)
TEST(ControlDraw, OnlyThePixelsTheMovieCoversChangeInBothDepths) {
  const Bytes movie = MovieBuilder(40, 30).Shape(Rect(1, 10, 5, 20, 15, Red)).Place(1, 1).Build();
  for (const int bits : {24, 32}) {
    SCOPED_TRACE(bits);
    DibTarget dib(41, 30, bits);  // 24-bit rows padded
    ASSERT_TRUE(dib.Valid());
    const Bytes before = dib.Memory();
    DrawMovie(movie, dib, 1, RECT{0, 0, 40, 30});
    bool otherBytes = false;
    const auto changed = ChangedPixels(dib, before, &otherBytes);
    EXPECT_FALSE(otherBytes);  // neither the fourth byte nor the row padding
    EXPECT_EQ(changed.size(), 10u * 10u);
    for (const auto& [x, y] : changed) {
      EXPECT_TRUE(x >= 10 && x < 20 && y >= 5 && y < 15) << x << "," << y;
      EXPECT_EQ(At(dib, x, y), (Rgb{255, 0, 0}));
    }
  }
}

TEST(ControlDraw, AlphaFillsBlendOverWhatTheBitmapHolds) {
  const Bytes movie = MovieBuilder(8, 8).Shape(Rect(1, 0, 0, 8, 8, Movie::Rgba{255, 100, 0, 128})).Place(1, 1).Build();
  for (const int quality : {0, 1}) {
    DibTarget dib(8, 8);
    dib.Fill(10, 20, 200);
    DrawMovie(movie, dib, quality);
    // c * 128 / 255 + below * 127 / 255, truncated.
    EXPECT_EQ(At(dib, 3, 3), (Rgb{(255 * 128 + 10 * 127) / 255, (100 * 128 + 20 * 127) / 255, (200 * 127) / 255}));
  }
}

TEST(ControlDraw, DrawRectanglesAcrossEveryEdgeOfTheBitmapAreClipped) {
  // A square stage wholly covered: each draw covers exactly its rectangle.
  const Bytes movie = MovieBuilder(20, 20).Shape(Rect(1, 0, 0, 20, 20, Red)).Place(1, 1).Build();
  const RECT boxes[] = {{-10, -10, 10, 10}, {20, -5, 40, 15}, {5, 25, 25, 45},     {-5, 5, 15, 25},
                        {-90, 3, 10, 103},  {25, 25, 55, 55}, {-100, -100, 130, 130}, {40, 40, 60, 60}};
  for (const RECT& box : boxes) {
    SCOPED_TRACE(testing::Message() << box.left << "," << box.top << "," << box.right << "," << box.bottom);
    for (const int quality : {0, 1}) {
      DibTarget dib(30, 30);
      const Bytes before = dib.Memory();
      DrawMovie(movie, dib, quality, box);
      bool otherBytes = false;
      const auto changed = ChangedPixels(dib, before, &otherBytes);
      EXPECT_FALSE(otherBytes);
      const int width = std::max(0, static_cast<int>(std::min<LONG>(box.right, 30) - std::max<LONG>(box.left, 0)));
      const int height = std::max(0, static_cast<int>(std::min<LONG>(box.bottom, 30) - std::max<LONG>(box.top, 0)));
      EXPECT_EQ(changed.size(), static_cast<std::size_t>(width * height));
      for (const auto& [x, y] : changed) EXPECT_EQ(At(dib, x, y), (Rgb{255, 0, 0}));
    }
  }
}

TEST(ControlDraw, TheWholeStageIsScaledUniformlyIntoTheRectangleAndCentred) {
  // A 40 x 20 stage: red all over, a blue square in its top left corner and
  // a green one past its right edge.
  const Bytes movie = MovieBuilder(40, 20)
                          .Shape(Rect(1, 0, 0, 40, 20, Red))
                          .Shape(Rect(2, 0, 0, 10, 10, Blue))
                          .Shape(Rect(3, 40, 0, 60, 20, Green))
                          .Place(1, 1)
                          .Place(2, 2)
                          .Place(3, 3)
                          .Build();
  DibTarget dib(100, 100);
  dib.Fill(1, 2, 3);
  DrawMovie(movie, dib, 0, RECT{10, 0, 90, 100});  // 80 x 100: scale 2, stage at y 30 .. 70
  EXPECT_EQ(At(dib, 50, 29), (Rgb{1, 2, 3}));
  EXPECT_EQ(At(dib, 50, 30), (Rgb{255, 0, 0}));
  EXPECT_EQ(At(dib, 89, 69), (Rgb{255, 0, 0}));
  EXPECT_EQ(At(dib, 50, 70), (Rgb{1, 2, 3}));
  EXPECT_EQ(At(dib, 10, 30), (Rgb{0, 0, 255}));
  EXPECT_EQ(At(dib, 29, 49), (Rgb{0, 0, 255}));
  EXPECT_EQ(At(dib, 30, 49), (Rgb{255, 0, 0}));
  EXPECT_EQ(At(dib, 9, 50), (Rgb{1, 2, 3}));    // left of the rectangle
  EXPECT_EQ(At(dib, 90, 50), (Rgb{1, 2, 3}));   // the green square lies past it
}

TEST(ControlDraw, QualityPropertyChoosesOneSampleOrSixteen) {
  // An edge a quarter pixel into column 10 (5 twips).
  const Bytes movie = MovieBuilder(20, 4).Shape(Rect(1, 205, 0, 400, 80, Blue, true)).Place(1, 1).Build();
  struct Row {
    int quality;
    int blueAtEdge;  // column 10 over a white bitmap
  } rows[] = {
      {0, 255},                   // low: the pixel centre is inside
      {2, 255},                   // auto-low starts low
      {1, (255 * 12 + 255 * 4) / 16},  // high: 12 of 16 samples
      {3, (255 * 12 + 255 * 4) / 16},  // auto-high starts high
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.quality);
    DibTarget dib(20, 4);
    dib.Fill(255, 255, 255);
    DrawMovie(movie, dib, row.quality);
    const int redAtEdge = row.quality == 0 || row.quality == 2 ? 0 : 255 * 4 / 16;
    EXPECT_EQ(At(dib, 10, 1), (Rgb{redAtEdge, redAtEdge, row.blueAtEdge}));
    EXPECT_EQ(At(dib, 11, 1), (Rgb{0, 0, 255}));
    EXPECT_EQ(At(dib, 9, 1), (Rgb{255, 255, 255}));
  }
}

TEST(ControlDraw, ScriptsSetTheQualityUntilThePropertyIsSetAgain) {
  // An edge 0.35 pixel into column 10: the centre (low) is inside, one of
  // the 2 x 2 grid's columns (medium), three of the 4 x 4 grid's (high).
  namespace Op = ActionCode;
  ActionWriter first, toggle;
  first.PushString("was").PushString("_quality").Op(Op::GetVariable).Op(Op::SetVariable);
  first.PushString("_quality").PushString("medium").Op(Op::SetVariable);
  toggle.Op(Op::ToggleQuality);
  const Bytes movie = MovieBuilder(20, 4)
                          .Shape(Rect(1, 207, 0, 400, 80, Blue, true))
                          .Place(1, 1)
                          .Actions(first.Build())
                          .ShowFrame()
                          .Actions(toggle.Build())
                          .ShowFrame()
                          .Actions(toggle.Build())
                          .Build();
  Ref<IShockwaveFlash> control = LoadControl(movie, LowQuality());
  ASSERT_TRUE(control.Get());
  const auto edge = [&] {
    DibTarget dib(20, 4);
    dib.Fill(255, 255, 255);
    EXPECT_EQ(dib.Draw(control.Get(), RECT{0, 0, 20, 4}), S_OK);
    return At(dib, 10, 1).red;
  };
  const auto variable = [&](const std::u16string& name) {
    BSTR n = Bstr(name), value = nullptr;
    EXPECT_EQ(control->GetVariable(n, &value), S_OK);
    SysFreeString(n);
    return FromBstr(value);
  };
  EXPECT_EQ(variable(u"was"), u"LOW");  // what the property set
  EXPECT_EQ(edge(), 255 * 8 / 16);  // medium, as the script set
  control->GotoFrame(1);
  EXPECT_EQ(edge(), 0);  // toggled to low
  control->GotoFrame(2);
  EXPECT_EQ(edge(), 255 * 4 / 16);  // and back to high
  EXPECT_EQ(variable(u"_quality"), u"HIGH");
  // The property takes over again, and still answers what it was set to.
  int quality = -1;
  EXPECT_EQ(control->put_Quality(2), S_OK);
  EXPECT_EQ(control->get_Quality(&quality), S_OK);
  EXPECT_EQ(quality, 2);
  EXPECT_EQ(edge(), 0);
  EXPECT_EQ(variable(u"_quality"), u"LOW");
}

TEST(ControlDraw, ColourTransformsComposeThroughNestedSprites) {
  Movie::ColorTransform inner;  // (200, 50, 10) -> (200, 100, 110)
  inner.mult[1] = 512;
  inner.add[2] = 100;
  Movie::ColorTransform outer;  // -> (100, 120, 110)
  outer.mult[0] = 128;
  outer.add[1] = 20;
  SpriteBuilder innerSprite;
  innerSprite.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(1, 1))).ShowFrame();
  PlaceSpec innerPlace = PlaceCharacter(1, 2);
  innerPlace.colorTransform = inner;
  SpriteBuilder outerSprite;
  outerSprite.AddTag(kPlaceObject2Tag, PlaceObject2(innerPlace)).ShowFrame();
  PlaceSpec outerPlace = PlaceCharacter(1, 3);
  outerPlace.colorTransform = outer;
  PlaceSpec plain = PlaceCharacter(2, 1);
  plain.matrix = Movie::Matrix{};
  plain.matrix->translateX = 10 * 20;
  const Bytes movie = MovieBuilder(20, 10)
                          .Shape(Rect(1, 0, 0, 10, 10, Movie::Rgba{200, 50, 10, 255}))
                          .Sprite(2, innerSprite)
                          .Sprite(3, outerSprite)
                          .Place(outerPlace)
                          .Place(plain)
                          .Build();
  DibTarget dib(20, 10);
  DrawMovie(movie, dib);
  EXPECT_EQ(At(dib, 5, 5), (Rgb{100, 120, 110}));
  EXPECT_EQ(At(dib, 15, 5), (Rgb{200, 50, 10}));  // the same shape without them
}

TEST(ControlDraw, ClipDepthMasksClipTheirRangeAndNest) {
  // Masks: the left half up to depth 10, inside it the top half up to depth
  // 5. Red at depth 3 shows in the top left quarter only, green at depth 6
  // (a band across the middle) in the left half, blue at depth 11 (the
  // bottom rows) everywhere.
  const Bytes movie = MovieBuilder(40, 40)
                          .Shape(Rect(1, 0, 0, 20, 40, Movie::Rgba{9, 9, 9, 255}))
                          .Shape(Rect(2, 0, 0, 40, 20, Movie::Rgba{9, 9, 9, 255}))
                          .Shape(Rect(3, 0, 0, 40, 40, Red))
                          .Shape(Rect(4, 0, 20, 40, 30, Green))
                          .Shape(Rect(5, 0, 30, 40, 40, Blue))
                          .Place(Masking(1, 1, 10))
                          .Place(Masking(2, 2, 5))
                          .Place(3, 3)
                          .Place(6, 4)
                          .Place(11, 5)
                          .Build();
  DibTarget dib(40, 40);
  dib.Fill(255, 255, 255);
  DrawMovie(movie, dib);
  EXPECT_EQ(At(dib, 5, 5), (Rgb{255, 0, 0}));
  EXPECT_EQ(At(dib, 19, 19), (Rgb{255, 0, 0}));
  EXPECT_EQ(At(dib, 25, 5), (Rgb{255, 255, 255}));
  EXPECT_EQ(At(dib, 5, 25), (Rgb{0, 255, 0}));
  EXPECT_EQ(At(dib, 25, 25), (Rgb{255, 255, 255}));
  EXPECT_EQ(At(dib, 5, 35), (Rgb{0, 0, 255}));
  EXPECT_EQ(At(dib, 35, 35), (Rgb{0, 0, 255}));
}

TEST(ControlDraw, AMaskInsideASpriteEndsWithTheSpritesList) {
  // The sprite masks its own red square to its left half with a clip depth
  // far past its list; the blue square placed after the sprite is whole.
  SpriteBuilder sprite;
  sprite.AddTag(kPlaceObject2Tag, PlaceObject2(Masking(1, 1, 1000)))
      .AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(2, 2)))
      .ShowFrame();
  const Bytes movie = MovieBuilder(20, 20)
                          .Shape(Rect(1, 0, 0, 10, 20, Movie::Rgba{9, 9, 9, 255}))
                          .Shape(Rect(2, 0, 0, 20, 10, Red))
                          .Shape(Rect(3, 0, 10, 20, 20, Blue))
                          .Sprite(4, sprite)
                          .Place(1, 4)
                          .Place(2, 3)
                          .Build();
  DibTarget dib(20, 20);
  dib.Fill(255, 255, 255);
  DrawMovie(movie, dib);
  EXPECT_EQ(At(dib, 5, 5), (Rgb{255, 0, 0}));
  EXPECT_EQ(At(dib, 15, 5), (Rgb{255, 255, 255}));
  EXPECT_EQ(At(dib, 15, 15), (Rgb{0, 0, 255}));
}

MorphShapeDefinition MorphRect(std::uint16_t id) {
  // From a red 10 x 10 square at the origin to a blue 20 x 20 one at (20, 20).
  MorphShapeDefinition m;
  m.id = id;
  m.version = 1;
  MorphFillStyle fill;
  fill.start.color = Red;
  fill.end.color = Blue;
  m.fills.push_back(fill);
  ShapeRecord start = MoveTo(0, 0);
  start.fillStyle1 = 1;
  m.startRecords = {start, LineBy(200, 0), LineBy(0, 200), LineBy(-200, 0), LineBy(0, -200)};
  m.endRecords = {MoveTo(400, 400), LineBy(400, 0), LineBy(0, 400), LineBy(-400, 0), LineBy(0, -400)};
  m.startBounds = TwipsRect{0, 200, 0, 200};
  m.endBounds = TwipsRect{400, 800, 400, 800};
  return m;
}

TEST(ControlDraw, MorphShapesDrawAtTheRatioTheyArePlacedWith) {
  struct Row {
    std::uint16_t ratio;
    int first, last;  // covered pixels on the diagonal
    Rgb color;
  } rows[] = {
      {0, 0, 9, Rgb{255, 0, 0}},
      {65535, 20, 39, Rgb{0, 0, 255}},
      {32768, 10, 24, Rgb{127, 0, 128}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.ratio);
    PlaceSpec p = PlaceCharacter(1, 1);
    p.ratio = row.ratio;
    const Bytes movie = MovieBuilder(40, 40).Morph(MorphRect(1)).Place(p).Build();
    DibTarget dib(40, 40);
    dib.Fill(255, 255, 255);
    DrawMovie(movie, dib);
    for (int i = 0; i < 40; ++i) {
      const bool inside = i >= row.first && i <= row.last;
      EXPECT_EQ(At(dib, i, i), inside ? row.color : (Rgb{255, 255, 255})) << i;
    }
  }
}

TEST(ControlDraw, AMorphRedrawsWhenItsRatioChanges) {
  PlaceSpec first = PlaceCharacter(1, 1);
  first.ratio = 0;
  PlaceSpec second;
  second.depth = 1;
  second.move = true;
  second.ratio = 65535;
  const Bytes movie = MovieBuilder(40, 40).Morph(MorphRect(1)).Place(first).ShowFrame().Place(second).Build();
  Ref<IShockwaveFlash> control = LoadControl(movie, LowQuality());
  ASSERT_TRUE(control.Get());
  for (const long frame : {0L, 1L, 0L}) {
    control->GotoFrame(frame);
    DibTarget dib(40, 40);
    dib.Fill(255, 255, 255);
    ASSERT_EQ(dib.Draw(control.Get(), RECT{0, 0, 40, 40}), S_OK);
    EXPECT_EQ(At(dib, 5, 5), frame == 0 ? (Rgb{255, 0, 0}) : (Rgb{255, 255, 255}));
    EXPECT_EQ(At(dib, 30, 30), frame == 0 ? (Rgb{255, 255, 255}) : (Rgb{0, 0, 255}));
  }
}

TEST(ControlDraw, BlendModesCombineTheObjectWithWhatLiesBelow) {
  const Movie::Rgba below{100, 150, 200, 255};
  const Movie::Rgba above{255, 128, 30, 255};
  const std::uint8_t modes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13, 14};
  for (const std::uint8_t mode : modes) {
    SCOPED_TRACE(static_cast<int>(mode));
    PlaceSpec p = PlaceCharacter(2, 2);
    p.blendMode = mode;
    const Bytes movie = MovieBuilder(10, 10)
                            .Shape(Rect(1, 0, 0, 10, 10, below))
                            .Shape(Rect(2, 0, 0, 5, 10, above))
                            .Place(1, 1)
                            .Place(p)
                            .Build();
    DibTarget dib(10, 10);
    DrawMovie(movie, dib, 1);
    const Render::BlendMode m = Render::BlendModeFromByte(mode);
    EXPECT_EQ(At(dib, 2, 5), (Rgb{Render::BlendChannel(m, below.red, above.red),
                                  Render::BlendChannel(m, below.green, above.green),
                                  Render::BlendChannel(m, below.blue, above.blue)}));
    EXPECT_EQ(At(dib, 7, 5), (Rgb{100, 150, 200}));
  }
}

TEST(ControlDraw, EraseInsideALayerCutsThroughTheLayerOnly) {
  // A sprite drawn as a layer: red all over, then a square that erases the
  // layer's left half. The bitmap shows through there; alpha and erase
  // straight onto the bitmap change nothing.
  PlaceSpec erase = PlaceCharacter(2, 2);
  erase.blendMode = 12;
  SpriteBuilder sprite;
  sprite.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(1, 1)))
      .AddTag(kPlaceObject3Tag, PlaceObject3(erase))
      .ShowFrame();
  PlaceSpec layer = PlaceCharacter(1, 3);
  layer.blendMode = 2;
  PlaceSpec straight = PlaceCharacter(2, 2);
  straight.blendMode = 12;
  straight.matrix = Movie::Matrix{};
  straight.matrix->translateY = 10 * 20;
  const Bytes movie = MovieBuilder(10, 20)
                          .Shape(Rect(1, 0, 0, 10, 10, Red))
                          .Shape(Rect(2, 0, 0, 5, 10, Blue))
                          .Sprite(3, sprite)
                          .Place(layer)
                          .Place(straight)
                          .Build();
  DibTarget dib(10, 20);
  dib.Fill(1, 2, 3);
  DrawMovie(movie, dib, 1);
  EXPECT_EQ(At(dib, 2, 5), (Rgb{1, 2, 3}));
  EXPECT_EQ(At(dib, 7, 5), (Rgb{255, 0, 0}));
  EXPECT_EQ(At(dib, 2, 15), (Rgb{1, 2, 3}));
}

TEST(ControlDraw, AControlLoadedWithAnotherMovieDrawsThatMoviesShapes) {
  // Both movies define character 1; the second is blue.
  Ref<IShockwaveFlash> control = LoadControl(MovieBuilder(10, 10).Shape(Rect(1, 0, 0, 10, 10, Red)).Place(1, 1).Build(),
                                             LowQuality());
  ASSERT_TRUE(control.Get());
  DibTarget dib(10, 10);
  ASSERT_EQ(dib.Draw(control.Get(), RECT{0, 0, 10, 10}), S_OK);
  EXPECT_EQ(At(dib, 5, 5), (Rgb{255, 0, 0}));
  const Bytes blue = MovieBuilder(10, 10).Shape(Rect(1, 0, 0, 10, 10, Blue)).Place(1, 1).Build();
  ASSERT_EQ(LoadBytes(control.Get(), SplicedStream(SavedProperties(LowQuality()), blue)), S_OK);
  ASSERT_EQ(dib.Draw(control.Get(), RECT{0, 0, 10, 10}), S_OK);
  EXPECT_EQ(At(dib, 5, 5), (Rgb{0, 0, 255}));
}

}  // namespace
}  // namespace Halvane::Movie
