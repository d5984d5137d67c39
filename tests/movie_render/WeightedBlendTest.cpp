// The vector form of the weighted blend against the pixel-at-a-time one:
// every byte value, weights from none to all of what lies below, both pixel
// sizes, run lengths around the 48-byte blocks.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "movie/render/WeightedBlend.h"

namespace Halvane::Movie::Render {
namespace {

// 256 pixels whose every channel runs through all byte values (in a
// different order per channel, so that lanes do not move in step).
std::vector<std::uint8_t> AllValues(int bytesPerPixel) {
  std::vector<std::uint8_t> pixels(256 * static_cast<std::size_t>(bytesPerPixel));
  for (int i = 0; i < 256; ++i) {
    for (int ch = 0; ch < bytesPerPixel; ++ch) {
      pixels[static_cast<std::size_t>(i * bytesPerPixel + ch)] = static_cast<std::uint8_t>(i * (2 * ch + 1) + 17 * ch);
    }
  }
  return pixels;
}

// Both forms over the first count pixels; false at the first difference.
::testing::AssertionResult SameAsPixels(const ChannelWeights& w, int bytesPerPixel, int count) {
  std::vector<std::uint8_t> expected = AllValues(bytesPerPixel);
  std::vector<std::uint8_t> actual = expected;
  BlendWeightedPixels(expected.data(), count, bytesPerPixel, w);
  WeightPattern pattern;
  MakeWeightPattern(w, bytesPerPixel, &pattern);
  BlendWeighted(actual.data(), count, pattern);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] != actual[i]) {
      return ::testing::AssertionFailure() << "byte " << i << ": " << int{actual[i]} << " instead of "
                                           << int{expected[i]} << " (t " << w.t[i % bytesPerPixel] << ", k "
                                           << w.k[i % bytesPerPixel] << ", shift " << w.shift << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(WeightedBlend, VectorFormMatchesPixelFormForEveryValueAndWeight) {
  for (const int shift : {16, 18, 20}) {
    const std::uint32_t one = 1u << shift;
    const std::uint32_t bias = 512u << (shift - 16);
    for (std::uint32_t step = 0; step <= 256; ++step) {
      // What lies below keeps t; the colour on top brings up to 255 for the
      // rest, and a little past it so that results clamp.
      const std::uint32_t t = static_cast<std::uint32_t>(std::uint64_t{one} * step / 256);
      const std::uint32_t top = 255 * (one - t);
      for (const std::uint32_t c : {0u, top / 3, top / 2 + 12345u, top, top + one / 2}) {
        for (const int bytes : {3, 4}) {
          ChannelWeights w;
          w.shift = shift;
          for (int ch = 0; ch < 4; ++ch) {
            w.k[ch] = (c >> ch) + bias;  // a different colour per channel
            w.t[ch] = t;
          }
          ASSERT_TRUE(SameAsPixels(w, bytes, 256));
        }
      }
    }
  }
}

// Weights that differ per channel: keep shares t0 + step * channel, and a
// colour term scaled down by channel + divisor, plus a rounding bias.
ChannelWeights Uneven(int shift, std::uint32_t t0, std::uint32_t step, std::uint32_t divisor, std::uint32_t bias) {
  ChannelWeights w;
  w.shift = shift;
  for (std::uint32_t ch = 0; ch < 4; ++ch) {
    w.t[ch] = t0 + step * ch;
    w.k[ch] = 255u * ((1u << shift) - w.t[ch]) / (ch + divisor) + 512u * bias;
  }
  return w;
}

TEST(WeightedBlend, RunsOfEveryLengthAroundTheBlocksMatch) {
  const ChannelWeights w = Uneven(20, 300000u, 1000u, 1u, 16u);
  for (const int bytes : {3, 4}) {
    for (int count = 0; count <= 70; ++count) ASSERT_TRUE(SameAsPixels(w, bytes, count)) << count << " pixels";
  }
}

TEST(WeightedBlend, BlockIsThePixelFormRowByRow) {
  // Rows of a surface whose stride leaves bytes between them untouched.
  ChannelWeights w = Uneven(18, 70000u, 9000u, 2u, 4u);
  // Weights that stay within 255, then some that clamp.
  for (const std::uint32_t extra : {0u, 200u << 18}) {
    w.k[1] = 512u * 4u + extra;
    for (const int bytes : {3, 4}) {
      for (const int width : {1, 2, 5}) {
        const std::ptrdiff_t stride = 7 * bytes + 1;
        std::vector<std::uint8_t> expected = AllValues(bytes);
        std::vector<std::uint8_t> actual = expected;
        for (int r = 0; r < 9; ++r) BlendWeightedPixels(expected.data() + r * stride, width, bytes, w);
        BlendWeightedBlock(actual.data(), width, 9, stride, bytes, w);
        ASSERT_EQ(actual, expected) << bytes << " bytes, " << width << " wide, " << extra;
      }
    }
  }
}

TEST(WeightedBlend, KeptChannelAndSaturationHold) {
  // The fourth byte of a view is kept (k 0, t 1 << shift); a colour past
  // 255 clamps instead of wrapping.
  ChannelWeights w;
  w.shift = 20;
  w.k[0] = 300u << 20;
  w.t[0] = 0;
  for (int ch = 1; ch < 3; ++ch) {
    w.k[ch] = 0;
    w.t[ch] = 1u << 19;
  }
  w.k[3] = 0;
  w.t[3] = 1u << 20;
  std::vector<std::uint8_t> pixels = AllValues(4);
  const std::vector<std::uint8_t> before = pixels;
  WeightPattern pattern;
  MakeWeightPattern(w, 4, &pattern);
  BlendWeighted(pixels.data(), 256, pattern);
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    EXPECT_EQ(pixels[i], 255);
    EXPECT_EQ(pixels[i + 1], before[i + 1] / 2);
    EXPECT_EQ(pixels[i + 3], before[i + 3]);
  }
}

}  // namespace
}  // namespace Halvane::Movie::Render
