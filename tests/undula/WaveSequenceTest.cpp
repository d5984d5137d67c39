// Long pseudo-random sequences of messages, ticks, draws and screen changes,
// including malformed messages and unusable screen sizes. Whatever comes,
// the phase stays inside the table, the shifts stay within the amplitude,
// Timer answers by the active flag, and Draw writes nothing but the pixel
// bytes of the image (padding and the bytes after the image stay as they
// were; the sanitizer build checks the rest).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "WaveTestSupport.h"

namespace {

using namespace UndulaTest;

const char* const kFragments[] = {
    "draw", "stop", "/", ",", ",", "0", "1", "-1", "30", "90", "360", "361", "127", "128", "-200",
    "99999999999999999999", "-2147483648", " ", "x", "Draw", "\t", "+", "7", "10", "2147483647"};

std::string RandomMessage(std::mt19937& random) {
  std::string text;
  const int parts = static_cast<int>(random() % 9);
  for (int i = 0; i < parts; ++i) text += kFragments[random() % (sizeof kFragments / sizeof kFragments[0])];
  if (random() % 3 == 0) {
    text = "draw/" + std::to_string(static_cast<int>(random() % 300) - 150) + "," +
           std::to_string(static_cast<int>(random() % 380) - 10) + "," +
           std::to_string(static_cast<int>(random() % 1000) - 500);
  }
  return text;
}

void CheckInvariants() {
  const auto& s = S();
  if (s.tableLength > 0) {
    ASSERT_LE(s.tableLength, Halvane::Undula::kMaxTableLength);
    ASSERT_GE(s.phase, 0);
    ASSERT_LT(s.phase, s.tableLength);
  }
  ASSERT_LE(s.amplitude, 127.0f);
  ASSERT_GE(s.amplitude, -127.0f);
}

TEST(WaveSequence, RandomUseKeepsEveryAccessInsideTablesAndImage) {
  std::mt19937 random(20261208);
  const int sizes[][2] = {{5, 3}, {1, 1}, {2, 7}, {17, 4}, {64, 33}, {0, 5}, {5, 0}, {-3, 4}, {2147483647, 2}};
  UseScreen(5, 3);
  for (int step = 0; step < 20000; ++step) {
    switch (random() % 6) {
      case 0: {
        const auto& size = sizes[random() % (sizeof sizes / sizeof sizes[0])];
        UseScreen(size[0], size[1]);
        break;
      }
      case 1: {
        const std::string text = RandomMessage(random);
        ASSERT_EQ(Send(text.c_str()), 1) << text;
        break;
      }
      case 2:
      case 3: {
        const int expected = S().active != 0 ? 1 : 0;
        ASSERT_EQ(Timer(), expected);
        break;
      }
      default: {
        const int width = S().screenWidth;
        const int height = S().screenHeight;
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
        const std::size_t stride = (rowBytes + 3) & ~std::size_t{3};
        std::vector<std::uint8_t> image(stride * static_cast<std::size_t>(height) + 32);
        for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(random());
        const std::vector<std::uint8_t> before = image;
        Draw(image.data(), 0);
        for (int y = 0; y < height; ++y) {
          for (std::size_t i = rowBytes; i < stride; ++i) {
            ASSERT_EQ(image[y * stride + i], before[y * stride + i]) << "padding of row " << y;
          }
        }
        for (std::size_t i = stride * height; i < image.size(); ++i) ASSERT_EQ(image[i], before[i]);
        break;
      }
    }
    CheckInvariants();
    if (HasFatalFailure()) return;
  }
}

}  // namespace
