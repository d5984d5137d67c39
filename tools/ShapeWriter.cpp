#include "tools/ShapeWriter.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>

#include "tools/SwfTags.h"

namespace Halvane::Tools {

namespace {

using Movie::FillKind;
using Movie::FillStyle;
using Movie::LineStyle;
using Movie::ShapeRecord;
using Movie::ShapeStyles;

void Refuse(const std::string& what) { throw std::invalid_argument("shape writer: " + what); }

Bytes RectOf(const Movie::TwipsRect& r) { return Rect(r.xMin, r.xMax, r.yMin, r.yMax); }

void Rgb(ByteWriter& w, const Movie::Rgba& c) { w.U8(c.red).U8(c.green).U8(c.blue); }
void Rgba(ByteWriter& w, const Movie::Rgba& c) { Rgb(w, c); w.U8(c.alpha); }
void Color(ByteWriter& w, int version, const Movie::Rgba& c) {
  if (version >= 3) Rgba(w, c);
  else Rgb(w, c);
}

std::uint8_t GradientFlags(const Movie::Gradient& g, std::size_t stops) {
  if (stops > Movie::Gradient::MaxStops) Refuse("more than 15 gradient stops");
  if (g.spreadMode > 3 || g.interpolationMode > 3) Refuse("gradient mode outside two bits");
  return static_cast<std::uint8_t>((g.spreadMode << 6) | (g.interpolationMode << 4) | stops);
}

void Fill(ByteWriter& w, int version, const FillStyle& fill) {
  w.U8(static_cast<std::uint8_t>(fill.kind));
  if (fill.kind == FillKind::Solid) {
    Color(w, version, fill.color);
  } else if (Movie::IsGradient(fill.kind)) {
    w.Append(MatrixRecord(fill.matrix));
    w.U8(GradientFlags(fill.gradient, fill.gradient.stops.size()));
    for (const Movie::GradientStop& stop : fill.gradient.stops) {
      w.U8(stop.ratio);
      Color(w, version, stop.color);
    }
    if (fill.kind == FillKind::FocalRadialGradient) w.S16(fill.gradient.focalPoint);
  } else if (Movie::IsBitmap(fill.kind)) {
    w.U16(fill.bitmapId);
    w.Append(MatrixRecord(fill.matrix));
  } else {
    Refuse("unknown fill kind");
  }
}

// The caps, join and flags of the second line style form, with its miter
// limit; hasFill says whether a fill style follows instead of colours.
void LineFlags(ByteWriter& w, const LineStyle& line, bool hasFill) {
  BitWriter b;
  b.UBits(static_cast<std::uint32_t>(line.startCap), 2);
  b.UBits(static_cast<std::uint32_t>(line.join), 2);
  b.UBits(hasFill ? 1 : 0, 1);
  b.UBits(line.noHScale ? 1 : 0, 1);
  b.UBits(line.noVScale ? 1 : 0, 1);
  b.UBits(line.pixelHinting ? 1 : 0, 1);
  b.UBits(0, 5);
  b.UBits(line.noClose ? 1 : 0, 1);
  b.UBits(static_cast<std::uint32_t>(line.endCap), 2);
  w.Append(b.Data());
  if (line.join == Movie::JoinStyle::Miter) w.U16(line.miterLimitFactor);
}

void Line(ByteWriter& w, int version, const LineStyle& line) {
  w.U16(line.width);
  if (version < 4) {
    Color(w, version, line.color);
    return;
  }
  LineFlags(w, line, line.fill.has_value());
  if (line.fill) Fill(w, version, *line.fill);
  else Rgba(w, line.color);
}

void StyleCount(ByteWriter& w, std::size_t count, bool extendedAllowed) {
  if (count < 0xFF || (count == 0xFF && !extendedAllowed)) {
    w.U8(static_cast<std::uint8_t>(count));
    return;
  }
  if (!extendedAllowed || count > 0xFFFF) Refuse("too many styles for the form");
  w.U8(0xFF).U16(static_cast<std::uint16_t>(count));
}

Bytes StyleArrays(int version, const ShapeStyles& styles) {
  ByteWriter w;
  StyleCount(w, styles.fills.size(), version >= 2);
  for (const FillStyle& fill : styles.fills) Fill(w, version, fill);
  StyleCount(w, styles.lines.size(), true);
  for (const LineStyle& line : styles.lines) Line(w, version, line);
  return w.Take();
}

int IndexBits(std::size_t arraySize, std::uint32_t largestIndex) {
  const int bits = BitWriter::UnsignedBitsFor(largestIndex);
  if (bits > 15) Refuse("style index outside 15 bits");
  // Enough for every entry of the arrays where the field can hold that many.
  const int forArrays = BitWriter::UnsignedBitsFor(static_cast<std::uint32_t>(arraySize));
  return std::max(bits, std::min(forArrays, 15));
}

// Bit counts for the records from first on: the style indices they hold up
// to and including the next record with new arrays, which is still read
// with these counts.
std::pair<int, int> LayerBits(const std::vector<ShapeRecord>& records, std::size_t first,
                              std::size_t fills, std::size_t lines) {
  std::uint32_t fill = 0;
  std::uint32_t line = 0;
  for (std::size_t i = first; i < records.size(); ++i) {
    const ShapeRecord& r = records[i];
    if (r.kind != ShapeRecord::Kind::StyleChange) continue;
    fill = std::max({fill, r.fillStyle0.value_or(0u), r.fillStyle1.value_or(0u)});
    line = std::max(line, r.lineStyle.value_or(0u));
    if (r.newStyles) break;
  }
  return {IndexBits(fills, fill), IndexBits(lines, line)};
}

void Edge(BitWriter& b, const ShapeRecord& r) {
  const bool straight = r.kind == ShapeRecord::Kind::StraightEdge;
  int bits = std::max({2, BitWriter::SignedBitsFor(r.deltaX), BitWriter::SignedBitsFor(r.deltaY)});
  if (!straight) {
    bits = std::max({bits, BitWriter::SignedBitsFor(r.anchorDeltaX),
                     BitWriter::SignedBitsFor(r.anchorDeltaY)});
  }
  if (bits > 17) Refuse("edge delta outside 17 bits");
  b.UBits(1, 1);
  b.UBits(straight ? 1 : 0, 1);
  b.UBits(static_cast<std::uint32_t>(bits - 2), 4);
  if (!straight) {
    b.SBits(r.deltaX, bits);
    b.SBits(r.deltaY, bits);
    b.SBits(r.anchorDeltaX, bits);
    b.SBits(r.anchorDeltaY, bits);
  } else if (r.deltaX != 0 && r.deltaY != 0) {
    b.UBits(1, 1);
    b.SBits(r.deltaX, bits);
    b.SBits(r.deltaY, bits);
  } else {
    b.UBits(0, 1);
    b.UBits(r.deltaX == 0 ? 1 : 0, 1);  // vertical
    b.SBits(r.deltaX == 0 ? r.deltaY : r.deltaX, bits);
  }
}

// The bit counts and the records up to and including the end record;
// styleVersion is the form new arrays are written in, 0 where none may be.
void Records(BitWriter& b, const std::vector<ShapeRecord>& records, std::size_t fills,
             std::size_t lines, int styleVersion) {
  auto [fillBits, lineBits] = LayerBits(records, 0, fills, lines);
  b.UBits(static_cast<std::uint32_t>(fillBits), 4);
  b.UBits(static_cast<std::uint32_t>(lineBits), 4);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const ShapeRecord& r = records[i];
    if (r.kind != ShapeRecord::Kind::StyleChange) {
      Edge(b, r);
      continue;
    }
    const std::uint32_t flags = (r.newStyles ? 0x10u : 0u) | (r.lineStyle ? 0x08u : 0u) |
                                (r.fillStyle1 ? 0x04u : 0u) | (r.fillStyle0 ? 0x02u : 0u) |
                                (r.moveTo ? 0x01u : 0u);
    if (flags == 0) Refuse("a style change that changes nothing reads as the end");
    b.UBits(0, 1);
    b.UBits(flags, 5);
    if (r.moveTo) {
      const int bits =
          std::max(BitWriter::SignedBitsFor(r.moveTo->first), BitWriter::SignedBitsFor(r.moveTo->second));
      if (bits > 31) Refuse("move outside 31 bits");
      b.UBits(static_cast<std::uint32_t>(bits), 5);
      b.SBits(r.moveTo->first, bits);
      b.SBits(r.moveTo->second, bits);
    }
    if (r.fillStyle0) b.UBits(*r.fillStyle0, fillBits);
    if (r.fillStyle1) b.UBits(*r.fillStyle1, fillBits);
    if (r.lineStyle) b.UBits(*r.lineStyle, lineBits);
    if (r.newStyles) {
      if (styleVersion == 0) Refuse("new style arrays where the form has none");
      b.Append(StyleArrays(styleVersion, *r.newStyles));
      std::tie(fillBits, lineBits) =
          LayerBits(records, i + 1, r.newStyles->fills.size(), r.newStyles->lines.size());
      b.UBits(static_cast<std::uint32_t>(fillBits), 4);
      b.UBits(static_cast<std::uint32_t>(lineBits), 4);
    }
  }
  b.UBits(0, 6);  // the end record
  b.Flush();
}

void SameInBoth(bool same, const char* what) {
  if (!same) Refuse(std::string("morph ") + what + " differs between start and end");
}

void MorphFill(ByteWriter& w, const FillStyle& start, const FillStyle& end) {
  SameInBoth(start.kind == end.kind, "fill kind");
  w.U8(static_cast<std::uint8_t>(start.kind));
  if (start.kind == FillKind::Solid) {
    Rgba(w, start.color);
    Rgba(w, end.color);
  } else if (Movie::IsGradient(start.kind)) {
    const Movie::Gradient& a = start.gradient;
    const Movie::Gradient& b = end.gradient;
    SameInBoth(a.spreadMode == b.spreadMode && a.interpolationMode == b.interpolationMode &&
                   a.stops.size() == b.stops.size(),
               "gradient modes or stop count");
    w.Append(MatrixRecord(start.matrix));
    w.Append(MatrixRecord(end.matrix));
    w.U8(GradientFlags(a, a.stops.size()));
    for (std::size_t i = 0; i < a.stops.size(); ++i) {
      w.U8(a.stops[i].ratio);
      Rgba(w, a.stops[i].color);
      w.U8(b.stops[i].ratio);
      Rgba(w, b.stops[i].color);
    }
    if (start.kind == FillKind::FocalRadialGradient) {
      w.S16(a.focalPoint);
      w.S16(b.focalPoint);
    }
  } else if (Movie::IsBitmap(start.kind)) {
    SameInBoth(start.bitmapId == end.bitmapId, "bitmap id");
    w.U16(start.bitmapId);
    w.Append(MatrixRecord(start.matrix));
    w.Append(MatrixRecord(end.matrix));
  } else {
    Refuse("unknown fill kind");
  }
}

void MorphLine(ByteWriter& w, int version, const Movie::MorphLineStyle& line) {
  const LineStyle& a = line.start;
  const LineStyle& b = line.end;
  w.U16(a.width).U16(b.width);
  if (version >= 2) {
    SameInBoth(a.startCap == b.startCap && a.endCap == b.endCap && a.join == b.join &&
                   a.miterLimitFactor == b.miterLimitFactor && a.noHScale == b.noHScale &&
                   a.noVScale == b.noVScale && a.pixelHinting == b.pixelHinting &&
                   a.noClose == b.noClose && a.fill.has_value() == b.fill.has_value(),
               "line caps, join or flags");
    LineFlags(w, a, a.fill.has_value());
    if (a.fill) {
      MorphFill(w, *a.fill, *b.fill);
      return;
    }
  }
  Rgba(w, a.color);
  Rgba(w, b.color);
}

}  // namespace

Bytes GlyphShape(const std::vector<ShapeRecord>& records) {
  BitWriter b;
  Records(b, records, 1, 0, 0);
  return b.Data();
}

std::uint16_t DefineShapeCode(int version) {
  switch (version) {
    case 1: return kDefineShapeTag;
    case 2: return kDefineShape2Tag;
    case 3: return kDefineShape3Tag;
    case 4: return kDefineShape4Tag;
    default: Refuse("shape form outside 1 to 4");
  }
  return 0;
}

Bytes DefineShapeTag(const Movie::ShapeDefinition& shape) {
  DefineShapeCode(shape.version);
  ByteWriter w;
  w.U16(shape.id).Append(RectOf(shape.bounds));
  if (shape.version == 4) w.Append(RectOf(shape.edgeBounds)).U8(shape.flags);
  w.Append(StyleArrays(shape.version, shape.styles));
  BitWriter b;
  Records(b, shape.records, shape.styles.fills.size(), shape.styles.lines.size(),
          shape.version >= 2 ? shape.version : 0);
  w.Append(b.Data());
  return w.Take();
}

std::uint16_t DefineMorphShapeCode(int version) {
  if (version != 1 && version != 2) Refuse("morph shape form outside 1 and 2");
  return version == 1 ? kDefineMorphShapeTag : kDefineMorphShape2Tag;
}

Bytes DefineMorphShapeTag(const Movie::MorphShapeDefinition& morph) {
  DefineMorphShapeCode(morph.version);
  ByteWriter head;
  head.U16(morph.id).Append(RectOf(morph.startBounds)).Append(RectOf(morph.endBounds));
  if (morph.version == 2) {
    head.Append(RectOf(morph.startEdgeBounds)).Append(RectOf(morph.endEdgeBounds)).U8(morph.flags);
  }
  ByteWriter body;
  StyleCount(body, morph.fills.size(), true);
  for (const Movie::MorphFillStyle& fill : morph.fills) MorphFill(body, fill.start, fill.end);
  StyleCount(body, morph.lines.size(), true);
  for (const Movie::MorphLineStyle& line : morph.lines) MorphLine(body, morph.version, line);
  BitWriter start;
  Records(start, morph.startRecords, morph.fills.size(), morph.lines.size(), 0);
  body.Append(start.Data());
  // The offset counts from the end of its own field to the end edges.
  const std::uint32_t offset = static_cast<std::uint32_t>(body.Data().size());
  BitWriter end;
  Records(end, morph.endRecords, 0, 0, 0);
  body.Append(end.Data());
  head.U32(offset).Append(body.Data());
  return head.Take();
}

ShapeRecord MoveTo(std::int32_t x, std::int32_t y) {
  ShapeRecord r;
  r.moveTo = std::make_pair(x, y);
  return r;
}

ShapeRecord LineBy(std::int32_t dx, std::int32_t dy) {
  ShapeRecord r;
  r.kind = ShapeRecord::Kind::StraightEdge;
  r.deltaX = dx;
  r.deltaY = dy;
  return r;
}

ShapeRecord CurveBy(std::int32_t controlDx, std::int32_t controlDy, std::int32_t anchorDx,
                    std::int32_t anchorDy) {
  ShapeRecord r;
  r.kind = ShapeRecord::Kind::CurvedEdge;
  r.deltaX = controlDx;
  r.deltaY = controlDy;
  r.anchorDeltaX = anchorDx;
  r.anchorDeltaY = anchorDy;
  return r;
}

}  // namespace Halvane::Tools
