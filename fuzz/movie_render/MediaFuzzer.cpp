// Arbitrary bytes through the image paths and text layout. Byte 0 picks:
// - 0 to 5: the rest is the body of a bitmap tag (DefineBits with the
//   following JPEG tables, DefineBitsJPEG2, 3 and 4, DefineBitsLossless 1
//   and 2), read, decoded within a small pixel cap and drawn through a
//   bitmap fill at a matrix from the data;
// - 6: the rest is JPEG framing mended (tables and image split at byte 1);
// - 7: the rest is a font tag body (DefineFont2) and text laid out in a
//   field with it, embedded and through the system's fonts, and drawn.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "movie/render/Bitmaps.h"
#include "movie/render/Canvas.h"
#include "movie/render/GlyphLibrary.h"
#include "movie/render/ShapeBuilder.h"
#include "movie/render/TextLayout.h"
#include "movie/swf/SwfParser.h"

using namespace Halvane::Movie;

namespace {

constexpr std::uint16_t kBitmapCodes[] = {6, 21, 35, 90, 20, 36};

std::unique_ptr<MovieDefinition> ParseWithTag(std::uint16_t code, const std::uint8_t* body, std::size_t size,
                                              std::uint8_t version) {
  std::string file = "FWS";
  file += static_cast<char>(version);
  file.append(4, '\0');
  file += std::string("\x00\x0A\x00\x01\x00", 5);  // empty frame rectangle, rate, count
  const auto header = [&file](std::uint16_t tag, std::size_t length) {
    const std::uint16_t h = static_cast<std::uint16_t>((tag << 6) | 0x3F);
    file += static_cast<char>(h & 0xFF);
    file += static_cast<char>(h >> 8);
    for (int i = 0; i < 4; ++i) file += static_cast<char>((length >> (8 * i)) & 0xFF);
  };
  if (code == 6) {  // tables first: the same bytes serve both
    header(8, size);
    file.append(reinterpret_cast<const char*>(body), size);
  }
  header(code, size + 2);
  file += std::string("\x01\x00", 2);
  file.append(reinterpret_cast<const char*>(body), size);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
  return ParseMovie(bytes, file.size());
}

void DrawBitmap(const MovieDefinition& movie, const std::uint8_t* data, std::size_t size) {
  Render::BitmapLibrary library;
  library.SetMovie(&movie);
  Render::BitmapSource source{&library, movie.version};
  FillStyle fill;
  fill.kind = size > 0 && (data[0] & 1) ? FillKind::RepeatingBitmap : FillKind::ClippedBitmap;
  fill.bitmapId = 1;
  fill.matrix.scaleX = size > 1 ? static_cast<std::int8_t>(data[1]) * (1 << 14) : 20 << 16;
  fill.matrix.rotateSkew0 = size > 2 ? static_cast<std::int8_t>(data[2]) * (1 << 12) : 0;
  Render::ShapeLayer layer;
  layer.fills.push_back(Render::PaintOf(fill, &source));
  layer.SetFill1(1);
  layer.MoveTo(0, 0);
  layer.LineTo(400, 0);
  layer.LineTo(400, 300);
  layer.LineTo(0, 300);
  layer.LineTo(0, 0);
  std::uint8_t pixels[20 * 15 * 3] = {};
  Render::PixelView view{pixels, 20 * 3, 20, 15, 3};
  Render::Canvas canvas;
  for (const Render::Quality q : {Render::Quality::Low, Render::Quality::High}) {
    if (!canvas.Begin(view, q)) return;
    Render::Transform t;
    t.a = t.d = 0.05;
    canvas.DrawShape(layer, t);
    canvas.End();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t pick = data[0] % 8;
  const std::uint8_t* body = data + 1;
  const std::size_t rest = size - 1;
  if (pick < 6) {
    for (const std::uint8_t version : {7, 8}) {
      const auto movie = ParseWithTag(kBitmapCodes[pick], body, rest, version);
      if (!movie) std::abort();
      DrawBitmap(*movie, body, rest);
    }
    return 0;
  }
  if (pick == 6) {
    const std::size_t split = rest > 0 ? body[0] % (rest + 1) : 0;
    const ByteBlock mended = Render::MendJpeg(body, split, body + split, rest - split);
    if (mended.size() > rest + 4) std::abort();
    return 0;
  }
  const auto movie = ParseWithTag(48, body, rest, 8);
  if (!movie) std::abort();
  Render::GlyphLibrary glyphs;
  glyphs.SetMovie(movie.get());
  TextFieldData field;
  field.multiline = true;
  field.wordWrap = true;
  field.width = 30;
  field.height = 20;
  std::string text(reinterpret_cast<const char*>(body), rest < 64 ? rest : 64);
  for (const bool embedded : {true, false}) {
    field.embedFonts = embedded;
    TextFormatData format;
    format.font = movie->fonts.empty() ? "_sans" : movie->fonts.begin()->second.name;
    format.size = rest > 0 ? body[rest - 1] % 96 : 12;
    format.align = rest > 1 && (body[rest - 2] & 1) ? "center" : "right";
    field.runs = {TextRun{text, format}};
    Render::FieldLayout layout;
    Render::LayOutField(field, *movie, glyphs, &layout);
    std::uint8_t pixels[32 * 24 * 3] = {};
    Render::PixelView view{pixels, 32 * 3, 32, 24, 3};
    Render::Canvas canvas;
    if (!canvas.Begin(view, Render::Quality::High)) return 0;
    Render::Transform t;
    t.a = t.d = 0.05;
    for (const Render::PlacedGlyph& g : layout.glyphs) canvas.DrawShape(*g.layer, g.toText.Then(t));
    canvas.End();
  }
  glyphs.EndFrame();
  return 0;
}
