#include "RenderTestSupport.h"

namespace Halvane::Movie::Render::Testing {

TestImage::TestImage(int width, int height, int bytesPerPixel, bool bottomUp)
    : width_(width), height_(height), bytesPerPixel_(bytesPerPixel), bottomUp_(bottomUp) {
  stride_ = (static_cast<std::size_t>(width) * bytesPerPixel + 3) & ~std::size_t{3};
  bytes_.resize(stride_ * height + 2 * Guard);
  for (std::size_t i = 0; i < bytes_.size(); ++i) bytes_[i] = static_cast<std::uint8_t>(i * 7 + 3);
  original_ = bytes_;
}

std::size_t TestImage::Offset(int x, int y) const {
  const int row = bottomUp_ ? height_ - 1 - y : y;
  return Guard + static_cast<std::size_t>(row) * stride_ + static_cast<std::size_t>(x) * bytesPerPixel_;
}

void TestImage::Fill(Rgb color) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      std::uint8_t* p = &bytes_[Offset(x, y)];
      p[0] = static_cast<std::uint8_t>(color.blue);
      p[1] = static_cast<std::uint8_t>(color.green);
      p[2] = static_cast<std::uint8_t>(color.red);
      original_[Offset(x, y)] = p[0];
      original_[Offset(x, y) + 1] = p[1];
      original_[Offset(x, y) + 2] = p[2];
    }
  }
}

PixelView TestImage::View() {
  PixelView v;
  v.width = width_;
  v.height = height_;
  v.bytesPerPixel = bytesPerPixel_;
  if (bottomUp_) {
    v.top = &bytes_[Guard + static_cast<std::size_t>(height_ - 1) * stride_];
    v.stride = -static_cast<std::ptrdiff_t>(stride_);
  } else {
    v.top = &bytes_[Guard];
    v.stride = static_cast<std::ptrdiff_t>(stride_);
  }
  return v;
}

Rgb TestImage::At(int x, int y) const {
  const std::uint8_t* p = &bytes_[Offset(x, y)];
  return Rgb{p[2], p[1], p[0]};
}

std::uint8_t TestImage::FourthByte(int x, int y) const { return bytes_[Offset(x, y) + 3]; }

bool TestImage::GuardsIntact() const {
  std::vector<bool> pixel(bytes_.size(), false);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      for (int k = 0; k < 3; ++k) pixel[Offset(x, y) + k] = true;
    }
  }
  for (std::size_t i = 0; i < bytes_.size(); ++i) {
    if (!pixel[i] && bytes_[i] != original_[i]) return false;
  }
  return true;
}

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

Transform Unscaled() {
  Transform t;
  t.a = t.d = 0.05;
  return t;
}

void AddRect(ShapeLayer& shape, double x0, double y0, double x1, double y1) {
  shape.MoveTo(Tw(x0), Tw(y0));
  shape.LineTo(Tw(x1), Tw(y0));
  shape.LineTo(Tw(x1), Tw(y1));
  shape.LineTo(Tw(x0), Tw(y1));
  shape.LineTo(Tw(x0), Tw(y0));
}

ShapeLayer SolidRect(double x0, double y0, double x1, double y1, Rgba color) {
  ShapeLayer shape;
  shape.fills.push_back(Paint::SolidColor(color));
  shape.SetFill1(1);
  AddRect(shape, x0, y0, x1, y1);
  return shape;
}

int Covered(int color, int below, int count, int of) { return (color * count + below * (of - count)) / of; }

}  // namespace Halvane::Movie::Render::Testing
