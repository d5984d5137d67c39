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
    font.glyphs = {a};
    font.codeIndex['A'] = 0;
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
