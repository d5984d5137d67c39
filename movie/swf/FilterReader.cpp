#include "movie/swf/FilterReader.h"

#include <cstring>

#include "movie/swf/SwfReader.h"

namespace Halvane::Movie {

namespace {

constexpr double kDegreesPerRadian = 57.295779513082320876798;

double Fixed16(SwfReader& r) { return static_cast<std::int32_t>(r.U32()) / 65536.0; }
double Fixed8(SwfReader& r) { return r.S16() / 256.0; }

double Float(SwfReader& r) {
  const std::uint32_t bits = r.U32();
  float f = 0;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// A colour as scripts read it (24 bits) and its alpha from 0 to 1.
void Color(SwfReader& r, std::uint32_t& color, double& alpha) {
  const Rgba c = ReadRgba(r);
  color = (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
  alpha = c.alpha / 255.0;
}

// The flags byte that ends the shadow, glow and bevel records: inner,
// knockout, composite source, then (bevels) on top; the low bits count
// the passes.
struct Flags {
  bool inner, knockout, composite, onTop;
  int passes;
};
Flags ReadFlags(SwfReader& r, int passBits) {
  const std::uint8_t b = r.U8();
  return {(b & 0x80) != 0, (b & 0x40) != 0, (b & 0x20) != 0, (b & 0x10) != 0, b & ((1 << passBits) - 1)};
}

FilterPlacing Placing(const Flags& f) {
  if (f.onTop) return FilterPlacing::Full;
  return f.inner ? FilterPlacing::Inner : FilterPlacing::Outer;
}

int Quality(int passes) { return passes > 15 ? 15 : passes; }

DropShadowFilterRecord ReadDropShadow(SwfReader& r) {
  DropShadowFilterRecord f;
  Color(r, f.color, f.alpha);
  f.blurX = Fixed16(r);
  f.blurY = Fixed16(r);
  f.angle = Fixed16(r) * kDegreesPerRadian;
  f.distance = Fixed16(r);
  f.strength = Fixed8(r);
  const Flags flags = ReadFlags(r, 5);
  f.inner = flags.inner;
  f.knockout = flags.knockout;
  f.hideObject = !flags.composite;
  f.quality = Quality(flags.passes);
  return f;
}

BlurFilterRecord ReadBlur(SwfReader& r) {
  BlurFilterRecord f;
  f.blurX = Fixed16(r);
  f.blurY = Fixed16(r);
  f.quality = Quality(r.U8() >> 3);
  return f;
}

GlowFilterRecord ReadGlow(SwfReader& r) {
  GlowFilterRecord f;
  Color(r, f.color, f.alpha);
  f.blurX = Fixed16(r);
  f.blurY = Fixed16(r);
  f.strength = Fixed8(r);
  const Flags flags = ReadFlags(r, 5);
  f.inner = flags.inner;
  f.knockout = flags.knockout;
  f.quality = Quality(flags.passes);
  return f;
}

// What follows the colours of a bevel and of both gradient filters.
template <class Record>
void ReadBevelSettings(SwfReader& r, Record& f) {
  f.blurX = Fixed16(r);
  f.blurY = Fixed16(r);
  f.angle = Fixed16(r) * kDegreesPerRadian;
  f.distance = Fixed16(r);
  f.strength = Fixed8(r);
  const Flags flags = ReadFlags(r, 4);
  f.knockout = flags.knockout;
  f.placing = Placing(flags);
  f.quality = Quality(flags.passes);
}

BevelFilterRecord ReadBevel(SwfReader& r) {
  BevelFilterRecord f;
  Color(r, f.shadowColor, f.shadowAlpha);
  Color(r, f.highlightColor, f.highlightAlpha);
  ReadBevelSettings(r, f);
  return f;
}

template <class Record>
Record ReadGradient(SwfReader& r) {
  Record f;
  const std::size_t count = r.U8();
  // Five bytes a stop: nothing is allocated for stops the tag cannot hold.
  if (count * 5 > r.Remaining()) {
    r.Fail();
    return f;
  }
  f.colors.resize(count);
  f.alphas.resize(count);
  for (std::size_t i = 0; i < count; ++i) Color(r, f.colors[i], f.alphas[i]);
  for (std::size_t i = 0; i < count; ++i) f.ratios.push_back(r.U8());
  ReadBevelSettings(r, f);
  return f;
}

ConvolutionFilterRecord ReadConvolution(SwfReader& r) {
  ConvolutionFilterRecord f;
  f.columns = r.U8();
  f.rows = r.U8();
  f.divisor = Float(r);
  f.bias = Float(r);
  const std::size_t count = static_cast<std::size_t>(f.columns) * static_cast<std::size_t>(f.rows);
  if (count * 4 > r.Remaining()) {
    r.Fail();
    return f;
  }
  f.values.reserve(count);
  for (std::size_t i = 0; i < count; ++i) f.values.push_back(Float(r));
  Color(r, f.color, f.alpha);
  const std::uint8_t flags = r.U8();
  f.clamp = (flags & 0x02) != 0;
  f.preserveAlpha = (flags & 0x01) != 0;
  return f;
}

ColorMatrixFilterRecord ReadColorMatrix(SwfReader& r) {
  ColorMatrixFilterRecord f;
  for (double& v : f.values) v = Float(r);
  return f;
}

}  // namespace

std::shared_ptr<const std::vector<FilterRecord>> ReadFilterList(SwfReader& r) {
  auto list = std::make_shared<std::vector<FilterRecord>>();
  const std::uint8_t count = r.U8();
  for (std::uint8_t i = 0; i < count && !r.Failed(); ++i) {
    switch (r.U8()) {
      case 0: list->emplace_back(ReadDropShadow(r)); break;
      case 1: list->emplace_back(ReadBlur(r)); break;
      case 2: list->emplace_back(ReadGlow(r)); break;
      case 3: list->emplace_back(ReadBevel(r)); break;
      case 4: list->emplace_back(ReadGradient<GradientGlowFilterRecord>(r)); break;
      case 5: list->emplace_back(ReadConvolution(r)); break;
      case 6: list->emplace_back(ReadColorMatrix(r)); break;
      case 7: list->emplace_back(ReadGradient<GradientBevelFilterRecord>(r)); break;
      default: r.Fail(); break;
    }
  }
  if (r.Failed()) return nullptr;
  return list;
}

}  // namespace Halvane::Movie
