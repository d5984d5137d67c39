// What the control draws of bitmaps, text and buttons, checked against
// pictures computed apart from the renderer: a bitmap drawn through an
// identity matrix shows its own pixels exactly, a JPEG shows the image
// library's own decode of the same bytes; glyphs of embedded fonts fill
// their outlines in the text's colour; a field shows the value of its
// variable as actions and the host's SetVariable change it; text in the
// system's fonts is never missing; a button shows its up state.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "io/ImageCodec.h"
#include "movie/actions/ActionCodes.h"
#include "movie/swf/Text.h"
#include "platform/CodePage.h"
#include "tests/movie_control/ControlTestSupport.h"
#include "tools/ActionWriter.h"
#include "tools/MediaWriter.h"
#include "tools/ShapeWriter.h"

namespace Halvane::Movie {
namespace {

using namespace Halvane::Tools;
using namespace Halvane::Movie::Testing;

// A square shape of side pixels at (0, 0) filled with a bitmap through the
// matrix that shows one bitmap pixel per stage pixel.
ShapeDefinition BitmapSquare(std::uint16_t id, std::uint16_t bitmapId, int side, FillKind kind) {
  ShapeDefinition s;
  s.id = id;
  s.version = 3;
  s.bounds = TwipsRect{0, side * 20, 0, side * 20};
  s.edgeBounds = s.bounds;
  FillStyle fill;
  fill.kind = kind;
  fill.bitmapId = bitmapId;
  fill.matrix.scaleX = fill.matrix.scaleY = 20 << 16;
  s.styles.fills.push_back(fill);
  ShapeRecord start = MoveTo(0, 0);
  start.fillStyle1 = 1;
  s.records = {start, LineBy(side * 20, 0), LineBy(0, side * 20), LineBy(-side * 20, 0), LineBy(0, -side * 20)};
  return s;
}

std::vector<std::uint8_t> Pattern(int w, int h) {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
  for (int i = 0; i < w * h; ++i) {
    rgba[4 * i] = static_cast<std::uint8_t>(i * 7);
    rgba[4 * i + 1] = static_cast<std::uint8_t>(i * 13 + 50);
    rgba[4 * i + 2] = static_cast<std::uint8_t>(255 - i);
    rgba[4 * i + 3] = 255;
  }
  return rgba;
}

Bytes BitmapMovie(std::uint8_t version, const BitmapDefinition& bitmap, int side, FillKind kind, int stage) {
  SwfBuilder b;
  b.SetVersion(version).SetFrameSize(stage * 20, stage * 20);
  b.AddTag(DefineBitsCode(bitmap), DefineBitsTag(bitmap));
  const ShapeDefinition square = BitmapSquare(2, bitmap.id, side, kind);
  b.AddTag(DefineShapeCode(3), DefineShapeTag(square));
  b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(1, 2)));
  return b.ShowFrame().End().Build();
}

PlayerProperties LowQuality() {
  PlayerProperties p;
  p.quality = 0;
  return p;
}

void Draw(IShockwaveFlash* control, DibTarget& dib) {
  dib.Fill(0, 0, 0);
  ASSERT_EQ(dib.Draw(control, RECT{0, 0, dib.Width(), dib.Height()}), S_OK);
}

void ExpectImage(const DibTarget& dib, const std::vector<std::uint8_t>& rgba, int w, int h) {
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = dib.Pixel(x, y);
      const std::uint8_t* q = &rgba[(static_cast<std::size_t>(y) * w + x) * 4];
      ASSERT_EQ((std::vector<int>{p[2], p[1], p[0]}), (std::vector<int>{q[0], q[1], q[2]})) << x << "," << y;
    }
  }
}

TEST(MediaDraw, BitmapsThroughAnIdentityMatrixShowTheirOwnPixels) {
  const int w = 16, h = 16;
  const std::vector<std::uint8_t> rgba = Pattern(w, h);
  BitmapDefinition lossless;
  lossless.id = 1;
  lossless.encoding = BitmapEncoding::Lossless2;
  lossless.format = 5;
  lossless.width = w;
  lossless.height = h;
  lossless.data = LosslessArgb(rgba, w, h, true);
  std::vector<std::uint8_t> rgb;
  for (std::size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
  BitmapDefinition jpeg;
  jpeg.id = 1;
  jpeg.data = IO::EncodeJpegRgb(rgb.data(), w, h, static_cast<std::size_t>(w) * 3, 85);
  IO::DecodedImage decoded;
  ASSERT_TRUE(IO::DecodeImage(jpeg.data.data(), jpeg.data.size(), decoded));

  for (const int quality : {0, 1}) {
    for (const FillKind kind : {FillKind::ClippedBitmap, FillKind::ClippedBitmapUnsmoothed, FillKind::RepeatingBitmap}) {
      SCOPED_TRACE(::testing::Message() << "quality " << quality << " fill " << static_cast<int>(kind));
      PlayerProperties properties;
      properties.quality = quality;
      DibTarget dib(w, h);
      Ref<IShockwaveFlash> control = LoadControl(BitmapMovie(8, lossless, w, kind, w), properties);
      ASSERT_TRUE(control.Get());
      Draw(control.Get(), dib);
      ExpectImage(dib, rgba, w, h);
      Ref<IShockwaveFlash> jpegControl = LoadControl(BitmapMovie(8, jpeg, w, kind, w), properties);
      ASSERT_TRUE(jpegControl.Get());
      Draw(jpegControl.Get(), dib);
      ExpectImage(dib, decoded.rgba, w, h);
    }
  }
}

TEST(MediaDraw, RepeatingFillsTileAndClippedOnesStretchTheirEdge) {
  const std::vector<std::uint8_t> rgba = Pattern(4, 4);
  BitmapDefinition bitmap;
  bitmap.id = 1;
  bitmap.encoding = BitmapEncoding::Lossless;
  bitmap.format = 5;
  bitmap.width = bitmap.height = 4;
  bitmap.data = LosslessArgb(rgba, 4, 4, false);
  DibTarget dib(12, 12);
  for (const bool repeat : {true, false}) {
    Ref<IShockwaveFlash> control = LoadControl(
        BitmapMovie(6, bitmap, 12, repeat ? FillKind::RepeatingBitmapUnsmoothed : FillKind::ClippedBitmapUnsmoothed, 12));
    ASSERT_TRUE(control.Get());
    Draw(control.Get(), dib);
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 12; ++x) {
        const int bx = repeat ? x % 4 : std::min(x, 3), by = repeat ? y % 4 : std::min(y, 3);
        const std::uint8_t* p = dib.Pixel(x, y);
        ASSERT_EQ(p[2], rgba[(by * 4 + bx) * 4]) << repeat << " " << x << "," << y;
      }
    }
  }
}

// Smoothing: from version 8, for the smoothed kinds, not at low quality.
TEST(MediaDraw, MagnifiedBitmapsAreSmoothedOnlyWhereTheMovieAndQualityAskForIt) {
  const std::vector<std::uint8_t> rgba = {0, 0, 0, 255, 255, 255, 255, 255};  // black, white
  BitmapDefinition bitmap;
  bitmap.id = 1;
  bitmap.encoding = BitmapEncoding::Lossless;
  bitmap.format = 5;
  bitmap.width = 2;
  bitmap.height = 1;
  bitmap.data = LosslessArgb(rgba, 2, 1, false);
  const auto levels = [&](std::uint8_t version, int quality, FillKind kind) {
    // The bitmap over 2 x 1 stage pixels of a 2-pixel stage drawn 16 times larger.
    PlayerProperties properties;
    properties.quality = quality;
    Ref<IShockwaveFlash> control = LoadControl(BitmapMovie(version, bitmap, 2, kind, 2), properties);
    DibTarget dib(32, 32);
    Draw(control.Get(), dib);
    std::set<int> seen;
    for (int x = 0; x < 32; ++x) seen.insert(dib.Pixel(x, 4)[0]);
    return seen.size();
  };
  EXPECT_GT(levels(8, 1, FillKind::ClippedBitmap), 2u);
  EXPECT_EQ(levels(8, 0, FillKind::ClippedBitmap), 2u);
  EXPECT_EQ(levels(7, 1, FillKind::ClippedBitmap), 2u);
  EXPECT_EQ(levels(8, 1, FillKind::ClippedBitmapUnsmoothed), 2u);
}

// A font of one glyph: a square of 512 x 512 units on the baseline.
FontDefinition SquareFont(std::uint16_t id) {
  FontDefinition font;
  font.id = id;
  font.version = 2;
  font.name = "Squares";
  font.hasLayout = true;
  font.ascent = 900;
  font.descent = 124;
  GlyphDefinition g;
  ShapeRecord start = MoveTo(0, -512);
  start.fillStyle1 = 1;
  g.records = {start, LineBy(512, 0), LineBy(0, 512), LineBy(-512, 0), LineBy(0, -512)};
  g.code = 'X';
  g.advance = 1024;
  font.glyphs = {g};
  return font;
}

int CountColor(const DibTarget& dib, int red, int green, int blue) {
  int n = 0;
  for (int y = 0; y < dib.Height(); ++y) {
    for (int x = 0; x < dib.Width(); ++x) {
      const std::uint8_t* p = dib.Pixel(x, y);
      if (p[2] == red && p[1] == green && p[0] == blue) ++n;
    }
  }
  return n;
}

// Scripts' bitmaps shown by attachBitmap: their pixels as the script left
// them, nothing once disposed, and nothing from calls without a bitmap or
// a depth.
TEST(MediaDraw, AttachedBitmapsShowTheirPixelsUntilDisposed) {
  namespace Op = Halvane::Movie::ActionCode;
  ActionWriter w;
  const auto bitmap = [&w](const char* name, std::int32_t color) {
    w.PushString(name).PushInteger(color).PushBoolean(false).PushInteger(10).PushInteger(10).PushInteger(4);
    w.PushString("flash").Op(Op::GetVariable).PushString("display").Op(Op::GetMember);
    w.PushString("BitmapData").Op(Op::NewMethod).Op(Op::SetVariable);
  };
  const auto call = [&w](const char* object, const char* method, std::initializer_list<const char*> variables,
                         std::initializer_list<double> numbers) {
    for (double n : numbers) w.PushDouble(n);
    for (const char* v : variables) w.PushString(v).Op(Op::GetVariable);
    w.PushInteger(static_cast<std::int32_t>(numbers.size() + variables.size()));
    w.PushString(object).Op(Op::GetVariable).PushString(method).Op(Op::CallMethod).Op(Op::Pop);
  };
  bitmap("red", 0xFF0000);
  bitmap("blue", 0x0000FF);
  call("red", "setPixel", {}, {0x00FF00, 0, 0});
  w.PushString("m").PushInteger(1).PushString("m").PushInteger(2).PushString("createEmptyMovieClip");
  w.Op(Op::CallFunction).Op(Op::SetVariable);
  call("m", "attachBitmap", {"red"}, {1});  // attachBitmap(red, 1)
  call("m", "attachBitmap", {"blue"}, {std::nan("")});
  call("m", "attachBitmap", {"_root"}, {2});
  w.PushString("n").PushInteger(2).PushString("n").PushInteger(2).PushString("createEmptyMovieClip");
  w.Op(Op::CallFunction).Op(Op::SetVariable);
  w.PushString("n").Op(Op::GetVariable).PushString("_x").PushInteger(10).Op(Op::SetMember);
  call("n", "attachBitmap", {"blue"}, {1});
  call("blue", "dispose", {}, {});
  SwfBuilder b;
  b.SetVersion(8).SetFrameSize(20 * 20, 10 * 20);
  b.AddTag(kDoActionTag, DoAction(w.Build()));
  Ref<IShockwaveFlash> control = LoadControl(b.ShowFrame().End().Build(), LowQuality());
  ASSERT_TRUE(control.Get());
  DibTarget dib(20, 10);
  Draw(control.Get(), dib);
  EXPECT_EQ(CountColor(dib, 255, 0, 0), 99);
  EXPECT_EQ(dib.Pixel(0, 0)[1], 255);
  EXPECT_EQ(CountColor(dib, 0, 0, 255), 0);
  EXPECT_EQ(CountColor(dib, 0, 0, 0), 100);
}

TEST(MediaDraw, StaticTextFillsItsGlyphsInItsColour) {
  StaticTextDefinition text;
  text.id = 2;
  text.version = 1;
  TextRecord record;
  record.fontId = 1;
  record.height = 400;  // 20 pixels: each glyph a 10 x 10 square
  record.color = Movie::Rgba{255, 0, 0, 255};
  record.xOffset = 200;
  record.yOffset = 400;
  record.glyphs = {{0, 400}, {0, 400}};
  text.records = {record};
  SwfBuilder b;
  b.SetVersion(6).SetFrameSize(60 * 20, 40 * 20);
  b.AddTag(kDefineFont2Tag, DefineFontTag(SquareFont(1)));
  b.AddTag(kDefineTextTag, DefineTextTag(text));
  b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(1, 2)));
  Ref<IShockwaveFlash> control = LoadControl(b.ShowFrame().End().Build(), LowQuality());
  DibTarget dib(60, 40);
  Draw(control.Get(), dib);
  EXPECT_EQ(CountColor(dib, 255, 0, 0), 200);  // two squares of 10 x 10
  EXPECT_EQ(dib.Pixel(10, 10)[2], 255);        // the first square: (10 .. 20, 10 .. 20)
  EXPECT_EQ(dib.Pixel(30, 15)[2], 255);        // the second, one advance on
  EXPECT_EQ(dib.Pixel(25, 15)[2], 0);
}

std::u16string Set(IShockwaveFlash* control, const std::u16string& name, const std::u16string& value) {
  BSTR n = Bstr(name), v = Bstr(value);
  const HRESULT r = control->SetVariable(n, v);
  SysFreeString(n);
  SysFreeString(v);
  return r == S_OK ? u"ok" : u"failed";
}

TEST(MediaDraw, FieldsShowTheirVariableAsActionsAndTheHostSetIt) {
  EditTextDefinition field;
  field.id = 2;
  field.bounds = TwipsRect{0, 100 * 20, 0, 30 * 20};
  field.flags = 0x0100 | 0x0800;  // embedded glyphs, border
  field.fontId = 1;
  field.fontHeight = 400;
  field.color = Movie::Rgba{0, 0, 255, 255};
  field.variableName = "count";
  field.initialText = "X";
  SwfBuilder b;
  b.SetVersion(6).SetFrameSize(100 * 20, 30 * 20);
  b.AddTag(kDefineFont2Tag, DefineFontTag(SquareFont(1)));
  b.AddTag(kDefineEditTextTag, DefineEditTextTag(field));
  b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(1, 2)));
  b.AddTag(kDoActionTag, DoAction(Act::SetVariable("count", "XXX")));
  Ref<IShockwaveFlash> control = LoadControl(b.ShowFrame().End().Build(), LowQuality());
  ASSERT_TRUE(control.Get());
  DibTarget dib(100, 30);
  Draw(control.Get(), dib);
  EXPECT_EQ(CountColor(dib, 0, 0, 255), 300);  // three glyphs of 10 x 10, in the field's colour
  EXPECT_GT(CountColor(dib, 255, 255, 255), 2000);  // a bordered field has a white background
  EXPECT_EQ(Set(control.Get(), u"count", u"XXXXX"), u"ok");
  Draw(control.Get(), dib);
  EXPECT_EQ(CountColor(dib, 0, 0, 255), 500);
  EXPECT_EQ(Set(control.Get(), u"count", u"X?X"), u"ok");  // no glyph for "?": left out
  Draw(control.Get(), dib);
  EXPECT_EQ(CountColor(dib, 0, 0, 255), 200);
}

// HTML: a paragraph's alignment, a font's colour and size, and a line break.
TEST(MediaDraw, HtmlFieldsDrawTheirFormats) {
  EditTextDefinition field;
  field.id = 2;
  field.bounds = TwipsRect{0, 100 * 20, 0, 100 * 20};
  field.flags = 0x0100 | 0x0200 | 0x0020;  // embedded glyphs, HTML, multiline
  field.fontId = 1;
  field.fontHeight = 400;
  field.color = Movie::Rgba{0, 0, 255, 255};
  field.initialText =
      "<p align=\"right\"><font face=\"Squares\" color=\"#FF0000\" size=\"40\">X</font></p>"
      "<p><font face=\"Squares\">X<br>X</font></p>";
  SwfBuilder b;
  b.SetVersion(8).SetFrameSize(100 * 20, 100 * 20);
  b.AddTag(kDefineFont2Tag, DefineFontTag(SquareFont(1)));
  b.AddTag(kDefineEditTextTag, DefineEditTextTag(field));
  b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(1, 2)));
  Ref<IShockwaveFlash> control = LoadControl(b.ShowFrame().End().Build(), LowQuality());
  ASSERT_TRUE(control.Get());
  DibTarget dib(100, 100);
  Draw(control.Get(), dib);
  EXPECT_EQ(CountColor(dib, 255, 0, 0), 400);  // one 20 x 20 square at size 40
  EXPECT_EQ(CountColor(dib, 0, 0, 255), 200);  // two 10 x 10 squares, one per line
  int redLeft = 100;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 100; ++x) {
      if (dib.Pixel(x, y)[2] == 255) redLeft = std::min(redLeft, x);
    }
  }
  EXPECT_GT(redLeft, 50);  // aligned right
}

TEST(MediaDraw, TextInSystemFontsIsNeverMissingJapaneseIncluded) {
  for (const std::uint8_t version : {5, 6}) {
    SCOPED_TRACE(static_cast<int>(version));
    EditTextDefinition field;
    field.id = 2;
    field.bounds = TwipsRect{0, 200 * 20, 0, 40 * 20};
    field.flags = 0x0020;  // multiline, device font
    field.fontId = 1;
    field.fontHeight = 480;
    field.color = Movie::Rgba{255, 255, 255, 255};
    // "日本語" and a private-use character no font has: drawn as a box.
    field.initialText = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\r\xEE\x80\x80";
    if (version < 6) {  // older movies keep their texts in the system code page
      std::string local;
      ASSERT_TRUE(Platform::Utf16ToSystemCodePage(Utf8ToUtf16(*field.initialText), local));
      field.initialText = local;
    }
    FontDefinition device;
    device.id = 1;
    device.version = 2;
    device.name = "MS Gothic";
    SwfBuilder b;
    b.SetVersion(version).SetFrameSize(200 * 20, 80 * 20);
    b.AddTag(kDefineFont2Tag, DefineFontTag(device));
    b.AddTag(kDefineEditTextTag, DefineEditTextTag(field));
    b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(1, 2)));
    Ref<IShockwaveFlash> control = LoadControl(b.ShowFrame().End().Build(), LowQuality());
    ASSERT_TRUE(control.Get());
    DibTarget dib(200, 80);
    Draw(control.Get(), dib);
    int firstLine = 0, secondLine = 0;
    for (int y = 0; y < 80; ++y) {
      for (int x = 0; x < 200; ++x) {
        if (dib.Pixel(x, y)[0] == 0) continue;
        (y < 28 ? firstLine : secondLine) += 1;
      }
    }
    EXPECT_GT(firstLine, 100);
    EXPECT_GT(secondLine, 20);
  }
}

TEST(MediaDraw, ButtonsShowTheirUpState) {
  SwfBuilder b;
  b.SetVersion(6).SetFrameSize(40 * 20, 40 * 20);
  b.AddTag(kDefineShapeTag, DefineShape(1, 10 * 20, 10 * 20, 0, 255, 0));
  ButtonPart part;
  part.characterId = 1;
  part.matrix.translateX = part.matrix.translateY = 5 * 20;
  b.AddTag(kDefineButton2Tag, DefineButton2Tag(2, {part}));
  b.AddTag(kPlaceObject2Tag, PlaceObject2(PlaceCharacter(1, 2)));
  Ref<IShockwaveFlash> control = LoadControl(b.ShowFrame().End().Build(), LowQuality());
  DibTarget dib(40, 40);
  Draw(control.Get(), dib);
  EXPECT_EQ(CountColor(dib, 0, 255, 0), 100);
  EXPECT_EQ(dib.Pixel(5, 5)[1], 255);
}

}  // namespace
}  // namespace Halvane::Movie
