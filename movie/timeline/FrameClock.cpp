#include "movie/timeline/FrameClock.h"

namespace Halvane::Movie {

namespace {
// One frame lasts 1000 / (rate / 256) ms, so elapsed ms * rate reaches one
// frame at 256000.
constexpr std::uint64_t kFrameUnits = 256000;
}  // namespace

void FrameClock::SetRate(std::uint16_t rate) {
  rate_ = rate;
  pending_ = 0;
}

std::uint32_t FrameClock::FrameIntervalMilliseconds() const {
  if (rate_ == 0) return 0;
  return static_cast<std::uint32_t>((kFrameUnits + rate_ - 1) / rate_);
}

int FrameClock::Advance(std::uint32_t elapsedMilliseconds) {
  if (rate_ == 0) return 0;
  pending_ += static_cast<std::uint64_t>(elapsedMilliseconds) * rate_;
  std::uint64_t frames = pending_ / kFrameUnits;
  pending_ %= kFrameUnits;
  if (frames > static_cast<std::uint64_t>(MaxCatchUp)) frames = MaxCatchUp;
  return static_cast<int>(frames);
}

}  // namespace Halvane::Movie
