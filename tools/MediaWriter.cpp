#include "tools/MediaWriter.h"

#include <stdexcept>

#include "tools/ShapeWriter.h"
#include "tools/SwfTags.h"

namespace Halvane::Tools {

namespace {

using Movie::BitmapEncoding;

void Refuse(const char* what) { throw std::invalid_argument(std::string("media writer: ") + what); }

void Color(ByteWriter& w, const Movie::Rgba& c, bool alpha) {
  w.U8(c.red).U8(c.green).U8(c.blue);
  if (alpha) w.U8(c.alpha);
}

void FontName(ByteWriter& w, const std::string& name) {
  if (name.size() > 255) Refuse("font name over 255 bytes");
  w.U8(static_cast<std::uint8_t>(name.size()));
  for (char c : name) w.U8(static_cast<std::uint8_t>(c));
}

}  // namespace

std::uint16_t DefineBitsCode(const Movie::BitmapDefinition& b) {
  switch (b.encoding) {
    case BitmapEncoding::JpegWithTables: return kDefineBitsTag;
    case BitmapEncoding::Lossless: return kDefineBitsLosslessTag;
    case BitmapEncoding::Lossless2: return kDefineBitsLossless2Tag;
    default: return !b.hasAlpha ? kDefineBitsJpeg2Tag : b.deblocking != 0 ? kDefineBitsJpeg4Tag : kDefineBitsJpeg3Tag;
  }
}

Bytes DefineBitsTag(const Movie::BitmapDefinition& b) {
  ByteWriter w;
  w.U16(b.id);
  const std::uint16_t code = DefineBitsCode(b);
  if (code == kDefineBitsJpeg3Tag || code == kDefineBitsJpeg4Tag) {
    w.U32(static_cast<std::uint32_t>(b.data.size()));
    if (code == kDefineBitsJpeg4Tag) w.U16(b.deblocking);
    w.Append(b.data).Append(b.alpha);
    return w.Take();
  }
  if (code == kDefineBitsLosslessTag || code == kDefineBitsLossless2Tag) {
    w.U8(b.format).U16(b.width).U16(b.height);
    if (b.format == 3) {
      if (b.paletteSize < 1 || b.paletteSize > 256) Refuse("palette of 1 to 256 entries");
      w.U8(static_cast<std::uint8_t>(b.paletteSize - 1));
    }
  }
  w.Append(b.data);
  return w.Take();
}

Bytes LosslessArgb(const std::vector<std::uint8_t>& rgba, int width, int height, bool withAlpha) {
  Bytes raw;
  raw.reserve(static_cast<std::size_t>(width) * height * 4);
  for (std::size_t i = 0; i + 3 < rgba.size() && i < static_cast<std::size_t>(width) * height * 4; i += 4) {
    const unsigned a = withAlpha ? rgba[i + 3] : 255;
    raw.push_back(withAlpha ? static_cast<std::uint8_t>(a) : std::uint8_t{255});
    for (int k = 0; k < 3; ++k) {
      raw.push_back(withAlpha ? static_cast<std::uint8_t>((rgba[i + k] * a + 127) / 255) : rgba[i + k]);
    }
  }
  return Compress(raw);
}

std::uint16_t DefineFontCode(int version) { return version == 3 ? kDefineFont3Tag : kDefineFont2Tag; }

Bytes DefineFontTag(const Movie::FontDefinition& font) {
  if (font.version != 2 && font.version != 3) Refuse("fonts are written in the second or third form");
  std::vector<Bytes> shapes;
  std::size_t total = 0;
  for (const Movie::GlyphDefinition& g : font.glyphs) {
    shapes.push_back(GlyphShape(g.records));
    total += shapes.back().size();
  }
  const std::size_t count = font.glyphs.size();
  const bool wide = (count + 1) * 2 + total > 0xFFFF;
  ByteWriter w;
  w.U16(font.id);
  w.U8(static_cast<std::uint8_t>((font.hasLayout ? 0x80 : 0) | (font.shiftJis ? 0x40 : 0) |
                                 (font.smallText ? 0x20 : 0) | (font.ansi ? 0x10 : 0) | (wide ? 0x08 : 0) | 0x04 |
                                 (font.italic ? 0x02 : 0) | (font.bold ? 0x01 : 0)));
  w.U8(font.language);
  FontName(w, font.name);
  w.U16(static_cast<std::uint16_t>(count));
  std::size_t offset = (count + 1) * (wide ? 4 : 2);
  const auto put = [&w, wide](std::size_t v) {
    if (wide) w.U32(static_cast<std::uint32_t>(v));
    else w.U16(static_cast<std::uint16_t>(v));
  };
  for (const Bytes& shape : shapes) {
    put(offset);
    offset += shape.size();
  }
  put(offset);  // the code table
  for (const Bytes& shape : shapes) w.Append(shape);
  for (const Movie::GlyphDefinition& g : font.glyphs) w.U16(g.code);
  if (font.hasLayout) {
    w.S16(font.ascent).S16(font.descent).S16(font.leading);
    for (const Movie::GlyphDefinition& g : font.glyphs) w.S16(g.advance);
    for (std::size_t i = 0; i < count; ++i) w.Append(Rect(0, 0, 0, 0));
    w.U16(0);  // no kerning
  }
  return w.Take();
}

Bytes DefineTextTag(const Movie::StaticTextDefinition& text) {
  int glyphBits = 1, advanceBits = 1;
  for (const Movie::TextRecord& r : text.records) {
    for (const Movie::TextGlyph& g : r.glyphs) {
      glyphBits = std::max(glyphBits, BitWriter::UnsignedBitsFor(g.index));
      advanceBits = std::max(advanceBits, BitWriter::SignedBitsFor(g.advance));
    }
  }
  ByteWriter w;
  w.U16(text.id);
  w.Append(Rect(text.bounds.xMin, text.bounds.xMax, text.bounds.yMin, text.bounds.yMax));
  w.Append(MatrixRecord(text.matrix));
  w.U8(static_cast<std::uint8_t>(glyphBits)).U8(static_cast<std::uint8_t>(advanceBits));
  for (const Movie::TextRecord& r : text.records) {
    if (r.glyphs.size() > 255) Refuse("over 255 glyphs in a text record");
    w.U8(static_cast<std::uint8_t>(0x80 | (r.fontId ? 0x08 : 0) | (r.color ? 0x04 : 0) | (r.yOffset ? 0x02 : 0) |
                                   (r.xOffset ? 0x01 : 0)));
    if (r.fontId) w.U16(*r.fontId);
    if (r.color) Color(w, *r.color, text.version == 2);
    if (r.xOffset) w.S16(*r.xOffset);
    if (r.yOffset) w.S16(*r.yOffset);
    if (r.fontId) w.U16(r.height);
    w.U8(static_cast<std::uint8_t>(r.glyphs.size()));
    BitWriter b;
    for (const Movie::TextGlyph& g : r.glyphs) {
      b.UBits(g.index, glyphBits);
      b.SBits(g.advance, advanceBits);
    }
    b.Flush();
    w.Append(b.Data());
  }
  w.U8(0);
  return w.Take();
}

Bytes DefineEditTextTag(const Movie::EditTextDefinition& f) {
  std::uint16_t flags = static_cast<std::uint16_t>(f.flags & ~0xA087u);
  if (f.fontId) flags |= 0x0001;
  if (f.maxLength) flags |= 0x0002;
  if (f.color) flags |= 0x0004;
  if (f.initialText) flags |= 0x0080;
  if (f.align) flags |= 0x2000;
  if (f.fontClass) flags |= 0x8000;
  ByteWriter w;
  w.U16(f.id);
  w.Append(Rect(f.bounds.xMin, f.bounds.xMax, f.bounds.yMin, f.bounds.yMax));
  w.U16(flags);
  if (f.fontId) w.U16(*f.fontId);
  if (f.fontClass) w.String(*f.fontClass);
  if (f.fontId) w.U16(f.fontHeight.value_or(240));
  if (f.color) Color(w, *f.color, true);
  if (f.maxLength) w.U16(*f.maxLength);
  if (f.align) w.U8(*f.align).U16(f.leftMargin).U16(f.rightMargin).U16(f.indent).S16(f.leading);
  w.String(f.variableName);
  if (f.initialText) w.String(*f.initialText);
  return w.Take();
}

Bytes DefineButton2Tag(std::uint16_t id, const std::vector<ButtonPart>& parts) {
  ByteWriter w;
  w.U16(id).U8(0).U16(0);  // not a menu; no actions
  for (const ButtonPart& part : parts) {
    w.U8(0x0F).U16(part.characterId).U16(part.depth);
    w.Append(MatrixRecord(part.matrix));
    w.Append(ColorTransformRecord(Movie::ColorTransform(), true));
  }
  w.U8(0);
  return w.Take();
}

}  // namespace Halvane::Tools
