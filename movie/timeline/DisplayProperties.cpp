#include "movie/timeline/DisplayProperties.h"

#include <algorithm>
#include <cmath>

#include "movie/actions/Numbers.h"
#include "movie/timeline/MovieClip.h"

namespace Halvane::Movie {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The extent of the transformed bounds along x (or y), twips.
double Extent(const Matrix& m, const double* b, bool alongX) {
  const double a = m.scaleX / 65536.0, bb = m.rotateSkew0 / 65536.0;
  const double c = m.rotateSkew1 / 65536.0, d = m.scaleY / 65536.0;
  double lo = 0, hi = 0;
  bool first = true;
  for (int i = 0; i < 4; ++i) {
    const double x = (i & 1) ? b[2] : b[0];
    const double y = (i & 2) ? b[3] : b[1];
    const double v = alongX ? a * x + c * y : bb * x + d * y;
    if (first) lo = hi = v;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
    first = false;
  }
  return hi - lo;
}

}  // namespace

double ReadPlacementProperty(const DisplayObject& object, TargetProperty property, const double* localBounds) {
  const Matrix& m = object.matrix;
  if (object.scaleAndRotationSet) {
    if (property == TargetProperty::XScale) return object.xScale;
    if (property == TargetProperty::YScale) return object.yScale;
    if (property == TargetProperty::Rotation) return object.rotation;
  }
  switch (property) {
    case TargetProperty::X:
      return m.translateX / 20.0;
    case TargetProperty::Y:
      return m.translateY / 20.0;
    case TargetProperty::XScale:
      return std::hypot(static_cast<double>(m.scaleX), static_cast<double>(m.rotateSkew0)) / 65536.0 * 100.0;
    case TargetProperty::YScale:
      return std::hypot(static_cast<double>(m.rotateSkew1), static_cast<double>(m.scaleY)) / 65536.0 * 100.0;
    case TargetProperty::Rotation:
      return std::atan2(static_cast<double>(m.rotateSkew0), static_cast<double>(m.scaleX)) * 180.0 / kPi;
    case TargetProperty::Alpha:
      return object.colorTransform.mult[3] / 256.0 * 100.0;
    case TargetProperty::Visible:
      return object.visible ? 1.0 : 0.0;
    case TargetProperty::Width:
      return localBounds ? std::round(Extent(m, localBounds, true)) / 20.0 : 0.0;
    case TargetProperty::Height:
      return localBounds ? std::round(Extent(m, localBounds, false)) / 20.0 : 0.0;
    case TargetProperty::HighQuality:
    case TargetProperty::FocusRect:
      return 1.0;
    default:
      return 0.0;
  }
}

void WritePlacementProperty(DisplayObject& object, TargetProperty property, double value, const double* localBounds) {
  if (std::isnan(value)) return;
  if (property != TargetProperty::Visible) object.transformed = true;
  Matrix& m = object.matrix;
  const double xScale = ReadPlacementProperty(object, TargetProperty::XScale, nullptr) / 100.0;
  const double yScale = ReadPlacementProperty(object, TargetProperty::YScale, nullptr) / 100.0;
  const double rotation = ReadPlacementProperty(object, TargetProperty::Rotation, nullptr) * kPi / 180.0;
  const auto compose = [&m, &object](double sx, double sy, double r) {
    m.scaleX = RoundToInt32(sx * std::cos(r) * 65536.0);
    m.rotateSkew0 = RoundToInt32(sx * std::sin(r) * 65536.0);
    m.rotateSkew1 = RoundToInt32(-sy * std::sin(r) * 65536.0);
    m.scaleY = RoundToInt32(sy * std::cos(r) * 65536.0);
    object.scaleAndRotationSet = true;
    object.xScale = sx * 100.0;
    object.yScale = sy * 100.0;
    object.rotation = r * 180.0 / kPi;
  };
  switch (property) {
    case TargetProperty::X:
      m.translateX = TruncateToInt32(value * 20.0);
      break;
    case TargetProperty::Y:
      m.translateY = TruncateToInt32(value * 20.0);
      break;
    case TargetProperty::XScale:
      compose(value / 100.0, yScale, rotation);
      object.xScale = value;
      break;
    case TargetProperty::YScale:
      compose(xScale, value / 100.0, rotation);
      object.yScale = value;
      break;
    case TargetProperty::Rotation: {
      double degrees = std::fmod(value, 360.0);
      if (degrees > 180) degrees -= 360;
      if (degrees < -180) degrees += 360;
      compose(xScale, yScale, degrees * kPi / 180.0);
      object.rotation = degrees;
      break;
    }
    case TargetProperty::Alpha:
      // The multiplier keeps whole 256ths, the fraction cut off.
      object.colorTransform.mult[3] = static_cast<std::int16_t>(TruncateToInt32(value / 100.0 * 256.0));
      break;
    case TargetProperty::Visible:
      object.visible = value != 0.0;
      break;
    case TargetProperty::Width:
    case TargetProperty::Height: {
      if (value < 0) break;
      // A clip that shows nothing has no size to scale from: the platform's
      // player collapses it on both axes, so what it shows later stays flat.
      if (localBounds == nullptr) {
        compose(0, 0, rotation);
        break;
      }
      const bool alongX = property == TargetProperty::Width;
      const double local = alongX ? localBounds[2] - localBounds[0] : localBounds[3] - localBounds[1];
      if (local <= 0) break;
      const double scale = value * 20.0 / local;
      if (alongX) compose(scale, yScale, rotation);
      else compose(xScale, scale, rotation);
      break;
    }
    default:
      break;
  }
}

}  // namespace Halvane::Movie
