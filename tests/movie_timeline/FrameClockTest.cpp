// The movie's clock: elapsed milliseconds into frame steps at its rate.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "movie/timeline/FrameClock.h"

namespace Halvane::Movie {
namespace {

TEST(FrameClock, KeepsTheRemainderAndHandlesRateZero) {
  struct Case {
    std::uint16_t rate;
    std::vector<std::uint32_t> steps;
    std::vector<int> frames;
  } cases[] = {
      {24 * 256, {41, 1, 41, 42}, {0, 1, 0, 2}},  // 41.67 ms a frame; 125 ms make three
      {256 / 2, {1999, 1, 2000}, {0, 1, 1}},      // half a frame a second
      {0, {0, 1000, 0xFFFFFFFFu}, {0, 0, 0}},
      {1, {0xFFFFFFFFu}, {FrameClock::MaxCatchUp}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    FrameClock clock(c.rate);
    for (std::size_t i = 0; i < c.steps.size(); ++i) EXPECT_EQ(clock.Advance(c.steps[i]), c.frames[i]);
  }
  EXPECT_EQ(FrameClock(0).FrameIntervalMilliseconds(), 0u);
  EXPECT_EQ(FrameClock(24 * 256).FrameIntervalMilliseconds(), 42u);
}

}  // namespace
}  // namespace Halvane::Movie
