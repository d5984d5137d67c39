// The filters of a display object: what a placement's filter list says
// (the third placement form, buttons' records) and what scripts set through
// the filter classes of version 8 movies. One record type per kind of
// filter. The values are in the units scripts read (pixels, degrees, alphas
// from 0 to 1, 24-bit colours), so that a placed filter and a script's
// filter are the same record; the reader converts the file's fixed-point
// fields once. The control draws no filters yet: a later renderer draws
// from these records.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

namespace Halvane::Movie {

// The angle a new filter has: the platform keeps its default as a radian
// value rounded to nine places, so it reads back a little under 45.
constexpr double kDefaultFilterAngle = 0.785398163 * 57.295779513082320876798;

// Where a bevel or gradient filter lies: inside the edge, outside, or both.
enum class FilterPlacing : std::uint8_t { Inner, Outer, Full };

// Colour stops of a gradient filter: the file counts them in a byte, and a
// list a script sets is held to the same.
constexpr std::size_t kMaxGradientStops = 255;

struct BlurFilterRecord {
  double blurX = 4;
  double blurY = 4;
  int quality = 1;  // passes, 0 to 15
};

struct DropShadowFilterRecord {
  double distance = 4;
  double angle = kDefaultFilterAngle;
  std::uint32_t color = 0;
  double alpha = 1;
  double blurX = 4;
  double blurY = 4;
  double strength = 1;
  int quality = 1;
  bool inner = false;
  bool knockout = false;
  bool hideObject = false;
};

struct GlowFilterRecord {
  std::uint32_t color = 0xFF0000;
  double alpha = 1;
  double blurX = 6;
  double blurY = 6;
  double strength = 2;
  int quality = 1;
  bool inner = false;
  bool knockout = false;
};

struct BevelFilterRecord {
  double distance = 4;
  double angle = kDefaultFilterAngle;
  std::uint32_t highlightColor = 0xFFFFFF;
  double highlightAlpha = 1;
  std::uint32_t shadowColor = 0;
  double shadowAlpha = 1;
  double blurX = 4;
  double blurY = 4;
  double strength = 1;
  int quality = 1;
  FilterPlacing placing = FilterPlacing::Inner;
  bool knockout = false;
};

// The gradient glow and the gradient bevel share their settings; colors,
// alphas and ratios always have one length.
struct GradientFilterSettings {
  double distance = 4;
  double angle = kDefaultFilterAngle;
  std::vector<std::uint32_t> colors;
  std::vector<double> alphas;
  std::vector<double> ratios;  // 0 to 255
  double blurX = 4;
  double blurY = 4;
  double strength = 1;
  int quality = 1;
  FilterPlacing placing = FilterPlacing::Inner;
  bool knockout = false;
};
struct GradientGlowFilterRecord : GradientFilterSettings {};
struct GradientBevelFilterRecord : GradientFilterSettings {};

struct ConvolutionFilterRecord {
  int columns = 0;
  int rows = 0;
  std::vector<double> values;  // columns * rows, row by row
  double divisor = 1;
  double bias = 0;
  bool preserveAlpha = true;
  bool clamp = true;
  std::uint32_t color = 0;
  double alpha = 0;
};

struct ColorMatrixFilterRecord {
  std::array<double, 20> values = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
};

// Only scripts make displacement filters; a placement cannot carry one.
struct DisplacementMapFilterRecord {
  std::int32_t mapX = 0;
  std::int32_t mapY = 0;
};

// The alternatives in the order of the file's filter ids (0 to 7), then
// the one only scripts make.
using FilterRecord =
    std::variant<DropShadowFilterRecord, BlurFilterRecord, GlowFilterRecord, BevelFilterRecord,
                 GradientGlowFilterRecord, ConvolutionFilterRecord, ColorMatrixFilterRecord,
                 GradientBevelFilterRecord, DisplacementMapFilterRecord>;

}  // namespace Halvane::Movie
