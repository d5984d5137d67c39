// The operations of the wave effect on the process-wide WaveState. The
// exports call them; each runs on the host's thread, allocates nothing and
// touches no memory outside the two tables and the image it is given.
#pragma once

#include <cstdint>

#include "undula/WaveMessage.h"
#include "undula/WaveState.h"

namespace Halvane::Undula {

// Finds the host's VlmGetWindowSize in the main executable and asks it for
// the screen size. Every call binds and asks again; the wave itself is left
// as it is. A host without the function, or an unusable size, gives a
// 0 x 0 screen.
void BindScreen();

// Acts on a parsed message: a draw message builds the tables and starts a
// swelling wave, "stop" lets the wave die away, anything else does nothing.
void Apply(const WaveMessage& message);

// One timer tick: swells or damps the wave and moves the phase on. Returns 1
// while the effect is active (the tick that switches it off included), 0
// when it is off.
int Tick();

// Shifts every row of the host's screen image (bottom-up, rows padded to a
// multiple of 4 bytes, screenWidth x screenHeight pixels of 3 bytes) by its
// shift entry: a positive entry moves the row that many pixels to the left,
// a negative one to the right; the uncovered pixels keep their old values.
// A shift at least as wide as the row leaves the row alone.
void DrawRows(std::uint8_t* pixels);

// Fills table with the wave of the given amplitude (-127..127) and step
// (1..360) and returns the number of entries, 360 / step.
int BuildWaveTable(int amplitude, int stepDegrees, std::int8_t* table);

}  // namespace Halvane::Undula
