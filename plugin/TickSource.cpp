#include "plugin/TickSource.h"

namespace Halvane::VlmPlugIn {

TickSource& TickSource::Instance() {
  static TickSource source(Platform::SystemTimerServices());
  return source;
}

TickSource::TickSource(const Platform::TimerServices& services) : services_(services) {
  if (services_.getDevCaps(&caps, sizeof caps) == Platform::kTimerOk && caps.wPeriodMin < 10) {
    if (caps.wPeriodMin == 0) caps.wPeriodMin = 1;
    services_.beginPeriod(caps.wPeriodMin);
    now = services_.timeGetTime;
    periodBegun = 1;
  } else {
    now = services_.getTickCount;
    periodBegun = 0;
  }
}

TickSource::~TickSource() {
  if (periodBegun != 0) services_.endPeriod(caps.wPeriodMin);
}

}  // namespace Halvane::VlmPlugIn
