// PNG pictures decoded for the tests that compare what the control draws
// with reference pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Halvane::Movie::Testing {

// 8-bit red, green, blue, alpha per pixel, rows top first, no padding.
struct RgbaPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  const std::uint8_t* At(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

// False when the file cannot be read or is not a PNG picture.
bool ReadPng(const std::string& path, RgbaPicture* picture);

}  // namespace Halvane::Movie::Testing
