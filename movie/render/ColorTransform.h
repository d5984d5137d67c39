// A colour transform as movies state it: per channel (red, green, blue,
// alpha) c' = clamp(((c * mult) >> 8) + add, 0, 255), in integers, mult in
// 8.8 fixed point. The shift rounds towards minus infinity, as an arithmetic
// shift does, also for negative multipliers.
#pragma once

#include <cstdint>

#include "movie/render/RenderTypes.h"

namespace Halvane::Movie::Render {

struct ColorTransform {
  // Nested transforms multiply their factors; each field is kept within
  // +-Limit so that any nesting depth stays finite and exact in 64 bits.
  static constexpr std::int32_t Limit = 1 << 24;

  std::int32_t mult[4] = {256, 256, 256, 256};
  std::int32_t add[4] = {0, 0, 0, 0};

  static ColorTransform Identity() { return ColorTransform(); }
  static ColorTransform FromFields(const std::int32_t mult[4], const std::int32_t add[4]);

  bool IsIdentity() const;
  Rgba Apply(const Rgba& color) const;
  // True when an opaque colour stays opaque under this transform.
  bool KeepsOpaque() const;

  // The transform of an object inside a sprite: inner applies first, then
  // outer, folded into one transform as nested placements are:
  // mult = (outer.mult * inner.mult) >> 8, add = ((inner.add * outer.mult) >> 8) + outer.add.
  // It differs from applying the two in turn only where inner alone would
  // have clamped.
  static ColorTransform Compose(const ColorTransform& outer, const ColorTransform& inner);

  bool operator==(const ColorTransform& o) const;
  bool operator!=(const ColorTransform& o) const { return !(*this == o); }
};

}  // namespace Halvane::Movie::Render
