// The pixels of a script's bitmap (flash.display.BitmapData): 32-bit
// colours stored with the colour multiplied by alpha, as the player keeps
// them, so that reading back a translucent pixel rounds as it does there.
// Sizes are capped (a side from 1 to MaxSide); the callers keep the total
// of all bitmaps under MaxTotalBytes.
//
// Colours in and out are unmultiplied 0xAARRGGBB. Worker thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Halvane::Movie {

struct BitmapArea {
  std::int32_t x = 0, y = 0, width = 0, height = 0;
};

class BitmapPixels {
 public:
  static constexpr std::int32_t MaxSide = 2880;
  // What the bitmaps of one movie may hold together: a few of the largest.
  static constexpr std::size_t MaxTotalBytes = std::size_t{128} << 20;

  static bool SizeAllowed(std::int32_t width, std::int32_t height) {
    return width >= 1 && height >= 1 && width <= MaxSide && height <= MaxSide;
  }
  static std::size_t BytesFor(std::int32_t width, std::int32_t height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  }
  // Colour to stored form and back.
  static std::uint32_t Premultiply(std::uint32_t argb);
  static std::uint32_t Unmultiply(std::uint32_t stored);

  // Makes the pixels, all of fill (alpha forced to opaque unless
  // transparent); false when the size is not allowed.
  bool Create(std::int32_t width, std::int32_t height, bool transparent, std::uint32_t fill);
  void Dispose();
  bool Disposed() const { return disposed_; }

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  bool Transparent() const { return transparent_; }
  std::size_t Bytes() const { return pixels_.size() * 4; }
  // Counts the calls that may have changed the pixels, so that a copy made
  // for drawing knows when it is stale.
  std::uint64_t Changes() const { return changes_; }

  bool Contains(std::int32_t x, std::int32_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  // The part of r inside the bitmap (width or height 0 when none).
  BitmapArea Clip(BitmapArea r) const;

  // Pixels by position; outside the bitmap Get answers 0 and Set does nothing.
  std::uint32_t Get(std::int32_t x, std::int32_t y) const;
  void Set(std::int32_t x, std::int32_t y, std::uint32_t argb);
  // The stored form, for comparing pixels as the player does, and for
  // writers that multiply by alpha themselves or copy stored pixels (kept
  // as they are, even in an opaque bitmap).
  std::uint32_t Stored(std::int32_t x, std::int32_t y) const;
  void SetStored(std::int32_t x, std::int32_t y, std::uint32_t stored);

  void FillRect(BitmapArea r, std::uint32_t argb);
  // Fills the 4-connected area of the pixel's stored colour; false when the
  // point is outside or already of that colour.
  bool FloodFill(std::int32_t x, std::int32_t y, std::uint32_t argb);

 private:
  std::uint32_t Store(std::uint32_t argb) const { return Premultiply(transparent_ ? argb : argb | 0xFF000000u); }
  std::size_t Index(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
  }

  std::vector<std::uint32_t> pixels_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  bool transparent_ = true;
  bool disposed_ = true;
  std::uint64_t changes_ = 0;
};

// The order pixelDissolve visits the pixels of an area in: a maximal-length
// shift register over the indices 1 .. count - 1, one register state per
// index (index 0, which a register never reaches, the caller dissolves on
// every call). The state carries over from call to call as the script's
// seed, so a dissolve continues where the last one stopped.
class DissolveOrder {
 public:
  // count from 2 to MaxSide * MaxSide; the seed names the first index. A
  // seed past the area, whatever its width, is run through the register
  // until it lands inside; 0, which the register cannot leave, stands for
  // the state of all ones.
  DissolveOrder(std::uint32_t count, std::uint32_t seed);
  // The index to dissolve now, in 1 .. count - 1; Advance moves to the next.
  std::uint32_t Current() const { return state_; }
  void Advance();

 private:
  void Step();

  std::uint32_t count_;
  std::uint32_t taps_;
  std::uint32_t mask_;
  std::uint32_t state_;
};

}  // namespace Halvane::Movie
