#include "movie/render/WeightedBlend.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Halvane::Movie::Render {

namespace {

// 48 bytes from p on. Both targets have SSE2 (the Windows one is built
// with it); without it the block goes byte by byte.
inline void Block(std::uint8_t* p, const WeightPattern& w) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i shift = _mm_cvtsi32_si128(static_cast<int>(w.shift));
  const std::uint32_t* k = w.k;
  const std::int16_t* t = w.t;
  for (int q = 0; q < 3; ++q, p += 16, k += 16, t += 32) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i lo = _mm_unpacklo_epi8(x, zero);
    const __m128i hi = _mm_unpackhi_epi8(x, zero);
    const __m128i lo7 = _mm_slli_epi16(lo, 7);
    const __m128i hi7 = _mm_slli_epi16(hi, 7);
    // Each 32-bit lane: v * (t & 127) + (v << 7) * (t >> 7) = v * t.
    __m128i r0 = _mm_madd_epi16(_mm_unpacklo_epi16(lo, lo7), _mm_loadu_si128(reinterpret_cast<const __m128i*>(t)));
    __m128i r1 = _mm_madd_epi16(_mm_unpackhi_epi16(lo, lo7), _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + 8)));
    __m128i r2 = _mm_madd_epi16(_mm_unpacklo_epi16(hi, hi7), _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + 16)));
    __m128i r3 = _mm_madd_epi16(_mm_unpackhi_epi16(hi, hi7), _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + 24)));
    r0 = _mm_srl_epi32(_mm_add_epi32(r0, _mm_loadu_si128(reinterpret_cast<const __m128i*>(k))), shift);
    r1 = _mm_srl_epi32(_mm_add_epi32(r1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(k + 4))), shift);
    r2 = _mm_srl_epi32(_mm_add_epi32(r2, _mm_loadu_si128(reinterpret_cast<const __m128i*>(k + 8))), shift);
    r3 = _mm_srl_epi32(_mm_add_epi32(r3, _mm_loadu_si128(reinterpret_cast<const __m128i*>(k + 12))), shift);
    // Below 1 << 15 after a shift of 16 or more: the signed narrowing keeps
    // them, the unsigned one clamps to 255.
    const __m128i out = _mm_packus_epi16(_mm_packs_epi32(r0, r1), _mm_packs_epi32(r2, r3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), out);
  }
#else
  for (int j = 0; j < 48; ++j) {
    const std::uint32_t t = static_cast<std::uint32_t>(w.t[2 * j]) + (static_cast<std::uint32_t>(w.t[2 * j + 1]) << 7);
    p[j] = WeightedChannel(w.k[j], t, w.shift, p[j]);
  }
#endif
}

}  // namespace

void MakeWeightPattern(const ChannelWeights& weights, int bytesPerPixel, WeightPattern* pattern) {
  pattern->shift = static_cast<std::uint32_t>(weights.shift);
  pattern->bytesPerPixel = bytesPerPixel;
  for (int j = 0; j < 48; ++j) {
    const int ch = j % bytesPerPixel;
    pattern->k[j] = weights.k[ch];
    pattern->t[2 * j] = static_cast<std::int16_t>(weights.t[ch] & 127u);
    pattern->t[2 * j + 1] = static_cast<std::int16_t>(weights.t[ch] >> 7);
  }
}

void BlendWeighted(std::uint8_t* p, int count, const WeightPattern& pattern) {
  const int bytes = count * pattern.bytesPerPixel;
  int done = 0;
  for (; done + 48 <= bytes; done += 48) Block(p + done, pattern);
  const int rest = bytes - done;
  if (rest <= 0) return;
  // The last pixels go through a block of their own, copied out and back
  // (each byte's result depends on that byte alone, and the pattern's first
  // lanes hold their channels).
  std::uint8_t last[48] = {};
  std::memcpy(last, p + done, static_cast<std::size_t>(rest));
  Block(last, pattern);
  std::memcpy(p + done, last, static_cast<std::size_t>(rest));
}

}  // namespace Halvane::Movie::Render
