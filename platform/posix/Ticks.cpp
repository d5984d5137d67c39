// Linux clocks: CLOCK_MONOTONIC in milliseconds, cut to 32 bits like the
// platform's counters. The kernel's timers are already fine-grained, so the
// timer period is only counted, to let tests see that begins and ends match.
#include "platform/Ticks.h"

#include <time.h>

#include <atomic>

namespace Halvane::Platform {

namespace {

std::atomic<bool> ticksDriven{false};
std::atomic<std::uint32_t> drivenTicks{0};

bool capsDriven = false;
bool capsAvailable = true;
TimerCaps drivenCaps{1, 1000000};

std::atomic<int> openPeriods{0};

std::uint32_t MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);
}

std::uint32_t Now() {
  if (ticksDriven.load()) return drivenTicks.load();
  return MonotonicMilliseconds();
}

}  // namespace

std::uint32_t TimeGetDevCaps(TimerCaps* caps, std::uint32_t size) {
  if (caps == nullptr || size != sizeof(TimerCaps)) return TIMERR_NOCANDO;
  if (capsDriven) {
    if (!capsAvailable) return TIMERR_NOCANDO;
    *caps = drivenCaps;
    return TIMERR_NOERROR;
  }
  caps->wPeriodMin = 1;
  caps->wPeriodMax = 1000000;
  return TIMERR_NOERROR;
}

std::uint32_t TimeBeginPeriod(std::uint32_t period) {
  if (period == 0) return TIMERR_NOCANDO;
  ++openPeriods;
  return TIMERR_NOERROR;
}

std::uint32_t TimeEndPeriod(std::uint32_t period) {
  if (period == 0) return TIMERR_NOCANDO;
  --openPeriods;
  return TIMERR_NOERROR;
}

std::uint32_t TimeGetTime() { return Now(); }
std::uint32_t GetTickCount() { return Now(); }

void DriveTicks(std::uint32_t now) {
  drivenTicks.store(now);
  ticksDriven.store(true);
}

void AdvanceDrivenTicks(std::uint32_t milliseconds) {
  if (!ticksDriven.load()) DriveTicks(0);
  drivenTicks.store(drivenTicks.load() + milliseconds);
}

void ReleaseTicks() { ticksDriven.store(false); }

void DriveTimerCaps(bool available, std::uint32_t periodMin, std::uint32_t periodMax) {
  capsDriven = true;
  capsAvailable = available;
  drivenCaps = TimerCaps{periodMin, periodMax};
}

void ReleaseTimerCaps() { capsDriven = false; }

int OpenTimerPeriods() { return openPeriods.load(); }

}  // namespace Halvane::Platform
