#include "movie/timeline/DisplayProperties.h"

#include <algorithm>
#include <cmath>

#include "movie/actions/Numbers.h"
#include "movie/timeline/MovieClip.h"

namespace Halvane::Movie {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The extent of the transformed bounds along x (or y), whole twips. The
// corners are placed in whole twips: movies before 8 round each product of
// the matrix on its own, later ones round the placed corner.
double Extent(const Matrix& m, const double* b, bool alongX, int swfVersion) {
  const double a = m.scaleX / 65536.0, bb = m.rotateSkew0 / 65536.0;
  const double c = m.rotateSkew1 / 65536.0, d = m.scaleY / 65536.0;
  const double t = alongX ? m.translateX : m.translateY;
  double lo = 0, hi = 0;
  for (int i = 0; i < 4; ++i) {
    const double x = (i & 1) ? b[2] : b[0];
    const double y = (i & 2) ? b[3] : b[1];
    const double px = (alongX ? a : bb) * x, py = (alongX ? c : d) * y;
    const double v = swfVersion < 8 ? std::round(px) + std::round(py) + t : std::round(px + py + t);
    lo = i == 0 ? v : std::min(lo, v);
    hi = i == 0 ? v : std::max(hi, v);
  }
  return hi - lo;
}

}  // namespace

double ReadPlacementProperty(const DisplayObject& object, TargetProperty property, const double* localBounds,
                             int swfVersion) {
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
      return localBounds ? Extent(m, localBounds, true, swfVersion) / 20.0 : 0.0;
    case TargetProperty::Height:
      return localBounds ? Extent(m, localBounds, false, swfVersion) / 20.0 : 0.0;
    case TargetProperty::HighQuality:
    case TargetProperty::FocusRect:
      return 1.0;
    default:
      return 0.0;
  }
}

void WritePlacementProperty(DisplayObject& object, TargetProperty property, double value, const double* localBounds,
                            int swfVersion) {
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
      // The platform's player does not solve for the scales that give the
      // rotated clip the asked size. It divides the asked extent, and the
      // other axis's current extent as read (whole twips), by the size the
      // unscaled bounds would have under the rotation alone. A clip turned
      // a quarter therefore trades one scale for the other, and scripts that
      // set _width twice in a row see both change.
      const double w0 = localBounds[2] - localBounds[0], h0 = localBounds[3] - localBounds[1];
      const double c = std::fabs(std::cos(rotation)), s = std::fabs(std::sin(rotation));
      const double spanX = w0 * c + h0 * s, spanY = w0 * s + h0 * c;
      const bool alongX = property == TargetProperty::Width;
      const double target = value * 20.0;
      if ((alongX ? spanX : spanY) <= 0) break;
      const double otherExtent = Extent(m, localBounds, !alongX, swfVersion);
      double sx = xScale, sy = yScale;
      if (alongX) {
        sx = std::copysign(target / spanX, xScale);
        if (spanY > 0) sy = std::copysign(otherExtent / spanY, yScale);
      } else {
        sy = std::copysign(target / spanY, yScale);
        if (spanX > 0) sx = std::copysign(otherExtent / spanX, xScale);
      }
      compose(sx, sy, rotation);
      break;
    }
    default:
      break;
  }
}

}  // namespace Halvane::Movie
