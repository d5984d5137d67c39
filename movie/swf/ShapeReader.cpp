#include "movie/swf/ShapeReader.h"

#include <utility>

namespace Halvane::Movie {

namespace {

// Fill and line style counts: one byte, or 0xFF and a 16-bit count where the
// form allows the longer count (fills from the second shape form, lines in
// every form).
std::size_t ReadStyleCount(SwfReader& r, bool extendedAllowed) {
  const std::size_t count = r.U8();
  return count == 0xFF && extendedAllowed ? r.U16() : count;
}

CapStyle ReadCap(SwfReader& r) {
  const std::uint32_t v = r.UBits(2);
  return v <= 2 ? static_cast<CapStyle>(v) : CapStyle::Round;
}

JoinStyle ReadJoin(SwfReader& r) {
  const std::uint32_t v = r.UBits(2);
  return v <= 2 ? static_cast<JoinStyle>(v) : JoinStyle::Round;
}

// The flags byte of a gradient: spread and interpolation modes, stop count.
struct GradientHeader {
  std::uint8_t spreadMode = 0;
  std::uint8_t interpolationMode = 0;
  std::size_t stops = 0;
};

GradientHeader ReadGradientHeader(SwfReader& r) {
  GradientHeader h;
  h.spreadMode = static_cast<std::uint8_t>(r.UBits(2));
  h.interpolationMode = static_cast<std::uint8_t>(r.UBits(2));
  h.stops = r.UBits(4);  // four bits: never more than Gradient::MaxStops
  return h;
}

// Line style fields shared by both LINESTYLE2 and MORPHLINESTYLE2: the caps,
// join and flags, and whether a fill style stands for the colour.
bool ReadLineFlags(SwfReader& r, LineStyle& line) {
  line.startCap = ReadCap(r);
  line.join = ReadJoin(r);
  const bool hasFill = r.Flag();
  line.noHScale = r.Flag();
  line.noVScale = r.Flag();
  line.pixelHinting = r.Flag();
  r.UBits(5);
  line.noClose = r.Flag();
  line.endCap = ReadCap(r);
  if (line.join == JoinStyle::Miter) line.miterLimitFactor = r.U16();
  return hasFill;
}

class ShapeParser {
 public:
  ShapeParser(SwfReader& r, ShapeBudget& budget) : r_(r), budget_(budget) {}

  bool ReadFill(int version, FillStyle& fill) {
    const std::uint8_t type = r_.U8();
    switch (type) {
      case 0x00:
        fill.color = version >= 3 ? ReadRgba(r_) : ReadRgb(r_);
        break;
      case 0x10:
      case 0x12:
      case 0x13: {
        fill.matrix = ReadMatrix(r_);
        const GradientHeader h = ReadGradientHeader(r_);
        fill.gradient.spreadMode = h.spreadMode;
        fill.gradient.interpolationMode = h.interpolationMode;
        for (std::size_t i = 0; i < h.stops && !r_.Failed(); ++i) {
          if (!budget_.Take()) return false;
          GradientStop stop;
          stop.ratio = r_.U8();
          stop.color = version >= 3 ? ReadRgba(r_) : ReadRgb(r_);
          fill.gradient.stops.push_back(stop);
        }
        if (type == 0x13) fill.gradient.focalPoint = r_.S16();
        break;
      }
      case 0x40:
      case 0x41:
      case 0x42:
      case 0x43:
        fill.bitmapId = r_.U16();
        fill.matrix = ReadMatrix(r_);
        break;
      default:
        return false;  // its length is unknown, so nothing after it can be read
    }
    fill.kind = static_cast<FillKind>(type);
    return !r_.Failed();
  }

  bool ReadLine(int version, LineStyle& line) {
    line.width = r_.U16();
    if (version < 4) {
      line.color = version >= 3 ? ReadRgba(r_) : ReadRgb(r_);
      return !r_.Failed();
    }
    if (ReadLineFlags(r_, line)) {
      line.fill.emplace();
      return ReadFill(version, *line.fill);
    }
    line.color = ReadRgba(r_);
    return !r_.Failed();
  }

  bool ReadStyleArrays(int version, ShapeStyles& styles) {
    const std::size_t fills = ReadStyleCount(r_, version >= 2);
    for (std::size_t i = 0; i < fills; ++i) {
      if (r_.Failed() || !budget_.Take()) return false;
      styles.fills.emplace_back();
      if (!ReadFill(version, styles.fills.back())) return false;
    }
    const std::size_t lines = ReadStyleCount(r_, true);
    for (std::size_t i = 0; i < lines; ++i) {
      if (r_.Failed() || !budget_.Take()) return false;
      styles.lines.emplace_back();
      if (!ReadLine(version, styles.lines.back())) return false;
    }
    return !r_.Failed();
  }

  bool ReadMorphFill(MorphFillStyle& fill) {
    const std::uint8_t type = r_.U8();
    switch (type) {
      case 0x00:
        fill.start.color = ReadRgba(r_);
        fill.end.color = ReadRgba(r_);
        break;
      case 0x10:
      case 0x12:
      case 0x13: {
        fill.start.matrix = ReadMatrix(r_);
        fill.end.matrix = ReadMatrix(r_);
        const GradientHeader h = ReadGradientHeader(r_);
        for (Gradient* g : {&fill.start.gradient, &fill.end.gradient}) {
          g->spreadMode = h.spreadMode;
          g->interpolationMode = h.interpolationMode;
        }
        for (std::size_t i = 0; i < h.stops && !r_.Failed(); ++i) {
          if (!budget_.Take()) return false;
          GradientStop start;
          start.ratio = r_.U8();
          start.color = ReadRgba(r_);
          GradientStop end;
          end.ratio = r_.U8();
          end.color = ReadRgba(r_);
          fill.start.gradient.stops.push_back(start);
          fill.end.gradient.stops.push_back(end);
        }
        if (type == 0x13) {
          fill.start.gradient.focalPoint = r_.S16();
          fill.end.gradient.focalPoint = r_.S16();
        }
        break;
      }
      case 0x40:
      case 0x41:
      case 0x42:
      case 0x43:
        fill.start.bitmapId = fill.end.bitmapId = r_.U16();
        fill.start.matrix = ReadMatrix(r_);
        fill.end.matrix = ReadMatrix(r_);
        break;
      default:
        return false;
    }
    fill.start.kind = fill.end.kind = static_cast<FillKind>(type);
    return !r_.Failed();
  }

  bool ReadMorphLine(int version, MorphLineStyle& line) {
    line.start.width = r_.U16();
    line.end.width = r_.U16();
    bool hasFill = false;
    if (version >= 2) {
      hasFill = ReadLineFlags(r_, line.start);
      const std::uint16_t width = line.end.width;
      line.end = line.start;
      line.end.width = width;
    }
    if (hasFill) {
      MorphFillStyle fill;
      if (!ReadMorphFill(fill)) return false;
      line.start.fill = std::move(fill.start);
      line.end.fill = std::move(fill.end);
      return true;
    }
    line.start.color = ReadRgba(r_);
    line.end.color = ReadRgba(r_);
    return !r_.Failed();
  }

  // The fill and line bit counts, then shape records up to the end record.
  // fills and lines are the sizes of the style arrays in force; styleVersion
  // is the form new style arrays are read in, 0 where none are allowed.
  bool ReadRecords(std::size_t fills, std::size_t lines, int styleVersion,
               std::vector<ShapeRecord>& out) {
    int fillBits = static_cast<int>(r_.UBits(4));
    int lineBits = static_cast<int>(r_.UBits(4));
    for (;;) {
      if (r_.Failed()) return false;
      ShapeRecord record;
      if (r_.Flag()) {
        const bool straight = r_.Flag();
        const int bits = static_cast<int>(r_.UBits(4)) + 2;
        if (straight) {
          record.kind = ShapeRecord::Kind::StraightEdge;
          if (r_.Flag()) {
            record.deltaX = r_.SBits(bits);
            record.deltaY = r_.SBits(bits);
          } else if (r_.Flag()) {
            record.deltaY = r_.SBits(bits);
          } else {
            record.deltaX = r_.SBits(bits);
          }
        } else {
          record.kind = ShapeRecord::Kind::CurvedEdge;
          record.deltaX = r_.SBits(bits);
          record.deltaY = r_.SBits(bits);
          record.anchorDeltaX = r_.SBits(bits);
          record.anchorDeltaY = r_.SBits(bits);
        }
      } else {
        const std::uint32_t flags = r_.UBits(5);
        if (r_.Failed()) return false;
        if (flags == 0) return true;  // the end record
        record.kind = ShapeRecord::Kind::StyleChange;
        if (flags & 0x01) {
          const int bits = static_cast<int>(r_.UBits(5));
          const std::int32_t x = r_.SBits(bits);
          const std::int32_t y = r_.SBits(bits);
          record.moveTo = std::make_pair(x, y);
        }
        if (flags & 0x02) record.fillStyle0 = r_.UBits(fillBits);
        if (flags & 0x04) record.fillStyle1 = r_.UBits(fillBits);
        if (flags & 0x08) record.lineStyle = r_.UBits(lineBits);
        if (flags & 0x10) {
          if (styleVersion == 0) return false;
          ShapeStyles styles;
          if (!ReadStyleArrays(styleVersion, styles)) return false;
          fillBits = static_cast<int>(r_.UBits(4));
          lineBits = static_cast<int>(r_.UBits(4));
          fills = styles.fills.size();
          lines = styles.lines.size();
          record.newStyles = std::move(styles);
        }
        // An index past the arrays in force names no style.
        for (auto* index : {&record.fillStyle0, &record.fillStyle1}) {
          if (*index && **index > fills) *index = 0u;
        }
        if (record.lineStyle && *record.lineStyle > lines) record.lineStyle = 0u;
      }
      if (r_.Failed() || !budget_.Take()) return false;
      out.push_back(std::move(record));
    }
  }

 private:
  SwfReader& r_;
  ShapeBudget& budget_;
};

}  // namespace

bool ReadShapeDefinition(SwfReader& r, int version, ShapeBudget& budget, ShapeDefinition& shape) {
  shape.id = r.U16();
  shape.version = version;
  shape.bounds = ReadRect(r);
  shape.edgeBounds = shape.bounds;
  if (version == 4) {
    shape.edgeBounds = ReadRect(r);
    shape.flags = r.U8();
  }
  if (r.Failed()) return false;
  ShapeParser parser(r, budget);
  if (!parser.ReadStyleArrays(version, shape.styles)) return false;
  // New style arrays came with the second form.
  return parser.ReadRecords(shape.styles.fills.size(), shape.styles.lines.size(),
                        version >= 2 ? version : 0, shape.records);
}

bool ReadMorphShapeDefinition(SwfReader& r, int version, ShapeBudget& budget,
                              MorphShapeDefinition& morph) {
  morph.id = r.U16();
  morph.version = version;
  morph.startBounds = ReadRect(r);
  morph.endBounds = ReadRect(r);
  morph.startEdgeBounds = morph.startBounds;
  morph.endEdgeBounds = morph.endBounds;
  if (version == 2) {
    morph.startEdgeBounds = ReadRect(r);
    morph.endEdgeBounds = ReadRect(r);
    morph.flags = r.U8();
  }
  const std::uint32_t offset = r.U32();
  const std::size_t base = r.Position();
  if (r.Failed()) return false;

  ShapeParser parser(r, budget);
  const std::size_t fills = ReadStyleCount(r, true);
  for (std::size_t i = 0; i < fills; ++i) {
    if (r.Failed() || !budget.Take()) return false;
    morph.fills.emplace_back();
    if (!parser.ReadMorphFill(morph.fills.back())) return false;
  }
  const std::size_t lines = ReadStyleCount(r, true);
  for (std::size_t i = 0; i < lines; ++i) {
    if (r.Failed() || !budget.Take()) return false;
    morph.lines.emplace_back();
    if (!parser.ReadMorphLine(version, morph.lines.back())) return false;
  }
  if (!parser.ReadRecords(morph.fills.size(), morph.lines.size(), 0, morph.startRecords)) return false;

  if (offset != 0) {
    const std::size_t here = r.Position();
    if (offset > r.Size() - base || base + offset < here) return false;
    r.Skip(base + offset - here);
  }
  return parser.ReadRecords(morph.fills.size(), morph.lines.size(), 0, morph.endRecords);
}

bool ReadGlyphShape(SwfReader& r, ShapeBudget& budget, std::vector<ShapeRecord>& records) {
  ShapeParser parser(r, budget);
  return parser.ReadRecords(1, 0, 0, records);
}

}  // namespace Halvane::Movie
