#include "movie/render/RenderTypes.h"

#include <cmath>

namespace Halvane::Movie::Render {

Transform Transform::Then(const Transform& outer) const {
  Transform r;
  r.a = outer.a * a + outer.c * b;
  r.b = outer.b * a + outer.d * b;
  r.c = outer.a * c + outer.c * d;
  r.d = outer.b * c + outer.d * d;
  r.tx = outer.a * tx + outer.c * ty + outer.tx;
  r.ty = outer.b * tx + outer.d * ty + outer.ty;
  return r;
}

bool Transform::Invert(Transform* inverse) const {
  *inverse = Transform();
  const double det = a * d - b * c;
  if (det == 0.0 || !std::isfinite(det) || !std::isfinite(tx) || !std::isfinite(ty)) return false;
  Transform r;
  r.a = d / det;
  r.b = -b / det;
  r.c = -c / det;
  r.d = a / det;
  r.tx = -(r.a * tx + r.c * ty);
  r.ty = -(r.b * tx + r.d * ty);
  if (!std::isfinite(r.a) || !std::isfinite(r.b) || !std::isfinite(r.c) || !std::isfinite(r.d) ||
      !std::isfinite(r.tx) || !std::isfinite(r.ty)) {
    return false;
  }
  *inverse = r;
  return true;
}

BlendMode BlendModeFromByte(std::uint8_t value) {
  if (value >= static_cast<std::uint8_t>(BlendMode::Normal) &&
      value <= static_cast<std::uint8_t>(BlendMode::HardLight)) {
    return static_cast<BlendMode>(value);
  }
  return BlendMode::Normal;
}

}  // namespace Halvane::Movie::Render
