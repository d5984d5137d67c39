// The control's persisted state and its stream format.
//
// Property stream, as Save writes it (little-endian):
//   0   4  signature "HMCP" (its first byte is never 0x66)
//   4   4  B, the number of property bytes that follow
//   8   B  properties: u16 format (1), i32 quality, u8 loop, u8 playing,
//          u32 n + n UTF-16 units window mode, u32 n + n units FlashVars;
//          bytes after the known fields are ignored (later formats add there)
//
// The player splices a movie into a copy of this stream: it replaces byte 0
// with 0x66 and inserts the movie's length (4 bytes) and the movie itself
// between byte 3 and byte 4. Bytes 1 to 3 of the signature and every byte
// from 4 on survive unchanged, so the loader recognises both shapes by
// their first byte:
//   "HMCP" + properties                       properties only
//   0x66 "MCP" + u32 L + L movie bytes + properties   a movie with its properties
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "movie/swf/MovieFile.h"
#include "platform/Com.h"

namespace Halvane::Movie {

struct ControlProperties {
  int quality = 1;  // 0 low, 1 high, 2 auto-low, 3 auto-high
  bool loop = true;
  bool playing = true;
  std::u16string windowMode = u"Window";
  std::u16string flashVars;
};

// Largest property block the loader accepts (the largest movie:
// kMaxMovieBytes).
constexpr std::uint32_t kMaxPropertyBytes = 16u << 20;

// The whole property stream for properties.
std::vector<std::uint8_t> EncodeControlProperties(const ControlProperties& properties);

// What a load stream held.
struct LoadedControlState {
  ControlProperties properties;
  bool hasMovie = false;
  std::vector<std::uint8_t> movie;  // the movie file as stored (FWS or CWS)
};

// Reads either shape from stream's current position. S_OK with state
// filled; E_POINTER for a null stream; E_FAIL for a stream of neither shape,
// a truncated one, or sizes over the caps (state then unspecified).
HRESULT ReadControlStream(IStream* stream, LoadedControlState& state);

}  // namespace Halvane::Movie
