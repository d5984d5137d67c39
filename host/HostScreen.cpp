#include "host/HostScreen.h"

#include <algorithm>

#include <cstdio>

namespace Halvane::Host {

bool HostScreen::Resize(int width, int height) {
  if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) return false;
  width_ = width;
  height_ = height;
  stride_ = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
  pixels_.assign(stride_ * static_cast<std::size_t>(height), 0);
  return true;
}

void HostScreen::SetPixel(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  std::uint8_t* p = pixels_.data() + stride_ * static_cast<std::size_t>(height_ - 1 - y) +
                    static_cast<std::size_t>(x) * 3;
  p[0] = b;
  p[1] = g;
  p[2] = r;
}

const std::uint8_t* HostScreen::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
  return pixels_.data() + stride_ * static_cast<std::size_t>(height_ - 1 - y) +
         static_cast<std::size_t>(x) * 3;
}

void HostScreen::Show(const RgbImage& picture) {
  const int w = std::min(width_, picture.width);
  const int h = std::min(height_, picture.height);
  if (picture.rgb.size() != static_cast<std::size_t>(picture.width) * picture.height * 3) return;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
      SetPixel(x, y, p[0], p[1], p[2]);
    }
  }
}

bool HostScreen::Fill(const std::string& picture) {
  if (pixels_.empty()) return false;
  if (picture == "gradient") {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        SetPixel(x, y, static_cast<std::uint8_t>(width_ > 1 ? x * 255 / (width_ - 1) : 0),
                 static_cast<std::uint8_t>(height_ > 1 ? y * 255 / (height_ - 1) : 0), 128);
      }
    }
    return true;
  }
  if (picture == "checker") {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        const std::uint8_t v = ((x / 16) + (y / 16)) % 2 == 0 ? 230 : 40;
        SetPixel(x, y, v, v, v);
      }
    }
    return true;
  }
  unsigned r = 0, g = 0, b = 0;
  char tail = 0;
  if (std::sscanf(picture.c_str(), "%u,%u,%u%c", &r, &g, &b, &tail) == 3 && r < 256 &&
      g < 256 && b < 256) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        SetPixel(x, y, static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                 static_cast<std::uint8_t>(b));
      }
    }
    return true;
  }
  return false;
}

RgbImage HostScreen::ToRgb() const {
  RgbImage image;
  image.width = width_;
  image.height = height_;
  image.rgb.resize(static_cast<std::size_t>(width_) * height_ * 3);
  std::uint8_t* out = image.rgb.data();
  for (int y = 0; y < height_; ++y) {
    const std::uint8_t* row = PixelAt(0, y);
    for (int x = 0; x < width_; ++x, row += 3, out += 3) {
      out[0] = row[2];
      out[1] = row[1];
      out[2] = row[0];
    }
  }
  return image;
}

}  // namespace Halvane::Host
