// Bitmap, font and text tags: what the writer writes the reader reads back
// as the same records, and malformed tags are left out without ending the
// movie, with every count the file states paid for before it is kept.
#include <gtest/gtest.h>

#include "movie/swf/SwfParser.h"
#include "tools/MediaWriter.h"
#include "tools/ShapeWriter.h"
#include "tools/SwfTags.h"

namespace Halvane::Movie {
namespace {

using namespace Halvane::Tools;

std::unique_ptr<MovieDefinition> Parse(const Bytes& file, const ParseLimits& limits = ParseLimits()) {
  return ParseMovie(file.data(), file.size(), limits);
}

// A movie with the given tags and a shape after them, so that a test also
// sees the reader carry on past each tag.
Bytes MovieWith(const std::vector<std::pair<std::uint16_t, Bytes>>& tags, std::uint8_t version = 8) {
  SwfBuilder b;
  b.SetVersion(version);
  for (const auto& [code, payload] : tags) b.AddTag(code, payload);
  b.AddTag(kDefineShapeTag, DefineShape(99, 20, 20));
  return b.ShowFrame().End().Build();
}

FontDefinition TwoGlyphFont(int version) {
  FontDefinition font;
  font.id = 3;
  font.version = version;
  font.name = "Glyphs";
  font.bold = true;
  font.hasLayout = true;
  font.ascent = 800;
  font.descent = 200;
  font.leading = 40;
  GlyphDefinition square;
  ShapeRecord start = MoveTo(0, -500);
  start.fillStyle1 = 1;
  square.records = {start, LineBy(500, 0), LineBy(0, 500), LineBy(-500, 0), LineBy(0, -500)};
  square.code = 'A';
  square.advance = 600;
  GlyphDefinition blank;
  blank.code = 0x3042;  // hiragana a
  blank.advance = 1024;
  font.glyphs = {square, blank};
  return font;
}

TEST(MediaRecords, FontsTextsAndFieldsReadBackAsWritten) {
  for (const int version : {2, 3}) {
    SCOPED_TRACE(version);
    const FontDefinition font = TwoGlyphFont(version);
    StaticTextDefinition text;
    text.id = 4;
    text.version = 2;
    text.bounds = TwipsRect{0, 2000, -400, 100};
    text.matrix.translateX = 200;
    TextRecord first;
    first.fontId = 3;
    first.height = 480;
    first.color = Rgba{10, 20, 30, 128};
    first.xOffset = 40;
    first.yOffset = 400;
    first.glyphs = {{0, 300}, {1, -5}, {0, 300}};
    TextRecord second;
    second.xOffset = 0;
    second.glyphs = {{1, 1000}};
    text.records = {first, second};
    EditTextDefinition field;
    field.id = 5;
    field.bounds = TwipsRect{0, 4000, 0, 800};
    field.flags = 0x0020 | 0x0040 | 0x0100 | 0x0800;  // multiline, wrap, outlines, border
    field.fontId = 3;
    field.fontHeight = 360;
    field.color = Rgba{1, 2, 3, 255};
    field.align = 2;
    field.leftMargin = 40;
    field.leading = -20;
    field.variableName = "_root.caption";
    field.initialText = "A\xE3\x81\x82";

    const auto movie = Parse(MovieWith({{DefineFontCode(version), DefineFontTag(font)},
                                         {kDefineText2Tag, DefineTextTag(text)},
                                         {kDefineEditTextTag, DefineEditTextTag(field)}}));
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->outcome, ParseOutcome::Complete);
    ASSERT_EQ(movie->fonts.count(3), 1u);
    const FontDefinition& read = movie->fonts.at(3);
    EXPECT_EQ(read.name, "Glyphs");
    EXPECT_TRUE(read.bold);
    EXPECT_EQ(read.EmSquare(), version == 3 ? 20480 : 1024);
    ASSERT_EQ(read.glyphs.size(), 2u);
    EXPECT_EQ(read.glyphs[0].records, font.glyphs[0].records);
    EXPECT_TRUE(read.glyphs[1].records.empty());
    EXPECT_EQ(read.glyphs[1].advance, 1024);
    EXPECT_EQ(read.descent, 200);
    EXPECT_EQ(read.GlyphFor(0x3042), 1);
    EXPECT_EQ(read.GlyphFor('B'), -1);
    ASSERT_EQ(movie->texts.count(4), 1u);
    EXPECT_EQ(movie->texts.at(4)->records, text.records);
    EXPECT_EQ(movie->texts.at(4)->matrix, text.matrix);
    ASSERT_EQ(movie->editTexts.count(5), 1u);
    const EditTextDefinition& f = *movie->editTexts.at(5);
    EXPECT_EQ(f.variableName, "_root.caption");
    EXPECT_EQ(f.initialText, field.initialText);
    EXPECT_TRUE(f.Multiline() && f.WordWrap() && f.UseOutlines() && f.Border());
    EXPECT_EQ(f.leading, -20);
    EXPECT_EQ(movie->shapes.count(99), 1u);
  }
}

TEST(MediaRecords, BitmapsOfEveryTagReadBackWithTheirFraming) {
  BitmapDefinition jpeg2;
  jpeg2.id = 10;
  jpeg2.data = {0xFF, 0xD8, 1, 2, 3};
  BitmapDefinition jpeg3 = jpeg2;
  jpeg3.id = 11;
  jpeg3.hasAlpha = true;
  jpeg3.alpha = Compress(Bytes(4, 0x80));
  BitmapDefinition jpeg4 = jpeg3;
  jpeg4.id = 12;
  jpeg4.deblocking = 0x0100;
  BitmapDefinition shared = jpeg2;
  shared.id = 13;
  shared.encoding = BitmapEncoding::JpegWithTables;
  BitmapDefinition palette;
  palette.id = 14;
  palette.encoding = BitmapEncoding::Lossless2;
  palette.format = 3;
  palette.width = 3;
  palette.height = 2;
  palette.paletteSize = 256;
  palette.data = Compress(Bytes(1024 + 8, 1));
  const Bytes tables = {0xFF, 0xD8, 0xFF, 0xD9};
  const auto movie = Parse(MovieWith({{kJpegTablesTag, tables},
                                       {DefineBitsCode(jpeg2), DefineBitsTag(jpeg2)},
                                       {DefineBitsCode(jpeg3), DefineBitsTag(jpeg3)},
                                       {DefineBitsCode(jpeg4), DefineBitsTag(jpeg4)},
                                       {DefineBitsCode(shared), DefineBitsTag(shared)},
                                       {DefineBitsCode(palette), DefineBitsTag(palette)}}));
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->jpegTables, tables);
  ASSERT_EQ(movie->bitmaps.size(), 5u);
  EXPECT_EQ(movie->bitmaps.at(10)->data, jpeg2.data);
  EXPECT_FALSE(movie->bitmaps.at(10)->hasAlpha);
  EXPECT_EQ(movie->bitmaps.at(11)->alpha, jpeg3.alpha);
  EXPECT_EQ(movie->bitmaps.at(12)->deblocking, 0x0100);
  EXPECT_EQ(movie->bitmaps.at(12)->data, jpeg2.data);
  EXPECT_EQ(movie->bitmaps.at(13)->encoding, BitmapEncoding::JpegWithTables);
  const BitmapDefinition& p = *movie->bitmaps.at(14);
  EXPECT_EQ(p.format, 3);
  EXPECT_EQ(p.paletteSize, 256);
  EXPECT_EQ(p.width, 3);
  EXPECT_EQ(p.data, palette.data);
}

// CSMTextSettings reach the field defined before them; one cut short, or
// naming no field, changes nothing.
TEST(MediaRecords, TextSettingsApplyToTheFieldTheyName) {
  EditTextDefinition field;
  field.id = 5;
  field.bounds = TwipsRect{0, 400, 0, 400};
  const Bytes advancedSubpixel = {5, 0, 0x50, 0, 0, 0xC8, 0xC2, 0, 0, 0x20, 0x41, 0};  // -100, 10
  const Bytes cutShort = {5, 0, 0x50, 0, 0, 0xC8};
  const Bytes otherId = {6, 0, 0x50, 0, 0, 0xC8, 0xC2, 0, 0, 0x20, 0x41, 0};
  const auto settingsOf = [&](const Bytes& payload) {
    const auto movie = Parse(MovieWith({{kDefineEditTextTag, DefineEditTextTag(field)}, {74, payload}}));
    EXPECT_TRUE(movie && movie->editTexts.count(5) == 1 && movie->shapes.count(99) == 1);
    return movie ? movie->editTexts.at(5)->renderSettings : std::nullopt;
  };
  const auto applied = settingsOf(advancedSubpixel);
  ASSERT_TRUE(applied);
  EXPECT_EQ(applied->renderer, 1);
  EXPECT_EQ(applied->gridFit, 2);
  EXPECT_EQ(applied->thickness, -100.0f);
  EXPECT_EQ(applied->sharpness, 10.0f);
  EXPECT_FALSE(settingsOf(cutShort));
  EXPECT_FALSE(settingsOf(otherId));
}

// Each row: a tag whose framing is broken; the tag is left out and the
// shape after it is still read.
TEST(MediaRecords, MalformedTagsAreLeftOutAndTheMovieReadsOn) {
  const Bytes lossless15InSecondForm = {20, 0, 4, 1, 0, 1, 0, 0};
  const Bytes unknownLosslessFormat = {21, 0, 6, 1, 0, 1, 0, 0};
  const Bytes alphaPastTheBody = {22, 0, 0xFF, 0, 0, 0, 1, 2};
  const Bytes fontOffsetsBackwards = {23, 0, 0, 0, 0, 2, 0, 8, 0, 2, 0, 12, 0};
  const Bytes fontCodeTablePastTheEnd = {24, 0, 0, 0, 0, 1, 0, 4, 0, 0xFF, 0x7F};
  const Bytes textCutShort = {25, 0, 0, 0, 1, 1, 0x88, 3};
  const struct {
    const char* what;
    std::uint16_t code;
    Bytes payload;
  } rows[] = {
      {"15-bit colour in the second lossless form", kDefineBitsLossless2Tag, lossless15InSecondForm},
      {"unknown lossless format", kDefineBitsLosslessTag, unknownLosslessFormat},
      {"alpha offset past the body", kDefineBitsJpeg3Tag, alphaPastTheBody},
      {"glyph offsets going backwards", kDefineFont2Tag, fontOffsetsBackwards},
      {"code table past the end", kDefineFont2Tag, fontCodeTablePastTheEnd},
      {"text record cut short", kDefineTextTag, textCutShort},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const auto movie = Parse(MovieWith({{row.code, row.payload}}));
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->outcome, ParseOutcome::Complete);
    EXPECT_TRUE(movie->bitmaps.empty());
    EXPECT_TRUE(movie->texts.empty());
    EXPECT_TRUE(movie->fonts.empty() || movie->fonts.begin()->second.glyphs.empty());
    EXPECT_EQ(movie->shapes.count(99), 1u);
  }
}

TEST(MediaRecords, GlyphsAndBitmapBytesArePaidForFromTheMoviesBudgets) {
  FontDefinition font = TwoGlyphFont(2);
  font.glyphs.resize(200, font.glyphs[0]);
  for (std::size_t i = 0; i < font.glyphs.size(); ++i) font.glyphs[i].code = static_cast<std::uint16_t>(i);
  ParseLimits limits;
  limits.maxShapeElements = 500;  // fewer than 200 glyphs of 5 records
  auto movie = Parse(MovieWith({{kDefineFont2Tag, DefineFontTag(font)}}), limits);
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->outcome, ParseOutcome::Truncated);
  EXPECT_TRUE(movie->fonts.empty());

  BitmapDefinition big;
  big.id = 7;
  big.data.assign(5000, 0xAB);
  limits = ParseLimits();
  limits.maxBitmapBytes = 8000;
  movie = Parse(MovieWith({{kDefineBitsJpeg2Tag, DefineBitsTag(big)}, {kDefineBitsJpeg2Tag, [&] {
                             big.id = 8;
                             return DefineBitsTag(big);
                           }()}}),
                limits);
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->outcome, ParseOutcome::Truncated);
  EXPECT_EQ(movie->bitmaps.size(), 1u);
}

TEST(MediaRecords, SoundAndVideoTagsAreSkipped) {
  const auto movie = Parse(MovieWith({{14, Bytes(40, 7)},  // DefineSound
                                       {18, Bytes(4, 1)},   // SoundStreamHead
                                       {19, Bytes(100, 2)}, // SoundStreamBlock
                                       {15, Bytes(3, 0)},   // StartSound
                                       {60, Bytes(10, 0)},  // DefineVideoStream
                                       {61, Bytes(30, 9)}}));  // VideoFrame
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->outcome, ParseOutcome::Complete);
  EXPECT_EQ(movie->shapes.count(99), 1u);
}

}  // namespace
}  // namespace Halvane::Movie
