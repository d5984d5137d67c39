// The process-wide values of the wave effect. The library keeps exactly one
// WaveState, all zero at load; the four exports (Exports.cpp) are the only
// code that changes it, always on the host's thread. Tests and tools read it
// through State().
#pragma once

#include <cstdint>

namespace Halvane::Undula {

// Number of entries in each table: one per degree at the finest step.
constexpr int kMaxTableLength = 360;

// The host's screen-size function, looked up by name in its executable.
using WindowSizeFunction = int (*)(int* width, int* height);

struct WaveState {
  // The host's screen as Initialize last found it. A screen that cannot be
  // described (no host function, a size of 0 or less, an image larger than
  // a signed 32-bit byte count) is recorded as 0 x 0, which makes Draw
  // leave every image alone.
  std::int32_t screenWidth = 0;
  std::int32_t screenHeight = 0;
  std::int32_t rowBytes = 0;  // screenWidth * 3: pixel bytes of one row

  // The wave at full amplitude and the shifts that Draw applies (the wave
  // scaled down by divisor). Only the first tableLength entries are used.
  std::int8_t waveTable[kMaxTableLength] = {};
  std::int8_t shiftTable[kMaxTableLength] = {};
  std::int32_t tableLength = 0;  // 360 / step of the last draw message: 1..360

  std::int32_t phase = 0;    // table position of the first row in memory
  float amplitude = 0;       // -127..127, as given by the last draw message
  float divisor = 0;         // shiftTable = waveTable / divisor
  std::int32_t speed = 0;    // table positions the phase moves per tick
  std::uint8_t active = 0;   // 1 while the effect runs
  std::uint8_t growing = 0;  // 1 after "draw", 0 after "stop"

  WindowSizeFunction getWindowSize = nullptr;
};

// Read access to the library's state. The reference stays valid for the
// life of the process; the values change only inside the exports.
const WaveState& State();

}  // namespace Halvane::Undula
