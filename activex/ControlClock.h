// The worker's timer that moves the control on by its own clock: set to the
// movie's frame interval on the worker's queue, each of its messages hands
// the control the milliseconds elapsed since the last one. A control without
// a clock entry (one that keeps time by itself) gets no timer.
//
// Lives on the worker thread, inside the control's lifetime.
#pragma once

#include <cstdint>

#include "platform/Com.h"
#include "platform/Threads.h"

struct IMovieControlClock;

namespace Halvane::ActiveX {

class ControlClock {
 public:
  // Asks the control for its clock entry and frame interval and starts the
  // timer on the calling thread's queue.
  explicit ControlClock(IUnknown* control);
  ~ControlClock();
  ControlClock(const ControlClock&) = delete;
  ControlClock& operator=(const ControlClock&) = delete;

  // True when the message was this clock's timer (and the control has been
  // moved on); false for every other message.
  bool Tick(const Platform::ThreadMessage& message);

  // The timer's period in milliseconds; 0 without a timer.
  std::uint32_t Interval() const { return interval_; }

 private:
  IMovieControlClock* clock_ = nullptr;
  std::uintptr_t timer_ = 0;
  std::uint32_t interval_ = 0;
  std::uint32_t last_ = 0;
};

}  // namespace Halvane::ActiveX
