// Helpers shared by the wave effect tests: driving the exports into a known
// state and comparing whole states.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "StandInHost.h"
#include "undula/Exports.h"
#include "undula/WaveState.h"

namespace UndulaTest {

inline const Halvane::Undula::WaveState& S() { return Halvane::Undula::State(); }

inline int Send(const char* text) {
  int intResult = 0;
  char textResult[261] = {};
  return Message(text, &intResult, textResult);
}

inline void UseScreen(int width, int height) {
  Host() = StandInHost{};
  Host().width = width;
  Host().height = height;
  Initialize(0);
}

// Ticks until the wave holds at full amplitude; returns the number of ticks.
inline int TickUntilFull() {
  int ticks = 0;
  while (S().divisor > 1.0f && ticks < 1000) {
    Timer();
    ++ticks;
  }
  return ticks;
}

// Lets the present wave die away completely (stop, then tick until off).
inline void SwitchOff() {
  Send("stop");
  for (int i = 0; i < 1000 && Timer() != 0; ++i) {
  }
}

inline ::testing::AssertionResult SameState(const Halvane::Undula::WaveState& a,
                                            const Halvane::Undula::WaveState& b) {
  if (a.screenWidth != b.screenWidth || a.screenHeight != b.screenHeight || a.rowBytes != b.rowBytes)
    return ::testing::AssertionFailure() << "screen differs";
  if (std::memcmp(a.waveTable, b.waveTable, sizeof a.waveTable) != 0)
    return ::testing::AssertionFailure() << "waveTable differs";
  if (std::memcmp(a.shiftTable, b.shiftTable, sizeof a.shiftTable) != 0)
    return ::testing::AssertionFailure() << "shiftTable differs";
  if (a.tableLength != b.tableLength || a.phase != b.phase || a.speed != b.speed)
    return ::testing::AssertionFailure() << "tableLength, phase or speed differs";
  if (a.amplitude != b.amplitude || a.divisor != b.divisor)
    return ::testing::AssertionFailure() << "amplitude or divisor differs";
  if (a.active != b.active || a.growing != b.growing)
    return ::testing::AssertionFailure() << "flags differ";
  return ::testing::AssertionSuccess();
}

}  // namespace UndulaTest
