// make_examples FOLDER: writes the example data of the demo into FOLDER:
//
//   demo-data.zip   a data archive (stored entries) holding opening.swf, a
//                   compressed movie made with the project's SWF writer
//   background.png  the picture the demo composes the movie over
//
// The files are committed in examples/demo/; a test rebuilds them and checks
// that they are still what this program makes.
//
// opening.swf: 320 x 240 at 24 frames per second, 24 frames. A translucent
// panel with a linear gradient and a border, a ball with a focal radial
// gradient that travels across it and grows, a sprite with a turning star,
// a small bitmap in a frame of its own, and a caption: a text field in an
// embedded pixel font that shows the variable "caption" (the demo's script
// sets it). Frame 1 sets the variable "title"; frame 13 sets "stage" to
// "half way".
//
// The star turns on the sprite's own twelve frames, but every frame of the
// main timeline tells the sprite which of them to show (tellTarget, then
// gotoAndStop). A sprite left to play on its own would go on turning while
// the main timeline is stopped, at the pace of real time, and a frame taken
// with SwfGoToFrame would then look different on every run.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "io/ImageCodec.h"
#include "movie/actions/ActionCodes.h"
#include "movie/swf/SwfRecords.h"
#include "tools/ActionWriter.h"
#include "tools/MediaWriter.h"
#include "tools/ShapeWriter.h"
#include "tools/SwfTags.h"
#include "tools/SwfWriter.h"
#include "tools/ZipWriter.h"

namespace {

namespace Movie = Halvane::Movie;
namespace Tools = Halvane::Tools;
using Tools::Bytes;

constexpr std::int32_t kTwips = 20;
constexpr int kFrames = 24;

Movie::Rgba Color(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
  Movie::Rgba c;
  c.red = r;
  c.green = g;
  c.blue = b;
  c.alpha = a;
  return c;
}

Movie::Matrix Scaled(double scale, std::int32_t x, std::int32_t y, double turn = 0) {
  Movie::Matrix m;
  const double c = std::cos(turn) * scale;
  const double s = std::sin(turn) * scale;
  m.scaleX = static_cast<std::int32_t>(std::lround(c * 65536));
  m.scaleY = m.scaleX;
  m.rotateSkew0 = static_cast<std::int32_t>(std::lround(s * 65536));
  m.rotateSkew1 = -m.rotateSkew0;
  m.translateX = x;
  m.translateY = y;
  return m;
}

Movie::ShapeRecord StyleChange(std::int32_t x, std::int32_t y, std::uint32_t fill1,
                               std::uint32_t line) {
  Movie::ShapeRecord r = Tools::MoveTo(x, y);
  r.fillStyle1 = fill1;
  r.lineStyle = line;
  return r;
}

// The panel: a rectangle with rounded corners, a vertical gradient from a
// deep blue to a violet at 80 % opacity, and a light border two pixels wide.
Movie::ShapeDefinition Panel(std::uint16_t id) {
  Movie::ShapeDefinition shape;
  shape.id = id;
  shape.version = 3;
  const std::int32_t w = 300 * kTwips, h = 220 * kTwips, r = 16 * kTwips;
  shape.bounds = Movie::TwipsRect{-kTwips, w + kTwips, -kTwips, h + kTwips};
  shape.edgeBounds = shape.bounds;
  Movie::FillStyle gradient;
  gradient.kind = Movie::FillKind::LinearGradient;
  // The gradient square (32768 twips) turned upright and fitted to the
  // panel's height.
  gradient.matrix = Scaled(static_cast<double>(h) / 32768.0, w / 2, h / 2, 3.14159265358979 / 2);
  gradient.gradient.stops = {{0, Color(28, 40, 96, 210)}, {255, Color(120, 48, 140, 210)}};
  shape.styles.fills.push_back(gradient);
  Movie::LineStyle border;
  border.width = 2 * kTwips;
  border.color = Color(230, 230, 255);
  shape.styles.lines.push_back(border);
  shape.records = {StyleChange(r, 0, 1, 1),  Tools::LineBy(w - 2 * r, 0),
                   Tools::CurveBy(r, 0, 0, r), Tools::LineBy(0, h - 2 * r),
                   Tools::CurveBy(0, r, -r, 0), Tools::LineBy(-(w - 2 * r), 0),
                   Tools::CurveBy(-r, 0, 0, -r), Tools::LineBy(0, -(h - 2 * r)),
                   Tools::CurveBy(0, -r, r, 0)};
  return shape;
}

// The ball: a circle of radius 30 pixels from eight curves, lit from the
// upper left by a focal radial gradient.
Movie::ShapeDefinition Ball(std::uint16_t id) {
  Movie::ShapeDefinition shape;
  shape.id = id;
  shape.version = 4;
  const std::int32_t radius = 30 * kTwips;
  shape.bounds = Movie::TwipsRect{-radius, radius, -radius, radius};
  shape.edgeBounds = shape.bounds;
  Movie::FillStyle light;
  light.kind = Movie::FillKind::FocalRadialGradient;
  light.matrix = Scaled(2.0 * radius / 32768.0, 0, 0);
  light.gradient.focalPoint = -0.55 * 256;
  light.gradient.stops = {{0, Color(255, 250, 200)}, {110, Color(250, 170, 40)},
                          {255, Color(150, 50, 10)}};
  shape.styles.fills.push_back(light);
  shape.records.push_back(StyleChange(radius, 0, 1, 0));
  const double step = 3.14159265358979 / 4;
  double x = radius, y = 0;
  for (int i = 1; i <= 8; ++i) {
    const double a = step * i;
    const double mid = a - step / 2;
    const double cx = std::cos(mid) * radius / std::cos(step / 2);
    const double cy = std::sin(mid) * radius / std::cos(step / 2);
    const double ax = std::cos(a) * radius;
    const double ay = std::sin(a) * radius;
    shape.records.push_back(Tools::CurveBy(static_cast<std::int32_t>(std::lround(cx - x)),
                                           static_cast<std::int32_t>(std::lround(cy - y)),
                                           static_cast<std::int32_t>(std::lround(ax - cx)),
                                           static_cast<std::int32_t>(std::lround(ay - cy))));
    x += std::lround(cx - x) + std::lround(ax - cx);
    y += std::lround(cy - y) + std::lround(ay - cy);
  }
  return shape;
}

// A five-pointed star, 24 pixels from its centre to a point, in one colour.
Movie::ShapeDefinition Star(std::uint16_t id) {
  Movie::ShapeDefinition shape;
  shape.id = id;
  shape.version = 1;
  const double outer = 24 * kTwips, inner = 10 * kTwips;
  shape.bounds = Movie::TwipsRect{-480, 480, -480, 480};
  shape.edgeBounds = shape.bounds;
  Movie::FillStyle solid;
  solid.color = Color(255, 220, 60);
  shape.styles.fills.push_back(solid);
  std::int32_t px = 0, py = static_cast<std::int32_t>(-outer);
  shape.records.push_back(StyleChange(px, py, 1, 0));
  for (int i = 1; i <= 10; ++i) {
    const double a = -3.14159265358979 / 2 + i * 3.14159265358979 / 5;
    const double r = i % 2 == 0 ? outer : inner;
    const std::int32_t nx = static_cast<std::int32_t>(std::lround(std::cos(a) * r));
    const std::int32_t ny = static_cast<std::int32_t>(std::lround(std::sin(a) * r));
    shape.records.push_back(Tools::LineBy(nx - px, ny - py));
    px = nx;
    py = ny;
  }
  return shape;
}

// A 24 x 24 bitmap (DefineBitsLossless2, premultiplied ARGB): a checked
// pattern of two greens with a white diagonal.
Bytes CheckedBitmap(std::uint16_t id) {
  constexpr int kSide = 24;
  Bytes argb;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const bool diagonal = x == y || x == kSide - 1 - y;
      const bool dark = ((x / 6) + (y / 6)) % 2 == 0;
      argb.push_back(255);
      argb.push_back(diagonal ? 255 : dark ? 20 : 90);
      argb.push_back(diagonal ? 255 : dark ? 110 : 200);
      argb.push_back(diagonal ? 255 : dark ? 50 : 120);
    }
  }
  Tools::ByteWriter w;
  w.U16(id).U8(5).U16(kSide).U16(kSide).Append(Tools::Compress(argb));
  return w.Take();
}

// The frame around the bitmap: a square filled with the bitmap, clipped.
Movie::ShapeDefinition BitmapFrame(std::uint16_t id, std::uint16_t bitmapId) {
  Movie::ShapeDefinition shape;
  shape.id = id;
  shape.version = 2;
  const std::int32_t side = 48 * kTwips;
  shape.bounds = Movie::TwipsRect{0, side, 0, side};
  shape.edgeBounds = shape.bounds;
  Movie::FillStyle fill;
  fill.kind = Movie::FillKind::ClippedBitmapUnsmoothed;
  fill.bitmapId = bitmapId;
  fill.matrix = Scaled(2.0 * kTwips, 0, 0);  // 24 bitmap pixels over 48 stage pixels
  shape.styles.fills.push_back(fill);
  shape.records = {StyleChange(0, 0, 1, 0), Tools::LineBy(side, 0), Tools::LineBy(0, side),
                   Tools::LineBy(-side, 0), Tools::LineBy(0, -side)};
  return shape;
}

Bytes SetVariable(const std::string& name, const std::string& value) {
  namespace Op = Halvane::Movie::ActionCode;
  Tools::ActionWriter w;
  w.PushString(name).PushString(value).Op(Op::SetVariable);
  return Tools::DoAction(w.Build());
}

// tellTarget("spinner") { gotoAndStop(frame + 1); }
Bytes ShowSpinnerFrame(int frame) {
  namespace Op = Halvane::Movie::ActionCode;
  Tools::ActionWriter w;
  w.SetTarget("spinner").GotoFrame(static_cast<std::uint16_t>(frame)).Op(Op::Stop).SetTarget("");
  return Tools::DoAction(w.Build());
}

// A font of blocky 5 x 7 glyphs for the caption's characters: each lit
// cell a square of 128 units (an em is 1024), the baseline under the
// seventh row.
Movie::FontDefinition PixelFont(std::uint16_t id) {
  struct Letter {
    char code;
    const char* rows[7];
  };
  static const Letter kLetters[] = {
      {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
      {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
      {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
      {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
      {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
      {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
      {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
      {'3', {"####.", "....#", "....#", ".###.", "....#", "....#", "####."}},
      {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
  };
  constexpr std::int32_t kCell = 128;
  Movie::FontDefinition font;
  font.id = id;
  font.version = 2;
  font.name = "Pixels";
  font.hasLayout = true;
  font.ascent = 7 * kCell;
  font.descent = 2 * kCell;
  for (const Letter& letter : kLetters) {
    Movie::GlyphDefinition glyph;
    glyph.code = static_cast<std::uint16_t>(letter.code);
    glyph.advance = 6 * kCell;
    for (int row = 0; row < 7; ++row) {
      for (int column = 0; column < 5; ++column) {
        if (letter.rows[row][column] != '#') continue;
        Movie::ShapeRecord start = Tools::MoveTo(column * kCell, (row - 7) * kCell);
        start.fillStyle1 = 1;
        glyph.records.insert(glyph.records.end(), {start, Tools::LineBy(kCell, 0), Tools::LineBy(0, kCell),
                                                   Tools::LineBy(-kCell, 0), Tools::LineBy(0, -kCell)});
      }
    }
    font.glyphs.push_back(glyph);
  }
  return font;
}

// The caption: 200 x 24 pixels, 16-pixel text in the pixel font, showing
// the variable "caption" (its first text until the script sets it).
Movie::EditTextDefinition Caption(std::uint16_t id, std::uint16_t fontId) {
  Movie::EditTextDefinition field;
  field.id = id;
  field.bounds = Movie::TwipsRect{0, 200 * kTwips, 0, 24 * kTwips};
  field.flags = 0x0100 | 0x0008 | 0x1000;  // embedded glyphs, read-only, not selectable
  field.fontId = fontId;
  field.fontHeight = 16 * kTwips;
  field.color = Color(255, 230, 120);
  field.variableName = "caption";
  field.initialText = "SCENE 1";
  return field;
}

Bytes OpeningMovie() {
  enum : std::uint16_t { kPanel = 1, kBall, kStar, kSpinner, kBitmap, kBitmapFrame, kFont, kCaption };
  Tools::SwfBuilder movie;
  movie.SetVersion(8).SetFrameSize(320 * kTwips, 240 * kTwips).SetFrameRate(24);
  movie.AddTag(Tools::kSetBackgroundColorTag, Tools::SetBackgroundColor(0, 0, 0));
  const Movie::ShapeDefinition shapes[] = {Panel(kPanel), Ball(kBall), Star(kStar)};
  for (const Movie::ShapeDefinition& shape : shapes) {
    movie.AddTag(Tools::DefineShapeCode(shape.version), Tools::DefineShapeTag(shape));
  }
  movie.AddTag(36, CheckedBitmap(kBitmap));  // DefineBitsLossless2
  const Movie::ShapeDefinition frame = BitmapFrame(kBitmapFrame, kBitmap);
  movie.AddTag(Tools::DefineShapeCode(frame.version), Tools::DefineShapeTag(frame));
  movie.AddTag(Tools::kDefineFont2Tag, Tools::DefineFontTag(PixelFont(kFont)));
  movie.AddTag(Tools::kDefineEditTextTag, Tools::DefineEditTextTag(Caption(kCaption, kFont)));

  // The spinner: the star turning a twelfth of a turn per frame.
  Tools::SpriteBuilder spinner;
  for (int i = 0; i < 12; ++i) {
    Tools::PlaceSpec place = Tools::PlaceCharacter(1, kStar);
    if (i > 0) {
      place.characterId.reset();
      place.move = true;
    }
    place.matrix = Scaled(1.0, 0, 0, i * 3.14159265358979 / 6 / 5);
    spinner.AddTag(Tools::kPlaceObject2Tag, Tools::PlaceObject2(place)).ShowFrame();
  }
  movie.AddTag(Tools::kDefineSpriteTag, spinner.Build(kSpinner));

  for (int f = 0; f < kFrames; ++f) {
    if (f == 0) {
      Tools::PlaceSpec panel = Tools::PlaceCharacter(1, kPanel);
      panel.matrix = Scaled(1.0, 10 * kTwips, 10 * kTwips);
      movie.AddTag(Tools::kPlaceObject2Tag, Tools::PlaceObject2(panel));
      Tools::PlaceSpec bitmap = Tools::PlaceCharacter(2, kBitmapFrame);
      bitmap.matrix = Scaled(1.0, 250 * kTwips, 170 * kTwips);
      movie.AddTag(Tools::kPlaceObject2Tag, Tools::PlaceObject2(bitmap));
      Tools::PlaceSpec spin = Tools::PlaceCharacter(3, kSpinner);
      spin.matrix = Scaled(1.0, 50 * kTwips, 50 * kTwips);
      spin.name = "spinner";
      movie.AddTag(Tools::kPlaceObject2Tag, Tools::PlaceObject2(spin));
      Tools::PlaceSpec caption = Tools::PlaceCharacter(5, kCaption);
      caption.matrix = Scaled(1.0, 24 * kTwips, 196 * kTwips);
      caption.name = "caption_field";
      movie.AddTag(Tools::kPlaceObject2Tag, Tools::PlaceObject2(caption));
      movie.AddTag(Tools::kDoActionTag, SetVariable("title", "Velmora"));
    }
    if (f == 12) movie.AddTag(Tools::kDoActionTag, SetVariable("stage", "half way"));
    movie.AddTag(Tools::kDoActionTag, ShowSpinnerFrame(f % 12));
    // The ball rolls from left to right and grows on the way.
    Tools::PlaceSpec ball = Tools::PlaceCharacter(4, kBall);
    if (f > 0) {
      ball.characterId.reset();
      ball.move = true;
    }
    const double t = static_cast<double>(f) / (kFrames - 1);
    ball.matrix = Scaled(0.6 + 0.6 * t, static_cast<std::int32_t>((60 + 200 * t) * kTwips),
                         static_cast<std::int32_t>((140 - 40 * std::sin(t * 3.14159265358979)) * kTwips));
    movie.AddTag(Tools::kPlaceObject2Tag, Tools::PlaceObject2(ball));
    movie.ShowFrame();
  }
  return movie.End().Build(true);
}

// 640 x 480: a sky from deep blue to orange over hills of two greens.
Bytes Background() {
  constexpr int kWidth = 640, kHeight = 480;
  std::vector<std::uint8_t> rgb(kWidth * kHeight * 3);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const double t = static_cast<double>(y) / kHeight;
      std::uint8_t r = static_cast<std::uint8_t>(20 + 220 * t);
      std::uint8_t g = static_cast<std::uint8_t>(30 + 110 * t);
      std::uint8_t b = static_cast<std::uint8_t>(110 - 60 * t);
      const double far = 330 + 30 * std::sin(x / 70.0);
      const double near = 390 + 25 * std::sin(x / 45.0 + 1.3);
      if (y > near) {
        r = 30, g = 90, b = 40;
      } else if (y > far) {
        r = 60, g = 130, b = 70;
      }
      std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * kWidth + x) * 3];
      p[0] = r;
      p[1] = g;
      p[2] = b;
    }
  }
  return Halvane::IO::EncodePngRgb(rgb.data(), kWidth, kHeight, kWidth * 3);
}

bool Write(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_examples FOLDER\n");
    return 1;
  }
  const std::string folder = argv[1];
  const Bytes archive = Tools::StoredZip({{"opening.swf", OpeningMovie()}});
  if (!Write(folder + "/demo-data.zip", archive) || !Write(folder + "/background.png", Background())) {
    std::fprintf(stderr, "make_examples: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
