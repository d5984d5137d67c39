// The small value types every part of the rasterizer shares: colours,
// device matrices, the target pixel view and the drawing options.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Halvane::Movie::Render {

// A colour with straight (not premultiplied) alpha.
struct Rgba {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 255;
  bool operator==(const Rgba& o) const {
    return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
  }
  bool operator!=(const Rgba& o) const { return !(*this == o); }
};

// An affine map: x' = a x + c y + tx, y' = b x + d y + ty. Placement
// matrices map twips to device pixels (a twip is 1/20 of a stage pixel, so
// an unscaled placement has a = d = 0.05); fill matrices map the gradient
// square into the shape's twips.
struct Transform {
  double a = 1.0;
  double b = 0.0;
  double c = 0.0;
  double d = 1.0;
  double tx = 0.0;
  double ty = 0.0;

  double MapX(double x, double y) const { return a * x + c * y + tx; }
  double MapY(double x, double y) const { return b * x + d * y + ty; }
  // this after inner: the result maps a point through inner first.
  Transform Then(const Transform& outer) const;
  // The inverse; false (and the identity) when the map is singular or not finite.
  bool Invert(Transform* inverse) const;
};

// Device pixels: left and top inclusive, right and bottom exclusive.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
};

// The drawing target: rows of B, G, R (and a fourth byte in 4-byte pixels).
// top points at the first byte of the top row; stride is the distance in
// bytes from a row to the one below it, negative for bottom-up images such
// as the plug-in's DIBs. The fourth byte of 4-byte pixels is never written:
// the platform's 32-bit device bitmaps ignore it, so it keeps whatever the
// caller had there.
struct PixelView {
  std::uint8_t* top = nullptr;
  std::ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;
  int bytesPerPixel = 3;
};

// Samples per pixel: Low takes one at the pixel's centre, Medium a 2 x 2
// grid and High a 4 x 4 grid, each sample at the centre of its cell.
enum class Quality : std::uint8_t { Low, Medium, High };

enum class FillRule : std::uint8_t { EvenOdd, NonZero };

// How a layer combines with what lies below it, with the values movies use
// (0 and 1 both mean normal).
enum class BlendMode : std::uint8_t {
  Normal = 1,
  Layer = 2,
  Multiply = 3,
  Screen = 4,
  Lighten = 5,
  Darken = 6,
  Difference = 7,
  Add = 8,
  Subtract = 9,
  Invert = 10,
  Alpha = 11,
  Erase = 12,
  Overlay = 13,
  HardLight = 14,
};

// The blend mode a movie's byte stands for; unknown values draw as normal.
BlendMode BlendModeFromByte(std::uint8_t value);

}  // namespace Halvane::Movie::Render
