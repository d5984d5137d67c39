// What scripts read of a field's extent comes from the layout the field is
// drawn with: embedded fonts only, advances in whole twips.
#include <gtest/gtest.h>

#include <string>

#include "movie/render/TextLayout.h"

namespace Halvane::Movie::Render {
namespace {

// A movie with one font "Wide" whose 'A' is 600/1024 of an em wide, and a
// field of 10-pixel text in it.
struct Fixture {
  Fixture() {
    FontDefinition font;
    font.id = 1;
    font.version = 2;
    font.name = "Wide";
    font.hasLayout = true;
    font.ascent = 800;
    font.descent = 224;
    GlyphDefinition a;
    a.code = 'A';
    a.advance = 600;
    GlyphDefinition space;
    space.code = ' ';
    space.advance = 256;
    font.glyphs = {a, space};
    font.codeIndex['A'] = 0;
    font.codeIndex[' '] = 1;
    movie.fonts.emplace(1, font);
    field.embedFonts = true;
    field.width = 5000;
    field.defaultFormat.font = "Wide";
    field.defaultFormat.size = 10;
  }
  bool Measure(double& width, double& height) {
    glyphs.SetMovie(&movie);
    return MeasureEmbeddedField(field, movie, glyphs, width, height);
  }
  MovieDefinition movie;
  TextFieldData field;
  GlyphLibrary glyphs;
};

TEST(TextMeasure, AdvancesAreWholeTwips) {
  Fixture f;
  // 110 advances of 117.1875 twips: 12870 twips once each is cut to 117.
  f.field.SetText(std::string(110, 'A'));
  double width = -1, height = -1;
  ASSERT_TRUE(f.Measure(width, height));
  EXPECT_EQ(width, 643.5);
  // An em of ascent and descent, each cut to whole twips (156 + 43), no
  // leading.
  EXPECT_EQ(height, 9.95);
  f.field.defaultFormat.leading = 3;
  f.field.SetText("A\rA");
  f.field.multiline = true;
  ASSERT_TRUE(f.Measure(width, height));
  EXPECT_EQ(width, 5.85);
  EXPECT_EQ(height, 22.9);  // the leading between the lines only
}

TEST(TextMeasure, TabsReachTheNextStopOrSixSpaces) {
  Fixture f;
  double width = -1, height = -1;
  // 'A' is 117 twips and a space 50.
  f.field.SetText("A\tA");
  ASSERT_TRUE(f.Measure(width, height));
  EXPECT_EQ(width, (117 + 6 * 50 + 117) / 20.0);
  // Past the last stop a tab takes no room.
  f.field.defaultFormat.tabStops = {20, 30};
  f.field.SetText("A\tA\tA\tA");
  ASSERT_TRUE(f.Measure(width, height));
  EXPECT_EQ(width, (600 + 117 + 117) / 20.0);
  // A tab does not end a word: a line too narrow for "A\tAAA" breaks
  // inside it rather than after the tab.
  f.field.width = 4 + (400 + 2 * 117) / 20.0;
  f.field.wordWrap = true;
  f.field.multiline = true;
  f.field.SetText("A\tAAA");
  ASSERT_TRUE(f.Measure(width, height));
  EXPECT_EQ(width, (400 + 2 * 117) / 20.0);
  EXPECT_EQ(height, 2 * 9.95);
}

TEST(TextMeasure, ListParagraphsAreSetInAndTheirExtentLeavesTheIndentOut) {
  Fixture f;
  double width = -1, height = -1;
  f.field.defaultFormat.bullet = true;
  f.field.wordWrap = true;
  f.field.multiline = true;
  // Room for the gutters, the bullet's 36 pixels and two 'A's.
  f.field.width = 4 + 36 + 2 * 117 / 20.0;
  f.field.SetText("AAA");
  ASSERT_TRUE(f.Measure(width, height));
  EXPECT_EQ(width, 2 * 117 / 20.0);
  EXPECT_EQ(height, 2 * 9.95);
}

TEST(TextMeasure, AParagraphsBreakCountsInItsLastLineAndEndsTheText) {
  Fixture f;
  double width = -1, height = -1;
  f.field.multiline = true;
  f.field.SetText("A\r");
  ASSERT_TRUE(f.Measure(width, height));
  EXPECT_EQ(height, 9.95);  // one line: no empty one after the break
  // A break in a font twice the size makes its line as high as that font.
  TextRun big{"\r", f.field.defaultFormat};
  big.format.size = 20;
  f.field.runs.front().text = "A";
  f.field.runs.push_back(big);
  ASSERT_TRUE(f.Measure(width, height));
  EXPECT_EQ(height, (312 + 87) / 20.0);
}

TEST(TextMeasure, DeviceFontsAndEmptyFieldsAreNotLaidOut) {
  Fixture f;
  double width = -1, height = -1;
  ASSERT_TRUE(f.Measure(width, height));
  EXPECT_EQ(width, 0);
  EXPECT_EQ(height, 0);
  f.field.SetText("A");
  f.field.runs.front().format.font = "NotInTheMovie";
  EXPECT_FALSE(f.Measure(width, height));
  f.field.runs.front().format.font = "Wide";
  f.field.embedFonts = false;
  EXPECT_FALSE(f.Measure(width, height));
}

}  // namespace
}  // namespace Halvane::Movie::Render
