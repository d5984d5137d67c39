// The filter lists of the third placement form: every kind read into its
// record, and lists the reader refuses.
#include <gtest/gtest.h>

#include <iterator>
#include <variant>

#include "movie/swf/SwfParser.h"
#include "tools/FilterWriter.h"
#include "tools/SwfTags.h"
#include "tools/SwfWriter.h"

namespace Halvane::Movie {
namespace {

using namespace Halvane::Tools;

// The place record of a movie whose one tag is PlaceObject3 with body.
PlaceObjectRecord ParsePlace(const Bytes& body) {
  SwfBuilder b;
  b.SetVersion(8);
  b.AddTag(kPlaceObject3Tag, body);
  b.ShowFrame().End();
  const Bytes file = b.Build();
  auto movie = ParseMovie(file.data(), file.size());
  if (!movie || movie->root.Frame(0).displayList.empty()) return PlaceObjectRecord();
  return movie->root.Frame(0).displayList[0].place;
}

// Character 9 at depth 1 with a filter list and blend mode 3 after it.
Bytes PlaceWithList(const Bytes& list) {
  ByteWriter w;
  w.U8(0x02).U8(0x03).U16(1).U16(9).Append(list).U8(3);
  return w.Take();
}

TEST(FilterList, EveryKindReadsBackInTheUnitsScriptsUse) {
  DropShadowFilterRecord shadow;
  shadow.color = 0x102030;
  shadow.alpha = 0.6;
  shadow.angle = 50;
  shadow.strength = 1.09765625;
  shadow.inner = shadow.hideObject = true;
  BlurFilterRecord blur;
  blur.blurX = 9;
  blur.blurY = 2.5;
  blur.quality = 2;
  GlowFilterRecord glow;
  glow.knockout = true;
  glow.quality = 15;
  BevelFilterRecord bevel;
  bevel.highlightColor = 0x00FF00;
  bevel.shadowColor = 0x0000FF;
  bevel.placing = FilterPlacing::Full;
  GradientGlowFilterRecord gradientGlow;
  gradientGlow.colors = {0xFF00FF, 0x00FF00};
  gradientGlow.alphas = {0, 1};
  gradientGlow.ratios = {0, 255};
  gradientGlow.placing = FilterPlacing::Outer;
  ConvolutionFilterRecord convolution;
  convolution.columns = 2;
  convolution.rows = 1;
  convolution.values = {0.5, -2};
  convolution.preserveAlpha = false;
  ColorMatrixFilterRecord matrix;
  matrix.values[4] = 28.25;
  GradientBevelFilterRecord gradientBevel;
  gradientBevel.colors = {0xFFFFFF};
  gradientBevel.alphas = {1};
  gradientBevel.ratios = {128};
  const std::vector<FilterRecord> written = {shadow,     blur,        glow,   bevel,
                                             gradientGlow, convolution, matrix, gradientBevel};
  const Bytes list = FilterListRecord(written);

  const PlaceObjectRecord place = ParsePlace(PlaceWithList(list));
  ASSERT_NE(place.filters, nullptr);
  ASSERT_EQ(place.filters->size(), written.size());
  for (std::size_t i = 0; i < written.size(); ++i) EXPECT_EQ((*place.filters)[i].index(), i);
  // Written again, the records give the same bytes: nothing was lost.
  EXPECT_EQ(FilterListRecord(*place.filters), list);
  EXPECT_EQ(place.blendMode, std::optional<std::uint8_t>(3));

  const auto& readShadow = std::get<DropShadowFilterRecord>((*place.filters)[0]);
  EXPECT_NEAR(readShadow.angle, 50, 1e-3);
  EXPECT_NEAR(readShadow.alpha, 0.6, 1.0 / 255);
  EXPECT_EQ(readShadow.strength, 1.09765625);
  EXPECT_TRUE(readShadow.hideObject);
  const auto& readBlur = std::get<BlurFilterRecord>((*place.filters)[1]);
  EXPECT_EQ(readBlur.blurX, 9);
  EXPECT_EQ(readBlur.blurY, 2.5);
  EXPECT_EQ(readBlur.quality, 2);
  const auto& readBevel = std::get<BevelFilterRecord>((*place.filters)[3]);
  EXPECT_EQ(readBevel.highlightColor, 0x00FF00u);
  EXPECT_EQ(readBevel.shadowColor, 0x0000FFu);
  EXPECT_EQ(readBevel.placing, FilterPlacing::Full);
  const auto& readGradient = std::get<GradientGlowFilterRecord>((*place.filters)[4]);
  EXPECT_EQ(readGradient.colors, (std::vector<std::uint32_t>{0xFF00FF, 0x00FF00}));
  EXPECT_EQ(readGradient.alphas, (std::vector<double>{0, 1}));
  EXPECT_EQ(readGradient.ratios, (std::vector<double>{0, 255}));
  EXPECT_EQ(readGradient.placing, FilterPlacing::Outer);
  EXPECT_EQ(std::get<ConvolutionFilterRecord>((*place.filters)[5]).values, (std::vector<double>{0.5, -2}));
  EXPECT_EQ(std::get<ColorMatrixFilterRecord>((*place.filters)[6]).values[4], 28.25);
}

TEST(FilterList, ABadListLeavesThePlaceAsFarAsItWasRead) {
  Bytes unknownKind = {1, 8};
  Bytes cutShort = FilterListRecord({BlurFilterRecord()});
  cutShort[0] = 2;  // claims a second filter the tag does not hold
  ByteWriter manyStops;  // 255 stops claimed, two bytes given
  manyStops.U8(1).U8(4).U8(255).U8(0).U8(0);
  ByteWriter hugeMatrix;  // a 255 by 255 matrix claimed
  hugeMatrix.U8(1).U8(5).U8(255).U8(255).U32(0).U32(0);
  const Bytes lists[] = {unknownKind, cutShort, manyStops.Take(), hugeMatrix.Take()};
  for (std::size_t i = 0; i < std::size(lists); ++i) {
    SCOPED_TRACE(i);
    ByteWriter w;
    w.U8(0x02).U8(0x03).U16(1).U16(9).Append(lists[i]);
    const PlaceObjectRecord place = ParsePlace(w.Take());
    EXPECT_EQ(place.characterId, std::optional<std::uint16_t>(9));
    EXPECT_EQ(place.filters, nullptr);
    EXPECT_FALSE(place.blendMode);
  }
}

}  // namespace
}  // namespace Halvane::Movie
