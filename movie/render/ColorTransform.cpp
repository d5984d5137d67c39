#include "movie/render/ColorTransform.h"

#include <algorithm>

namespace Halvane::Movie::Render {

namespace {

// value >> 8 rounding towards minus infinity, without relying on how the
// compiler shifts negative numbers.
std::int64_t ShiftDown8(std::int64_t value) { return value >= 0 ? value / 256 : -((-value + 255) / 256); }

std::int32_t Bounded(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, -ColorTransform::Limit, ColorTransform::Limit));
}

std::uint8_t Channel(std::uint8_t c, std::int32_t mult, std::int32_t add) {
  const std::int64_t v = ShiftDown8(static_cast<std::int64_t>(c) * mult) + add;
  return static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255));
}

}  // namespace

ColorTransform ColorTransform::FromFields(const std::int32_t mult[4], const std::int32_t add[4]) {
  ColorTransform t;
  for (int i = 0; i < 4; ++i) {
    t.mult[i] = Bounded(mult[i]);
    t.add[i] = Bounded(add[i]);
  }
  return t;
}

bool ColorTransform::IsIdentity() const { return *this == ColorTransform(); }

Rgba ColorTransform::Apply(const Rgba& color) const {
  Rgba out;
  out.red = Channel(color.red, mult[0], add[0]);
  out.green = Channel(color.green, mult[1], add[1]);
  out.blue = Channel(color.blue, mult[2], add[2]);
  out.alpha = Channel(color.alpha, mult[3], add[3]);
  return out;
}

bool ColorTransform::KeepsOpaque() const { return Channel(255, mult[3], add[3]) == 255; }

ColorTransform ColorTransform::Compose(const ColorTransform& outer, const ColorTransform& inner) {
  ColorTransform t;
  for (int i = 0; i < 4; ++i) {
    t.mult[i] = Bounded(ShiftDown8(static_cast<std::int64_t>(outer.mult[i]) * inner.mult[i]));
    t.add[i] = Bounded(ShiftDown8(static_cast<std::int64_t>(inner.add[i]) * outer.mult[i]) + outer.add[i]);
  }
  return t;
}

bool ColorTransform::operator==(const ColorTransform& o) const {
  for (int i = 0; i < 4; ++i) {
    if (mult[i] != o.mult[i] || add[i] != o.add[i]) return false;
  }
  return true;
}

}  // namespace Halvane::Movie::Render
