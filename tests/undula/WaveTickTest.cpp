// The tables a draw message builds and how the timer swells, holds and damps
// the wave and moves its phase.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "WaveTestSupport.h"

namespace {

using namespace UndulaTest;

std::vector<int> Table(const std::int8_t* table) {
  return std::vector<int>(table, table + S().tableLength);
}

struct TableCase {
  const char* text;
  std::vector<int> entries;
};

TEST(WaveTables, DrawMessagesBuildTheSineTable) {
  const TableCase cases[] = {
      {"draw/30,90,1", {0, 30, 0, -30}},
      // The single-precision pi lies just below pi: 30 degrees gives 4 and
      // 150 degrees gives 5.
      {"draw/10,30,1", {0, 4, 8, 10, 8, 5, 0, -4, -8, -10, -8, -5}},
      {"draw/-10,90,1", {0, -10, 0, 10}},
      // The sine of the single-precision angle of 90 degrees lies just below
      // 1 and rounds up to 1 in single precision, so amplitude 1 reaches 1.
      {"draw/1,90,1", {0, 1, 0, -1}},
      {"draw/0,90,1", {0, 0, 0, 0}},
      {"draw/30,360,1", {0}},
      // Steps that do not divide 360 stop short of the full turn.
      {"draw/30,100,1", {0, 29, -10}},
      // A clamped amplitude builds the table of 127, never a wrapped one.
      {"draw/200,30,1", {0, 63, 109, 127, 109, 63, 0, -63, -109, -127, -109, -63}},
  };
  for (const TableCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Send(c.text), 1);
    EXPECT_EQ(Table(S().waveTable), c.entries);
  }
}

TEST(WaveTables, DrawMessageStartsASwellingWaveFromPhaseZero) {
  UseScreen(64, 8);
  Send("draw/30,10,5");
  for (int i = 0; i < 3; ++i) Timer();
  ASSERT_NE(S().phase, 0);
  Send("draw/20,10,2");
  EXPECT_EQ(S().tableLength, 36);
  EXPECT_EQ(S().amplitude, 20.0f);
  EXPECT_EQ(S().divisor, 20.0f);
  EXPECT_EQ(S().speed, 2);
  EXPECT_EQ(S().phase, 0);
  EXPECT_EQ(S().active, 1);
  EXPECT_EQ(S().growing, 1);
  // A step of one degree fills all 360 entries.
  Send("draw/127,1,0");
  EXPECT_EQ(S().tableLength, 360);
  EXPECT_EQ(S().waveTable[90], 127);
  EXPECT_EQ(S().waveTable[270], -127);
}

TEST(WaveTicks, SwellsToFullAmplitudeOnTheThirtySixthTick) {
  Send("draw/30,10,1");
  EXPECT_EQ(Timer(), 1);
  // 30 / 1.1f, rounded to single precision.
  EXPECT_EQ(S().divisor, static_cast<float>(30.0 / static_cast<double>(1.1f)));
  EXPECT_NEAR(S().divisor, 27.27f, 0.01f);
  EXPECT_EQ(S().shiftTable[9], 1);  // the 30-pixel entry at 90 degrees
  EXPECT_EQ(S().shiftTable[27], -1);
  for (int tick = 2; tick <= 35; ++tick) {
    EXPECT_EQ(Timer(), 1);
    EXPECT_GT(S().divisor, 1.0f) << "tick " << tick;
  }
  EXPECT_EQ(Timer(), 1);
  EXPECT_EQ(S().divisor, 1.0f);
  EXPECT_EQ(Table(S().shiftTable), Table(S().waveTable));

  // Holding at full amplitude: only the phase moves.
  Halvane::Undula::WaveState expected = S();
  for (int tick = 0; tick < 50; ++tick) {
    EXPECT_EQ(Timer(), 1);
    expected.phase = (expected.phase + 1) % 36;
    ASSERT_TRUE(SameState(S(), expected)) << "tick " << tick;
  }
}

TEST(WaveTicks, DiesAwayThirtySixTicksAfterStopAndSwitchesOff) {
  UseScreen(64, 8);
  Send("draw/30,10,1");
  ASSERT_EQ(TickUntilFull(), 36);
  Send("stop");
  EXPECT_EQ(S().growing, 0);
  EXPECT_EQ(Timer(), 1);
  EXPECT_EQ(S().divisor, static_cast<float>(static_cast<double>(1.1f)));
  for (int tick = 2; tick <= 35; ++tick) {
    EXPECT_EQ(Timer(), 1);
    EXPECT_EQ(S().active, 1) << "tick " << tick;
    EXPECT_LT(S().divisor, 30.0f) << "tick " << tick;
  }
  EXPECT_EQ(Timer(), 1);  // the tick that switches the effect off
  EXPECT_EQ(S().active, 0);
  EXPECT_EQ(S().divisor, 30.0f);
  // The shifts of a wave that has died away are 0, in the whole table.
  EXPECT_EQ(std::vector<int>(S().shiftTable, S().shiftTable + Halvane::Undula::kMaxTableLength),
            std::vector<int>(Halvane::Undula::kMaxTableLength, 0));
  EXPECT_EQ(Timer(), 0);
  EXPECT_EQ(Timer(), 0);
}

TEST(WaveTicks, StopWhileSwellingDampsFromThePresentDivisor) {
  Send("draw/30,10,0");
  for (int i = 0; i < 10; ++i) Timer();
  const float divisor = S().divisor;
  Send("stop");
  Timer();
  EXPECT_EQ(S().divisor, static_cast<float>(static_cast<double>(divisor) * static_cast<double>(1.1f)));
  EXPECT_EQ(S().shiftTable[9], static_cast<int>(30.0 / static_cast<double>(S().divisor)));
}

TEST(WaveTicks, StopBeforeTheFirstTickEndsTheWaveAtTheNextTick) {
  UseScreen(64, 8);
  Send("draw/2,90,0");  // an earlier wave at full strength leaves its shifts
  for (int i = 0; i < 40; ++i) Timer();
  Send("draw/30,90,0");
  Send("stop");
  EXPECT_EQ(Timer(), 1);  // the tick that switches the effect off
  EXPECT_EQ(S().active, 0);
  EXPECT_EQ(std::vector<int>(S().shiftTable, S().shiftTable + Halvane::Undula::kMaxTableLength),
            std::vector<int>(Halvane::Undula::kMaxTableLength, 0));
  EXPECT_EQ(Timer(), 0);
}

TEST(WaveTicks, TimerAnswersInEachState) {
  SwitchOff();
  EXPECT_EQ(Timer(), 0);  // off
  Send("draw/30,10,1");
  EXPECT_EQ(Timer(), 1);  // swelling
  TickUntilFull();
  EXPECT_EQ(Timer(), 1);  // full
  Send("stop");
  EXPECT_EQ(Timer(), 1);  // dying away
  SwitchOff();
  EXPECT_EQ(Timer(), 0);
  // "stop" in the off state only clears growing; the effect stays off.
  Send("stop");
  EXPECT_EQ(Timer(), 0);
  EXPECT_EQ(S().growing, 0);
  // A draw message from the off state starts again.
  Send("draw/30,10,1");
  EXPECT_EQ(Timer(), 1);
}

TEST(WaveTicks, AmplitudeOfOneOrLessNeverRescalesAndStaysActive) {
  for (const char* text : {"draw/1,90,1", "draw/0,90,1", "draw/-30,90,1"}) {
    SCOPED_TRACE(text);
    Send("draw/30,90,0");
    TickUntilFull();
    Send(text);
    const std::vector<int> shifts = Table(S().shiftTable);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(Timer(), 1);
    Send("stop");
    for (int i = 0; i < 40; ++i) EXPECT_EQ(Timer(), 1);
    EXPECT_EQ(S().active, 1);
    EXPECT_EQ(Table(S().shiftTable), shifts);
  }
}

TEST(WaveTicks, PhaseAdvancesBySpeedAroundTheTable) {
  Send("draw/30,10,2");
  std::vector<int> phases;
  for (int i = 0; i < 18; ++i) {
    Timer();
    phases.push_back(S().phase);
  }
  std::vector<int> expected;
  for (int i = 1; i <= 18; ++i) expected.push_back((2 * i) % 36);
  EXPECT_EQ(phases, expected);  // 2, 4, ..., 34, 0
}

TEST(WaveTicks, AnySpeedKeepsThePhaseInsideTheTable) {
  const struct {
    const char* text;
    std::vector<int> phases;  // after each of the first ticks
  } cases[] = {
      {"draw/30,90,-1", {3, 2, 1, 0, 3}},
      {"draw/30,90,4", {0, 0, 0}},
      {"draw/30,90,5", {1, 2, 3, 0}},
      {"draw/30,90,-6", {2, 0, 2}},
      {"draw/30,90,2147483647", {3, 2, 1, 0}},
      {"draw/30,90,-2147483648", {0, 0}},
      {"draw/30,90,99999999999999", {3, 2}},
      {"draw/30,360,7", {0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Send(c.text);
    std::vector<int> phases;
    for (std::size_t i = 0; i < c.phases.size(); ++i) {
      EXPECT_EQ(Timer(), 1);
      phases.push_back(S().phase);
    }
    EXPECT_EQ(phases, c.phases);
  }
}

}  // namespace
