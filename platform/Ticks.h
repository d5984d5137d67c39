// Millisecond clocks and the multimedia timer period, shaped after
// timeGetDevCaps, timeBeginPeriod, timeEndPeriod, timeGetTime and
// GetTickCount. Both clocks count milliseconds in 32 unsigned bits and wrap
// after about 49.7 days.
#pragma once

#include <cstdint>

namespace Halvane::Platform {

// The timer capabilities record (TIMECAPS): finest and coarsest period in ms.
struct TimerCaps {
  std::uint32_t wPeriodMin;
  std::uint32_t wPeriodMax;
};

// Result codes of the timer calls, with the platform's values.
constexpr std::uint32_t kTimerOk = 0;         // no error
constexpr std::uint32_t kTimerCannotDo = 97;  // refused

// Fills caps (size must be sizeof(TimerCaps), 8 bytes); kTimerOk on
// success, kTimerCannotDo for a null record or a wrong size.
std::uint32_t TimeGetDevCaps(TimerCaps* caps, std::uint32_t size);

// Asks for (and later gives back) a finer timer period; every successful
// begin must be matched by an end with the same period.
std::uint32_t TimeBeginPeriod(std::uint32_t period);
std::uint32_t TimeEndPeriod(std::uint32_t period);

// The multimedia clock and the system tick count, in milliseconds.
std::uint32_t TimeGetTime();
std::uint32_t GetTickCount();

// The five calls above as one set of routines, so that code that keeps time
// can be handed another clock (a test's) instead of the platform's.
struct TimerServices {
  std::uint32_t (*getDevCaps)(TimerCaps* caps, std::uint32_t size);
  std::uint32_t (*beginPeriod)(std::uint32_t period);
  std::uint32_t (*endPeriod)(std::uint32_t period);
  std::uint32_t (*timeGetTime)();
  std::uint32_t (*getTickCount)();
};

// The platform's own clocks.
const TimerServices& SystemTimerServices();

}  // namespace Halvane::Platform
