// Gradients as movies state them, and the 256-colour ramp the rasterizer
// looks colours up in. The ramp follows the rules the platform's control
// showed on its reference pictures, including stops with equal or
// out-of-order ratios: walking entries i = 0 .. 255 it moves on by at most
// one stop per entry, once i is past the next stop's ratio; it holds the
// current stop's colour where i is at or below that stop's ratio or where
// the next stop's ratio is not above it, and interpolates otherwise. Entries
// before the first stop's ratio take the first stop's colour, entries after
// the last the last's.
#pragma once

#include <cstdint>
#include <vector>

#include "movie/render/ColorTransform.h"
#include "movie/render/RenderTypes.h"

namespace Halvane::Movie::Render {

struct GradientStop {
  std::uint8_t ratio = 0;  // 0 .. 255 across the gradient square
  Rgba color;
};

enum class SpreadMode : std::uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class Interpolation : std::uint8_t { Rgb = 0, LinearRgb = 1 };

struct Gradient {
  // Movies hold at most 15 stops; further ones are ignored.
  static constexpr std::size_t MaxStops = 15;

  SpreadMode spread = SpreadMode::Pad;
  Interpolation interpolation = Interpolation::Rgb;
  std::vector<GradientStop> stops;
  double focalPoint = 0.0;  // focal gradients: -1 .. 1 along the x axis

  // The spread mode of a movie's two bits; the reserved value 3 pads.
  static SpreadMode SpreadFromBits(std::uint8_t bits);
  // The interpolation of a movie's two bits; values other than 1 are sRGB.
  static Interpolation InterpolationFromBits(std::uint8_t bits);
};

struct GradientRamp {
  Rgba colors[256];
  bool opaque = true;  // every entry has alpha 255
};

// The ramp of gradient with transform applied to each stop first. A
// gradient without stops gives a fully transparent ramp.
void BuildGradientRamp(const Gradient& gradient, const ColorTransform& transform, GradientRamp* ramp);

// sRGB and linear light (0 .. 1), as linear-RGB interpolation converts.
double SrgbToLinear(std::uint8_t value);
std::uint8_t LinearToSrgb(double linear);

}  // namespace Halvane::Movie::Render
