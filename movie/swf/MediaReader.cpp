#include "movie/swf/MediaReader.h"

#include <utility>

namespace Halvane::Movie {

namespace {

std::string ReadFontName(SwfReader& r) {
  const std::uint8_t length = r.U8();
  std::string name;
  for (std::uint8_t i = 0; i < length && !r.Failed(); ++i) {
    const char c = static_cast<char>(r.U8());
    if (c != 0) name += c;  // some tools count a terminator in the length
  }
  return name;
}

void IndexCodes(FontDefinition& font) {
  font.codeIndex.clear();
  for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
    font.codeIndex.emplace(font.glyphs[i].code, static_cast<std::uint32_t>(i));
  }
}

// The glyph outlines of a table that starts at tableStart, glyph i running
// from offsets[i] to offsets[i + 1] (the last to end).
bool ReadGlyphTable(SwfReader& r, std::size_t tableStart, const std::vector<std::uint32_t>& offsets,
                    std::size_t end, ShapeBudget& budget, FontDefinition& font) {
  font.glyphs.resize(offsets.size());
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    const std::size_t from = tableStart + offsets[i];
    const std::size_t to = i + 1 < offsets.size() ? tableStart + offsets[i + 1] : end;
    if (from > to || !budget.Take()) return false;
    SwfReader glyph = r.Range(from, to - from);
    if (glyph.Failed()) return false;
    if (to > from && !ReadGlyphShape(glyph, budget, font.glyphs[i].records)) return false;
  }
  return true;
}

bool ReadFont1(SwfReader& r, ShapeBudget& budget, FontDefinition& font) {
  const std::size_t tableStart = r.Position();
  const std::uint16_t first = r.U16();
  if (r.Failed()) return false;
  const std::size_t count = first / 2;
  std::vector<std::uint32_t> offsets;
  offsets.push_back(first);
  for (std::size_t i = 1; i < count && !r.Failed(); ++i) offsets.push_back(r.U16());
  if (r.Failed() || (count > 0 && first < count * 2)) return false;
  if (count == 0) offsets.clear();
  return ReadGlyphTable(r, tableStart, offsets, r.Size(), budget, font);
}

bool ReadFont23(SwfReader& r, int version, ShapeBudget& budget, FontDefinition& font) {
  const std::uint8_t flags = r.U8();
  font.hasLayout = (flags & 0x80) != 0;
  font.shiftJis = (flags & 0x40) != 0;
  font.smallText = (flags & 0x20) != 0;
  font.ansi = (flags & 0x10) != 0;
  const bool wideOffsets = (flags & 0x08) != 0;
  const bool wideCodes = (flags & 0x04) != 0 || version == 3;
  font.italic = (flags & 0x02) != 0;
  font.bold = (flags & 0x01) != 0;
  font.language = r.U8();
  font.name = ReadFontName(r);
  const std::uint16_t count = r.U16();
  if (r.Failed()) return false;
  const std::size_t tableStart = r.Position();
  const auto offset = [&r, wideOffsets]() -> std::uint32_t { return wideOffsets ? r.U32() : r.U16(); };
  std::vector<std::uint32_t> offsets;
  if (static_cast<std::size_t>(count) * (wideOffsets ? 4 : 2) > r.Remaining()) return false;
  offsets.reserve(count);
  for (std::uint16_t i = 0; i < count; ++i) offsets.push_back(offset());
  // A font without glyphs (a device font named for text fields) may stop
  // before the code table offset.
  if (count == 0 && r.Remaining() == 0) return true;
  const std::uint32_t codeTable = offset();
  if (r.Failed() || codeTable > r.Size() - tableStart) return false;
  if (!ReadGlyphTable(r, tableStart, offsets, tableStart + codeTable, budget, font)) return false;
  if (tableStart + codeTable < r.Position()) return false;  // codes over the offsets
  r.Skip(tableStart + codeTable - r.Position());
  for (GlyphDefinition& glyph : font.glyphs) glyph.code = wideCodes ? r.U16() : r.U8();
  if (r.Failed()) return false;
  if (font.hasLayout) {
    font.ascent = r.S16();
    font.descent = r.S16();
    font.leading = r.S16();
    for (GlyphDefinition& glyph : font.glyphs) glyph.advance = r.S16();
    // Bounds and kerning are not used for drawing; a font cut short in
    // them keeps its advances.
    if (r.Failed()) {
      font.hasLayout = false;
      for (GlyphDefinition& glyph : font.glyphs) glyph.advance = 0;
    }
  }
  IndexCodes(font);
  return true;
}

}  // namespace

bool ReadFontDefinition(SwfReader& r, int version, ShapeBudget& budget, FontDefinition& font) {
  font.id = r.U16();
  font.version = version;
  if (r.Failed()) return false;
  return version == 1 ? ReadFont1(r, budget, font) : ReadFont23(r, version, budget, font);
}

bool ReadFontInfo(SwfReader& r, int version, FontDefinition& font) {
  std::string name = ReadFontName(r);
  const std::uint8_t flags = r.U8();
  const std::uint8_t language = version == 2 ? r.U8() : 0;
  if (r.Failed()) return false;
  font.name = std::move(name);
  font.smallText = (flags & 0x20) != 0;
  font.shiftJis = (flags & 0x10) != 0;
  font.ansi = (flags & 0x08) != 0;
  font.italic = (flags & 0x04) != 0;
  font.bold = (flags & 0x02) != 0;
  font.language = language;
  const bool wideCodes = (flags & 0x01) != 0 || version == 2;
  for (GlyphDefinition& glyph : font.glyphs) {
    const std::uint16_t code = wideCodes ? r.U16() : r.U8();
    if (r.Failed()) break;
    glyph.code = code;
  }
  IndexCodes(font);
  return !r.Failed();
}

bool ReadStaticText(SwfReader& r, int version, ShapeBudget& budget, StaticTextDefinition& text) {
  text.id = r.U16();
  text.version = version;
  text.bounds = ReadRect(r);
  text.matrix = ReadMatrix(r);
  const int glyphBits = r.U8();
  const int advanceBits = r.U8();
  if (r.Failed() || glyphBits > 32 || advanceBits > 32) return false;
  for (;;) {
    const std::uint8_t flags = r.U8();
    if (r.Failed()) return false;
    if (flags == 0) return true;
    if (!budget.Take()) return false;
    TextRecord record;
    if (flags & 0x08) record.fontId = r.U16();
    if (flags & 0x04) record.color = version == 2 ? ReadRgba(r) : ReadRgb(r);
    if (flags & 0x01) record.xOffset = r.S16();
    if (flags & 0x02) record.yOffset = r.S16();
    if (flags & 0x08) record.height = r.U16();
    const std::uint8_t count = r.U8();
    for (std::uint8_t i = 0; i < count; ++i) {
      if (r.Failed() || !budget.Take()) return false;
      TextGlyph glyph;
      glyph.index = r.UBits(glyphBits);
      glyph.advance = r.SBits(advanceBits);
      record.glyphs.push_back(glyph);
    }
    r.Align();
    if (r.Failed()) return false;
    text.records.push_back(std::move(record));
  }
}

bool ReadBitmap(SwfReader& r, std::uint16_t code, BitmapDefinition& bitmap) {
  bitmap.id = r.U16();
  if (r.Failed()) return false;
  const auto rest = [&r](ByteBlock& into, std::size_t count) {
    into.assign(r.Current(), r.Current() + count);
    r.Skip(count);
  };
  switch (code) {
    case kTagDefineBits:
    case kTagDefineBitsJpeg2:
      bitmap.encoding = code == kTagDefineBits ? BitmapEncoding::JpegWithTables : BitmapEncoding::Jpeg;
      rest(bitmap.data, r.Remaining());
      return true;
    case kTagDefineBitsJpeg3:
    case kTagDefineBitsJpeg4: {
      bitmap.encoding = BitmapEncoding::Jpeg;
      bitmap.hasAlpha = true;
      const std::uint32_t alphaOffset = r.U32();
      if (code == kTagDefineBitsJpeg4) bitmap.deblocking = r.U16();
      if (r.Failed() || alphaOffset > r.Remaining()) return false;
      rest(bitmap.data, alphaOffset);
      rest(bitmap.alpha, r.Remaining());
      return true;
    }
    case kTagDefineBitsLossless:
    case kTagDefineBitsLossless2: {
      const bool second = code == kTagDefineBitsLossless2;
      bitmap.encoding = second ? BitmapEncoding::Lossless2 : BitmapEncoding::Lossless;
      bitmap.format = r.U8();
      bitmap.width = r.U16();
      bitmap.height = r.U16();
      if (bitmap.format == 3) bitmap.paletteSize = static_cast<std::uint16_t>(r.U8() + 1);
      if (r.Failed()) return false;
      if (bitmap.format != 3 && bitmap.format != 5 && !(bitmap.format == 4 && !second)) return false;
      rest(bitmap.data, r.Remaining());
      return true;
    }
    default:
      return false;
  }
}

}  // namespace Halvane::Movie
