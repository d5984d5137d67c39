// The reference host's screen: a 24-bit image in the host engine's layout,
// three bytes per pixel in the order blue, green, red, rows stored bottom-up
// and padded to a multiple of 4 bytes. This is the memory handed to the
// plug-ins' Draw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Halvane::Host {

// An image in plain top-down red-green-blue rows without padding, as PNG
// pictures and contact sheets are built from.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3 bytes
};

class HostScreen {
 public:
  static constexpr int kLargestSide = 4096;

  // A black screen of width x height; sizes outside 1..kLargestSide are
  // refused (false, the screen unchanged).
  bool Resize(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  std::size_t Stride() const { return stride_; }
  std::uint8_t* Pixels() { return pixels_.data(); }
  const std::uint8_t* Pixels() const { return pixels_.data(); }

  // Test pictures: "gradient" (red grows to the right, green downwards,
  // blue constant), "checker" (16-pixel squares), or "R,G,B" (one colour).
  // False for an unknown picture name.
  bool Fill(const std::string& picture);

  // Puts a picture on the screen with its top left corner at the screen's;
  // what lies outside either is left as it was.
  void Show(const RgbImage& picture);

  // The pixel at x, y counted from the top (blue, green, red).
  const std::uint8_t* PixelAt(int x, int y) const;

  RgbImage ToRgb() const;

 private:
  void SetPixel(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b);

  int width_ = 0;
  int height_ = 0;
  std::size_t stride_ = 0;
  std::vector<std::uint8_t> pixels_;
};

}  // namespace Halvane::Host
