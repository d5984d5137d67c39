// Compositing a run of pixels that all take the same weights: every channel
// byte v of the run becomes
//
//   min(255, (k + v * t) >> shift)
//
// with k and t per channel. This is how a span of one solid stack lands
// (k is the stack's colour plus the rounding bias, t the weight left to
// what lies below); a channel with k = 0 and t = 1 << shift is kept as it
// is (the fourth byte of a 4-byte view).
//
// The vector form gives exactly the bytes of the one-pixel-at-a-time form
// (it is the same integer arithmetic, 16 lanes at a time); tests hold the
// two side by side.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Halvane::Movie::Render {

// Limits the callers keep: t <= 1 << 20, k + 255 * t < 1 << 31, shift 16 .. 31.
struct ChannelWeights {
  std::uint32_t k[4] = {0, 0, 0, 0};  // B, G, R, A
  std::uint32_t t[4] = {0, 0, 0, 0};
  int shift = 16;
};

// The weights laid out for 48 bytes (16 pixels of 3 bytes, 12 of 4), made
// once for runs on many rows.
struct WeightPattern {
  std::uint32_t k[48];
  // Per byte, t split as (t & 127, t >> 7): each half times a byte value
  // fits the 16-bit multiplier, and v * (t & 127) + (v << 7) * (t >> 7) is
  // v * t.
  std::int16_t t[96];
  std::uint32_t shift;
  int bytesPerPixel;
};

void MakeWeightPattern(const ChannelWeights& weights, int bytesPerPixel, WeightPattern* pattern);

// count pixels from p on, with the pattern's pixel size.
void BlendWeighted(std::uint8_t* p, int count, const WeightPattern& pattern);

inline std::uint8_t WeightedChannel(std::uint32_t k, std::uint32_t t, std::uint32_t shift, std::uint8_t v) {
  const std::uint32_t r = (k + v * t) >> shift;
  return static_cast<std::uint8_t>(r > 255 ? 255 : r);
}

// One pixel at a time (short runs, and the reference the vector form
// matches).
inline void BlendWeightedPixels(std::uint8_t* p, int count, int bytesPerPixel, const ChannelWeights& weights) {
  const std::uint32_t shift = static_cast<std::uint32_t>(weights.shift);
  const std::uint32_t k0 = weights.k[0], k1 = weights.k[1], k2 = weights.k[2], k3 = weights.k[3];
  const std::uint32_t t0 = weights.t[0], t1 = weights.t[1], t2 = weights.t[2], t3 = weights.t[3];
  for (int i = 0; i < count; ++i, p += bytesPerPixel) {
    p[0] = WeightedChannel(k0, t0, shift, p[0]);
    p[1] = WeightedChannel(k1, t1, shift, p[1]);
    p[2] = WeightedChannel(k2, t2, shift, p[2]);
    if (bytesPerPixel == 4) p[3] = WeightedChannel(k3, t3, shift, p[3]);
  }
}

// BlendWeightedPixels on rows rows of count pixels, stride bytes apart (a
// narrow span repeated down the rows alike). The weights are read once into
// registers: a call per row reads them back after every store, for all the
// compiler knows the stores might change them.
inline void BlendWeightedBlock(std::uint8_t* p, int count, int rows, std::ptrdiff_t stride, int bytesPerPixel,
                               const ChannelWeights& weights) {
  const std::uint32_t shift = static_cast<std::uint32_t>(weights.shift);
  const std::uint32_t k0 = weights.k[0], k1 = weights.k[1], k2 = weights.k[2], k3 = weights.k[3];
  const std::uint32_t t0 = weights.t[0], t1 = weights.t[1], t2 = weights.t[2], t3 = weights.t[3];
  // Weights that cannot pass 255 on any byte value (a colour over what lies
  // below, the usual) need no clamp.
  const std::uint64_t limit = std::uint64_t{256} << shift;
  const auto within = [limit](std::uint32_t k, std::uint32_t t) { return k + 255 * std::uint64_t{t} < limit; };
  if (within(k0, t0) && within(k1, t1) && within(k2, t2) && (bytesPerPixel != 4 || within(k3, t3))) {
    for (int r = 0; r < rows; ++r, p += stride) {
      std::uint8_t* q = p;
      for (int i = 0; i < count; ++i, q += bytesPerPixel) {
        q[0] = static_cast<std::uint8_t>((k0 + q[0] * t0) >> shift);
        q[1] = static_cast<std::uint8_t>((k1 + q[1] * t1) >> shift);
        q[2] = static_cast<std::uint8_t>((k2 + q[2] * t2) >> shift);
        if (bytesPerPixel == 4) q[3] = static_cast<std::uint8_t>((k3 + q[3] * t3) >> shift);
      }
    }
    return;
  }
  for (int r = 0; r < rows; ++r, p += stride) {
    std::uint8_t* q = p;
    for (int i = 0; i < count; ++i, q += bytesPerPixel) {
      q[0] = WeightedChannel(k0, t0, shift, q[0]);
      q[1] = WeightedChannel(k1, t1, shift, q[1]);
      q[2] = WeightedChannel(k2, t2, shift, q[2]);
      if (bytesPerPixel == 4) q[3] = WeightedChannel(k3, t3, shift, q[3]);
    }
  }
}

}  // namespace Halvane::Movie::Render
