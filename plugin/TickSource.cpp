#include "plugin/TickSource.h"

namespace Halvane::VlmPlugIn {

TickSource& TickSource::Instance() {
  static TickSource source;
  return source;
}

TickSource::TickSource() {
  if (Platform::TimeGetDevCaps(&caps, sizeof caps) == Platform::TIMERR_NOERROR &&
      caps.wPeriodMin < 10) {
    if (caps.wPeriodMin == 0) caps.wPeriodMin = 1;
    Platform::TimeBeginPeriod(caps.wPeriodMin);
    now = &Platform::TimeGetTime;
    periodBegun = 1;
  } else {
    now = &Platform::GetTickCount;
    periodBegun = 0;
  }
}

TickSource::~TickSource() {
  if (periodBegun != 0) Platform::TimeEndPeriod(caps.wPeriodMin);
}

}  // namespace Halvane::VlmPlugIn
