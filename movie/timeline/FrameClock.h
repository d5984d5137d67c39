// The control's own clock: turns elapsed milliseconds into frame steps at the
// movie's frame rate. The worker's timer calls the control with the
// milliseconds since its last call; the clock answers how many frames are
// due and keeps the remainder, so frames come at the movie's rate whatever
// the timer's period.
//
// After a stall (a long time without calls) it steps at most MaxCatchUp
// frames and drops the rest of the backlog, so playback resumes at once
// instead of racing through the frames it missed. A frame rate of 0 never
// steps: such a movie shows its frame until the host moves it on.
#pragma once

#include <cstdint>

namespace Halvane::Movie {

class FrameClock {
 public:
  static constexpr int MaxCatchUp = 4;

  // rate: frames per second in 8.8 fixed point, as the movie header has it.
  explicit FrameClock(std::uint16_t rate = 0) { SetRate(rate); }

  void SetRate(std::uint16_t rate);
  std::uint16_t Rate() const { return rate_; }

  // Milliseconds per frame, rounded up; 0 when the rate is 0. The worker
  // sets its timer to this (or shorter).
  std::uint32_t FrameIntervalMilliseconds() const;

  // Adds elapsed time and answers the frames due now (0 to MaxCatchUp).
  int Advance(std::uint32_t elapsedMilliseconds);

  // Forgets time gathered so far (playback stopped or the movie changed).
  void Reset() { pending_ = 0; }

 private:
  std::uint16_t rate_ = 0;
  // Elapsed time in units of 1/256 ms times the rate, so that one frame is
  // exactly 256000 units of (ms * rate) and no rounding accumulates.
  std::uint64_t pending_ = 0;
};

}  // namespace Halvane::Movie
