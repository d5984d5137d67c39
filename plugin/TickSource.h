// The millisecond clock that Draw and Timer share. Where the platform offers
// a timer period finer than 10 ms, the source raises the timer resolution to
// it and reads the multimedia clock; otherwise it reads the system tick
// count. The raised period is given back when the source ends.
#pragma once

#include <cstdint>

#include "platform/Ticks.h"

namespace Halvane::VlmPlugIn {

class TickSource {
 public:
  // The process-wide source over the platform's clocks, created on first
  // use and ended at library unload. Host thread only.
  static TickSource& Instance();

  // Queries the timer capabilities of the given clocks and picks the clock
  // (see above). The services must outlive the source.
  explicit TickSource(const Platform::TimerServices& services);
  ~TickSource();
  TickSource(const TickSource&) = delete;
  TickSource& operator=(const TickSource&) = delete;

  // The current tick in milliseconds (32 bits, wrapping).
  std::uint32_t Now() const { return now(); }

  std::uint32_t (*now)() = nullptr;
  Platform::TimerCaps caps{0, 0};  // wPeriodMin holds the period begun
  std::int32_t periodBegun = 0;

 private:
  const Platform::TimerServices& services_;
};

}  // namespace Halvane::VlmPlugIn
