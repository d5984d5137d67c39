#include "movie/actions/BitmapPixels.h"

#include <algorithm>

namespace Halvane::Movie {

std::uint32_t BitmapPixels::Premultiply(std::uint32_t argb) {
  const std::uint32_t a = argb >> 24;
  if (a == 255) return argb;
  if (a == 0) return 0;
  std::uint32_t out = a << 24;
  for (int shift = 16; shift >= 0; shift -= 8) {
    const std::uint32_t c = (argb >> shift) & 0xFF;
    out |= ((c * a + 127) / 255) << shift;
  }
  return out;
}

// Halves round down, as the player's read-back does.
std::uint32_t BitmapPixels::Unmultiply(std::uint32_t stored) {
  const std::uint32_t a = stored >> 24;
  if (a == 255 || a == 0) return stored;
  std::uint32_t out = a << 24;
  for (int shift = 16; shift >= 0; shift -= 8) {
    const std::uint32_t p = (stored >> shift) & 0xFF;
    const std::uint32_t c = std::min<std::uint32_t>(255, (p * 510 + a - 1) / (2 * a));
    out |= c << shift;
  }
  return out;
}

bool BitmapPixels::Create(std::int32_t width, std::int32_t height, bool transparent, std::uint32_t fill) {
  if (!SizeAllowed(width, height)) return false;
  width_ = width;
  height_ = height;
  transparent_ = transparent;
  disposed_ = false;
  ++changes_;
  pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), Store(fill));
  return true;
}

void BitmapPixels::Dispose() {
  std::vector<std::uint32_t>().swap(pixels_);
  width_ = height_ = 0;
  disposed_ = true;
  ++changes_;
}

BitmapArea BitmapPixels::Clip(BitmapArea r) const {
  const std::int64_t left = std::max<std::int64_t>(r.x, 0);
  const std::int64_t top = std::max<std::int64_t>(r.y, 0);
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{r.x} + std::max(r.width, 0), width_);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{r.y} + std::max(r.height, 0), height_);
  if (right <= left || bottom <= top) return BitmapArea{0, 0, 0, 0};
  return BitmapArea{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
                    static_cast<std::int32_t>(right - left), static_cast<std::int32_t>(bottom - top)};
}

// An opaque bitmap answers what it holds: pixels copied in as stored keep
// their alpha there, as in the player.
std::uint32_t BitmapPixels::Get(std::int32_t x, std::int32_t y) const {
  if (!Contains(x, y)) return 0;
  return transparent_ ? Unmultiply(pixels_[Index(x, y)]) : pixels_[Index(x, y)];
}

void BitmapPixels::Set(std::int32_t x, std::int32_t y, std::uint32_t argb) {
  if (!Contains(x, y)) return;
  pixels_[Index(x, y)] = Store(argb);
  ++changes_;
}

std::uint32_t BitmapPixels::Stored(std::int32_t x, std::int32_t y) const {
  return Contains(x, y) ? pixels_[Index(x, y)] : 0;
}

void BitmapPixels::SetStored(std::int32_t x, std::int32_t y, std::uint32_t stored) {
  if (!Contains(x, y)) return;
  pixels_[Index(x, y)] = stored;
  ++changes_;
}

void BitmapPixels::FillRect(BitmapArea r, std::uint32_t argb) {
  const BitmapArea c = Clip(r);
  const std::uint32_t v = Store(argb);
  ++changes_;
  for (std::int32_t y = c.y; y < c.y + c.height; ++y) {
    std::fill_n(pixels_.begin() + static_cast<std::ptrdiff_t>(Index(c.x, y)), c.width, v);
  }
}

bool BitmapPixels::FloodFill(std::int32_t x, std::int32_t y, std::uint32_t argb) {
  if (!Contains(x, y)) return false;
  const std::uint32_t from = pixels_[Index(x, y)];
  const std::uint32_t to = Store(argb);
  if (from == to) return false;
  ++changes_;
  // Every pixel is pushed at most once per neighbour, so the stack stays
  // within four times the pixel count.
  std::vector<std::size_t> pending{Index(x, y)};
  pixels_[Index(x, y)] = to;
  const std::size_t w = static_cast<std::size_t>(width_);
  while (!pending.empty()) {
    const std::size_t i = pending.back();
    pending.pop_back();
    const std::size_t px = i % w;
    auto visit = [&](std::size_t j) {
      if (pixels_[j] == from) {
        pixels_[j] = to;
        pending.push_back(j);
      }
    };
    if (px > 0) visit(i - 1);
    if (px + 1 < w) visit(i + 1);
    if (i >= w) visit(i - w);
    if (i + w < pixels_.size()) visit(i + w);
  }
  return true;
}

namespace {

// Feedback taps of maximal-length registers (right-shifting form) by width.
constexpr std::uint32_t kTaps[] = {0,       0,       0x3,     0x6,      0xC,      0x14,     0x30,    0x60,   0xB8,
                                   0x110,   0x240,   0x500,   0x829,    0x100D,   0x2015,   0x6000,  0xD008, 0x12000,
                                   0x20400, 0x40023, 0x90000, 0x140000, 0x300000, 0x420000, 0xE10000};

}  // namespace

DissolveOrder::DissolveOrder(std::uint32_t count, std::uint32_t seed) : count_(count < 2 ? 2 : count) {
  int bits = 2;
  while (bits < 24 && (std::uint32_t{1} << bits) < count_) ++bits;
  taps_ = kTaps[bits];
  mask_ = (std::uint32_t{1} << bits) - 1;
  // Each step halves a state above the register's width, so a 32-bit seed
  // comes down within 32 steps, and then within one period.
  state_ = seed == 0 ? mask_ : seed;
  while (state_ >= count_) Step();
}

void DissolveOrder::Step() {
  const std::uint32_t low = state_ & 1;
  state_ >>= 1;
  if (low != 0) state_ ^= taps_;
}

void DissolveOrder::Advance() {
  // States past the area are stepped over; the register visits each state
  // once per period, so this ends within one period.
  do Step();
  while (state_ >= count_);
}

}  // namespace Halvane::Movie
