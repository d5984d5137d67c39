// Linux clocks: CLOCK_MONOTONIC in milliseconds, cut to 32 bits like the
// platform's counters. The kernel's timers are already fine-grained, so a
// finer timer period is granted without doing anything.
#include "platform/Ticks.h"

#include <time.h>

namespace Halvane::Platform {

namespace {
std::uint32_t MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);
}
}  // namespace

std::uint32_t TimeGetDevCaps(TimerCaps* caps, std::uint32_t size) {
  if (caps == nullptr || size != sizeof(TimerCaps)) return kTimerCannotDo;
  caps->wPeriodMin = 1;
  caps->wPeriodMax = 1000000;
  return kTimerOk;
}

std::uint32_t TimeBeginPeriod(std::uint32_t period) {
  return period == 0 ? kTimerCannotDo : kTimerOk;
}

std::uint32_t TimeEndPeriod(std::uint32_t period) {
  return period == 0 ? kTimerCannotDo : kTimerOk;
}

std::uint32_t TimeGetTime() { return MonotonicMilliseconds(); }
std::uint32_t GetTickCount() { return MonotonicMilliseconds(); }

}  // namespace Halvane::Platform
