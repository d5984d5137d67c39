// Draw at the byte level on bottom-up images whose rows are padded to a
// multiple of 4 bytes, and the screen sizes Initialize accepts from the host.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "WaveTestSupport.h"

namespace {

using namespace UndulaTest;

// An image in the host's layout, filled with distinct bytes, with a guard
// zone after it that no draw may touch.
struct Image {
  int width;
  int height;
  int stride;
  std::vector<std::uint8_t> bytes;
  static constexpr int kGuard = 64;

  Image(int w, int h) : width(w), height(h), stride((w * 3 + 3) & ~3) {
    bytes.resize(static_cast<std::size_t>(stride) * h + kGuard);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
  }
  std::uint8_t* Row(int memoryRow) { return bytes.data() + static_cast<std::size_t>(memoryRow) * stride; }
};

// What a row of the original image looks like after a shift of e pixels: to
// the left for positive e, to the right for negative e, the uncovered
// pixels unchanged, the padding untouched.
std::vector<std::uint8_t> ShiftedRow(const std::uint8_t* row, int width, int stride, int e) {
  std::vector<std::uint8_t> out(row, row + stride);
  if (e == 0 || e >= width || -e >= width) return out;
  for (int x = 0; x < width; ++x) {
    const int from = x + e;
    if (e > 0 && x >= width - e) continue;
    if (e < 0 && x < -e) continue;
    for (int c = 0; c < 3; ++c) out[x * 3 + c] = row[from * 3 + c];
  }
  return out;
}

// Draws once and checks every row against its expected shift (one entry per
// memory row) and the guard zone.
void ExpectDrawShifts(Image& image, const std::vector<int>& shifts) {
  const Image before = image;
  Draw(image.bytes.data(), 0);
  for (int y = 0; y < image.height; ++y) {
    SCOPED_TRACE(::testing::Message() << "memory row " << y << ", shift " << shifts[y]);
    const std::vector<std::uint8_t> expected =
        ShiftedRow(before.bytes.data() + static_cast<std::size_t>(y) * image.stride, image.width, image.stride,
                   shifts[y]);
    EXPECT_EQ(std::vector<std::uint8_t>(image.Row(y), image.Row(y) + image.stride), expected);
  }
  const std::size_t end = static_cast<std::size_t>(image.stride) * image.height;
  EXPECT_TRUE(std::equal(image.bytes.begin() + end, image.bytes.end(), before.bytes.begin() + end));
}

// A full wave of the given amplitude with 4 entries 0, a, 0, -a.
void FullQuarterWave(int amplitude, int speed) {
  const std::string text = "draw/" + std::to_string(amplitude) + ",90," + std::to_string(speed);
  Send(text.c_str());
  TickUntilFull();
}

TEST(WaveDraw, RowsMoveLeftAndRightOnAPaddedImage) {
  // Five pixels are 15 bytes per row, padded to a stride of 16.
  UseScreen(5, 6);
  FullQuarterWave(2, 0);
  ASSERT_EQ(S().phase, 0);
  Image image(5, 6);
  ASSERT_EQ(image.stride, 16);
  ExpectDrawShifts(image, {0, 2, 0, -2, 0, 2});

  // Exact bytes of the row shifted left by 2 and the row shifted right by 2.
  Image fresh(5, 6);
  const std::uint8_t* left = fresh.Row(1);
  const std::uint8_t* right = fresh.Row(3);
  EXPECT_EQ(std::vector<std::uint8_t>(image.Row(1), image.Row(1) + 16),
            (std::vector<std::uint8_t>{left[6], left[7], left[8], left[9], left[10], left[11], left[12], left[13],
                                       left[14], left[9], left[10], left[11], left[12], left[13], left[14],
                                       left[15]}));
  EXPECT_EQ(std::vector<std::uint8_t>(image.Row(3), image.Row(3) + 16),
            (std::vector<std::uint8_t>{right[0], right[1], right[2], right[3], right[4], right[5], right[0],
                                       right[1], right[2], right[3], right[4], right[5], right[6], right[7],
                                       right[8], right[15]}));
}

TEST(WaveDraw, EntryOfFiveMovesFifteenBytes) {
  UseScreen(8, 4);
  FullQuarterWave(5, 0);
  Image image(8, 4);
  const Image before = image;
  Draw(image.bytes.data(), 0);
  // Entry 5: 24 - 15 bytes move left by 15, the last 15 bytes stay.
  for (int i = 0; i < 9; ++i) EXPECT_EQ(image.Row(1)[i], before.bytes[24 + 15 + i]);
  for (int i = 9; i < 24; ++i) EXPECT_EQ(image.Row(1)[i], before.bytes[24 + i]);
  // Entry -5: moves right by 15, the first 15 bytes stay.
  for (int i = 0; i < 15; ++i) EXPECT_EQ(image.Row(3)[i], before.bytes[72 + i]);
  for (int i = 15; i < 24; ++i) EXPECT_EQ(image.Row(3)[i], before.bytes[72 + i - 15]);
}

TEST(WaveDraw, FirstRowUsesThePhaseAndDrawLeavesThePhase) {
  UseScreen(7, 9);
  FullQuarterWave(3, 1);
  while (S().phase != 1) Timer();
  Image image(7, 9);
  ExpectDrawShifts(image, {3, 0, -3, 0, 3, 0, -3, 0, 3});
  EXPECT_EQ(S().phase, 1);
  Timer();  // phase 2
  Image second(7, 9);
  ExpectDrawShifts(second, {0, -3, 0, 3, 0, -3, 0, 3, 0});
}

TEST(WaveDraw, ShiftsAsWideAsTheRowMoveNothing) {
  // Entries 0, 3, 0, -3 on rows of 3 pixels: nothing moves. On rows of 4
  // pixels the same entries move 9 of 12 bytes.
  UseScreen(3, 4);
  FullQuarterWave(3, 0);
  Image narrow(3, 4);
  ExpectDrawShifts(narrow, {0, 0, 0, 0});
  UseScreen(4, 4);
  Image wider(4, 4);
  ExpectDrawShifts(wider, {0, 3, 0, -3});
  UseScreen(1, 4);
  Image single(1, 4);
  ExpectDrawShifts(single, {0, 0, 0, 0});
}

TEST(WaveDraw, SwitchedOffEffectLeavesTheImageAlone) {
  UseScreen(16, 4);
  FullQuarterWave(4, 0);
  SwitchOff();
  Image image(16, 4);
  ExpectDrawShifts(image, {0, 0, 0, 0});
  Draw(nullptr, 0);
}

TEST(WaveDraw, NewWaveAfterDyingAwayDoesNotShiftBeforeItsFirstTick) {
  UseScreen(16, 4);
  FullQuarterWave(4, 0);
  SwitchOff();
  Send("draw/4,90,0");
  Image image(16, 4);
  ExpectDrawShifts(image, {0, 0, 0, 0});
  // Its first tick brings the entries in: 4 / (4 / 1.1) truncates to 1.
  Timer();
  Image ticked(16, 4);
  ExpectDrawShifts(ticked, {0, 1, 0, -1});
}

TEST(WaveDraw, LongerWaveAfterDyingAwayDoesNotPickUpOlderShifts) {
  UseScreen(16, 40);
  Send("draw/4,1,0");  // 360 entries
  TickUntilFull();
  Send("draw/4,90,0");  // 4 entries: only those are rescaled from now on
  TickUntilFull();
  SwitchOff();
  Send("draw/4,1,0");
  Image image(16, 40);
  ExpectDrawShifts(image, std::vector<int>(40, 0));
}

TEST(WaveDraw, EveryRowOfALargeScreenMovesAndTheRestStays) {
  UseScreen(2046, 2046);
  Send("draw/127,1,7");
  TickUntilFull();
  Timer();
  Image image(2046, 2046);
  std::vector<int> shifts;
  for (int y = 0; y < 2046; ++y) shifts.push_back(S().shiftTable[(S().phase + y) % 360]);
  ExpectDrawShifts(image, shifts);
}

struct ScreenCase {
  int width;
  int height;
  bool writesSize;
  int expectedWidth;
  int expectedHeight;
};

TEST(WaveScreen, InitializeAcceptsOnlyDescribableScreens) {
  const ScreenCase cases[] = {
      {640, 480, true, 640, 480},
      {2046, 2046, true, 2046, 2046},
      {1, 1, true, 1, 1},
      {0, 480, true, 0, 0},
      {640, 0, true, 0, 0},
      {-640, 480, true, 0, 0},
      {640, -480, true, 0, 0},
      {INT_MIN, INT_MIN, true, 0, 0},
      // width * 3 beyond 32 bits, and images beyond a 32-bit byte count
      {INT_MAX, 1, true, 0, 0},
      {800000000, 1, true, 0, 0},
      {1, INT_MAX, true, 0, 0},
      {100000, 100000, true, 0, 0},
      {640, 480, false, 0, 0},  // the host writes nothing
  };
  for (const ScreenCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
    Host() = StandInHost{};
    Host().width = c.width;
    Host().height = c.height;
    Host().writesSize = c.writesSize;
    Initialize(0);
    EXPECT_EQ(Host().calls, 1);
    EXPECT_EQ(S().screenWidth, c.expectedWidth);
    EXPECT_EQ(S().screenHeight, c.expectedHeight);
    EXPECT_EQ(S().rowBytes, c.expectedWidth * 3);
  }
}

TEST(WaveScreen, UnusableScreenSizesMakeDrawHarmless) {
  Send("draw/30,10,1");
  TickUntilFull();
  for (const auto& size : {std::pair{0, 4}, std::pair{4, 0}, std::pair{-4, 4}, std::pair{INT_MAX, 4},
                           std::pair{4, INT_MAX}}) {
    UseScreen(size.first, size.second);
    std::vector<std::uint8_t> pixels(64, 0xAB);
    Draw(pixels.data(), 0);
    EXPECT_EQ(pixels, std::vector<std::uint8_t>(64, 0xAB));
  }
}

TEST(WaveScreen, SecondInitializeAsksAgainAndKeepsTheWave) {
  UseScreen(64, 8);
  Send("draw/30,10,3");
  for (int i = 0; i < 7; ++i) Timer();
  Halvane::Undula::WaveState expected = S();
  UseScreen(320, 200);
  expected.screenWidth = 320;
  expected.screenHeight = 200;
  expected.rowBytes = 960;
  EXPECT_TRUE(SameState(S(), expected));
  EXPECT_NE(S().getWindowSize, nullptr);
}

}  // namespace
