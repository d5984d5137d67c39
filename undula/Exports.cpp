// The four functions the host calls, exported under their plain names with
// the platform's caller-cleans convention. They take the same arguments as
// every layer plug-in's exports, so the host calls all plug-ins alike; the
// arguments this effect has no use for are never read. There is no
// Finalize: the effect owns nothing that would need releasing.
#include <cstdint>

#include "undula/Exports.h"
#include "undula/WaveEffect.h"
#include "undula/WaveMessage.h"

namespace Undula = Halvane::Undula;

extern "C" {

void Initialize(std::int32_t /*unused*/) { Undula::BindScreen(); }

void Draw(void* pixels, std::int32_t /*unused*/) { Undula::DrawRows(static_cast<std::uint8_t*>(pixels)); }

std::int32_t Timer() { return Undula::Tick(); }

std::int32_t Message(const char* text, std::int32_t* /*intResult*/, char* /*textResult*/) {
  Undula::Apply(Undula::ParseWaveMessage(text));
  return 1;
}

}  // extern "C"
