#include "tools/FilterWriter.h"

#include <cmath>
#include <cstring>

namespace Halvane::Tools {

namespace {

using namespace Movie;

constexpr double kRadiansPerDegree = 0.017453292519943295769;

void Fixed16(ByteWriter& w, double v) { w.U32(static_cast<std::uint32_t>(static_cast<std::int32_t>(std::llround(v * 65536)))); }
void Fixed8(ByteWriter& w, double v) { w.S16(static_cast<std::int16_t>(std::llround(v * 256))); }
void Float(ByteWriter& w, double v) {
  const float f = static_cast<float>(v);
  std::uint32_t bits = 0;
  std::memcpy(&bits, &f, sizeof bits);
  w.U32(bits);
}
void Color(ByteWriter& w, std::uint32_t color, double alpha) {
  w.U8(static_cast<std::uint8_t>(color >> 16)).U8(static_cast<std::uint8_t>(color >> 8)).U8(static_cast<std::uint8_t>(color));
  w.U8(static_cast<std::uint8_t>(std::lround(alpha * 255)));
}
void Flags(ByteWriter& w, bool inner, bool knockout, bool composite, bool onTop, int quality) {
  w.U8(static_cast<std::uint8_t>((inner ? 0x80 : 0) | (knockout ? 0x40 : 0) | (composite ? 0x20 : 0) | (onTop ? 0x10 : 0) |
                                 quality));
}
void Placing(ByteWriter& w, FilterPlacing placing, bool knockout, int quality) {
  Flags(w, placing == FilterPlacing::Inner, knockout, true, placing == FilterPlacing::Full, quality);
}

struct Writer {
  ByteWriter& w;
  // What follows the colours of a bevel and of both gradient filters.
  template <class Record>
  void BevelSettings(const Record& f) {
    Fixed16(w, f.blurX);
    Fixed16(w, f.blurY);
    Fixed16(w, f.angle * kRadiansPerDegree);
    Fixed16(w, f.distance);
    Fixed8(w, f.strength);
    Placing(w, f.placing, f.knockout, f.quality);
  }
  void operator()(const DropShadowFilterRecord& f) {
    w.U8(0);
    Color(w, f.color, f.alpha);
    Fixed16(w, f.blurX);
    Fixed16(w, f.blurY);
    Fixed16(w, f.angle * kRadiansPerDegree);
    Fixed16(w, f.distance);
    Fixed8(w, f.strength);
    Flags(w, f.inner, f.knockout, !f.hideObject, false, f.quality);
  }
  void operator()(const BlurFilterRecord& f) {
    w.U8(1);
    Fixed16(w, f.blurX);
    Fixed16(w, f.blurY);
    w.U8(static_cast<std::uint8_t>(f.quality << 3));
  }
  void operator()(const GlowFilterRecord& f) {
    w.U8(2);
    Color(w, f.color, f.alpha);
    Fixed16(w, f.blurX);
    Fixed16(w, f.blurY);
    Fixed8(w, f.strength);
    Flags(w, f.inner, f.knockout, true, false, f.quality);
  }
  void operator()(const BevelFilterRecord& f) {
    w.U8(3);
    Color(w, f.shadowColor, f.shadowAlpha);
    Color(w, f.highlightColor, f.highlightAlpha);
    BevelSettings(f);
  }
  void Gradient(std::uint8_t id, const GradientFilterSettings& f) {
    w.U8(id).U8(static_cast<std::uint8_t>(f.colors.size()));
    for (std::size_t i = 0; i < f.colors.size(); ++i) Color(w, f.colors[i], f.alphas[i]);
    for (const double r : f.ratios) w.U8(static_cast<std::uint8_t>(r));
    BevelSettings(f);
  }
  void operator()(const GradientGlowFilterRecord& f) { Gradient(4, f); }
  void operator()(const GradientBevelFilterRecord& f) { Gradient(7, f); }
  void operator()(const ConvolutionFilterRecord& f) {
    w.U8(5).U8(static_cast<std::uint8_t>(f.columns)).U8(static_cast<std::uint8_t>(f.rows));
    Float(w, f.divisor);
    Float(w, f.bias);
    for (const double v : f.values) Float(w, v);
    Color(w, f.color, f.alpha);
    w.U8(static_cast<std::uint8_t>((f.clamp ? 0x02 : 0) | (f.preserveAlpha ? 0x01 : 0)));
  }
  void operator()(const ColorMatrixFilterRecord& f) {
    w.U8(6);
    for (const double v : f.values) Float(w, v);
  }
  void operator()(const DisplacementMapFilterRecord&) {}
};

}  // namespace

Bytes FilterListRecord(const std::vector<FilterRecord>& filters) {
  ByteWriter w;
  std::size_t count = 0;
  for (const FilterRecord& f : filters) count += std::holds_alternative<DisplacementMapFilterRecord>(f) ? 0 : 1;
  w.U8(static_cast<std::uint8_t>(count));
  for (const FilterRecord& f : filters) std::visit(Writer{w}, f);
  return w.Take();
}

}  // namespace Halvane::Tools
