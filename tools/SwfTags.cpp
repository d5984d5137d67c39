#include "tools/SwfTags.h"

#include <algorithm>
#include <initializer_list>

#include "tools/FilterWriter.h"
#include "tools/ShapeWriter.h"

namespace Halvane::Tools {

namespace {

int BitsFor(std::initializer_list<std::int32_t> values) {
  int bits = 1;
  for (std::int32_t v : values) {
    const int need = BitWriter::SignedBitsFor(v);
    if (need > bits) bits = need;
  }
  return bits;
}

void WriteMatrix(BitWriter& w, const MatrixSpec& m) {
  const bool hasScale = m.scaleX != 0x10000 || m.scaleY != 0x10000;
  w.UBits(hasScale ? 1 : 0, 1);
  if (hasScale) {
    const int bits = BitsFor({m.scaleX, m.scaleY});
    w.UBits(static_cast<std::uint32_t>(bits), 5);
    w.SBits(m.scaleX, bits);
    w.SBits(m.scaleY, bits);
  }
  const bool hasRotate = m.rotateSkew0 != 0 || m.rotateSkew1 != 0;
  w.UBits(hasRotate ? 1 : 0, 1);
  if (hasRotate) {
    const int bits = BitsFor({m.rotateSkew0, m.rotateSkew1});
    w.UBits(static_cast<std::uint32_t>(bits), 5);
    w.SBits(m.rotateSkew0, bits);
    w.SBits(m.rotateSkew1, bits);
  }
  const int bits = (m.translateX == 0 && m.translateY == 0) ? 0 : BitsFor({m.translateX, m.translateY});
  w.UBits(static_cast<std::uint32_t>(bits), 5);
  w.SBits(m.translateX, bits);
  w.SBits(m.translateY, bits);
  w.Flush();
}

Bytes PlaceFields(const PlaceSpec& p, int version) {
  ByteWriter w;
  std::uint8_t flags = 0;
  if (p.move) flags |= 0x01;
  if (p.characterId) flags |= 0x02;
  if (p.matrix) flags |= 0x04;
  if (p.colorTransform) flags |= 0x08;
  if (p.ratio) flags |= 0x10;
  if (p.name) flags |= 0x20;
  if (p.clipDepth) flags |= 0x40;
  w.U8(flags);
  if (version == 3) {
    std::uint8_t flags2 = 0;
    if (p.className) flags2 |= 0x08;
    if (p.blendMode) flags2 |= 0x02;
    if (p.withFilterList) flags2 |= 0x01;
    w.U8(flags2);
  }
  w.U16(p.depth);
  if (version == 3 && p.className) w.String(*p.className);
  if (p.characterId) w.U16(*p.characterId);
  if (p.matrix) w.Append(MatrixRecord(*p.matrix));
  if (p.colorTransform) w.Append(ColorTransformRecord(*p.colorTransform, true));
  if (p.ratio) w.U16(*p.ratio);
  if (p.name) w.String(*p.name);
  if (p.clipDepth) w.U16(*p.clipDepth);
  if (version == 3 && p.withFilterList) w.Append(FilterListRecord(p.filters));
  if (version == 3 && p.blendMode) w.U8(*p.blendMode);
  return w.Take();
}

}  // namespace

Bytes MatrixRecord(const MatrixSpec& m) {
  BitWriter w;
  WriteMatrix(w, m);
  return w.Data();
}

Bytes ColorTransformRecord(const ColorTransformSpec& cx, bool withAlpha) {
  const int channels = withAlpha ? 4 : 3;
  bool hasMult = false;
  bool hasAdd = false;
  int bits = 1;
  for (int i = 0; i < channels; ++i) {
    if (cx.mult[i] != 256) hasMult = true;
    if (cx.add[i] != 0) hasAdd = true;
    bits = std::max(bits, BitWriter::SignedBitsFor(cx.mult[i]));
    bits = std::max(bits, BitWriter::SignedBitsFor(cx.add[i]));
  }
  BitWriter w;
  w.UBits(hasAdd ? 1 : 0, 1);
  w.UBits(hasMult ? 1 : 0, 1);
  w.UBits(static_cast<std::uint32_t>(bits), 4);
  if (hasMult) {
    for (int i = 0; i < channels; ++i) w.SBits(cx.mult[i], bits);
  }
  if (hasAdd) {
    for (int i = 0; i < channels; ++i) w.SBits(cx.add[i], bits);
  }
  w.Flush();
  return w.Data();
}

Bytes PlaceObject(std::uint16_t characterId, std::uint16_t depth, const MatrixSpec& m,
                  const std::optional<ColorTransformSpec>& cx) {
  ByteWriter w;
  w.U16(characterId).U16(depth).Append(MatrixRecord(m));
  if (cx) w.Append(ColorTransformRecord(*cx, false));
  return w.Take();
}

PlaceSpec PlaceCharacter(std::uint16_t depth, std::uint16_t characterId) {
  PlaceSpec p;
  p.depth = depth;
  p.characterId = characterId;
  return p;
}

Bytes PlaceObject2(const PlaceSpec& place) { return PlaceFields(place, 2); }

Bytes PlaceObject3(const PlaceSpec& place) { return PlaceFields(place, 3); }

Bytes RemoveObject(std::uint16_t characterId, std::uint16_t depth) {
  ByteWriter w;
  w.U16(characterId).U16(depth);
  return w.Take();
}

Bytes RemoveObject2(std::uint16_t depth) {
  ByteWriter w;
  w.U16(depth);
  return w.Take();
}

Bytes FrameLabel(const std::string& label) {
  ByteWriter w;
  w.String(label);
  return w.Take();
}

Bytes DoAction(const Bytes& actions) {
  ByteWriter w;
  w.Append(actions).U8(0);
  return w.Take();
}

Bytes SetBackgroundColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  ByteWriter w;
  w.U8(red).U8(green).U8(blue);
  return w.Take();
}

Bytes DefineShape(std::uint16_t id, std::int32_t width, std::int32_t height, std::uint8_t red,
                  std::uint8_t green, std::uint8_t blue) {
  Movie::ShapeDefinition shape;
  shape.id = id;
  shape.bounds = Movie::TwipsRect{0, width, 0, height};
  shape.edgeBounds = shape.bounds;
  Movie::FillStyle fill;
  fill.color = Movie::Rgba{red, green, blue, 255};
  shape.styles.fills.push_back(fill);
  Movie::ShapeRecord start = MoveTo(0, 0);
  start.fillStyle0 = 1u;
  shape.records = {start, LineBy(width, 0), LineBy(0, height), LineBy(-width, 0), LineBy(0, -height)};
  return DefineShapeTag(shape);
}

SpriteBuilder& SpriteBuilder::AddTag(std::uint16_t code, const Bytes& payload) {
  if (code == kShowFrameTag) ++frames_;
  const Bytes t = Tag(code, payload);
  tags_.insert(tags_.end(), t.begin(), t.end());
  return *this;
}

SpriteBuilder& SpriteBuilder::SetFrameCount(std::uint16_t count) {
  frameOverride_ = count;
  return *this;
}

Bytes SpriteBuilder::Build(std::uint16_t id) const {
  ByteWriter w;
  w.U16(id).U16(static_cast<std::uint16_t>(frameOverride_ >= 0 ? frameOverride_ : frames_));
  w.Append(tags_);
  w.Append(Tag(kEndTag, {}));
  return w.Take();
}

}  // namespace Halvane::Tools
