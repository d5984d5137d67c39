// Millisecond clocks and the multimedia timer period, shaped after
// timeGetDevCaps, timeBeginPeriod, timeEndPeriod, timeGetTime and
// GetTickCount. Both clocks count milliseconds in 32 unsigned bits and wrap
// after about 49.7 days.
//
// Tests drive the clocks and the timer capabilities through the hooks at the
// end, so that no test has to sleep.
#pragma once

#include <cstdint>

namespace Halvane::Platform {

// The timer capabilities record (TIMECAPS): finest and coarsest period in ms.
struct TimerCaps {
  std::uint32_t wPeriodMin;
  std::uint32_t wPeriodMax;
};

// Result codes of the timer calls (MMRESULT values).
constexpr std::uint32_t TIMERR_NOERROR = 0;
constexpr std::uint32_t TIMERR_NOCANDO = 97;

// Fills caps (size must be sizeof(TimerCaps), 8 bytes); TIMERR_NOERROR on
// success, TIMERR_NOCANDO for a null record or a wrong size.
std::uint32_t TimeGetDevCaps(TimerCaps* caps, std::uint32_t size);

// Asks for (and later gives back) a finer timer period; every successful
// begin must be matched by an end with the same period.
std::uint32_t TimeBeginPeriod(std::uint32_t period);
std::uint32_t TimeEndPeriod(std::uint32_t period);

// The multimedia clock and the system tick count, in milliseconds.
std::uint32_t TimeGetTime();
std::uint32_t GetTickCount();

// --- Test hooks -------------------------------------------------------------

// From now on both clocks read the given value until it is changed again.
void DriveTicks(std::uint32_t now);
// Moves the driven clocks on (wrapping at 2^32); starts driving at 0 + ms
// when they were not driven.
void AdvanceDrivenTicks(std::uint32_t milliseconds);
// Back to the real clocks.
void ReleaseTicks();

// Makes TimeGetDevCaps answer as given (available false: the query fails)
// until ReleaseTimerCaps.
void DriveTimerCaps(bool available, std::uint32_t periodMin, std::uint32_t periodMax);
void ReleaseTimerCaps();

// Number of periods begun and not yet ended; 0 when every begin was matched.
int OpenTimerPeriods();

}  // namespace Halvane::Platform
