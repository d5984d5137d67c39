// The multimedia timer and the system tick count.
#include "platform/Ticks.h"

#include "platform/Com.h"

#include <mmsystem.h>

namespace Halvane::Platform {

static_assert(sizeof(TimerCaps) == sizeof(TIMECAPS), "the capabilities record is TIMECAPS");
static_assert(kTimerOk == TIMERR_NOERROR && kTimerCannotDo == TIMERR_NOCANDO,
              "timer results have the platform's values");

std::uint32_t TimeGetDevCaps(TimerCaps* caps, std::uint32_t size) {
  if (caps == nullptr || size != sizeof(TimerCaps)) return kTimerCannotDo;
  TIMECAPS native{};
  const MMRESULT result = ::timeGetDevCaps(&native, sizeof native);
  if (result != TIMERR_NOERROR) return result;
  caps->wPeriodMin = native.wPeriodMin;
  caps->wPeriodMax = native.wPeriodMax;
  return kTimerOk;
}

std::uint32_t TimeBeginPeriod(std::uint32_t period) { return ::timeBeginPeriod(period); }
std::uint32_t TimeEndPeriod(std::uint32_t period) { return ::timeEndPeriod(period); }
std::uint32_t TimeGetTime() { return ::timeGetTime(); }
std::uint32_t GetTickCount() { return ::GetTickCount(); }

}  // namespace Halvane::Platform
