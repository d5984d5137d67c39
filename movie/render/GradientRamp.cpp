#include "movie/render/GradientRamp.h"

#include <algorithm>
#include <cmath>

namespace Halvane::Movie::Render {

namespace {

struct SrgbTables {
  double toLinear[256];
  // upper[k]: the linear value half way between sRGB k and k + 1, so that
  // encoding rounds to the nearest sRGB value in sRGB terms.
  double upper[255];
  SrgbTables() {
    for (int i = 0; i < 256; ++i) toLinear[i] = Decode(i / 255.0);
    for (int i = 0; i < 255; ++i) upper[i] = Decode((i + 0.5) / 255.0);
  }
  static double Decode(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
};

const SrgbTables& Tables() {
  static const SrgbTables tables;
  return tables;
}

std::uint8_t Mix(std::uint8_t a, std::uint8_t b, int weightB, int range) {
  return static_cast<std::uint8_t>((a * (range - weightB) + b * weightB + range / 2) / range);
}

std::uint8_t MixLinear(std::uint8_t a, std::uint8_t b, int weightB, int range) {
  const SrgbTables& t = Tables();
  const double f = static_cast<double>(weightB) / range;
  return LinearToSrgb(t.toLinear[a] + (t.toLinear[b] - t.toLinear[a]) * f);
}

Rgba Interpolate(const Rgba& a, const Rgba& b, int weightB, int range, Interpolation mode) {
  Rgba out;
  if (mode == Interpolation::LinearRgb) {
    out.red = MixLinear(a.red, b.red, weightB, range);
    out.green = MixLinear(a.green, b.green, weightB, range);
    out.blue = MixLinear(a.blue, b.blue, weightB, range);
  } else {
    out.red = Mix(a.red, b.red, weightB, range);
    out.green = Mix(a.green, b.green, weightB, range);
    out.blue = Mix(a.blue, b.blue, weightB, range);
  }
  out.alpha = Mix(a.alpha, b.alpha, weightB, range);
  return out;
}

}  // namespace

SpreadMode Gradient::SpreadFromBits(std::uint8_t bits) {
  switch (bits) {
    case 1:
      return SpreadMode::Reflect;
    case 2:
      return SpreadMode::Repeat;
    default:
      return SpreadMode::Pad;
  }
}

Interpolation Gradient::InterpolationFromBits(std::uint8_t bits) {
  return bits == 1 ? Interpolation::LinearRgb : Interpolation::Rgb;
}

double SrgbToLinear(std::uint8_t value) { return Tables().toLinear[value]; }

std::uint8_t LinearToSrgb(double linear) {
  const SrgbTables& t = Tables();
  if (!(linear > t.upper[0])) return 0;  // also NaN
  return static_cast<std::uint8_t>(std::upper_bound(t.upper, t.upper + 255, linear) - t.upper);
}

void BuildGradientRamp(const Gradient& gradient, const ColorTransform& transform, GradientRamp* ramp) {
  const std::size_t count = std::min(gradient.stops.size(), Gradient::MaxStops);
  if (count == 0) {
    for (Rgba& c : ramp->colors) c = Rgba{0, 0, 0, 0};
    ramp->opaque = false;
    return;
  }
  GradientStop stops[Gradient::MaxStops];
  for (std::size_t k = 0; k < count; ++k) {
    stops[k].ratio = gradient.stops[k].ratio;
    stops[k].color = transform.Apply(gradient.stops[k].color);
  }
  // The walk starts before the first stop: reaching it is a move like any
  // other, which shows where several stops share a ratio.
  std::size_t reached = 0;  // stops moved onto so far; the current one is reached - 1
  bool opaque = true;
  for (int i = 0; i < 256; ++i) {
    if (reached < count && i > stops[reached].ratio) ++reached;
    Rgba color;
    if (reached == 0) {
      color = stops[0].color;
    } else {
      const GradientStop& from = stops[reached - 1];
      if (reached >= count || i <= from.ratio || stops[reached].ratio <= from.ratio) {
        color = from.color;
      } else {
        const GradientStop& to = stops[reached];
        color = Interpolate(from.color, to.color, i - from.ratio, to.ratio - from.ratio, gradient.interpolation);
      }
    }
    ramp->colors[i] = color;
    opaque = opaque && color.alpha == 255;
  }
  ramp->opaque = opaque;
}

}  // namespace Halvane::Movie::Render
