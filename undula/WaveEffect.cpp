#include "undula/WaveEffect.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/HostModule.h"

namespace Halvane::Undula {

namespace {

WaveState state;

// The constants are single-precision values widened to double: the growth
// factor is 1.1f (1.100000023841858), not the double 1.1, and pi is
// 3.141592f (3.141592025756836). The tables and the divisor's sequence
// depend on these exact values.
constexpr double kGrowth = static_cast<double>(1.1f);
constexpr double kPi = static_cast<double>(3.141592f);

// The host's executable path is read into a buffer of this size. A path that
// fills it may have been cut short, and loading a cut path could load some
// other file, so such a path is not loaded.
constexpr std::size_t kPathBufferSize = 256;
constexpr std::size_t kLongestPathBuffer = 4097;

// Screens whose image needs more bytes than a signed 32-bit count holds
// cannot be real host screens; they are treated as no screen.
constexpr std::int64_t kMaxImageBytes = INT32_MAX;

void RecordScreen(int width, int height) {
  state.screenWidth = 0;
  state.screenHeight = 0;
  state.rowBytes = 0;
  if (width <= 0 || height <= 0) return;
  const std::int64_t rowBytes = static_cast<std::int64_t>(width) * 3;
  const std::int64_t stride = (rowBytes + 3) & ~std::int64_t{3};
  if (stride * height > kMaxImageBytes) return;
  state.screenWidth = width;
  state.screenHeight = height;
  state.rowBytes = static_cast<std::int32_t>(rowBytes);
}

// shiftTable = waveTable / divisor, truncated toward zero. The divisor is
// at least 1 whenever this runs, so every result fits the 8-bit entry.
void Rescale() {
  const double divisor = state.divisor;
  for (int i = 0; i < state.tableLength; ++i) {
    state.shiftTable[i] = static_cast<std::int8_t>(
        static_cast<int>(static_cast<double>(state.waveTable[i]) / divisor));
  }
}

void AdvancePhase() {
  if (state.tableLength <= 0) {
    state.phase = 0;
    return;
  }
  // Modulo the table length, so that any speed (negative ones move the wave
  // the other way) keeps the phase inside the table.
  std::int64_t phase = (static_cast<std::int64_t>(state.phase) + state.speed) % state.tableLength;
  if (phase < 0) phase += state.tableLength;
  state.phase = static_cast<std::int32_t>(phase);
}

}  // namespace

const WaveState& State() { return state; }

void BindScreen() {
  state.getWindowSize = nullptr;
  // 256 bytes where that is the platform's own limit; room for any path
  // where paths can be longer.
  char path[kLongestPathBuffer];
  const std::size_t size = std::min(sizeof path, Platform::ExecutablePathBufferSize(kPathBufferSize));
  const std::size_t length = Platform::GetMainExecutablePath(path, size);
  if (length > 0 && length < size - 1) {
    if (Platform::ModuleHandle module = Platform::LoadModule(path)) {
      state.getWindowSize =
          reinterpret_cast<WindowSizeFunction>(Platform::FindModuleFunction(module, "VlmGetWindowSize"));
      // The function lives in the main executable, which stays loaded.
      Platform::ReleaseModule(module);
    }
  }
  int width = 0;
  int height = 0;
  if (state.getWindowSize != nullptr) state.getWindowSize(&width, &height);
  RecordScreen(width, height);
}

int BuildWaveTable(int amplitude, int stepDegrees, std::int8_t* table) {
  if (stepDegrees < 1 || stepDegrees > 360) return 0;
  const int length = 360 / stepDegrees;
  for (int i = 0; i < length; ++i) {
    const double degrees = static_cast<double>(i * stepDegrees);
    // Rounded to single precision after the angle and after the sine; the
    // product with the (integer) amplitude is exact in double precision.
    const float radians = static_cast<float>(degrees * kPi / 180.0);
    const float sine = static_cast<float>(std::sin(static_cast<double>(radians)));
    const int shift = static_cast<int>(static_cast<double>(sine) * amplitude);
    table[i] = static_cast<std::int8_t>(shift);
  }
  return length;
}

void Apply(const WaveMessage& message) {
  switch (message.kind) {
    case WaveMessage::Kind::Draw:
      state.tableLength = BuildWaveTable(message.amplitude, message.stepDegrees, state.waveTable);
      state.amplitude = static_cast<float>(message.amplitude);
      state.speed = message.speed;
      // shiftTable keeps its entries until the next tick rescales it.
      state.divisor = state.amplitude;
      state.active = 1;
      state.growing = 1;
      state.phase = 0;
      break;
    case WaveMessage::Kind::Stop:
      state.growing = 0;
      break;
    case WaveMessage::Kind::None:
    case WaveMessage::Kind::Refused:
      break;
  }
}

namespace {

// The end of a wave: the effect goes off and its shifts become 0. Zero, and
// the whole table: a Draw between the next draw message and its first tick
// then leaves the screen as it is, even when the next wave has more entries
// than this one and an older, longer wave left its shifts beyond this one's
// end.
void SwitchOff() {
  if (state.tableLength <= 0) return;
  state.active = 0;
  std::memset(state.shiftTable, 0, sizeof state.shiftTable);
}

}  // namespace

int Tick() {
  if (state.active == 0) return 0;
  if (state.growing != 0) {
    if (state.divisor > 1.0f) {
      state.divisor = static_cast<float>(static_cast<double>(state.divisor) / kGrowth);
      if (state.divisor <= 1.0f) state.divisor = 1.0f;
      Rescale();
    }
  } else if (state.amplitude > state.divisor) {
    state.divisor = static_cast<float>(static_cast<double>(state.divisor) * kGrowth);
    if (state.divisor < state.amplitude) {
      Rescale();
    } else {
      state.divisor = state.amplitude;
      SwitchOff();
    }
  } else if (state.amplitude > 1.0f) {
    // Stopped before its first tick: the wave never grew, so there is
    // nothing to die away from. It ends now instead of keeping the effect
    // (and the host's redrawing) on for ever.
    SwitchOff();
  }
  AdvancePhase();
  return 1;
}

void DrawRows(std::uint8_t* pixels) {
  if (state.active == 0 || pixels == nullptr) return;
  if (state.screenHeight <= 0 || state.rowBytes <= 0) return;
  const int length = state.tableLength;
  if (length <= 0 || length > kMaxTableLength) return;
  int position = state.phase;
  if (position < 0 || position >= length) position = 0;

  const int width = state.screenWidth;
  const std::size_t rowBytes = static_cast<std::size_t>(state.rowBytes);
  const std::size_t stride = (rowBytes + 3) & ~std::size_t{3};
  std::uint8_t* row = pixels;
  for (int y = 0; y < state.screenHeight; ++y, row += stride) {
    const int shift = state.shiftTable[position];
    if (++position == length) position = 0;
    const int pixelsMoved = shift < 0 ? -shift : shift;
    if (pixelsMoved == 0 || pixelsMoved >= width) continue;
    const std::size_t offset = static_cast<std::size_t>(pixelsMoved) * 3;
    if (shift > 0) {
      std::memmove(row, row + offset, rowBytes - offset);
    } else {
      std::memmove(row + offset, row, rowBytes - offset);
    }
  }
}

}  // namespace Halvane::Undula
