#include "activex/ControlClock.h"

#include "movie/control/MovieControl.h"
#include "platform/Ticks.h"

namespace Halvane::ActiveX {

ControlClock::ControlClock(IUnknown* control) {
  if (control == nullptr ||
      FAILED(control->QueryInterface(IID_IMovieControlClock, reinterpret_cast<void**>(&clock_))) ||
      clock_ == nullptr) {
    clock_ = nullptr;
    return;
  }
  DWORD interval = 0;
  if (FAILED(clock_->GetFrameInterval(&interval)) || interval == 0) return;
  timer_ = Platform::StartThreadTimer(interval);
  if (timer_ != 0) interval_ = interval;
  last_ = Platform::TimeGetTime();
}

ControlClock::~ControlClock() {
  if (timer_ != 0) Platform::StopThreadTimer(timer_);
  if (clock_ != nullptr) clock_->Release();
}

bool ControlClock::Tick(const Platform::ThreadMessage& message) {
  if (timer_ == 0 || message.window != nullptr || message.message != Platform::kTimerMessage ||
      message.wParam != timer_) {
    return false;
  }
  // Unsigned difference: the clock's wrap does not disturb it.
  const std::uint32_t now = Platform::TimeGetTime();
  clock_->AdvanceClock(now - last_);
  last_ = now;
  return true;
}

}  // namespace Halvane::ActiveX
