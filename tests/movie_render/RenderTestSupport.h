// Images with guard bytes and small shapes in pixel units for the rasterizer
// tests.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "movie/render/Canvas.h"

namespace Halvane::Movie::Render::Testing {

struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const Rgb& o) const { return red == o.red && green == o.green && blue == o.blue; }
  bool operator!=(const Rgb& o) const { return !(*this == o); }
};

// Printed as (r, g, b) in failure messages.
std::ostream& operator<<(std::ostream& out, const Rgb& c);

// A view over its own memory, rows padded to 4 bytes, with guard bytes
// before and after; every byte starts from a known pattern (or a colour).
class TestImage {
 public:
  TestImage(int width, int height, int bytesPerPixel = 3, bool bottomUp = false);
  void Fill(Rgb color);
  PixelView View();
  Rgb At(int x, int y) const;
  std::uint8_t FourthByte(int x, int y) const;
  // Every byte outside the view's pixels (guards, row padding) as it was made.
  bool GuardsIntact() const;
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  std::size_t Offset(int x, int y) const;
  int width_;
  int height_;
  int bytesPerPixel_;
  bool bottomUp_;
  std::size_t stride_;
  std::vector<std::uint8_t> bytes_;
  std::vector<std::uint8_t> original_;
};

constexpr int Guard = 64;

// Twips from pixels.
inline double Tw(double pixels) { return pixels * 20.0; }

// The placement of an unscaled shape: twips to pixels.
Transform Unscaled();

// A rectangle path in pixels (drawn clockwise on screen) with the given side
// styles: fill1 inside for clockwise.
void AddRect(ShapeLayer& shape, double x0, double y0, double x1, double y1);

// A shape of one solid fill covering a rectangle in pixels.
ShapeLayer SolidRect(double x0, double y0, double x1, double y1, Rgba color);

// How a pixel looks with count of 16 samples of color (opaque) over below:
// the platform's truncation of the exact mean.
int Covered(int color, int below, int count, int of);

}  // namespace Halvane::Movie::Render::Testing
